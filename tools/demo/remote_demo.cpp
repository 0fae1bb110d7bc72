// Runs the six player commands against the stand-in player, which this
// program starts beside itself, and prints what the player received.
#include "remote/player_commands.h"
#include "player_process.h"

#include <windows.h>

#include <cstdio>
#include <string>

using velmap::remote::ExecutePlayerCommand;
using velmap::remote::PlayerCommand;

int main() {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    std::string dir(self, n);
    dir.erase(dir.find_last_of("\\/") + 1);

    velmap::tools::PlayerProcess player;
    if (!player.Start(dir + "player-standin.exe", dir + "demo-player.log", 60000) ||
        !player.WaitForWindow(20000)) {
        std::fprintf(stderr, "demo: the stand-in player did not start\n");
        return 1;
    }
    std::printf("stand-in player is up; clicking prev, play/pause, play/pause, stop, next, vol-, vol+\n");
    velmap::remote::ResetPlayerRemote();
    for (auto c : {PlayerCommand::Prev, PlayerCommand::PlayPause, PlayerCommand::PlayPause, PlayerCommand::Stop,
                   PlayerCommand::Next, PlayerCommand::VolDown, PlayerCommand::VolUp}) {
        ExecutePlayerCommand(c);
    }
    const auto lines = player.WaitForLines(7, 10000);
    const int code = player.Stop();
    std::printf("the player received:\n");
    for (const auto& line : lines) std::printf("  %s\n", line.c_str());
    std::fflush(stdout);
    return lines.size() == 7 && code == 0 ? 0 : 1;
}
