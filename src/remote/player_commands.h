// Player remote: finds the player's window and sends it Ctrl+Alt shortcuts
// through the system input queue. There is no other channel to the player.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace velmap::remote {

// Members of the modifier set, by bit index in one byte.
enum TShiftStateMember : std::uint8_t {
    ssShift = 0,
    ssAlt = 1,
    ssCtrl = 2,
    ssLeft = 3,
    ssRight = 4,
    ssMiddle = 5,
    ssDouble = 6,
};

struct TShiftState {
    std::uint8_t bits = 0;

    constexpr TShiftState() = default;
    constexpr TShiftState(std::initializer_list<TShiftStateMember> members) {
        for (auto m : members) bits = static_cast<std::uint8_t>(bits | (1u << m));
    }
    constexpr bool contains(TShiftStateMember m) const { return (bits >> m) & 1u; }
};

// Modifier member and the virtual key pressed for it, in pressing order.
inline constexpr std::array<std::array<std::uint8_t, 2>, 3> ModifierKeyTable = {{
    {ssCtrl, VK_CONTROL},
    {ssShift, VK_SHIFT},
    {ssAlt, VK_MENU},
}};

inline constexpr char PlayerWindowClass[] = "Tvelmoraplayerapi";
inline constexpr char PlayerWindowTitle[] = "velmoraplayerapi";

// The user32 calls the remote makes. Tests swap in a recorder; the band uses
// the system.
class PlayerPlatform {
public:
    virtual ~PlayerPlatform() = default;
    virtual HWND FindWindowByClassAndTitle(const char* cls, const char* title) = 0;
    // IsWindow.
    virtual bool WindowExists(HWND wnd) = 0;
    // The window's class name and title, read without sending the window a
    // message (a hung player must not hang the band); empty when unknown.
    virtual std::string WindowClassName(HWND wnd) = 0;
    virtual std::string WindowTitle(HWND wnd) = 0;
    virtual BOOL BringToForeground(HWND wnd) = 0;
    // Whether keys typed now reach wnd: the foreground window belongs to
    // wnd's thread.
    virtual bool HoldsForeground(HWND wnd) = 0;
    // Whether another owner holds the combination as a system-wide hotkey
    // (RegisterHotKey on this thread fails with ERROR_HOTKEY_ALREADY_REGISTERED;
    // a probe that succeeds is unregistered at once).
    virtual bool HotkeyHeldElsewhere(UINT modifiers, UINT vk) = 0;
    virtual UINT VirtualKeyToScanCode(UINT code) = 0;  // MapVirtualKeyA(code, 0)
    // SendInput: the number of events inserted into the input stream.
    virtual UINT SendInputs(const INPUT* inputs, UINT count) = 0;
};

PlayerPlatform& SystemPlayerPlatform();
// Replaces the platform for the calls that follow; nullptr restores the system.
void SetPlayerPlatform(PlayerPlatform* platform);

// Process-wide state shared by every band form in the process.
extern HWND PlayerWnd;        // cached player window; null: not known
extern bool PlayPauseToggle;  // true: play/pause sends 'X' next, else 'C'

// Whether wnd is still a window with exactly the player's class and title.
bool IsPlayerWindow(HWND wnd);

// True when the player window is known. A cached handle is checked first (the
// player may have exited, and its handle may now name another window); one
// that fails is dropped and the player looked up again.
bool FindPlayerWindow();

// Presses the modifiers of shift (table order), key down and up, then
// releases the modifiers in reverse order, all in one SendInput call (no
// keystroke of the user's can land inside the chord). When fewer events go
// in, the keys that went down are released. True when every event went in.
bool SendKeyCombination(WORD key, TShiftState shift, bool extended);

// The RegisterHotKey modifiers of a shift set.
UINT HotkeyModifiers(TShiftState shift);

enum class PlayerCommand { Prev, PlayPause, Stop, Next, VolDown, VolUp };

// One button click: find the player, bring it forward, send its shortcut.
// The shortcut is sent only where it reaches the player: its window took the
// foreground, or the shortcut is held as a system-wide hotkey. Otherwise it
// would be typed into whatever window is in front (Ctrl+Alt+letter is
// AltGr+letter on many layouts), so nothing is sent, as when the player cannot
// be found.
void ExecutePlayerCommand(PlayerCommand command);

// What the band form does when it is created: the next play/pause sends 'X',
// and the player is looked up again (a failed lookup forgets an old handle).
void ResetPlayerRemote();

}  // namespace velmap::remote
