// bandhost in a process of its own at 96, 120 and 144 dpi: it finds the band
// through the desk-band category, and the band's reported size follows the
// density.
#include "band_harness.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace velmap::test {
namespace {

struct Reported {
    long min_x = 0, min_y = 0, max_x = 0, max_y = 0, actual_x = 0, actual_y = 0;
    bool vertical = false;
};

// Runs bandhost with args; the GetBandInfo answer it logged.
bool RunHost(const std::wstring& args, Reported& out) {
    const std::wstring log = WindowsPath(VELMAP_TEST_BINARY_DIR) + L"\\bandhost-density.log";
    ::DeleteFileW(log.c_str());
    std::wstring command = L"\"" + WindowsPath(VELMAP_BANDHOST_EXE) + L"\" " + args + L" --show-ms 100 --log \"" + log +
                           L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    std::ifstream in(log.c_str());
    bool found = false;
    for (std::string line; std::getline(in, line);) {
        char mode[16] = {};
        if (std::sscanf(line.c_str(),
                        "GetBandInfo(0, %15[a-z], mask=0x7F) -> S_OK min=%ldx%ld max=%ldx%ld integral=1x1 "
                        "actual=%ldx%ld",
                        mode, &out.min_x, &out.min_y, &out.max_x, &out.max_y, &out.actual_x, &out.actual_y) == 7) {
            out.vertical = std::string(mode) == "vertical";
            found = true;
        }
    }
    return code == 0 && found;
}

class BandDensity : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BandDll dll(WindowsPath(VELMAP_BAND_DLL));
        ASSERT_EQ(S_OK, dll.Register());
    }
    static void TearDownTestSuite() {
        BandDll dll(WindowsPath(VELMAP_BAND_DLL));
        dll.Unregister();
    }
};

TEST_F(BandDensity, ReportedSizesScaleWithTheHostsDensity) {
    Reported at96;
    ASSERT_TRUE(RunHost(L"--dpi 96", at96));
    EXPECT_EQ(160, at96.min_x);
    EXPECT_EQ(25, at96.min_y);
    EXPECT_FALSE(at96.vertical);
    for (int dpi : {120, 144}) {
        Reported r;
        ASSERT_TRUE(RunHost(L"--dpi " + std::to_wstring(dpi) + L" --vertical", r)) << dpi;
        EXPECT_TRUE(r.vertical);
        // The contents follow the font's real height, so within a few pixels
        // of the densities' ratio.
        EXPECT_NEAR(160.0 * dpi / 96, r.min_x, 160.0 * dpi / 96 * 0.05) << dpi;
        EXPECT_NEAR(25.0 * dpi / 96, r.min_y, 2) << dpi;
        EXPECT_EQ(r.min_x, r.actual_x);
        EXPECT_EQ(r.min_y, r.actual_y);
        EXPECT_EQ(r.min_x, r.max_y);
        EXPECT_EQ(r.min_y, r.max_x);
    }
}

}  // namespace
}  // namespace velmap::test
