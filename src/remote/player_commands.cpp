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
    bool HoldsForeground(HWND wnd) override {
        // Keys go to the focus of the foreground window's thread: the
        // player's own thread, whichever of its windows is in front.
        const HWND front = ::GetForegroundWindow();
        if (!front) return false;
        const DWORD thread = ::GetWindowThreadProcessId(wnd, nullptr);
        return front == wnd || (thread != 0 && ::GetWindowThreadProcessId(front, nullptr) == thread);
    }
    bool HotkeyHeldElsewhere(UINT modifiers, UINT vk) override {
        constexpr int kProbeId = 0xB7E1;  // an application id (below 0xC000)
        ::SetLastError(ERROR_SUCCESS);
        if (::RegisterHotKey(nullptr, kProbeId, modifiers, vk)) {
            ::UnregisterHotKey(nullptr, kProbeId);
            return false;
        }
        return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
    }
    UINT VirtualKeyToScanCode(UINT code) override { return ::MapVirtualKeyA(code, 0); }
    UINT SendInputs(const INPUT* inputs, UINT count) override {
        return ::SendInput(count, const_cast<INPUT*>(inputs), sizeof(INPUT));
    }
};

PlayerPlatform* g_platform = nullptr;

PlayerPlatform& Platform() { return g_platform ? *g_platform : SystemPlayerPlatform(); }

INPUT KeyInput(PlayerPlatform& p, WORD key, DWORD flags) {
    // The scan code is asked for every event; the full code goes to the
    // mapping, its low byte to the event, as a keybd_event would carry them.
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = static_cast<BYTE>(key & 0xFF);
    in.ki.wScan = static_cast<BYTE>(p.VirtualKeyToScanCode(key));
    in.ki.dwFlags = flags;
    return in;
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

bool SendKeyCombination(WORD key, TShiftState shift, bool extended) {
    PlayerPlatform& p = Platform();
    // At most three modifiers down and up, and the key's two events.
    std::array<INPUT, 8> events{};
    UINT n = 0;
    for (const auto& entry : ModifierKeyTable) {
        if (shift.contains(static_cast<TShiftStateMember>(entry[0]))) events[n++] = KeyInput(p, entry[1], 0);
    }
    const DWORD flags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    events[n++] = KeyInput(p, key, flags);
    events[n++] = KeyInput(p, key, flags | KEYEVENTF_KEYUP);
    for (auto it = ModifierKeyTable.rbegin(); it != ModifierKeyTable.rend(); ++it) {
        if (shift.contains(static_cast<TShiftStateMember>((*it)[0])))
            events[n++] = KeyInput(p, (*it)[1], KEYEVENTF_KEYUP);
    }
    const UINT inserted = p.SendInputs(events.data(), n);
    if (inserted >= n) return true;
    // Cut short: a key left down would stick for the user. The releases still
    // due are the key-ups, later in the sequence, of keys that went down.
    std::array<INPUT, 8> releases{};
    UINT r = 0;
    for (UINT i = inserted; i < n; ++i) {
        if (!(events[i].ki.dwFlags & KEYEVENTF_KEYUP)) continue;
        for (UINT j = 0; j < inserted; ++j) {
            if (events[j].ki.wVk == events[i].ki.wVk && !(events[j].ki.dwFlags & KEYEVENTF_KEYUP)) {
                releases[r++] = events[i];
                break;
            }
        }
    }
    if (r > 0) p.SendInputs(releases.data(), r);
    return false;
}

UINT HotkeyModifiers(TShiftState shift) {
    return (shift.contains(ssCtrl) ? MOD_CONTROL : 0u) | (shift.contains(ssAlt) ? MOD_ALT : 0u) |
           (shift.contains(ssShift) ? MOD_SHIFT : 0u);
}

void ExecutePlayerCommand(PlayerCommand command) {
    if (!FindPlayerWindow()) return;
    PlayerPlatform& p = Platform();
    p.BringToForeground(PlayerWnd);
    const WORD key = KeyOf(command);
    if (!p.HoldsForeground(PlayerWnd) && !p.HotkeyHeldElsewhere(HotkeyModifiers(kCommandShift), key)) return;
    // The alternation moves on only with a shortcut that went out whole.
    if (SendKeyCombination(key, kCommandShift, false) && command == PlayerCommand::PlayPause)
        PlayPauseToggle = !PlayPauseToggle;
}

void ResetPlayerRemote() {
    PlayPauseToggle = true;
    PlayerWnd = Platform().FindWindowByClassAndTitle(PlayerWindowClass, PlayerWindowTitle);
}

}  // namespace velmap::remote
