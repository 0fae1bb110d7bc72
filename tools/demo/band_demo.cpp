// The demo: the stand-in player in a process of its own, bandhost with the
// registered band in another, the real mouse over each of the band's buttons
// and a click on each; then what the player received.
//
//   band-demo.exe SCREENSHOT_DIR
//
// The band must be registered first (regsvr32). Exit code 0 when the player
// heard the seven shortcuts in order and bandhost finished cleanly.
#include "player_process.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string ProgramFolder() {
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self, n < MAX_PATH ? n : 0);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// Runs bandhost in the demo mode; its log goes to our standard output.
int RunBandHost(const std::string& folder, const std::string& shots) {
    std::string command = "\"" + folder + "bandhost.exe\" --demo \"" + shots + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return -1;
    ::WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: band-demo SCREENSHOT_DIR\n");
        return 2;
    }
    const std::string folder = ProgramFolder();
    velmap::tools::PlayerProcess player;
    if (!player.Start(folder + "player-standin.exe", folder + "demo-player.log", 120000) ||
        !player.WaitForWindow(20000)) {
        std::fprintf(stderr, "demo: the stand-in player did not start\n");
        return 1;
    }
    std::printf(
        "stand-in player is up; bandhost shows the band and clicks prev, play/pause, play/pause, stop, "
        "next, vol-, vol+\n");
    std::fflush(stdout);
    const int host = RunBandHost(folder, argv[1]);
    const auto lines = player.WaitForLines(7, 10000);
    const int code = player.Stop();
    std::printf("the player received:\n");
    for (const auto& line : lines) std::printf("  %s\n", line.c_str());
    const std::vector<std::string> expected = {"Ctrl+Alt+Z", "Ctrl+Alt+X", "Ctrl+Alt+C", "Ctrl+Alt+V",
                                               "Ctrl+Alt+B", "Ctrl+Alt+A", "Ctrl+Alt+Q"};
    const bool ok = host == 0 && code == 0 && lines == expected;
    std::printf(ok ? "all seven shortcuts arrived in order\n" : "demo FAILED (bandhost %d, player %d)\n", host, code);
    return ok ? 0 : 1;
}
