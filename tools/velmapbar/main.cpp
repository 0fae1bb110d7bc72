// VelmapBar: the band outside the taskbar, for taskbars that host no toolbars.
// A small always-on-top tool window (no taskbar button) that hosts the band
// through the same site as bandhost. It docks on the taskbar of its monitor
// unless the user has dragged it somewhere (remembered per arrangement of
// monitors), steps aside for full-screen programs and for a tucked-away
// taskbar, and follows density changes. One instance at a time: a second
// start brings the first to the front.
//
// Nothing runs while nothing changes: the bar learns of foreground changes,
// moves of the foreground window and of the taskbar through out-of-context
// window events, and of full-screen programs also from the shell's appbar
// notification; no timer runs except while the bar is being dragged. Moves
// are heard only from the foreground window's thread and the taskbar's: the
// system raises one for every pointer and caret move and every window that
// moves anywhere, which would wake the bar all the time.
#include "band_site.h"
#include "bar_hooks.h"
#include "bar_placement.h"
#include "bar_settings.h"

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>
#include <windowsx.h>

#include <string>
#include <string_view>

using namespace velmap::tools;

namespace {

constexpr wchar_t kBandName[] = L"&Velmora Player";
constexpr wchar_t kInstanceMutex[] = L"Local\\VelmapBar.Instance";
constexpr DWORD kTakeOverMs = 5000;
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kAppBarMessage = WM_APP + 1;
// Posted after a density change: by then the band has had the system's
// notice of it, or gets it from the bar.
constexpr UINT kCheckBandDensity = WM_APP + 2;
constexpr int kDesignDpi = 96;
// Declared only for newer targets than the build's.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

int WindowDpi(HWND wnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = get_dpi_for_window ? get_dpi_for_window(wnd) : 0;
    if (dpi > 0) return static_cast<int>(dpi);
    HDC dc = ::GetDC(nullptr);
    const int ppi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ::ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : kDesignDpi;
}

POINT Origin(const RECT& r) { return {r.left, r.top}; }

class Bar {
public:
    explicit Bar(BandHost& host);

    void Start();
    void Stop();
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // Counts what the message loop hands out, for the idle check.
    void Count(const MSG& msg) {
        if (msg.message == WM_TIMER) ++timer_ticks_;
        if (msg.message == WM_PAINT) ++paints_;
    }
    void OnWinEvent(DWORD event, HWND wnd);

    WNDPROC strip_proc = nullptr;
    bool closing = false;

private:
    void Fit();
    const std::optional<TaskbarFacts>& Taskbar(HMONITOR monitor, bool refresh);
    void Update(bool taskbar_changed = false);
    bool RegisterAppBar();
    void ApplyView(BarView view);
    POINT DockedOn(HMONITOR monitor) const;
    void Arrange();
    void ShowMenu(POINT at);
    void PaintGrip();
    void FollowPointer();
    void EndDrag();
    RECT Rect() const {
        RECT r;
        ::GetWindowRect(wnd_, &r);
        return r;
    }
    HMONITOR Monitor() const { return ::MonitorFromWindow(wnd_, MONITOR_DEFAULTTOPRIMARY); }
    static HMONITOR Primary() { return ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY); }

    BandHost& host_;
    HWND wnd_;
    int dpi_ = kDesignDpi;
    std::wstring arrangement_;
    bool docked_ = true;  // no place of its own: follows the taskbar
    BarView view_ = BarView::Shown;
    HWND foreground_ = nullptr;
    std::optional<TaskbarFacts> taskbar_;
    HMONITOR taskbar_monitor_ = nullptr;
    bool docked_at_ = false;  // placed on the taskbar since it last changed
    bool shell_full_screen_ = false;
    bool band_refitted_ = false;
    bool appbar_ = false;
    HWINEVENTHOOK hooks_[2] = {};
    MoveHooks moves_;
    UINT counters_message_ = 0;
    UINT taskbar_created_message_ = 0;
    LONG timer_ticks_ = 0, paints_ = 0, win_events_ = 0, view_changes_ = 0;
    bool dragging_ = false;
    POINT drag_from_{}, drag_origin_{};
};

Bar* the_bar = nullptr;

void CALLBACK WinEventProc(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD, DWORD) {
    // Called for every window of the session: the filter stays cheap.
    if (object != OBJID_WINDOW || child != CHILDID_SELF || !wnd || !the_bar) return;
    the_bar->OnWinEvent(event, wnd);
}

Bar::Bar(BandHost& host)
    : host_(host),
      wnd_(host.Strip()),
      moves_({[](HWND wnd, DWORD* process) { return ::GetWindowThreadProcessId(wnd, process); },
              [](DWORD process, DWORD thread) {
                  return ::SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                           &WinEventProc, process, thread,
                                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
              },
              [](HWINEVENTHOOK hook) { ::UnhookWinEvent(hook); }},
             ::GetCurrentProcessId()) {}

LRESULT CALLBACK BarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (the_bar) return the_bar->Handle(msg, wp, lp);
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

void Bar::Start() {
    counters_message_ = ::RegisterWindowMessageW(kBarCountersMessage);
    taskbar_created_message_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    strip_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BarProc)));
    host_.Site().SetOnBandInfoChanged([this] {
        band_refitted_ = true;
        Fit();
        Update(true);
    });
    dpi_ = WindowDpi(wnd_);
    ::ShowWindow(wnd_, SW_HIDE);
    Fit();
    Arrange();

    appbar_ = RegisterAppBar();

    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    hooks_[0] = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &WinEventProc, 0, 0, flags);
    hooks_[1] = ::SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE, nullptr, &WinEventProc, 0, 0, flags);
    // (the first decision hooks the moves of the window in front and of the taskbar)
    view_ = BarView::HiddenWithTaskbar;  // so that the first decision shows it
    Update(true);
    // Found by its title (a second start, the installer) once it is in place.
    ::SetWindowTextW(wnd_, kBarTitle);
}

void Bar::Stop() {
    for (HWINEVENTHOOK& hook : hooks_) {
        if (hook) ::UnhookWinEvent(hook);
        hook = nullptr;
    }
    moves_.Follow(nullptr, nullptr);
    if (appbar_) {
        APPBARDATA abd{};
        abd.cbSize = sizeof abd;
        abd.hWnd = wnd_;
        ::SHAppBarMessage(ABM_REMOVE, &abd);
        appbar_ = false;
    }
    host_.Site().SetOnBandInfoChanged(nullptr);
    ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(strip_proc));
}

// Registered as an appbar for the shell's notifications only: without
// ABM_SETPOS no screen space is reserved.
bool Bar::RegisterAppBar() {
    APPBARDATA abd{};
    abd.cbSize = sizeof abd;
    abd.hWnd = wnd_;
    abd.uCallbackMessage = kAppBarMessage;
    return ::SHAppBarMessage(ABM_NEW, &abd) != 0;
}

void Bar::OnWinEvent(DWORD event, HWND wnd) {
    const bool taskbar = taskbar_ && wnd == taskbar_->window;
    if (event == EVENT_SYSTEM_FOREGROUND) {
        foreground_ = wnd;
    } else if (wnd != foreground_ && !taskbar) {
        // Moves, shows and ends of other windows do not concern the bar.
        return;
    }
    ++win_events_;
    Update(taskbar);
}

// The band at its own size, the bar around it at the bar's density; along a
// vertical taskbar the band's answer is its length and thickness, so its
// window is the other way round.
void Bar::Fit() {
    DESKBANDINFO info{};
    if (FAILED(host_.QueryBandInfo(DBIM_MINSIZE | DBIM_ACTUAL, info))) return;
    SIZE band{info.ptActual.x, info.ptActual.y};
    if (band.cx <= 0 || band.cy <= 0) band = {info.ptMinSize.x, info.ptMinSize.y};
    const bool vertical = host_.Orientation() == StripOrientation::Vertical;
    if (vertical) band = {band.cy, band.cx};
    const SIZE bar = BarSize(band, dpi_, vertical);
    const POINT offset = BandOffset(dpi_, vertical);
    ::SetWindowPos(host_.BandWindow(), nullptr, offset.x, offset.y, band.cx, band.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(wnd_, nullptr, 0, 0, bar.cx, bar.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(wnd_, nullptr, TRUE);
}

POINT Bar::DockedOn(HMONITOR monitor) const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    std::optional<RECT> anchor;
    const auto taskbar = FindTaskbar(monitor);
    if (taskbar) anchor = taskbar->notification_area.value_or(taskbar->rect);
    // (found afresh: docking is rare, and the notification area may have moved)
    const RECT r = Rect();
    if (taskbar && TaskbarIsVertical(taskbar->rect))
        return DockedBeside({r.right - r.left, r.bottom - r.top}, info.rcWork, taskbar->rect,
                            taskbar->notification_area);
    return DockedPosition({r.right - r.left, r.bottom - r.top}, info.rcWork, anchor);
}

// Where the bar belongs on the current arrangement of monitors: its place
// remembered for it while a monitor shows it whole, else where it is while
// that still shows, else docked on the primary's taskbar.
void Bar::Arrange() {
    const std::vector<RECT> monitors = MonitorRects();
    arrangement_ = ArrangementName(monitors);
    RECT r = Rect();
    const SIZE size{r.right - r.left, r.bottom - r.top};
    POINT at;
    if (const auto saved = LoadBarPosition(arrangement_);
        saved && ShownWhole({saved->x, saved->y, saved->x + size.cx, saved->y + size.cy}, monitors)) {
        at = *saved;
        docked_ = false;
    } else if (!docked_ && ShownWhole(r, monitors)) {
        at = Origin(r);
    } else {
        docked_ = true;
        at = DockedOn(docked_ && ShownWhole(r, monitors) ? Monitor() : Primary());
    }
    ::SetWindowPos(wnd_, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// The taskbar of the bar's monitor, found again only when that may have
// changed (another monitor, the taskbar moved or re-created).
const std::optional<TaskbarFacts>& Bar::Taskbar(HMONITOR monitor, bool refresh) {
    if (refresh || monitor != taskbar_monitor_ || (taskbar_ && !::IsWindow(taskbar_->window))) {
        taskbar_ = FindTaskbar(monitor);
        taskbar_monitor_ = monitor;
    }
    return taskbar_;
}

void Bar::Update(bool taskbar_changed) {
    const HMONITOR monitor = Monitor();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return;
    const auto& taskbar = Taskbar(monitor, taskbar_changed);
    // The band lies along the taskbar: a column beside one at a side edge.
    const auto orientation = taskbar && TaskbarIsVertical(taskbar->rect) ? StripOrientation::Vertical
                                                                         : StripOrientation::Horizontal;
    if (orientation != host_.Orientation()) {
        host_.SetOrientation(orientation, false);
        Fit();
        docked_at_ = false;
    }

    HWND foreground = ::GetForegroundWindow();
    foreground_ = foreground;
    moves_.Follow(foreground, taskbar ? taskbar->window : nullptr);
    bool full_screen = false;
    if (foreground) {
        std::wstring class_name;
        const ForegroundFacts facts = DescribeForeground(foreground, class_name);
        full_screen = IsFullScreenOn(info.rcMonitor, facts);
        // The shell also knows full-screen programs the rectangle rule cannot
        // see (exclusive modes); it tells every appbar, so check the monitor.
        if (!full_screen && shell_full_screen_ && !facts.shell_or_own && !IsShellClass(facts.class_name))
            full_screen = ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONULL) == monitor;
    }
    ApplyView(DecideView(info.rcMonitor, full_screen, taskbar ? std::optional<RECT>(taskbar->rect) : std::nullopt));
    if (view_ == BarView::Shown && docked_ && !dragging_ && (taskbar_changed || !docked_at_)) {
        const POINT at = DockedOn(monitor);
        docked_at_ = true;
        const RECT r = Rect();
        if (at.x != r.left || at.y != r.top)
            ::SetWindowPos(wnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Bar::ApplyView(BarView view) {
    if (view == view_) return;
    view_ = view;
    ++view_changes_;
    if (view == BarView::Shown) {
        ::SetWindowPos(wnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
        if (dragging_) EndDrag();
        ::ShowWindow(wnd_, SW_HIDE);
    }
}

void Bar::PaintGrip() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd_, &ps);
    RECT client;
    ::GetClientRect(wnd_, &client);
    for (RECT r : GripRidges(client, dpi_, host_.Orientation() == StripOrientation::Vertical))
        ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    ::EndPaint(wnd_, &ps);
}

void Bar::FollowPointer() {
    POINT now;
    ::GetCursorPos(&now);
    ::SetWindowPos(wnd_, nullptr, drag_origin_.x + now.x - drag_from_.x, drag_origin_.y + now.y - drag_from_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Bar::EndDrag() {
    if (!dragging_) return;
    dragging_ = false;
    ::KillTimer(wnd_, kDragTimer);
    if (::GetCapture() == wnd_) ::ReleaseCapture();
    const POINT at = Origin(Rect());
    if (at.x != drag_origin_.x || at.y != drag_origin_.y) {
        docked_ = false;
        SaveBarPosition(arrangement_, at);
    }
}

void Bar::ShowMenu(POINT at) {
    HMENU menu = CreateBarMenu();
    if (!menu) return;
    ::SetForegroundWindow(wnd_);
    const UINT chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, wnd_, nullptr);
    ::DestroyMenu(menu);
    if (chosen) ::PostMessageW(wnd_, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

LRESULT Bar::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        // A remote control: clicks on it leave the focus where it is (the
        // player is brought forward by the band itself).
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:  // on the grip or margin: the bar follows the pointer
        ::GetCursorPos(&drag_from_);
        drag_origin_ = Origin(Rect());
        dragging_ = true;
        ::SetCapture(wnd_);
        // Capture alone brings no moves while another program is in the
        // foreground: the pointer is also polled, only until the button is up.
        ::SetTimer(wnd_, kDragTimer, 15, nullptr);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) FollowPointer();
        return 0;
    case WM_TIMER:
        if (wp != kDragTimer) break;
        if (dragging_) FollowPointer();
        if (!(::GetAsyncKeyState(::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000)) EndDrag();
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) FollowPointer();
        EndDrag();
        return 0;
    case WM_CAPTURECHANGED:
        EndDrag();
        return 0;
    case WM_PAINT:
        PaintGrip();
        return 0;
    case WM_RBUTTONUP: {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ::ClientToScreen(wnd_, &at);
        ShowMenu(at);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kStartWithWindowsCommand:
            SetStartWithWindows(!StartsWithWindows());
            return 0;
        case kResetPositionCommand:
            ForgetBarPosition(arrangement_);
            docked_ = true;
            Update(true);
            return 0;
        case kSkinSettingsCommand:
            OpenSkinSettings();
            return 0;
        case kCloseCommand:
            ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
            return 0;
        default:
            break;
        }
        break;
    case kAppBarMessage:
        if (wp == ABN_FULLSCREENAPP) shell_full_screen_ = lp != 0;
        if (wp == ABN_FULLSCREENAPP || wp == ABN_STATECHANGE || wp == ABN_POSCHANGED)
            Update(wp != ABN_FULLSCREENAPP);
        return 0;
    case WM_DISPLAYCHANGE:
        Arrange();
        Update(true);
        break;
    case WM_SETTINGCHANGE:
        if (wp == SPI_SETWORKAREA) Update(true);
        break;
    case WM_DPICHANGED: {
        // Windows suggests a rectangle at the new density that keeps the bar
        // where it was; the band follows on its own notice of the change.
        dpi_ = LOWORD(wp);
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        if (suggested)
            ::SetWindowPos(wnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        band_refitted_ = false;
        Fit();
        ::PostMessageW(wnd_, kCheckBandDensity, 0, 0);
        return 0;
    }
    case kCheckBandDensity:
        // A system that tells only the top-level window: the band hears it
        // from the bar, with the density, and reports its new sizes through
        // the site.
        if (!band_refitted_ && host_.BandWindow())
            ::SendMessageW(host_.BandWindow(), kDpiChangedAfterParent, MAKEWPARAM(dpi_, dpi_), 0);
        Update(true);
        return 0;
    case WM_CLOSE:
        // The band is closed through its site protocol before the strip goes.
        // A modal loop (a menu, a move) may swallow the quit message: the flag
        // and a message to wake the main loop make sure it ends.
        if (!docked_) SaveBarPosition(arrangement_, Origin(Rect()));
        closing = true;
        ::PostQuitMessage(0);
        ::PostMessageW(wnd_, WM_NULL, 0, 0);
        return 0;
    default:
        if (msg == counters_message_ && counters_message_) {
            switch (wp) {
            case kTimerTicks:
                return timer_ticks_;
            case kPaints:
                return paints_;
            case kWinEvents:
                return win_events_;
            case kViewChanges:
                return view_changes_;
            case kAppBar:
                return appbar_ ? 1 : 0;
            default:
                return -1;
            }
        }
        if (msg == taskbar_created_message_ && taskbar_created_message_) {
            // The shell (re)started: a new taskbar to dock on, a new appbar
            // list; or it came up after the bar, whose first registration
            // failed. A shell that still holds the bar refuses the second
            // registration, and the first stands.
            appbar_ = RegisterAppBar() || appbar_;
            Update(true);
            return 0;
        }
        break;
    }
    return ::CallWindowProcW(strip_proc, wnd_, msg, wp, lp);
}

void Fail(const wchar_t* text) { ::MessageBoxW(nullptr, text, kBarTitle, MB_ICONERROR | MB_OK); }

int RunBar() {
    CallLog log;  // kept in memory only: a GUI program has no console
    CLSID clsid{};
    bool found = false;
    for (const BandClass& band : EnumerateDeskBands(log)) {
        if (band.name == kBandName) {
            clsid = band.clsid;
            found = true;
            break;
        }
    }
    if (!found) {
        Fail(L"VelmapBand is not registered. Install it again.");
        return 1;
    }
    BandHost host(log, StripOrientation::Horizontal);
    if (FAILED(host.Create(clsid)) || FAILED(host.Show())) {
        Fail(L"The VelmapBand toolbar could not be shown.");
        return 1;
    }
    // The log would grow with every size query: only the start is kept.
    log.Clear();
    Bar bar(host);
    the_bar = &bar;
    bar.Start();

    MSG msg;
    while (!bar.closing && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        bar.Count(msg);
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    bar.Stop();
    the_bar = nullptr;
    const HRESULT closed = host.Close();
    return FAILED(closed) ? 1 : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
    // --start-with-windows: the installer's first start, through the shell and
    // so as the signed-in user, turns the setting on in that user's hive.
    if (command_line && std::wstring_view(command_line).find(kStartWithWindowsArgument) != std::wstring_view::npos)
        SetStartWithWindows(true);
    // The running bar owns the mutex for its whole life.
    HANDLE instance = ::CreateMutexW(nullptr, TRUE, kInstanceMutex);
    const DWORD opened = ::GetLastError();
    auto bring_forward = [] {
        HWND first = ::FindWindowW(kStripClass, kBarTitle);
        if (!first) return false;
        ::SetWindowPos(first, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::FlashWindow(first, TRUE);
        return true;
    };
    if (!instance) {
        // A mutex this process may not open belongs to a bar of another
        // security context in this session (an elevated one): it is running.
        if (opened != ERROR_ACCESS_DENIED) return 1;
        bring_forward();
        return 0;
    }
    if (opened == ERROR_ALREADY_EXISTS) {
        if (bring_forward()) {
            ::CloseHandle(instance);
            return 0;
        }
        // No bar window: the other one is starting or just closing. Once it
        // has gone this start becomes the bar; while it starts, it is the bar.
        const DWORD waited = ::WaitForSingleObject(instance, kTakeOverMs);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            ::CloseHandle(instance);
            return 0;
        }
    }
    // The density awareness (per monitor, version 2) comes from the manifest.
    int code = 1;
    if (SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        code = RunBar();
        ::CoFreeUnusedLibraries();
        ::CoUninitialize();
    }
    ::ReleaseMutex(instance);
    ::CloseHandle(instance);
    return code;
}
