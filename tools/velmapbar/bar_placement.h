// Where the floating bar sits and when it steps aside. The decisions are plain
// functions over rectangles and window facts, so every case can be checked
// without a screen; the few functions at the end read the real desktop.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmap::tools {

inline constexpr wchar_t kBarTitle[] = L"VelmapBar";

// Right-aligned on the anchor (the notification area, or the taskbar where it
// has none) and just above it; without an anchor, the work area's bottom-right
// corner. Always kept inside the work area.
POINT DockedPosition(SIZE bar, const RECT& work_area, const std::optional<RECT>& anchor);

// Whether a taskbar lies along the left or right edge of its monitor.
bool TaskbarIsVertical(const RECT& taskbar);

// Beside a taskbar at the left or right edge: in the work area against the
// taskbar's inner side, just above the notification area (above the
// taskbar's end where it has none). Always kept inside the work area.
POINT DockedBeside(SIZE bar, const RECT& work_area, const RECT& taskbar, const std::optional<RECT>& notification_area);

// An auto-hiding taskbar slides off its monitor's edge and leaves a sliver
// of a few pixels; one showing less than that (or nothing) is tucked away.
bool TaskbarTuckedAway(const RECT& monitor, const RECT& taskbar);

// The foreground window as the full-screen rule sees it.
struct ForegroundFacts {
    RECT rect{};
    std::wstring_view class_name;
    bool maximised_with_caption = false;  // an ordinary maximised window
    bool shell_or_own = false;            // the desktop, the shell's windows, this program's
};

// Whether these classes belong to the shell's desktop and taskbars.
bool IsShellClass(std::wstring_view class_name);

// A program is full screen on a monitor when its foreground window covers the
// whole monitor, not only the work area. A maximised window with a caption
// covers the monitor only where the taskbar auto-hides, so it never counts;
// neither do the desktop and the shell's own windows.
bool IsFullScreenOn(const RECT& monitor, const ForegroundFacts& foreground);

enum class BarView { Shown, HiddenForFullScreen, HiddenWithTaskbar };

// What the bar does: a full-screen program on its monitor hides it, and so
// does that monitor's taskbar tucked away; otherwise it shows.
BarView DecideView(const RECT& monitor, bool full_screen, const std::optional<RECT>& taskbar);

// A name for the arrangement of monitors (their rectangles, in any order),
// under which the bar's place on that arrangement is remembered.
std::wstring ArrangementName(std::vector<RECT> monitors);

// Whether some monitor shows the whole rectangle.
bool ShownWhole(const RECT& r, const std::vector<RECT>& monitors);

// The bar around a band of the given size at a density (pixels per inch): the
// margin and grip grow with the density.
// A vertical bar has its grip across the top, above a column band.
SIZE BarSize(SIZE band, int dpi, bool vertical = false);
int BarMargin(int dpi);
int BarGripWidth(int dpi);
// Where the band's window sits in the bar.
POINT BandOffset(int dpi, bool vertical);
// The raised ridges of the grip in the bar's client area: upright ones at
// the left of a horizontal bar, lying ones at the top of a vertical bar.
std::vector<RECT> GripRidges(const RECT& client, int dpi, bool vertical);

// ---- the real desktop ---------------------------------------------------------------

struct TaskbarFacts {
    HWND window = nullptr;
    RECT rect{};
    std::optional<RECT> notification_area;
};

// The visible taskbar on a monitor: "Shell_TrayWnd" (with its notification
// area) on the primary, "Shell_SecondaryTrayWnd" on the others.
std::optional<TaskbarFacts> FindTaskbar(HMONITOR monitor);

std::vector<RECT> MonitorRects();

// The foreground window described for IsFullScreenOn.
ForegroundFacts DescribeForeground(HWND window, std::wstring& class_buffer);

}  // namespace velmap::tools
