#include "remote/player_commands.h"

namespace velmap::remote {

HWND PlayerWnd = nullptr;
bool PlayPauseToggle = false;

namespace {

constexpr TShiftState kCommandShift{ssAlt, ssCtrl};

class SystemPlatform final : public PlayerPlatform {
public:
    HWND FindWindowByClassAndTitle(const char* cls, const char* title) override { return ::FindWindowA(cls, title); }
    BOOL BringToForeground(HWND wnd) override { return ::SetForegroundWindow(wnd); }
    UINT VirtualKeyToScanCode(UINT code) override { return ::MapVirtualKeyA(code, 0); }
    void KeyEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) override { ::keybd_event(vk, scan, flags, extra); }
};

PlayerPlatform* g_platform = nullptr;

PlayerPlatform& Platform() { return g_platform ? *g_platform : SystemPlayerPlatform(); }

void KeyEvent(PlayerPlatform& p, WORD key, DWORD flags) {
    // The scan code is asked for every event; the full code goes to the
    // mapping, its low byte to the event.
    const BYTE scan = static_cast<BYTE>(p.VirtualKeyToScanCode(key));
    p.KeyEvent(static_cast<BYTE>(key & 0xFF), scan, flags, 0);
}

WORD KeyOf(PlayerCommand command) {
    switch (command) {
        case PlayerCommand::Prev:
            return 'Z';
        case PlayerCommand::PlayPause:
            return PlayPauseToggle ? 'X' : 'C';
        case PlayerCommand::Stop:
            return 'V';
        case PlayerCommand::Next:
            return 'B';
        case PlayerCommand::VolDown:
            return 'A';
        case PlayerCommand::VolUp:
            return 'Q';
    }
    return 0;
}

}  // namespace

PlayerPlatform& SystemPlayerPlatform() {
    static SystemPlatform platform;
    return platform;
}

void SetPlayerPlatform(PlayerPlatform* platform) { g_platform = platform; }

bool FindPlayerWindow() {
    if (PlayerWnd) return true;
    PlayerWnd = Platform().FindWindowByClassAndTitle(PlayerWindowClass, PlayerWindowTitle);
    return PlayerWnd != nullptr;
}

void SendKeyCombination(WORD key, TShiftState shift, bool extended) {
    PlayerPlatform& p = Platform();
    for (const auto& entry : ModifierKeyTable) {
        if (shift.contains(static_cast<TShiftStateMember>(entry[0]))) KeyEvent(p, entry[1], 0);
    }
    const DWORD flags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    KeyEvent(p, key, flags);
    KeyEvent(p, key, flags | KEYEVENTF_KEYUP);
    for (auto it = ModifierKeyTable.rbegin(); it != ModifierKeyTable.rend(); ++it) {
        if (shift.contains(static_cast<TShiftStateMember>((*it)[0]))) KeyEvent(p, (*it)[1], KEYEVENTF_KEYUP);
    }
}

void ExecutePlayerCommand(PlayerCommand command) {
    if (!FindPlayerWindow()) return;
    Platform().BringToForeground(PlayerWnd);
    SendKeyCombination(KeyOf(command), kCommandShift, false);
    if (command == PlayerCommand::PlayPause) PlayPauseToggle = !PlayPauseToggle;
}

void ResetPlayerRemote() {
    PlayPauseToggle = true;
    PlayerWnd = Platform().FindWindowByClassAndTitle(PlayerWindowClass, PlayerWindowTitle);
}

}  // namespace velmap::remote
