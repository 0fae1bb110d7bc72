// The user's choice of skin: which skin the band shows, its recolouring, and
// whether it follows Windows' light or dark taskbar. Kept per user in the
// registry (one value each under HKCU\Software\Velmap\Skin); read, checked,
// written and announced here only. The band, the floating bar and the
// settings program all go through this file.
//
// Skins come from two folders only: "<install folder>\Skins" (the skins that
// ship) and "%APPDATA%\VelmapBand\Skins" (the user's own). A skin is named,
// never addressed by a path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/handles.h"

namespace velmap::skin {

class TsSkinManager;

inline constexpr wchar_t kSkinChoiceKey[] = L"Software\\Velmap\\Skin";
inline constexpr wchar_t kSkinChoiceSkinValue[] = L"Skin";
inline constexpr wchar_t kSkinChoiceHueValue[] = L"HueOffset";
inline constexpr wchar_t kSkinChoiceSaturationValue[] = L"Saturation";
inline constexpr wchar_t kSkinChoiceFollowValue[] = L"FollowSystem";
// Where Windows keeps the taskbar's theme (DWORD 1: light, 0 or none: dark).
inline constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
inline constexpr wchar_t kSystemLightThemeValue[] = L"SystemUsesLightTheme";

// The shipped skins "Follow Windows" switches between.
inline constexpr char kLightSkinName[] = "Chalk";
inline constexpr char kDarkSkinName[] = "Graphite";

// Limits of what is accepted.
inline constexpr std::size_t kMaxSkinNameLength = 64;
inline constexpr int kMaxHueOffset = 360;       // degrees, either way
inline constexpr int kMaxSaturationChange = 100;  // percent, either way
// A skin file (a packed skin, or any file of a skin folder) larger than this is
// refused before anything of it is read.
inline constexpr std::uint64_t kMaxUserSkinFileSize = std::uint64_t{8} << 20;

struct SkinChoice {
    std::string Skin;  // empty: the internal skin
    int HueOffset = 0;
    int Saturation = 0;
    bool FollowSystem = false;
    bool operator==(const SkinChoice&) const = default;
};

// A name a skin file or folder may have in one of the two folders: no path
// separators, no "..", no drive, no wildcard or reserved character, no device
// name (CON, NUL, COM1, ...), no trailing dot or blank, at most
// kMaxSkinNameLength bytes. The empty name (the internal skin) is not one.
bool IsSkinName(std::string_view name);

// Why the choice cannot be stored ("" when it can).
std::string CheckSkinChoice(const SkinChoice& choice);

// The stored choice; nothing when the user never chose (the band then stays
// exactly as built). A stored value that is malformed or out of range counts
// as unset.
std::optional<SkinChoice> ReadSkinChoice();

// Checks and stores the choice (all four values). Every band and bar of the
// user hears of it through the registry's change notification: writing is the
// announcement. False with a reason when the choice was refused or could not
// be written.
bool WriteSkinChoice(const SkinChoice& choice, std::string& error);

// Removes the stored choice: bands go back to the internal skin.
bool ClearSkinChoice();

// The taskbar's theme as Windows states it.
bool SystemUsesLightTheme();

// The skin to show for a choice: with FollowSystem, the light or dark shipped
// skin by the taskbar's theme; else the chosen one ("" for the internal skin).
std::string SkinToShow(const SkinChoice& choice, bool system_light);

// The two folders skins are read from (UTF-8, no trailing separator; empty
// when it cannot be worked out).
struct SkinFolders {
    std::string Installed;  // "<folder of module>\Skins"
    std::string User;       // "%APPDATA%\VelmapBand\Skins"
};
SkinFolders ChoosableSkinFolders(HMODULE module);

// Where a named skin is: the user's folder first, then the installed one; a
// packed skin ("<name>.asz") before a skin folder ("<name>\Options.dat").
struct SkinSource {
    std::string Folder;
    bool Packed = false;
};
std::optional<SkinSource> FindSkin(const SkinFolders& folders, std::string_view name);

// "" when every file the skin consists of is within kMaxUserSkinFileSize (or
// limit); else which file is too large. Sizes only: nothing is read.
std::string CheckSkinSize(const SkinSource& source, std::string_view name,
                          std::uint64_t limit = kMaxUserSkinFileSize);

// The skins a user can choose: the manager's internal skins first, in their
// order, then those of both folders, sorted, each name once.
std::vector<std::string> ListChoosableSkins(TsSkinManager& manager, const SkinFolders& folders);

// Puts the skin of the choice in force through the manager's own skin change,
// with the choice's recolouring. A skin that is missing, too large or cannot
// be read leaves the manager on its first internal skin; false then, with
// the reason (the caller reports it: the band to the debugger's output, the
// settings program on screen).
bool ApplySkinChoice(TsSkinManager& manager, const SkinChoice& choice, const SkinFolders& folders,
                     bool system_light, std::string& error);

// Posts message to target whenever the stored choice (wParam kChoiceChanged)
// or the taskbar's theme (kThemeChanged) may have changed: registry change
// notifications, waited on by one thread of the watch's own, which lives and
// ends with it (a pool thread would outlive the band); nothing polls. A
// notification fires once: call Rearm with the message's wParam from target's
// thread after each message. Made and destroyed on target's thread.
class SkinChoiceWatch {
public:
    enum Which : WPARAM { kChoiceChanged = 0, kThemeChanged = 1 };

    SkinChoiceWatch(HWND target, UINT message);
    ~SkinChoiceWatch();
    SkinChoiceWatch(const SkinChoiceWatch&) = delete;
    SkinChoiceWatch& operator=(const SkinChoiceWatch&) = delete;

    // False when the system refused the choice's watch (the band then
    // follows only the messages it is sent).
    bool Watching() const { return thread_ != nullptr; }
    void Rearm(WPARAM which);

private:
    struct Watch {
        SkinChoiceWatch* owner = nullptr;
        Which which = kChoiceChanged;
        win::unique_handle_t event;
        win::unique_hkey key;
        int depth = -1;  // index into the key's path and its ancestors
    };
    static DWORD WINAPI WaitThread(void* self);

    HWND target_;
    UINT message_;
    Watch watches_[2];
    win::unique_handle_t stop_;
    HANDLE thread_ = nullptr;
};

}  // namespace velmap::skin
