// The user's skin choice, end to end: VelmapBandSettings.exe in its own
// process changes it, and a shown band follows live in the same form.
#include "band/band_clsid.h"
#include "band_harness.h"
#include "screenshot.h"
#include "skin/manager/skin_choice.h"
#include "win/strings.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace velmap::test {
namespace {

using tools::BandHost;
using tools::CallLog;
using tools::PumpMessages;
using tools::StripOrientation;

// The panel between the transport and volume buttons, in each look.
constexpr POINT kGap{104, 12};
constexpr COLORREF kColdPanel = RGB(0x3B, 0x3B, 0x3B);
constexpr COLORREF kChalkPanel = RGB(209, 206, 198);
constexpr COLORREF kGraphitePanel = RGB(48, 56, 74);

struct SettingsRun {
    DWORD code = 0;
    std::string output;
};

// The settings program with args, its exit code and what it printed.
SettingsRun RunSettings(const std::wstring& args) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ::CreatePipe(&read, &write, &sa, 0);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + WindowsPath(VELMAP_SETTINGS_EXE) + L"\" " + args;
    SettingsRun run;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        run.code = 999;
        return run;
    }
    ::CloseHandle(write);
    char buf[512];
    DWORD n = 0;
    while (::ReadFile(read, buf, sizeof buf, &n, nullptr) && n) run.output.append(buf, n);
    ::WaitForSingleObject(pi.hProcess, 30000);
    ::GetExitCodeProcess(pi.hProcess, &run.code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(read);
    return run;
}

// Pumps the band's thread until the panel shows colour (a second at most, the
// time a change is promised in).
COLORREF WaitForPanel(HWND band, COLORREF colour, DWORD ms = 1000) {
    COLORREF seen = 0;
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms;) {
        PumpMessages(20);
        seen = tools::CaptureWindow(band).Pixel(kGap.x, kGap.y);
        if (seen == colour) break;
    }
    return seen;
}

void SetStandInTheme(DWORD light) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, skin::kPersonalizeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    ::RegSetValueExW(key, skin::kSystemLightThemeValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&light),
                     sizeof light);
    ::RegCloseKey(key);
}

class BandSkinChoice : public RegisteredBand {
protected:
    void SetUp() override {
        skin::ClearSkinChoice();
        SetStandInTheme(0);
        user_ = win::Utf8ToWide(skin::ChoosableSkinFolders(nullptr).User);
        std::filesystem::create_directories(user_);
    }
    void TearDown() override {
        skin::ClearSkinChoice();
        std::error_code ec;
        std::filesystem::remove(user_ / L"Broken.asz", ec);
        std::filesystem::remove(user_ / L"Huge.asz", ec);
    }
    std::filesystem::path user_;
};

TEST_F(BandSkinChoice, TheSettingsCommandLineChangesTheShownBandLiveAndBack) {
    CallLog log;
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    const HWND band = host.BandWindow();
    PumpMessages(100);
    const tools::Picture cold = tools::CaptureWindow(band);
    ASSERT_EQ(kColdPanel, cold.Pixel(kGap.x, kGap.y));

    const SettingsRun list = RunSettings(L"--list");
    EXPECT_EQ(0u, list.code);
    EXPECT_EQ(0u, list.output.find("Cold (internal)\r\nChalk\r\nGraphite\r\n")) << list.output;

    ASSERT_EQ(0u, RunSettings(L"--skin Chalk").code);
    EXPECT_EQ(kChalkPanel, WaitForPanel(band, kChalkPanel));
    EXPECT_EQ(band, host.BandWindow());
    EXPECT_EQ(band, ::FindWindowExW(host.Strip(), nullptr, nullptr, nullptr)) << "a new form was made";
    EXPECT_EQ(nullptr, ::FindWindowExW(host.Strip(), band, nullptr, nullptr)) << "a new form was made";

    // A hue offset recolours the blue-grey skin towards orange.
    ASSERT_EQ(0u, RunSettings(L"--skin Graphite").code);
    EXPECT_EQ(kGraphitePanel, WaitForPanel(band, kGraphitePanel));
    ASSERT_EQ(0u, RunSettings(L"--hue 180").code);
    const COLORREF turned = WaitForPanel(band, 0xFFFFFFFF, 600);
    EXPECT_GT(GetRValue(turned), GetBValue(turned)) << std::hex << turned;

    // Paths and values out of range are refused, and nothing changes.
    for (const wchar_t* refused : {L"--skin ..\\Skins\\Chalk", L"--skin C:\\Skins\\Chalk", L"--skin NUL",
                                   L"--saturation 101", L"--skin Missing", L"--follow-system maybe"}) {
        const SettingsRun r = RunSettings(refused);
        EXPECT_NE(0u, r.code) << win::WideToUtf8(refused);
        EXPECT_NE(std::string::npos, r.output.find("VelmapBandSettings: ")) << r.output;
    }
    EXPECT_EQ(turned, WaitForPanel(band, turned, 300));

    ASSERT_EQ(0u, RunSettings(L"--skin \"\" --hue 0").code);
    EXPECT_EQ(kColdPanel, WaitForPanel(band, kColdPanel));
    const tools::Picture back = tools::CaptureWindow(band);
    EXPECT_EQ(cold.bgr, back.bgr) << "the internal skin did not come back pixel for pixel";
    EXPECT_EQ(S_OK, host.Close());
}

TEST_F(BandSkinChoice, ABrokenOrOversizedSkinLeavesTheInternalSkinWithNoBoxAndNoLeak) {
    {
        std::ofstream(user_ / L"Broken.asz", std::ios::binary) << "not a packed skin at all";
        // A good skin made larger than the limit: only its size can refuse it.
        std::filesystem::copy_file(win::Utf8ToWide(skin::ChoosableSkinFolders(nullptr).Installed) + L"\\Chalk.asz",
                                   user_ / L"Huge.asz", std::filesystem::copy_options::overwrite_existing);
        HANDLE huge = ::CreateFileW((user_ / L"Huge.asz").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(skin::kMaxUserSkinFileSize) + 1;
        ::SetFilePointerEx(huge, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(huge);
        ::CloseHandle(huge);
    }
    CallLog log;
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    const HWND band = host.BandWindow();
    std::string error;
    ASSERT_TRUE(skin::WriteSkinChoice({"Chalk", 0, 0, false}, error));
    ASSERT_EQ(kChalkPanel, WaitForPanel(band, kChalkPanel));
    // The settings program refuses them itself, so the choice is stored as a
    // hand-edited or older one would be.
    const SettingsRun refused = RunSettings(L"--skin Broken");
    EXPECT_NE(0u, refused.code);
    EXPECT_NE(std::string::npos, refused.output.find("Broken")) << refused.output;

    // The first round makes what the band keeps once made (the internal
    // skin decoded again, its faces); the counts are taken after it.
    int windows = 0, gdi = 0;
    for (const char* bad : {"Broken", "Broken", "Huge"}) {
        if (!windows) windows = -1;
        ASSERT_TRUE(skin::WriteSkinChoice({bad, 0, 0, false}, error));
        EXPECT_EQ(kColdPanel, WaitForPanel(band, kColdPanel)) << bad;
        PumpMessages(100);
        if (windows > 0) {
            EXPECT_EQ(windows, tools::CountProcessWindows()) << bad << ": a box or a window more";
        }
        ASSERT_TRUE(skin::WriteSkinChoice({"Chalk", 0, 0, false}, error));
        EXPECT_EQ(kChalkPanel, WaitForPanel(band, kChalkPanel)) << bad;
        if (windows < 0) windows = tools::CountProcessWindows(), gdi = tools::CountGdiObjects();
    }
    EXPECT_EQ(windows, tools::CountProcessWindows());
    EXPECT_EQ(gdi, tools::CountGdiObjects());
    EXPECT_EQ(S_OK, host.Close());
}

TEST_F(BandSkinChoice, FollowingWindowsSwitchesLightAndDarkWithTheTaskbarTheme) {
    CallLog log;
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    const HWND band = host.BandWindow();
    SetStandInTheme(1);
    ASSERT_EQ(0u, RunSettings(L"--follow-system on").code);
    EXPECT_EQ(kChalkPanel, WaitForPanel(band, kChalkPanel));
    // Windows changes the value, then tells every window the colour set changed.
    SetStandInTheme(0);
    ::SendMessageW(band, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    EXPECT_EQ(kGraphitePanel, WaitForPanel(band, kGraphitePanel));
    ASSERT_EQ(0u, RunSettings(L"--follow-system off").code);
    EXPECT_EQ(kColdPanel, WaitForPanel(band, kColdPanel));
    EXPECT_EQ(S_OK, host.Close());
}

}  // namespace
}  // namespace velmap::test
