// Loads the band's internal skin as the build packed it and prints what the
// engine made of it, then runs the six player commands against the stand-in
// player, which this program starts beside itself, and prints what the player
// received.
#include "remote/player_commands.h"
#include "player_process.h"
#include "skin/data/skin_loader.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using velmap::remote::ExecutePlayerCommand;
using velmap::remote::PlayerCommand;

namespace {

bool ShowInternalSkin(const std::string& archive_path) {
    std::ifstream in(archive_path, std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    if (bytes.empty()) {
        std::fprintf(stderr, "demo: cannot read %s\n", archive_path.c_str());
        return false;
    }
    velmap::SkinModel model;
    try {
        if (!velmap::LoadPackedSkinData(model, bytes)) return false;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo: the internal skin did not load: %s\n", e.what());
        return false;
    }
    std::printf("internal skin \"Cold (internal)\": %zu archive bytes, version %.2f, %zu sections, %zu masks",
                bytes.size(), model.SkinData.Version, model.Sections.size(), model.Masks.size());
    if (model.MasterBitmap)
        std::printf(", master bitmap %dx%d", model.MasterBitmap->Width(), model.MasterBitmap->Height());
    std::printf("\n");
    for (const char* name : {"PANEL", "SPEEDBUTTON"}) {
        const int i = model.FindSectionIndex(name);
        if (i < 0) continue;
        const auto& sec = model.Sections[static_cast<std::size_t>(i)];
        std::printf("  %-12s colour 0x%06X, transparency %d%%, hot transparency %d%%, fading %s\n", name,
                    static_cast<unsigned>(sec.Color), sec.Transparency, sec.HotTransparency,
                    sec.FadingEnabled ? "on" : "off");
    }
    return true;
}

}  // namespace

int main() {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    std::string dir(self, n);
    dir.erase(dir.find_last_of("\\/") + 1);

    // Images decode through the system's codecs, which need COM on this thread.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool skin_ok = ShowInternalSkin(dir + "..\\assets\\cold_internal.asz");
    ::CoUninitialize();

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
    return skin_ok && lines.size() == 7 && code == 0 ? 0 : 1;
}
