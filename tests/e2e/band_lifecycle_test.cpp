// The band through a restart of its host: bandhost in a process of its own
// saves the band as the shell keeps its toolbars, tears everything down and
// makes the band again from what it saved; the test clicks the band that came
// back, and the stand-in player hears it.
#include "band/band_clsid.h"
#include "band_harness.h"
#include "player_process.h"

#include <objbase.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace velmap::test {
namespace {

// A class nobody registered.
constexpr CLSID kUnregistered = {0x6B1F0C57, 0x93A1, 0x4D2E, {0x8C, 0x11, 0x2A, 0x5E, 0x70, 0x9D, 0x44, 0x18}};

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream in(path.c_str());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines)
        if (l.find(text) != std::string::npos) return true;
    return false;
}

// A saved stream that names kUnregistered, as a band of an uninstalled
// program would leave it.
void PlantForeignBand(const wchar_t* value) {
    Microsoft::WRL::ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_EQ(S_OK, ::WriteClassStm(stream.Get(), kUnregistered));
    HGLOBAL memory = nullptr;
    ASSERT_EQ(S_OK, ::GetHGlobalFromStream(stream.Get(), &memory));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, tools::kSavedBandsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                               nullptr, &key, nullptr));
    const void* bytes = ::GlobalLock(memory);
    EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, value, 0, REG_BINARY, static_cast<const BYTE*>(bytes), 16));
    ::GlobalUnlock(memory);
    ::RegCloseKey(key);
}

class BandLifecycle : public RegisteredBand {
protected:
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, tools::kSavedBandsKey);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Velmap\\bandhost");
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Velmap");  // refused while another key is in it
        MovePointerAway();
    }
};

TEST_F(BandLifecycle, AfterARestartTheBandIsBackPaintsAndReachesThePlayer) {
    PlantForeignBand(L"Band9");
    tools::PlayerProcess player;
    ASSERT_TRUE(player.Start(VELMAP_PLAYER_EXE, std::string(VELMAP_TEST_BINARY_DIR) + "/e2e-restart-host-player.log",
                             60000));
    ASSERT_NE(nullptr, player.WaitForWindow(20000));

    const std::wstring log = WindowsPath(VELMAP_TEST_BINARY_DIR) + L"\\bandhost-restart.log";
    ::DeleteFileW(log.c_str());
    std::wstring command = L"\"" + WindowsPath(VELMAP_BANDHOST_EXE) + L"\" --restart --show-ms 8000 --shots \"" +
                           WindowsPath(VELMAP_TEST_BINARY_DIR) + L"\" --log \"" + log + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ::CloseHandle(pi.hThread);
    const DWORD start = ::GetTickCount();
    while (!Has(ReadLines(log), "restart: shown") && ::GetTickCount() - start < 60000 &&
           ::WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
    }
    HWND strip = ::FindWindowW(tools::kStripClass, L"band strip");
    HWND band = strip ? ::GetWindow(strip, GW_CHILD) : nullptr;
    ASSERT_NE(nullptr, band) << "no band after the restart";
    ClickAt(tools::ButtonCenterOnScreen(band, tools::BandButton::Next));
    EXPECT_EQ(player.WaitForLines(1, 10000), std::vector<std::string>{"Ctrl+Alt+B"});

    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0, player.Stop());

    const auto lines = ReadLines(log);
    EXPECT_TRUE(Has(lines, "OleSaveToStream -> S_OK")) << log;
    EXPECT_TRUE(Has(lines, "CoFreeUnusedLibraries: the band's module is unloaded"));
    EXPECT_TRUE(Has(lines, "restore Band0: OleLoadFromStream(" + tools::GuidText(band::CLSID_VelmapBand) + ") -> S_OK"));
    EXPECT_TRUE(Has(lines, "restore Band9: OleLoadFromStream(" + tools::GuidText(kUnregistered) + ") -> "));
    EXPECT_TRUE(Has(lines, ": skipped"));
    EXPECT_TRUE(Has(lines, "restart: 1 band(s) back"));
    // The host took back what it saved, and only that.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, tools::kSavedBandsKey, 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ::RegQueryValueExW(key, L"Band0", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key, L"Band9", nullptr, nullptr, nullptr, nullptr));
    ::RegCloseKey(key);
    // The band that came back paints as the first one did.
    std::vector<std::string> pictures;
    for (const auto& l : lines)
        if (l.rfind("band window ", 0) == 0) pictures.push_back(l);
    ASSERT_EQ(2u, pictures.size());
    EXPECT_EQ(pictures[0], pictures[1]);
}

}  // namespace
}  // namespace velmap::test
