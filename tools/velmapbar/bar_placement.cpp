#include "bar_placement.h"

#include <algorithm>
#include <cwchar>
#include <tuple>

namespace velmap::tools {

namespace {

constexpr int kDesignDpi = 96;
constexpr int kMargin = 4;
constexpr int kGrip = 8;
// What an auto-hidden taskbar leaves on screen is 2 pixels; a taskbar
// showing less than this is still sliding or tucked away.
constexpr LONG kTaskbarSliver = 6;

}  // namespace

POINT DockedPosition(SIZE bar, const RECT& work_area, const std::optional<RECT>& anchor) {
    LONG right = work_area.right, bottom = work_area.bottom;
    if (anchor) {
        right = anchor->right;
        bottom = anchor->top;
    }
    POINT at{right - bar.cx, bottom - bar.cy};
    at.x = std::clamp(at.x, work_area.left, std::max(work_area.left, work_area.right - bar.cx));
    at.y = std::clamp(at.y, work_area.top, std::max(work_area.top, work_area.bottom - bar.cy));
    return at;
}

bool TaskbarIsVertical(const RECT& taskbar) { return taskbar.bottom - taskbar.top > taskbar.right - taskbar.left; }

POINT DockedBeside(SIZE bar, const RECT& work_area, const RECT& taskbar, const std::optional<RECT>& notification_area) {
    // The side of the work area the taskbar is on: its middle left of the
    // work area's middle is a taskbar at the left edge.
    const bool at_left = taskbar.left + taskbar.right < work_area.left + work_area.right;
    POINT at{at_left ? taskbar.right : taskbar.left - bar.cx,
             (notification_area ? notification_area->top : taskbar.bottom) - bar.cy};
    at.x = std::clamp(at.x, work_area.left, std::max(work_area.left, work_area.right - bar.cx));
    at.y = std::clamp(at.y, work_area.top, std::max(work_area.top, work_area.bottom - bar.cy));
    return at;
}

bool TaskbarTuckedAway(const RECT& monitor, const RECT& taskbar) {
    RECT shown;
    if (!::IntersectRect(&shown, &monitor, &taskbar)) return true;
    // The taskbar lies along one edge: its thin side is the one that slides.
    const LONG thickness = std::min(taskbar.right - taskbar.left, taskbar.bottom - taskbar.top);
    const bool along_width = taskbar.right - taskbar.left >= taskbar.bottom - taskbar.top;
    const LONG visible = along_width ? shown.bottom - shown.top : shown.right - shown.left;
    return visible < std::min(thickness, kTaskbarSliver);
}

bool IsShellClass(std::wstring_view class_name) {
    static constexpr std::wstring_view kShell[] = {L"Progman", L"WorkerW", L"Shell_TrayWnd",
                                                   L"Shell_SecondaryTrayWnd", L"#32769"};
    return std::find(std::begin(kShell), std::end(kShell), class_name) != std::end(kShell);
}

bool IsFullScreenOn(const RECT& monitor, const ForegroundFacts& fg) {
    if (fg.shell_or_own || fg.maximised_with_caption || IsShellClass(fg.class_name)) return false;
    if (::IsRectEmpty(&monitor)) return false;
    return fg.rect.left <= monitor.left && fg.rect.top <= monitor.top && fg.rect.right >= monitor.right &&
           fg.rect.bottom >= monitor.bottom;
}

BarView DecideView(const RECT& monitor, bool full_screen, const std::optional<RECT>& taskbar) {
    if (full_screen) return BarView::HiddenForFullScreen;
    if (taskbar && TaskbarTuckedAway(monitor, *taskbar)) return BarView::HiddenWithTaskbar;
    return BarView::Shown;
}

std::wstring ArrangementName(std::vector<RECT> monitors) {
    std::sort(monitors.begin(), monitors.end(), [](const RECT& a, const RECT& b) {
        return std::tie(a.left, a.top, a.right, a.bottom) < std::tie(b.left, b.top, b.right, b.bottom);
    });
    std::wstring name;
    for (const RECT& m : monitors) {
        wchar_t part[64];
        std::swprintf(part, 64, L"%s%ldx%ld@%ld,%ld", name.empty() ? L"" : L" ", m.right - m.left, m.bottom - m.top,
                      m.left, m.top);
        name += part;
    }
    return name;
}

bool ShownWhole(const RECT& r, const std::vector<RECT>& monitors) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const RECT& m) {
        RECT inside;
        return ::IntersectRect(&inside, &r, &m) && ::EqualRect(&inside, &r);
    });
}

int BarMargin(int dpi) { return ::MulDiv(kMargin, dpi > 0 ? dpi : kDesignDpi, kDesignDpi); }
int BarGripWidth(int dpi) { return ::MulDiv(kGrip, dpi > 0 ? dpi : kDesignDpi, kDesignDpi); }

SIZE BarSize(SIZE band, int dpi, bool vertical) {
    const int margin = BarMargin(dpi);
    if (vertical) return {band.cx + 2 * margin, BarGripWidth(dpi) + band.cy + 2 * margin};
    return {BarGripWidth(dpi) + band.cx + 2 * margin, band.cy + 2 * margin};
}

POINT BandOffset(int dpi, bool vertical) {
    const int margin = BarMargin(dpi), grip = BarGripWidth(dpi);
    return vertical ? POINT{margin, margin + grip} : POINT{margin + grip, margin};
}

std::vector<RECT> GripRidges(const RECT& client, int dpi, bool vertical) {
    const int margin = BarMargin(dpi), step = ::MulDiv(3, dpi, kDesignDpi), line = ::MulDiv(2, dpi, kDesignDpi);
    std::vector<RECT> ridges;
    for (int at = 2; at + 2 <= margin + BarGripWidth(dpi) - 2; at += step) {
        if (vertical)
            ridges.push_back({client.left + margin - 1, at, client.right - margin + 1, at + line});
        else
            ridges.push_back({at, client.top + margin - 1, at + line, client.bottom - margin + 1});
    }
    return ridges;
}

// ---- the real desktop ---------------------------------------------------------------

namespace {

struct TaskbarSearch {
    HMONITOR monitor;
    std::optional<TaskbarFacts> found;
};

BOOL CALLBACK CheckTaskbar(HWND wnd, LPARAM lp) {
    auto& search = *reinterpret_cast<TaskbarSearch*>(lp);
    wchar_t name[32];
    if (!::GetClassNameW(wnd, name, 32)) return TRUE;
    const bool primary = std::wcscmp(name, L"Shell_TrayWnd") == 0;
    if (!primary && std::wcscmp(name, L"Shell_SecondaryTrayWnd") != 0) return TRUE;
    RECT r;
    // The nearest monitor: a tucked-away taskbar may lie wholly off screen.
    if (!::IsWindowVisible(wnd) || !::GetWindowRect(wnd, &r) || ::IsRectEmpty(&r) ||
        ::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST) != search.monitor)
        return TRUE;
    TaskbarFacts facts{wnd, r, std::nullopt};
    HWND notify = primary ? ::FindWindowExW(wnd, nullptr, L"TrayNotifyWnd", nullptr) : nullptr;
    RECT n;
    if (notify && ::IsWindowVisible(notify) && ::GetWindowRect(notify, &n) && !::IsRectEmpty(&n))
        facts.notification_area = n;
    search.found = facts;
    return FALSE;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM lp) {
    reinterpret_cast<std::vector<RECT>*>(lp)->push_back(*r);
    return TRUE;
}

}  // namespace

std::optional<TaskbarFacts> FindTaskbar(HMONITOR monitor) {
    TaskbarSearch search{monitor, std::nullopt};
    ::EnumWindows(&CheckTaskbar, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<RECT> MonitorRects() {
    std::vector<RECT> rects;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&rects));
    return rects;
}

ForegroundFacts DescribeForeground(HWND window, std::wstring& class_buffer) {
    ForegroundFacts facts;
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, 256);
    class_buffer = name;
    facts.class_name = class_buffer;
    // A hidden or minimised window covers nothing (it may still be the
    // foreground one for a moment while it goes).
    if (::IsWindowVisible(window) && !::IsIconic(window)) ::GetWindowRect(window, &facts.rect);
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    facts.maximised_with_caption = ::IsZoomed(window) && (style & WS_CAPTION) == WS_CAPTION;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    facts.shell_or_own =
        window == ::GetDesktopWindow() || window == ::GetShellWindow() || pid == ::GetCurrentProcessId();
    return facts;
}

}  // namespace velmap::tools
