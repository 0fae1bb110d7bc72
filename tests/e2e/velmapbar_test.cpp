// VelmapBar.exe as a user meets it: the band in a floating tool window, one
// instance at a time, clicks reaching the stand-in player, dragged by its grip
// and found where it was left on the next start.
#include "band_harness.h"
#include "bar_placement.h"
#include "player_process.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmap::test {
namespace {

using tools::kBarSettingsKey;
using tools::kBarTitle;
using tools::kStripClass;
using tools::PumpMessages;

TEST(BarPlacement, DocksOnTheNotificationAreaOrTheWorkAreaCornerAndStaysInside) {
    const RECT work{0, 0, 1280, 760};
    const struct {
        SIZE bar;
        std::optional<RECT> tray;
        POINT expected;
    } cases[] = {
        {{180, 33}, RECT{1100, 760, 1270, 800}, {1090, 727}},  // right-aligned on the tray, just above it
        {{180, 33}, std::nullopt, {1100, 727}},                 // no taskbar: the work area's corner
        {{180, 33}, RECT{0, 0, 60, 40}, {0, 0}},                // a tray at the top left: kept on screen
        {{1400, 900}, std::nullopt, {0, 0}},                    // larger than the work area
    };
    for (const auto& c : cases) {
        const POINT at = tools::DockedPosition(c.bar, work, c.tray);
        EXPECT_EQ(c.expected.x, at.x);
        EXPECT_EQ(c.expected.y, at.y);
    }
}

// One run of VelmapBar.exe.
class BarProcess {
public:
    BarProcess() {
        std::wstring command = L"\"" + WindowsPath(VELMAP_BAR_EXE) + L"\"";
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
            if (!process_ || ::WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return nullptr;
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

std::optional<POINT> SavedPosition() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kBarSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD x = 0, y = 0, size = sizeof x;
    const bool ok = ::RegQueryValueExW(key, L"Left", nullptr, nullptr, reinterpret_cast<BYTE*>(&x), &size) == 0 &&
                    ::RegQueryValueExW(key, L"Top", nullptr, nullptr, reinterpret_cast<BYTE*>(&y), &size) == 0;
    ::RegCloseKey(key);
    if (!ok) return std::nullopt;
    return POINT{static_cast<LONG>(static_cast<std::int32_t>(x)), static_cast<LONG>(static_cast<std::int32_t>(y))};
}

class VelmapBar : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BandDll dll(WindowsPath(VELMAP_BAND_DLL));
        ASSERT_EQ(S_OK, dll.Register());
    }
    static void TearDownTestSuite() {
        BandDll dll(WindowsPath(VELMAP_BAND_DLL));
        dll.Unregister();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kBarSettingsKey);
    }
    void SetUp() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kBarSettingsKey); }
    void TearDown() override { MovePointerAway(); }
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
    const auto tray = tools::NotificationArea();
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
    }
    ASSERT_TRUE(tools::SaveBarPosition({-5000, -5000}));
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

}  // namespace
}  // namespace velmap::test
