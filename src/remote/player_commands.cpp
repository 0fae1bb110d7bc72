#include "remote/player_commands.h"

namespace velmap::remote {

HWND PlayerWnd = nullptr;
bool PlayPauseToggle = false;

namespace {

constexpr TShiftState kCommandShift{ssAlt, ssCtrl};

std::string Narrow(const wchar_t* text, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) out.push_back(text[i] < 128 ? static_cast<char>(text[i]) : '?');
    return out;
}

class SystemPlatform final : public PlayerPlatform {
public:
    HWND FindWindowByClassAndTitle(const char* cls, const char* title) override { return ::FindWindowA(cls, title); }
    bool WindowExists(HWND wnd) override { return ::IsWindow(wnd) != FALSE; }
    std::string WindowClassName(HWND wnd) override {
        // The class comes from the window's own record: no message.
        wchar_t name[64];
        const int n = ::GetClassNameW(wnd, name, 64);
        return n > 0 ? Narrow(name, n) : std::string();
    }
    std::string WindowTitle(HWND wnd) override {
        // InternalGetWindowText reads the stored title and never sends
        // WM_GETTEXT, unlike GetWindowText on a window of this process.
        using InternalGetWindowTextFn = int(WINAPI*)(HWND, LPWSTR, int);
        static const auto internal_get_window_text = reinterpret_cast<InternalGetWindowTextFn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "InternalGetWindowText")));
        if (!internal_get_window_text) return {};
        wchar_t title[64];
        const int n = internal_get_window_text(wnd, title, 64);
        return n > 0 ? Narrow(title, n) : std::string();
    }
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

bool IsPlayerWindow(HWND wnd) {
    PlayerPlatform& p = Platform();
    return wnd && p.WindowExists(wnd) && p.WindowClassName(wnd) == PlayerWindowClass &&
           p.WindowTitle(wnd) == PlayerWindowTitle;
}

bool FindPlayerWindow() {
    if (PlayerWnd && IsPlayerWindow(PlayerWnd)) return true;
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
