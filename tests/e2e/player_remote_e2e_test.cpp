// The real handler code against the stand-in player in its own process:
// keystrokes cross the system input queue and arrive as hotkeys.
#include "remote/player_commands.h"
#include "player_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmap::remote {
namespace {

using Lines = std::vector<std::string>;

std::string LogPath(const char* name) { return std::string(VELMAP_TEST_BINARY_DIR) + "/" + name; }

TEST(PlayerRemoteEndToEnd, SixButtonsReachThePlayerInOrder) {
    tools::PlayerProcess player;
    ASSERT_TRUE(player.Start(VELMAP_PLAYER_EXE, LogPath("e2e-player.log"), 60000));
    ASSERT_NE(player.WaitForWindow(20000), nullptr) << "the stand-in player did not come up";

    ResetPlayerRemote();
    ASSERT_NE(PlayerWnd, nullptr);
    for (auto c : {PlayerCommand::Prev, PlayerCommand::PlayPause, PlayerCommand::PlayPause, PlayerCommand::Stop,
                   PlayerCommand::Next, PlayerCommand::VolDown, PlayerCommand::VolUp}) {
        ExecutePlayerCommand(c);
    }
    const Lines got = player.WaitForLines(7, 10000);
    EXPECT_EQ(
        got, (Lines{"Ctrl+Alt+Z", "Ctrl+Alt+X", "Ctrl+Alt+C", "Ctrl+Alt+V", "Ctrl+Alt+B", "Ctrl+Alt+A", "Ctrl+Alt+Q"}));
    EXPECT_EQ(player.Stop(), 0) << "a hotkey could not be registered";
    // Nothing arrives after the last command.
    EXPECT_EQ(player.Lines().size(), 7u);
}

TEST(PlayerRemoteEndToEnd, NothingIsSentWhileThePlayerCannotBeFound) {
    // A decoy holds the player's hotkeys under another title: the band cannot
    // find it, so anything the band sent would show in its log.
    tools::PlayerProcess decoy;
    ASSERT_TRUE(decoy.Start(VELMAP_PLAYER_EXE, LogPath("e2e-decoy.log"), 60000, "not the player"));
    ASSERT_NE(decoy.WaitForWindow(20000), nullptr);

    ResetPlayerRemote();
    EXPECT_EQ(PlayerWnd, nullptr);
    for (auto c : {PlayerCommand::Prev, PlayerCommand::PlayPause, PlayerCommand::Stop, PlayerCommand::Next,
                   PlayerCommand::VolDown, PlayerCommand::VolUp, PlayerCommand::PlayPause}) {
        ExecutePlayerCommand(c);
    }
    EXPECT_TRUE(PlayPauseToggle);
    EXPECT_EQ(PlayerWnd, nullptr);

    // The decoy does hear a shortcut that is really sent, so silence above
    // means nothing was sent.
    SendKeyCombination('B', TShiftState{ssAlt, ssCtrl}, false);
    EXPECT_EQ(decoy.WaitForLines(1, 10000), (Lines{"Ctrl+Alt+B"}));
    EXPECT_EQ(decoy.Stop(), 0);
}

}  // namespace
}  // namespace velmap::remote
