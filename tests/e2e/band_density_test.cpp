// bandhost in a process of its own at other densities: it finds the band
// through the desk-band category, and the band's reported size follows the
// density, before and after its window exists, and through a change of
// density while it is shown.
#include "band_harness.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace velmap::test {
namespace {

struct Reported {
    long min_x = 0, min_y = 0, max_x = 0, max_y = 0, actual_x = 0, actual_y = 0;
    bool vertical = false;
};

struct HostRun {
    std::vector<Reported> early;  // GetBandInfo before GetWindow
    std::vector<Reported> full;   // GetBandInfo with every member asked (after GetWindow)
    std::vector<SIZE> windows;    // the band window's size as pictured
    std::vector<unsigned> checksums;
    int band_info_changes = 0;
    int most_paints = -1, band_paints = -1;  // a window's paints after a change
    std::vector<int> each_most_paints;        // after every change, in order
    int same_window = 0;                      // orientation changes that kept the form's window
};

bool ParseInfo(const std::string& line, const char* mask, Reported& out) {
    char mode[16] = {};
    const std::string format = std::string("GetBandInfo(0, %15[a-z], mask=") + mask +
                               ") -> S_OK min=%ldx%ld max=%ldx%ld integral=1x1 actual=%ldx%ld";
    if (std::sscanf(line.c_str(), format.c_str(), mode, &out.min_x, &out.min_y, &out.max_x, &out.max_y,
                    &out.actual_x, &out.actual_y) != 7)
        return false;
    out.vertical = std::string(mode) == "vertical";
    return true;
}

// Runs bandhost with args and reads what it logged.
bool RunHost(const std::wstring& args, HostRun& out) {
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
    for (std::string line; std::getline(in, line);) {
        Reported r;
        if (ParseInfo(line, "0x2F", r)) out.early.push_back(r);
        if (ParseInfo(line, "0x7F", r)) out.full.push_back(r);
        SIZE window{};
        int pw = 0, ph = 0;
        unsigned sum = 0;
        if (std::sscanf(line.c_str(), "band window %ldx%ld, picture %dx%d checksum %X", &window.cx, &window.cy, &pw,
                        &ph, &sum) == 5) {
            out.windows.push_back(window);
            out.checksums.push_back(sum);
        }
        if (line.rfind("site: Exec(CGID_DeskBand, DBID_BANDINFOCHANGED)", 0) == 0) ++out.band_info_changes;
        int windows = 0, paints = 0;
        if (std::sscanf(line.c_str(),
                        "paints after the change: %d window(s), %d paint(s), at most %d a window, the band's window %d",
                        &windows, &paints, &out.most_paints, &out.band_paints) == 4)
            out.each_most_paints.push_back(out.most_paints);
        if (line.rfind("the band's window: the same", 0) == 0) ++out.same_window;
    }
    return code == 0 && !out.full.empty();
}

std::wstring ShotsDir(const char* name) {
    const std::filesystem::path dir = std::filesystem::path(VELMAP_TEST_BINARY_DIR) / "artefacts" / name;
    std::filesystem::create_directories(dir);
    return L"\"" + dir.wstring() + L"\"";
}

class BandDensity : public RegisteredBand {};

TEST_F(BandDensity, ReportedSizesScaleWithTheHostsDensity) {
    HostRun at96;
    ASSERT_TRUE(RunHost(L"--dpi 96", at96));
    EXPECT_EQ(160, at96.full.back().min_x);
    EXPECT_EQ(25, at96.full.back().min_y);
    EXPECT_FALSE(at96.full.back().vertical);
    for (int dpi : {120, 144}) {
        HostRun run;
        ASSERT_TRUE(RunHost(L"--dpi " + std::to_wstring(dpi) + L" --vertical", run)) << dpi;
        const Reported& r = run.full.back();
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

// The size the site is told before the window exists is the size the window
// then has.
TEST_F(BandDensity, TheEarlyAnswerIsTheSizeTheFormComesOutAt) {
    for (int dpi : {120, 144, 192}) {
        HostRun run;
        ASSERT_TRUE(RunHost(L"--dpi " + std::to_wstring(dpi) + L" --shots " + ShotsDir("density-created"), run))
            << dpi;
        ASSERT_EQ(1u, run.early.size()) << dpi;
        ASSERT_EQ(1u, run.windows.size()) << dpi;
        EXPECT_EQ(run.windows[0].cx, run.early[0].min_x) << dpi;
        EXPECT_EQ(run.windows[0].cy, run.early[0].min_y) << dpi;
        EXPECT_EQ(run.windows[0].cx, run.early[0].actual_x) << dpi;
        EXPECT_EQ(run.full.back().min_x, run.early[0].min_x) << dpi;
        EXPECT_EQ(run.full.back().min_y, run.early[0].min_y) << dpi;
    }
}

// Shown at 120 dpi and changed to 144: the site is told, asks again, and gets
// the window's new size, which is the size and the very picture of a band
// made at 144.
TEST_F(BandDensity, ADensityChangeWhileShownGivesWhatCreationGives) {
    HostRun made;
    ASSERT_TRUE(RunHost(L"--dpi 144 --shots " + ShotsDir("density-created"), made));
    ASSERT_EQ(1u, made.windows.size());

    HostRun changed;
    ASSERT_TRUE(RunHost(L"--dpi 120 --dpi-change 144 --shots " + ShotsDir("density-changed"), changed));
    EXPECT_EQ(1, changed.band_info_changes);
    ASSERT_EQ(2u, changed.full.size()) << "the site did not ask again";
    ASSERT_EQ(2u, changed.windows.size());
    const Reported& after = changed.full.back();
    EXPECT_EQ(changed.windows[1].cx, after.actual_x);
    EXPECT_EQ(changed.windows[1].cy, after.actual_y);
    EXPECT_EQ(made.windows[0].cx, changed.windows[1].cx);
    EXPECT_EQ(made.windows[0].cy, changed.windows[1].cy);
    EXPECT_NE(changed.windows[0].cx, changed.windows[1].cx);
    EXPECT_EQ(made.checksums[0], changed.checksums[1]) << "the changed band looks unlike one made at 144 dpi";
    EXPECT_EQ(1, changed.band_paints) << "the change is not painted once";
    EXPECT_EQ(1, changed.most_paints) << "a window inside the band painted more than once";

    // And back: the picture of a band made at 120.
    HostRun back;
    ASSERT_TRUE(RunHost(L"--dpi 144 --dpi-change 120", back));
    ASSERT_EQ(2u, back.checksums.size());
    EXPECT_EQ(changed.checksums[0], back.checksums[1]);
    EXPECT_EQ(changed.windows[0].cx, back.windows[1].cx);
    EXPECT_EQ(changed.windows[0].cy, back.windows[1].cy);
}

// The taskbar dragged to a side and back: the shown form is laid out anew
// each time (no new window, one paint), a column in a strip 62 pixels thick,
// and back along the bottom it is the row again to the pixel; at 144 dpi
// the row is the one a band made there has.
TEST_F(BandDensity, MovingTheTaskbarToASideAndBackKeepsTheFormAndGivesTheRowBack) {
    HostRun run;
    ASSERT_TRUE(RunHost(L"--switch-orientation --shots " + ShotsDir("orientation"), run));
    ASSERT_EQ(3u, run.windows.size());
    EXPECT_EQ(2, run.same_window);
    EXPECT_EQ(62, run.windows[1].cx);
    EXPECT_EQ(160, run.windows[1].cy);
    EXPECT_TRUE(run.full[run.full.size() - 2].vertical);
    EXPECT_NE(run.checksums[0], run.checksums[1]);
    EXPECT_EQ(run.checksums[0], run.checksums[2]) << "the row came back unlike it was";
    EXPECT_EQ(std::vector<int>({1, 1}), run.each_most_paints) << "a window painted more than once per change";

    HostRun made, turned;
    ASSERT_TRUE(RunHost(L"--dpi 144 --shots " + ShotsDir("orientation"), made));
    ASSERT_TRUE(RunHost(L"--dpi 144 --vertical --switch-orientation", turned));
    ASSERT_EQ(3u, turned.windows.size());
    EXPECT_EQ(93, turned.windows[0].cx);  // 62 at 144 dpi
    EXPECT_EQ(turned.full.front().min_x, turned.windows[0].cy);
    EXPECT_EQ(turned.checksums[0], turned.checksums[2]);
    ASSERT_EQ(1u, made.windows.size());
    EXPECT_EQ(made.windows[0].cx, turned.windows[1].cx);
    EXPECT_EQ(made.windows[0].cy, turned.windows[1].cy);
    EXPECT_EQ(made.checksums[0], turned.checksums[1]) << "turned back at 144 dpi, unlike a row made there";
}

}  // namespace
}  // namespace velmap::test
