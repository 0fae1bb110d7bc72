// VelmapBar.exe as a user meets it: the band in a floating tool window, one
// instance at a time, clicks reaching the stand-in player, dragged by its grip
// and found where it was left on the next start; docked on a stand-in taskbar,
// out of the way of a full-screen window and of the tucked-away taskbar, idle
// while nothing changes, and its Start with Windows item.
#include "band_harness.h"
#include "bar_hooks.h"
#include "bar_placement.h"
#include "bar_settings.h"
#include "player_process.h"
#include "screenshot.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmap::test {
namespace {

using tools::kBarSettingsKey;
using tools::kRunKey;
using tools::kRunValue;
using tools::kBarTitle;
using tools::kStripClass;
using tools::PumpMessages;

TEST(BarPlacement, DocksOnTheAnchorOrTheWorkAreaCornerAndStaysInside) {
    const RECT work{0, 0, 1280, 760};
    const struct {
        SIZE bar;
        std::optional<RECT> anchor;
        POINT expected;
    } cases[] = {
        {{180, 33}, RECT{1100, 760, 1270, 800}, {1090, 727}},  // right-aligned on the tray, just above it
        {{180, 33}, std::nullopt, {1100, 727}},                 // no taskbar: the work area's corner
        {{180, 33}, RECT{0, 0, 60, 40}, {0, 0}},                // a tray at the top left: kept on screen
        {{1400, 900}, std::nullopt, {0, 0}},                    // larger than the work area
    };
    for (const auto& c : cases) {
        const POINT at = tools::DockedPosition(c.bar, work, c.anchor);
        EXPECT_EQ(c.expected.x, at.x);
        EXPECT_EQ(c.expected.y, at.y);
    }
    // Beside a taskbar at a side edge: against its inner side, just above
    // its notification area (or its end), inside the work area.
    const struct {
        RECT work, taskbar;
        std::optional<RECT> tray;
        POINT expected;
    } beside[] = {
        {{62, 0, 1280, 800}, {0, 0, 62, 800}, RECT{0, 600, 62, 800}, {62, 424}},      // at the left
        {{0, 0, 1218, 800}, {1218, 0, 1280, 800}, RECT{1218, 600, 1280, 800}, {1185, 424}},  // at the right
        {{62, 0, 1280, 800}, {0, 0, 62, 800}, std::nullopt, {62, 624}},               // no notification area
        {{62, 0, 1280, 800}, {0, 0, 62, 800}, RECT{0, 0, 62, 100}, {62, 0}},          // kept in the work area
    };
    for (const auto& c : beside) {
        EXPECT_TRUE(tools::TaskbarIsVertical(c.taskbar));
        const POINT at = tools::DockedBeside({33, 176}, c.work, c.taskbar, c.tray);
        EXPECT_EQ(c.expected.x, at.x);
        EXPECT_EQ(c.expected.y, at.y);
    }
    EXPECT_FALSE(tools::TaskbarIsVertical({0, 760, 1280, 800}));
}

TEST(BarPlacement, FullScreenMeansTheWholeMonitorAndNeverTheShell) {
    const RECT monitor{1920, 0, 3840, 1080};  // a second monitor
    const struct {
        RECT rect;
        const wchar_t* cls;
        bool maximised_with_caption, shell_or_own;
        bool expected;
    } cases[] = {
        {{1920, 0, 3840, 1080}, L"GameWindow", false, false, true},
        {{1910, -10, 3850, 1090}, L"GameWindow", false, false, true},    // larger than the monitor
        {{1912, -8, 3848, 1088}, L"Notepad", true, false, false},        // maximised, taskbar auto-hiding
        {{1920, 0, 3840, 1040}, L"Notepad", false, false, false},        // covers only the work area
        {{0, 0, 1920, 1080}, L"GameWindow", false, false, false},        // full screen on the other monitor
        {{1920, 0, 3840, 1080}, L"Progman", false, false, false},        // the desktop
        {{1920, 0, 3840, 1080}, L"WorkerW", false, false, false},
        {{1920, 0, 3840, 1080}, L"Shell_SecondaryTrayWnd", false, false, false},
        {{1920, 0, 3840, 1080}, L"Anything", false, true, false},        // the desktop window, or the bar's own
    };
    for (const auto& c : cases) {
        const tools::ForegroundFacts fg{c.rect, c.cls, c.maximised_with_caption, c.shell_or_own};
        EXPECT_EQ(c.expected, tools::IsFullScreenOn(monitor, fg)) << std::wstring(c.cls).size() << " " << c.rect.left;
    }
}

TEST(BarPlacement, HidesForFullScreenAndWithATuckedAwayTaskbar) {
    using tools::BarView;
    const RECT monitor{0, 0, 1920, 1080};
    const struct {
        bool full_screen;
        std::optional<RECT> taskbar;
        BarView expected;
    } cases[] = {
        {false, RECT{0, 1032, 1920, 1080}, BarView::Shown},
        {false, std::nullopt, BarView::Shown},
        {true, RECT{0, 1032, 1920, 1080}, BarView::HiddenForFullScreen},
        {false, RECT{0, 1078, 1920, 1126}, BarView::HiddenWithTaskbar},  // auto-hidden: a 2-pixel sliver
        {false, RECT{0, 1060, 1920, 1108}, BarView::Shown},              // sliding in
        {false, RECT{0, 1080, 1920, 1128}, BarView::HiddenWithTaskbar},  // wholly off screen
        {false, RECT{-46, 0, 2, 1080}, BarView::HiddenWithTaskbar},      // on the left edge
        {false, RECT{1872, 0, 1920, 1080}, BarView::Shown},              // on the right edge, shown
        {false, RECT{0, -46, 1920, 2}, BarView::HiddenWithTaskbar},      // at the top
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, tools::DecideView(monitor, c.full_screen, c.taskbar)) << c.taskbar.has_value();
}

TEST(BarPlacement, ArrangementsAndDensity) {
    const RECT a{0, 0, 1920, 1080}, b{1920, -200, 4480, 1240};
    EXPECT_EQ(tools::ArrangementName({a, b}), tools::ArrangementName({b, a}));
    EXPECT_NE(tools::ArrangementName({a, b}), tools::ArrangementName({a}));
    EXPECT_NE(tools::ArrangementName({a, b}), tools::ArrangementName({a, RECT{-2560, 0, 0, 1440}}));
    EXPECT_TRUE(tools::ShownWhole({1800, 1000, 1900, 1030}, {a, b}));
    EXPECT_FALSE(tools::ShownWhole({1900, 1000, 2000, 1030}, {a, b}));  // across two monitors
    EXPECT_FALSE(tools::ShownWhole({3000, 1300, 3100, 1330}, {a}));     // its monitor is gone
    // The band's own size grows with the density; the bar's frame with it.
    EXPECT_EQ(180L, tools::BarSize({164, 25}, 96).cx);
    EXPECT_EQ(270L, tools::BarSize({246, 38}, 144).cx);
    EXPECT_EQ(50L, tools::BarSize({246, 38}, 144).cy);
    // Vertical: the grip across the top, above the column.
    EXPECT_EQ(33L, tools::BarSize({25, 160}, 96, true).cx);
    EXPECT_EQ(176L, tools::BarSize({25, 160}, 96, true).cy);
    EXPECT_EQ(12L, tools::BandOffset(96, true).y);
}

// Only moves of the window in front and of the taskbar reach the bar's
// handler. The stand-in system delivers an event raised on a thread to the
// hooks of that thread and of every thread (0), as Windows does; Wine 8
// refuses a hook of another process's thread.
TEST(BarMoves, HooksOnlyTheThreadsOfTheWindowInFrontAndOfTheTaskbar) {
    static const DWORD kThreadOf[] = {0, 11, 22, 33, 11, 55, 66};  // of window n; its process: thread * 10
    std::map<HWINEVENTHOOK, DWORD> hooks;                          // handle: thread
    std::uintptr_t asked = 0;
    const auto hook = [&](DWORD, DWORD thread) -> HWINEVENTHOOK {
        const auto h = reinterpret_cast<HWINEVENTHOOK>(++asked);
        if (thread == 66) return nullptr;  // refused
        hooks[h] = thread;
        return h;
    };
    const auto thread_of = [](HWND w, DWORD* process) {
        *process = 10 * kThreadOf[reinterpret_cast<std::uintptr_t>(w)];
        return *process / 10;
    };
    tools::MoveHooks moves({thread_of, hook, [&](HWINEVENTHOOK h) { EXPECT_EQ(1u, hooks.erase(h)); }}, 550);
    const auto reach = [&](DWORD raised_on) {
        return std::count_if(hooks.begin(), hooks.end(), [&](auto& h) { return !h.second || h.second == raised_on; });
    };
    const struct {
        std::uintptr_t foreground, taskbar;
        std::multiset<DWORD> hooked;
        std::uintptr_t asked;
    } steps[] = {
        {1, 2, {11, 22}, 2}, {4, 2, {11, 22}, 2},  // the same thread in front: hooked as it was
        {3, 2, {22, 33}, 3}, {2, 2, {22}, 3},      // the taskbar in front: one hook
        {5, 2, {22}, 3},                           // the bar's own menu
        {6, 2, {0, 22}, 5},  {6, 2, {0, 22}, 5},   // refused: every thread's, and not asked again
        {1, 2, {11, 22}, 6}, {0, 0, {}, 6},
    };
    for (const auto& step : steps) {
        moves.Follow(reinterpret_cast<HWND>(step.foreground), reinterpret_cast<HWND>(step.taskbar));
        std::multiset<DWORD> hooked;
        for (const auto& [h, thread] : hooks) hooked.insert(thread);
        EXPECT_EQ(step.hooked, hooked) << step.foreground;
        EXPECT_EQ(step.asked, asked) << step.foreground;
        if (step.foreground == 1) {  // thread 33: another window, or the pointer moved over it
            EXPECT_TRUE(reach(33) == 0 && reach(11) == 1 && reach(22) == 1);
        }
    }
}

// One run of VelmapBar.exe.
class BarProcess {
public:
    explicit BarProcess(const wchar_t* args = nullptr) {
        std::wstring command = L"\"" + WindowsPath(VELMAP_BAR_EXE) + L"\"";
        if (args) command += std::wstring(L" ") + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ::CloseHandle(pi.hThread);
            process_ = pi.hProcess;
        }
    }
    ~BarProcess() {
        if (!process_) return;
        if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            if (HWND bar = ::FindWindowW(kStripClass, kBarTitle)) ::PostMessageW(bar, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(process_, 10000) == WAIT_TIMEOUT) ::TerminateProcess(process_, 99);
        }
        ::CloseHandle(process_);
    }
    BarProcess(const BarProcess&) = delete;
    BarProcess& operator=(const BarProcess&) = delete;

    HWND WaitForBar(DWORD ms) const {
        for (DWORD waited = 0; waited < ms; waited += 50) {
            HWND bar = ::FindWindowW(kStripClass, kBarTitle);
            if (bar && ::IsWindowVisible(bar)) return bar;
            // Pumping: the bar may talk to the test's stand-in taskbar.
            PumpMessages(50);
            if (!process_ || ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }
    // The exit code, or -1 while still running after ms.
    long WaitForExit(DWORD ms) const {
        DWORD code = 0;
        if (!process_ || ::WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return -1;
        ::GetExitCodeProcess(process_, &code);
        return static_cast<long>(code);
    }

private:
    HANDLE process_ = nullptr;
};

int CountBars() {
    int count = 0;
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, kStripClass, kBarTitle)) != nullptr) ++count;
    return count;
}

std::optional<POINT> SavedPosition() { return tools::LoadBarPosition(tools::ArrangementName(tools::MonitorRects())); }

class VelmapBar : public RegisteredBand {
protected:
    static void TearDownTestSuite() {
        RegisteredBand::TearDownTestSuite();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kBarSettingsKey);
    }
    void SetUp() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kBarSettingsKey); }
    void TearDown() override {
        MovePointerAway();
        tools::SetStartWithWindows(false);
    }
};

TEST_F(VelmapBar, DocksAsAToolWindowRunsOnceAndItsClicksReachThePlayer) {
    tools::PlayerProcess player;
    ASSERT_TRUE(player.Start(VELMAP_PLAYER_EXE, std::string(VELMAP_TEST_BINARY_DIR) + "/velmapbar-player.log", 60000));
    ASSERT_NE(nullptr, player.WaitForWindow(20000));

    BarProcess first;
    HWND bar = first.WaitForBar(20000);
    ASSERT_NE(nullptr, bar);
    const LONG_PTR ex_style = ::GetWindowLongPtrW(bar, GWL_EXSTYLE);
    EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);  // no taskbar button
    EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
    EXPECT_FALSE(ex_style & WS_EX_APPWINDOW);

    RECT r, work;
    ::GetWindowRect(bar, &r);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const auto taskbar = tools::FindTaskbar(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    const auto tray = taskbar ? taskbar->notification_area : std::nullopt;
    EXPECT_EQ(tray ? tray->right : work.right, r.right);
    EXPECT_EQ(tray ? tray->top : work.bottom, r.bottom);

    BarProcess second;
    EXPECT_EQ(0, second.WaitForExit(20000));
    EXPECT_EQ(-1, first.WaitForExit(0));
    EXPECT_EQ(1, CountBars());

    HWND band = ::FindWindowExW(bar, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, band);
    ClickAt(tools::ButtonCenterOnScreen(band, tools::BandButton::Next));
    PumpMessages(550);
    ClickAt(tools::ButtonCenterOnScreen(band, tools::BandButton::VolUp));
    EXPECT_EQ(player.WaitForLines(2, 10000), (std::vector<std::string>{"Ctrl+Alt+B", "Ctrl+Alt+Q"}));
    EXPECT_EQ(0, player.Stop());
}

TEST_F(VelmapBar, AStartWhileTheLastBarIsStillClosingTakesOverOnceItHasGone) {
    // The instance mutex held as by a bar that has closed its window but not
    // yet ended: the new start neither shows a second bar nor gives up.
    HANDLE closing = ::CreateMutexW(nullptr, TRUE, L"Local\\VelmapBar.Instance");
    ASSERT_NE(nullptr, closing);
    BarProcess late;
    EXPECT_EQ(-1, late.WaitForExit(700));
    EXPECT_EQ(0, CountBars());
    ::ReleaseMutex(closing);
    ::CloseHandle(closing);
    EXPECT_NE(nullptr, late.WaitForBar(20000));
}

TEST_F(VelmapBar, AnInstanceMutexItMayNotOpenIsABarAlreadyRunningAndTheFirstStartArgumentStillCounts) {
    // As an elevated bar's mutex is to the user's own start: no access at all.
    SECURITY_DESCRIPTOR sd;
    ACL acl;
    ASSERT_TRUE(::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(::InitializeAcl(&acl, sizeof acl, ACL_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE));
    SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
    HANDLE other = ::CreateMutexW(&sa, TRUE, L"Local\\VelmapBar.Instance");
    ASSERT_NE(nullptr, other);
    {
        BarProcess user_start(tools::kStartWithWindowsArgument);
        EXPECT_EQ(0, user_start.WaitForExit(10000));
        EXPECT_EQ(0, CountBars());
    }
    EXPECT_TRUE(tools::StartsWithWindows());
    ::ReleaseMutex(other);
    ::CloseHandle(other);
}

TEST_F(VelmapBar, ADraggedBarStartsWhereItWasLeftUnlessNoMonitorShowsThatPlace) {
    POINT moved{};
    {
        BarProcess bar_process;
        HWND bar = bar_process.WaitForBar(20000);
        ASSERT_NE(nullptr, bar);
        RECT before;
        ::GetWindowRect(bar, &before);
        const POINT grip{before.left + tools::kStripMargin + 2, (before.top + before.bottom) / 2};
        tools::MoveMouseTo(grip);
        PumpMessages(100);
        tools::LeftButton(true);
        PumpMessages(100);
        for (int step = 1; step <= 10; ++step) {
            tools::MoveMouseTo({grip.x - 30 * step, grip.y - 20 * step});
            PumpMessages(30);
        }
        tools::LeftButton(false);
        RECT after;
        for (int waited = 0; waited < 5000; waited += 50) {  // a busy machine may lag behind the pointer
            PumpMessages(50);
            ::GetWindowRect(bar, &after);
            if (after.left == before.left - 300 && after.top == before.top - 200) break;
        }
        EXPECT_EQ(before.left - 300, after.left);
        EXPECT_EQ(before.top - 200, after.top);
        moved = {after.left, after.top};
        ::PostMessageW(bar, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, bar_process.WaitForExit(20000));
    }
    const auto saved = SavedPosition();
    ASSERT_TRUE(saved);
    EXPECT_EQ(moved.x, saved->x);
    EXPECT_EQ(moved.y, saved->y);
    {
        BarProcess again;
        HWND bar = again.WaitForBar(20000);
        ASSERT_NE(nullptr, bar);
        RECT r;
        ::GetWindowRect(bar, &r);
        EXPECT_EQ(moved.x, r.left);
        EXPECT_EQ(moved.y, r.top);
        // Reset position: docked again, the remembered place forgotten.
        ::PostMessageW(bar, WM_COMMAND, tools::kResetPositionCommand, 0);
        RECT work;
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        for (int waited = 0; waited < 5000 && r.right != work.right; waited += 50) {
            PumpMessages(50);
            ::GetWindowRect(bar, &r);
        }
        EXPECT_EQ(work.right, r.right);
        EXPECT_EQ(work.bottom, r.bottom);
        EXPECT_FALSE(SavedPosition());
    }
    {
        // The one place an earlier version kept is still honoured.
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kBarSettingsKey);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kBarSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                                   nullptr, &key, nullptr));
        const DWORD left = 40, top = 50;
        ::RegSetValueExW(key, L"Left", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&left), sizeof left);
        ::RegSetValueExW(key, L"Top", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&top), sizeof top);
        ::RegCloseKey(key);
        BarProcess earlier;
        HWND bar = earlier.WaitForBar(20000);
        ASSERT_NE(nullptr, bar);
        RECT r;
        ::GetWindowRect(bar, &r);
        EXPECT_EQ(40, r.left);
        EXPECT_EQ(50, r.top);
    }
    ASSERT_TRUE(tools::SaveBarPosition(tools::ArrangementName(tools::MonitorRects()), {-5000, -5000}));
    {
        BarProcess off_screen;
        HWND bar = off_screen.WaitForBar(20000);
        ASSERT_NE(nullptr, bar);
        RECT r, work;
        ::GetWindowRect(bar, &r);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom);
    }
}

// A taskbar as the shell makes it, made by the test: "Shell_TrayWnd" along
// the bottom of the screen with its notification area on the right.
class StandInTaskbar {
public:
    static constexpr int kHeight = 40, kTrayWidth = 200;
    StandInTaskbar() {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
            wc.lpszClassName = L"Shell_TrayWnd";
            ::RegisterClassW(&wc);
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
            wc.lpszClassName = L"TrayNotifyWnd";
            return ::RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
        shown_ = {0, h - kHeight, w, h};
        wnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP | WS_VISIBLE, 0,
                                 h - kHeight, w, kHeight, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::CreateWindowExW(0, L"TrayNotifyWnd", L"", WS_CHILD | WS_VISIBLE, w - kTrayWidth, 0, kTrayWidth, kHeight, wnd_,
                          nullptr, ::GetModuleHandleW(nullptr), nullptr);
        PumpMessages(50);
    }
    ~StandInTaskbar() { ::DestroyWindow(wnd_); }
    StandInTaskbar(const StandInTaskbar&) = delete;
    StandInTaskbar& operator=(const StandInTaskbar&) = delete;

    // Dragged to the left edge, 62 pixels thick with the notification area
    // at its bottom end, or back along the bottom; the shell then tells the
    // appbars (here: the window event Windows raises for the move).
    void MoveToLeft(bool left) {
        const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
        shown_ = left ? RECT{0, 0, kSideWidth, h} : RECT{0, h - kHeight, w, h};
        ::SetWindowPos(wnd_, nullptr, shown_.left, shown_.top, shown_.right - shown_.left, shown_.bottom - shown_.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        HWND tray = ::FindWindowExW(wnd_, nullptr, L"TrayNotifyWnd", nullptr);
        if (left)
            ::SetWindowPos(tray, nullptr, 0, h - kTrayWidth, kSideWidth, kTrayWidth, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            ::SetWindowPos(tray, nullptr, w - kTrayWidth, 0, kTrayWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, wnd_, OBJID_WINDOW, CHILDID_SELF);
    }
    static constexpr int kSideWidth = 62;

    // Auto-hide: slid down until two pixels show, or back.
    void Tuck(bool away) {
        const int down = away ? kHeight - 2 : 0;
        ::SetWindowPos(wnd_, nullptr, shown_.left, shown_.top + down, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, wnd_, OBJID_WINDOW, CHILDID_SELF);
    }
    const RECT& Shown() const { return shown_; }
    HWND Window() const { return wnd_; }

private:
    HWND wnd_ = nullptr;
    RECT shown_{};
};

// Waits, pumping, until the bar's visibility is as wanted; the time it took in
// milliseconds, or -1.
long WaitForVisible(HWND bar, bool visible, DWORD ms) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if ((::IsWindowVisible(bar) != FALSE) == visible) return static_cast<long>(elapsed);
        if (elapsed > static_cast<long>(ms)) return -1;
        PumpMessages(2);
    }
}

// The bar on the stand-in taskbar, twice the real size, for the README.
void SavePicture(const RECT& bar, const RECT& taskbar) {
    PumpMessages(300);
    const RECT area{bar.left - 40, bar.top - 16, taskbar.right, taskbar.bottom};
    const std::string dir = std::string(VELMAP_TEST_BINARY_DIR) + "/artefacts";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "/velmapbar-on-taskbar.png";
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_TRUE(tools::SavePng(tools::Magnify(tools::CaptureScreen(area), 2), std::wstring(path.begin(), path.end())));
    if (SUCCEEDED(com)) ::CoUninitialize();
}

// Windows raises these window events itself; Wine 8 raises few of them (not
// the foreground change nor moves), so the test raises them where Windows
// would, and the bar hears them through its real hooks.
void Raise(DWORD event, HWND wnd) { ::NotifyWinEvent(event, wnd, OBJID_WINDOW, CHILDID_SELF); }

LRESULT Counter(HWND bar, tools::BarCounter which) {
    return ::SendMessageW(bar, ::RegisterWindowMessageW(tools::kBarCountersMessage), which, 0);
}

HWND TestWindow(DWORD style, const RECT& r) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = L"VelmapBarTestProgram";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return ::CreateWindowExW(0, L"VelmapBarTestProgram", L"program", style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

TEST_F(VelmapBar, StepsAsideForFullScreenProgramsAndTheTuckedAwayTaskbarAndIdlesMeanwhile) {
    StandInTaskbar taskbar;
    BarProcess bar_process;
    HWND bar = bar_process.WaitForBar(20000);
    ASSERT_NE(nullptr, bar);
    RECT r;
    ::GetWindowRect(bar, &r);
    EXPECT_EQ(taskbar.Shown().right, r.right);  // right-aligned on the notification area, just above it
    EXPECT_EQ(taskbar.Shown().top, r.bottom);
    SavePicture(r, taskbar.Shown());

    // Idle: nothing changes for two seconds, nothing ticks or paints.
    PumpMessages(500);
    const LRESULT ticks = Counter(bar, tools::kTimerTicks), paints = Counter(bar, tools::kPaints);
    PumpMessages(2000);
    EXPECT_EQ(ticks, Counter(bar, tools::kTimerTicks));
    EXPECT_EQ(paints, Counter(bar, tools::kPaints));
    std::printf("idle for 2 s: %ld timer ticks, %ld paints in all since the start\n", static_cast<long>(ticks),
                static_cast<long>(paints));

    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    {
        // A maximised window with a caption is not full screen, even placed as
        // Windows places it where the taskbar auto-hides: its frame past the
        // monitor's edges (Wine leaves a maximised window where it was).
        HWND maximised = TestWindow(WS_OVERLAPPEDWINDOW, {-8, -8, w + 8, h + 8});
        ::ShowWindow(maximised, SW_SHOWMAXIMIZED);
        ASSERT_TRUE(::IsZoomed(maximised));
        // Wine learns late that another process hooks window events: the
        // first event this thread raises may go nowhere. One the bar ignores.
        Raise(EVENT_OBJECT_LOCATIONCHANGE, maximised);
        PumpMessages(100);
        const LRESULT heard = Counter(bar, tools::kWinEvents);
        ::SetForegroundWindow(maximised);
        Raise(EVENT_SYSTEM_FOREGROUND, maximised);
        for (int waited = 0; waited < 5000 && Counter(bar, tools::kWinEvents) == heard; waited += 20) PumpMessages(20);
        PumpMessages(300);
        EXPECT_LT(heard, Counter(bar, tools::kWinEvents));  // the bar did weigh it
        EXPECT_EQ(maximised, ::GetForegroundWindow());
        EXPECT_TRUE(::IsWindowVisible(bar));
        ::DestroyWindow(maximised);
    }
    for (int round = 0; round < 3; ++round) {
        HWND full = TestWindow(WS_POPUP, {0, 0, w, h});
        ::ShowWindow(full, SW_SHOW);
        ::SetForegroundWindow(full);
        Raise(EVENT_SYSTEM_FOREGROUND, full);
        const long hidden_after = WaitForVisible(bar, false, 5000);
        EXPECT_GE(hidden_after, 0) << "the bar stayed over a full-screen window";
        ::ShowWindow(full, SW_HIDE);
        Raise(EVENT_OBJECT_HIDE, full);
        ::DestroyWindow(full);
        const long shown_after = WaitForVisible(bar, true, 5000);
        EXPECT_GE(shown_after, 0) << "the bar did not come back";
        std::printf("full screen: hidden after %ld ms, shown %ld ms after it closed\n", hidden_after, shown_after);
    }

    taskbar.Tuck(true);
    const long tucked_after = WaitForVisible(bar, false, 5000);
    EXPECT_GE(tucked_after, 0) << "the bar stayed without its taskbar";
    taskbar.Tuck(false);
    const long back_after = WaitForVisible(bar, true, 5000);
    EXPECT_GE(back_after, 0);
    std::printf("taskbar tucked away: hidden after %ld ms, shown %ld ms after it slid in\n", tucked_after, back_after);
    ::GetWindowRect(bar, &r);
    EXPECT_EQ(taskbar.Shown().top, r.bottom);

    PumpMessages(500);
    const LRESULT events = Counter(bar, tools::kWinEvents);
    PumpMessages(1000);
    EXPECT_EQ(events, Counter(bar, tools::kWinEvents));
    EXPECT_EQ(ticks, Counter(bar, tools::kTimerTicks));
    std::printf("window events that reached the bar's decision: %ld\n", static_cast<long>(events));
}

// A full-screen window in front when the bar starts keeps it hidden; its
// move out of full screen brings the bar back. A shell that refused the bar
// as an appbar at start takes it when it comes up.
TEST_F(VelmapBar, AFullScreenWindowAtTheStartHidesItAndALateShellRegistersIt) {
    StandInTaskbar taskbar;
    // Wine's shell serves appbars through a window of this class, found by
    // its name: the test's own, found first, refuses as a shell not yet up.
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WineAppBar";
    ::RegisterClassW(&wc);
    HWND refusing_shell = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                            wc.hInstance, nullptr);
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    HWND full = TestWindow(WS_POPUP, {0, 0, w, h});
    ::ShowWindow(full, SW_SHOW);
    ::SetForegroundWindow(full);

    BarProcess bar_process;
    HWND bar = nullptr;
    for (int waited = 0; waited < 20000 && !bar; waited += 50) {
        PumpMessages(50);
        bar = ::FindWindowW(kStripClass, kBarTitle);  // titled once started
    }
    ASSERT_NE(nullptr, bar);
    PumpMessages(500);
    EXPECT_FALSE(::IsWindowVisible(bar));
    EXPECT_EQ(0, Counter(bar, tools::kAppBar));

    ::SetWindowPos(full, nullptr, 100, 100, w / 2, h / 2, SWP_NOZORDER | SWP_NOACTIVATE);
    // Wine keeps in each thread whether window events are hooked and learns
    // it again when the thread takes a message; this one last took one
    // before the bar started.
    ::PostMessageW(full, WM_NULL, 0, 0);
    PumpMessages(50);
    Raise(EVENT_OBJECT_LOCATIONCHANGE, full);
    EXPECT_GE(WaitForVisible(bar, true, 5000), 0) << "the bar stayed hidden";

    ::DestroyWindow(refusing_shell);
    ::PostMessageW(bar, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    for (int waited = 0; waited < 5000 && Counter(bar, tools::kAppBar) != 1; waited += 50) PumpMessages(50);
    EXPECT_EQ(1, Counter(bar, tools::kAppBar));
    ::DestroyWindow(full);
}

TEST_F(VelmapBar, StartWithWindowsWritesAndRemovesTheRunValueAndNoPlayerLeavesItResponsive) {
    BarProcess bar_process;
    HWND bar = bar_process.WaitForBar(20000);
    ASSERT_NE(nullptr, bar);
    // No player runs: a click finds nobody to tell, and the bar answers at once.
    HWND band = ::FindWindowExW(bar, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, band);
    ClickAt(tools::ButtonCenterOnScreen(band, tools::BandButton::PlayPause));
    DWORD_PTR answer = 0;
    EXPECT_NE(0, ::SendMessageTimeoutW(bar, ::RegisterWindowMessageW(tools::kBarCountersMessage), tools::kViewChanges, 0,
                                       SMTO_ABORTIFHUNG, 2000, &answer));
    EXPECT_EQ(-1, bar_process.WaitForExit(0));
    const auto run_value = []() -> std::optional<std::wstring> {
        wchar_t data[1024];
        DWORD bytes = sizeof data;
        if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data, &bytes) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(data);
    };
    const auto menu_checked = [] {
        HMENU menu = tools::CreateBarMenu();
        const bool checked = ::GetMenuState(menu, tools::kStartWithWindowsCommand, MF_BYCOMMAND) & MF_CHECKED;
        ::DestroyMenu(menu);
        return checked;
    };
    EXPECT_FALSE(menu_checked());
    ::PostMessageW(bar, WM_COMMAND, tools::kStartWithWindowsCommand, 0);
    for (int waited = 0; waited < 5000 && !run_value(); waited += 50) PumpMessages(50);
    const auto value = run_value();
    ASSERT_TRUE(value);
    // The program itself, quoted.
    const std::wstring exe = WindowsPath(VELMAP_BAR_EXE);
    EXPECT_EQ(L"\"" + exe + L"\"", *value) << value->size();
    EXPECT_TRUE(menu_checked());

    ::PostMessageW(bar, WM_COMMAND, tools::kStartWithWindowsCommand, 0);
    for (int waited = 0; waited < 5000 && run_value(); waited += 50) PumpMessages(50);
    EXPECT_FALSE(run_value());
    EXPECT_FALSE(menu_checked());
}

TEST_F(VelmapBar, ADensityChangeResizesTheBandAndTheBarAroundIt) {
    StandInTaskbar taskbar;
    BarProcess bar_process;
    HWND bar = bar_process.WaitForBar(20000);
    ASSERT_NE(nullptr, bar);
    HWND band = ::FindWindowExW(bar, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, band);
    RECT before;
    ::GetWindowRect(band, &before);
    // Wine sends no density change, and a suggested rectangle cannot cross
    // processes here: the test sends the change without one, as a monitor of
    // 144 dpi would, and the system's notice to the band is left to the bar.
    ::SendMessageW(bar, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    RECT band_rect = before, bar_rect{};
    for (int waited = 0; waited < 5000; waited += 50) {
        PumpMessages(50);
        ::GetWindowRect(band, &band_rect);
        ::GetWindowRect(bar, &bar_rect);
        const SIZE expected = tools::BarSize({band_rect.right - band_rect.left, band_rect.bottom - band_rect.top}, 144);
        if (band_rect.bottom - band_rect.top > before.bottom - before.top &&
            bar_rect.right - bar_rect.left == expected.cx && bar_rect.bottom - bar_rect.top == expected.cy)
            break;
    }
    // The band made again at one and a half times its height (its width as
    // its own layout gives it), the bar fitted around it with its grip and
    // margin grown too, still docked.
    EXPECT_NEAR(1.5 * (before.bottom - before.top), band_rect.bottom - band_rect.top, 1.0);
    EXPECT_GT(band_rect.right - band_rect.left, 1.4 * (before.right - before.left));
    const SIZE expected = tools::BarSize({band_rect.right - band_rect.left, band_rect.bottom - band_rect.top}, 144);
    EXPECT_EQ(expected.cx, bar_rect.right - bar_rect.left);
    EXPECT_EQ(expected.cy, bar_rect.bottom - bar_rect.top);
    EXPECT_EQ(band_rect.left - bar_rect.left, tools::BarMargin(144) + tools::BarGripWidth(144));
    EXPECT_EQ(taskbar.Shown().right, bar_rect.right);
    EXPECT_EQ(taskbar.Shown().top, bar_rect.bottom);
}

// The taskbar dragged to the left edge: the bar docks beside it just above
// its notification area, with the band as a column; dragged back, the bar
// is a row on the bottom taskbar again.
TEST_F(VelmapBar, FollowsTheTaskbarToTheLeftEdgeAndBack) {
    StandInTaskbar taskbar;
    BarProcess bar_process;
    HWND bar = bar_process.WaitForBar(20000);
    ASSERT_NE(nullptr, bar);
    HWND band = ::FindWindowExW(bar, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, band);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    // Wine learns late that another process hooks window events: the move's
    // event is raised again until the bar has heard one.
    const auto wait_for = [&](auto&& done) {
        RECT r{};
        for (int waited = 0; waited < 5000; waited += 50) {
            PumpMessages(50);
            ::GetWindowRect(bar, &r);
            if (done(r)) break;
            if (waited % 500 == 450) Raise(EVENT_OBJECT_LOCATIONCHANGE, taskbar.Window());
        }
        return r;
    };
    PumpMessages(300);
    taskbar.MoveToLeft(true);
    RECT r = wait_for([&](const RECT& b) { return b.left == StandInTaskbar::kSideWidth; });
    EXPECT_EQ(StandInTaskbar::kSideWidth, r.left);
    EXPECT_EQ(h - StandInTaskbar::kTrayWidth, r.bottom);
    RECT column;
    ::GetWindowRect(band, &column);
    EXPECT_EQ(25, column.right - column.left);
    EXPECT_EQ(160, column.bottom - column.top);
    EXPECT_EQ(tools::BarSize({25, 160}, 96, true).cx, r.right - r.left);
    EXPECT_EQ(tools::BarSize({25, 160}, 96, true).cy, r.bottom - r.top);
    {
        // For the README: the bar beside the stand-in taskbar, twice the size.
        PumpMessages(300);
        const RECT area{0, r.top - 16, r.right + 40, h};
        const std::string path = std::string(VELMAP_TEST_BINARY_DIR) + "/artefacts/velmapbar-on-side-taskbar.png";
        ::CreateDirectoryA((std::string(VELMAP_TEST_BINARY_DIR) + "/artefacts").c_str(), nullptr);
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_TRUE(tools::SavePng(tools::Magnify(tools::CaptureScreen(area), 2), std::wstring(path.begin(), path.end())));
        if (SUCCEEDED(com)) ::CoUninitialize();
    }

    taskbar.MoveToLeft(false);
    r = wait_for([&](const RECT& b) { return b.bottom == taskbar.Shown().top && b.right - b.left > b.bottom - b.top; });
    EXPECT_EQ(taskbar.Shown().top, r.bottom);
    EXPECT_EQ(taskbar.Shown().right, r.right);
    ::GetWindowRect(band, &column);
    EXPECT_EQ(160, column.right - column.left);
    EXPECT_EQ(25, column.bottom - column.top);
}

}  // namespace
}  // namespace velmap::test
