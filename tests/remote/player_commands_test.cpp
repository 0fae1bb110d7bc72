#include "remote/player_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace velmap::remote {
namespace {

struct KeyEventCall {
    BYTE vk;
    BYTE scan;
    DWORD flags;
    ULONG_PTR extra;
    bool operator==(const KeyEventCall&) const = default;
};

// Records every platform call; the player window exists while present is set,
// beside any other windows put in the table.
class RecordingPlatform : public PlayerPlatform {
public:
    struct Window {
        std::string cls, title;
    };
    HWND window = reinterpret_cast<HWND>(0x1234);
    bool present = true;
    std::map<HWND, Window> others;
    int lookups = 0;
    std::vector<std::string> lookup_args;
    std::vector<HWND> foreground;
    std::vector<UINT> mapped;
    std::vector<KeyEventCall> events;
    bool takes_foreground = true;  // the player's window comes to the front
    bool hotkey_held = false;      // another program holds the shortcut
    UINT accept = ~0u;             // events the next SendInput takes
    std::vector<std::pair<UINT, UINT>> probes;
    std::vector<UINT> sends;  // the events offered to each SendInput

    const Window* Find(HWND w) const {
        static const Window player{PlayerWindowClass, PlayerWindowTitle};
        if (present && w == window) return &player;
        auto it = others.find(w);
        return it == others.end() ? nullptr : &it->second;
    }
    HWND FindWindowByClassAndTitle(const char* cls, const char* title) override {
        ++lookups;
        lookup_args.push_back(std::string(cls) + "|" + title);
        return present ? window : nullptr;
    }
    bool WindowExists(HWND w) override { return Find(w) != nullptr; }
    std::string WindowClassName(HWND w) override { return Find(w) ? Find(w)->cls : std::string(); }
    std::string WindowTitle(HWND w) override { return Find(w) ? Find(w)->title : std::string(); }
    BOOL BringToForeground(HWND w) override {
        foreground.push_back(w);
        return takes_foreground;
    }
    bool HoldsForeground(HWND w) override { return takes_foreground && !foreground.empty() && foreground.back() == w; }
    bool HotkeyHeldElsewhere(UINT modifiers, UINT vk) override {
        probes.emplace_back(modifiers, vk);
        return hotkey_held;
    }
    UINT VirtualKeyToScanCode(UINT code) override {
        mapped.push_back(code);
        // A distinct, recognisable scan code per key (and per ask).
        return 0x40 + (code & 0x3F) + static_cast<UINT>(mapped.size()) * 0x100;
    }
    UINT SendInputs(const INPUT* in, UINT count) override {
        sends.push_back(count);
        const UINT n = std::min(count, accept);
        accept = ~0u;
        for (UINT i = 0; i < n; ++i) {
            EXPECT_EQ(in[i].type, DWORD(INPUT_KEYBOARD));
            EXPECT_EQ(in[i].ki.time, 0u);
            events.push_back({BYTE(in[i].ki.wVk), BYTE(in[i].ki.wScan), in[i].ki.dwFlags, in[i].ki.dwExtraInfo});
        }
        return n;
    }

    std::string Keys() const {
        std::string s;
        for (const auto& e : events) {
            if (!s.empty()) s += ' ';
            s += e.flags & KEYEVENTF_KEYUP ? '^' : 'v';
            switch (e.vk) {
                case VK_CONTROL:
                    s += "Ctrl";
                    break;
                case VK_MENU:
                    s += "Alt";
                    break;
                case VK_SHIFT:
                    s += "Shift";
                    break;
                default:
                    s += static_cast<char>(e.vk);
            }
        }
        return s;
    }
    void Clear() {
        foreground.clear();
        mapped.clear();
        events.clear();
        lookups = 0;
        lookup_args.clear();
        probes.clear();
        sends.clear();
    }
};

class PlayerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPlayerPlatform(&platform);
        PlayerWnd = nullptr;
        PlayPauseToggle = false;
    }
    void TearDown() override { SetPlayerPlatform(nullptr); }
    RecordingPlatform platform;
};

TEST_F(PlayerCommandsTest, EveryCommandSendsItsSixEventShortcut) {
    const struct {
        PlayerCommand command;
        char letter;
    } rows[] = {{PlayerCommand::Prev, 'Z'},    {PlayerCommand::Stop, 'V'},  {PlayerCommand::Next, 'B'},
                {PlayerCommand::VolDown, 'A'}, {PlayerCommand::VolUp, 'Q'}, {PlayerCommand::PlayPause, 'C'}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.letter);
        platform.Clear();
        ExecutePlayerCommand(row.command);
        const std::string l(1, row.letter);
        EXPECT_EQ(platform.Keys(), "vCtrl vAlt v" + l + " ^" + l + " ^Alt ^Ctrl");
        ASSERT_EQ(platform.events.size(), 6u);
        EXPECT_EQ(platform.sends, std::vector<UINT>{6}) << "the chord in one SendInput";
        // Every event asks for its own scan code and passes its low byte.
        ASSERT_EQ(platform.mapped.size(), 6u);
        const UINT expect_mapped[] = {VK_CONTROL, VK_MENU, UINT(row.letter), UINT(row.letter), VK_MENU, VK_CONTROL};
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(platform.mapped[i], expect_mapped[i]);
            EXPECT_EQ(platform.events[i].scan, static_cast<BYTE>(0x40 + (expect_mapped[i] & 0x3F) + (i + 1) * 0x100));
            EXPECT_EQ(platform.events[i].extra, 0u);
            EXPECT_EQ(platform.events[i].flags & KEYEVENTF_EXTENDEDKEY, 0u);
        }
        EXPECT_EQ(platform.events[0].flags, 0u);
        EXPECT_EQ(platform.events[2].flags, 0u);
        EXPECT_EQ(platform.events[3].flags, DWORD(KEYEVENTF_KEYUP));
        EXPECT_EQ(platform.events[5].flags, DWORD(KEYEVENTF_KEYUP));
        ASSERT_EQ(platform.foreground.size(), 1u);
        EXPECT_EQ(platform.foreground[0], platform.window);
    }
}

// The shortcut goes out only where the player hears it: its window took the
// foreground, or the shortcut is a hotkey someone holds. Otherwise the window
// in front would get it as typing, so the click is lost and play/pause waits.
TEST_F(PlayerCommandsTest, TheShortcutGoesOutOnlyWhereThePlayerHearsIt) {
    const struct {
        bool foreground, hotkey_held, sent;
    } rows[] = {{true, false, true}, {false, true, true}, {false, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.foreground << row.hotkey_held);
        ResetPlayerRemote();
        platform.Clear();
        platform.takes_foreground = row.foreground;
        platform.hotkey_held = row.hotkey_held;
        ExecutePlayerCommand(PlayerCommand::PlayPause);
        EXPECT_EQ(platform.Keys(), row.sent ? "vCtrl vAlt vX ^X ^Alt ^Ctrl" : "");
        EXPECT_EQ(PlayPauseToggle, !row.sent);
        ASSERT_EQ(platform.foreground.size(), 1u);
        // The probe asks for the very combination, only when it matters.
        if (row.foreground)
            EXPECT_TRUE(platform.probes.empty());
        else
            EXPECT_EQ(platform.probes, (std::vector<std::pair<UINT, UINT>>{{MOD_CONTROL | MOD_ALT, 'X'}}));
    }
}

// Input cut short (another program's input, a blocked desktop): the keys that
// went down come up again, so no modifier is left held.
TEST_F(PlayerCommandsTest, AShortcutCutShortReleasesTheKeysThatWentDown) {
    const struct {
        UINT accepted;
        const char* keys;
    } rows[] = {{0, ""},
                {1, "vCtrl ^Ctrl"},
                {2, "vCtrl vAlt ^Alt ^Ctrl"},
                {3, "vCtrl vAlt vX ^X ^Alt ^Ctrl"},
                {5, "vCtrl vAlt vX ^X ^Alt ^Ctrl"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.accepted);
        ResetPlayerRemote();
        platform.Clear();
        platform.accept = row.accepted;
        ExecutePlayerCommand(PlayerCommand::PlayPause);
        EXPECT_EQ(platform.Keys(), row.keys);
        EXPECT_EQ(platform.sends.size(), row.accepted == 0 ? 1u : 2u);
        EXPECT_TRUE(PlayPauseToggle) << "a shortcut cut short moved the alternation on";
    }
}

TEST_F(PlayerCommandsTest, PlayPauseAlternatesFromXAfterFormCreation) {
    ResetPlayerRemote();
    EXPECT_TRUE(PlayPauseToggle);
    std::string letters;
    for (int i = 0; i < 5; ++i) {
        platform.Clear();
        ExecutePlayerCommand(PlayerCommand::PlayPause);
        letters += static_cast<char>(platform.events.at(2).vk);
    }
    EXPECT_EQ(letters, "XCXCX");
}

TEST_F(PlayerCommandsTest, AbsentPlayerGetsNothingAndTheDueLetterWaits) {
    platform.present = false;
    ResetPlayerRemote();
    for (auto c : {PlayerCommand::Prev, PlayerCommand::PlayPause, PlayerCommand::Stop, PlayerCommand::Next,
                   PlayerCommand::VolDown, PlayerCommand::VolUp, PlayerCommand::PlayPause}) {
        ExecutePlayerCommand(c);
    }
    EXPECT_TRUE(platform.events.empty());
    EXPECT_TRUE(platform.foreground.empty());
    EXPECT_TRUE(PlayPauseToggle);
    EXPECT_EQ(PlayerWnd, nullptr);
    // Every click while the player is unknown looks again.
    EXPECT_EQ(platform.lookups, 1 + 7);

    platform.present = true;
    ExecutePlayerCommand(PlayerCommand::PlayPause);
    EXPECT_EQ(platform.Keys(), "vCtrl vAlt vX ^X ^Alt ^Ctrl");
    EXPECT_FALSE(PlayPauseToggle);
}

TEST_F(PlayerCommandsTest, FoundWindowIsCachedAndLookupUsesClassAndTitle) {
    EXPECT_TRUE(FindPlayerWindow());
    EXPECT_TRUE(FindPlayerWindow());
    ExecutePlayerCommand(PlayerCommand::Next);
    EXPECT_EQ(platform.lookups, 1);
    ASSERT_EQ(platform.lookup_args.size(), 1u);
    EXPECT_EQ(platform.lookup_args[0], "Tvelmoraplayerapi|velmoraplayerapi");
}

// The cached handle is checked before every use: a player that exited, or a
// handle now naming another window, is dropped and the player looked up
// again; while none is found nothing is sent and play/pause waits.
TEST_F(PlayerCommandsTest, ACachedHandleThatNoLongerNamesThePlayerIsDroppedBeforeUse) {
    const HWND stale = platform.window;
    const struct {
        const char* what;
        bool handle_is_a_window;
        RecordingPlatform::Window reused_by;
    } cases[] = {
        {"the player exited", false, {}},
        {"reused by another class", true, {"Tvelmoraplayerapx", PlayerWindowTitle}},
        {"reused under another title", true, {PlayerWindowClass, "velmoraplayerapi "}},
        {"a case-folded twin", true, {"tvelmoraplayerapi", PlayerWindowTitle}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform.window = stale;
        platform.present = true;
        platform.others.clear();
        ResetPlayerRemote();
        ASSERT_EQ(PlayerWnd, stale);
        platform.present = false;
        if (c.handle_is_a_window) platform.others[stale] = c.reused_by;
        platform.Clear();
        ExecutePlayerCommand(PlayerCommand::PlayPause);
        EXPECT_TRUE(platform.events.empty());
        EXPECT_TRUE(platform.foreground.empty());
        EXPECT_EQ(platform.lookups, 1);
        EXPECT_EQ(PlayerWnd, nullptr);
        EXPECT_TRUE(PlayPauseToggle) << "the alternation moved on a click that reached nobody";

        // The player comes back under a new handle: the very next click finds
        // it and sends the letter that was due.
        platform.window = reinterpret_cast<HWND>(0x5678);
        platform.present = true;
        platform.Clear();
        ExecutePlayerCommand(PlayerCommand::PlayPause);
        EXPECT_EQ(platform.Keys(), "vCtrl vAlt vX ^X ^Alt ^Ctrl");
        ASSERT_EQ(platform.foreground.size(), 1u);
        EXPECT_EQ(platform.foreground[0], platform.window);
        // From then on the handle is cached again.
        platform.Clear();
        ExecutePlayerCommand(PlayerCommand::Stop);
        EXPECT_EQ(platform.lookups, 0);
        EXPECT_EQ(platform.Keys(), "vCtrl vAlt vV ^V ^Alt ^Ctrl");
    }
}

TEST_F(PlayerCommandsTest, SecondFormCreationWithoutPlayerForgetsTheHandle) {
    ResetPlayerRemote();
    EXPECT_EQ(PlayerWnd, platform.window);
    ExecutePlayerCommand(PlayerCommand::PlayPause);
    EXPECT_FALSE(PlayPauseToggle);
    platform.present = false;
    ResetPlayerRemote();
    EXPECT_EQ(PlayerWnd, nullptr);
    EXPECT_TRUE(PlayPauseToggle);
}

TEST_F(PlayerCommandsTest, ShiftSetsChooseTheModifiers) {
    SendKeyCombination('K', TShiftState{ssShift}, false);
    EXPECT_EQ(platform.Keys(), "vShift vK ^K ^Shift");
    platform.Clear();
    SendKeyCombination('K', TShiftState{}, false);
    EXPECT_EQ(platform.Keys(), "vK ^K");
    platform.Clear();
    SendKeyCombination('K', TShiftState{ssAlt, ssCtrl, ssShift}, false);
    EXPECT_EQ(platform.Keys(), "vCtrl vShift vAlt vK ^K ^Alt ^Shift ^Ctrl");
    platform.Clear();
    // Members without a key in the table have no effect.
    SendKeyCombination('K', TShiftState{ssLeft, ssDouble}, false);
    EXPECT_EQ(platform.Keys(), "vK ^K");
}

TEST_F(PlayerCommandsTest, ExtendedFlagOnlyOnTheMainKeyAndLowByteOnly) {
    SendKeyCombination(0x1B5, TShiftState{ssCtrl}, true);
    ASSERT_EQ(platform.events.size(), 4u);
    EXPECT_EQ(platform.events[0].flags, 0u);
    EXPECT_EQ(platform.events[1].vk, 0xB5);
    EXPECT_EQ(platform.events[1].flags, DWORD(KEYEVENTF_EXTENDEDKEY));
    EXPECT_EQ(platform.events[2].flags, DWORD(KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP));
    EXPECT_EQ(platform.events[3].flags, DWORD(KEYEVENTF_KEYUP));
    // The full code goes to the scan-code mapping.
    EXPECT_EQ(platform.mapped[1], 0x1B5u);
}

}  // namespace
}  // namespace velmap::remote
