#include "skin/manager/skin_choice.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <exception>

#include "skin/manager/skin_directory.h"
#include "skin/manager/skin_manager.h"
#include "win/module.h"
#include "win/strings.h"

namespace velmap::skin {

namespace {

bool IsDeviceName(std::string_view stem) {
    std::string upper;
    for (char c : stem) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* d : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (upper == d) return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '0' &&
           upper[3] <= '9';
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::optional<std::string> ReadString(HKEY key, const wchar_t* name) {
    // A name is short: anything longer than a valid one is refused unread.
    wchar_t buf[kMaxSkinNameLength + 2] = {};
    DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring text(buf, size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    try {
        return win::WideToUtf8(text);
    } catch (const win::EncodingError&) {
        return std::nullopt;
    }
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    try {
        if (!::GetFileAttributesExW(win::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    } catch (const win::EncodingError&) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::string FolderOf(HMODULE module) {
    std::wstring path = win::ModuleFileName(module);
    path.resize(path.find_last_of(L"\\/") == std::wstring::npos ? 0 : path.find_last_of(L"\\/"));
    try {
        return win::WideToUtf8(path);
    } catch (const win::EncodingError&) {
        return {};
    }
}

}  // namespace

bool IsSkinName(std::string_view name) {
    if (name.empty() || name.size() > kMaxSkinNameLength) return false;
    if (name.front() == ' ' || name.back() == ' ' || name.back() == '.' || name.front() == '.') return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    if (name.find("..") != std::string_view::npos) return false;
    // "NUL" is a device whatever extension follows it.
    return !IsDeviceName(name.substr(0, name.find('.')));
}

std::string CheckSkinChoice(const SkinChoice& choice) {
    if (!choice.Skin.empty() && !IsSkinName(choice.Skin))
        return "\"" + choice.Skin + "\" is not a skin name (a name, not a path: no \\ / : * ? \" < > |, no \"..\", "
               "no device name, at most " + std::to_string(kMaxSkinNameLength) + " characters)";
    if (choice.HueOffset < -kMaxHueOffset || choice.HueOffset > kMaxHueOffset)
        return "hue offset " + std::to_string(choice.HueOffset) + " is out of range (-" +
               std::to_string(kMaxHueOffset) + " to " + std::to_string(kMaxHueOffset) + ")";
    if (choice.Saturation < -kMaxSaturationChange || choice.Saturation > kMaxSaturationChange)
        return "saturation " + std::to_string(choice.Saturation) + " is out of range (-" +
               std::to_string(kMaxSaturationChange) + " to " + std::to_string(kMaxSaturationChange) + ")";
    return {};
}

std::optional<SkinChoice> ReadSkinChoice() {
    win::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSkinChoiceKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const auto skin = ReadString(key.get(), kSkinChoiceSkinValue);
    const auto hue = ReadDword(key.get(), kSkinChoiceHueValue);
    const auto saturation = ReadDword(key.get(), kSkinChoiceSaturationValue);
    const auto follow = ReadDword(key.get(), kSkinChoiceFollowValue);
    if (!skin && !hue && !saturation && !follow) return std::nullopt;
    SkinChoice choice;
    if (skin && (skin->empty() || IsSkinName(*skin))) choice.Skin = *skin;
    const auto in_range = [](std::optional<DWORD> v, int limit) {
        const int i = v ? static_cast<int>(*v) : 0;
        return i >= -limit && i <= limit ? i : 0;
    };
    choice.HueOffset = in_range(hue, kMaxHueOffset);
    choice.Saturation = in_range(saturation, kMaxSaturationChange);
    choice.FollowSystem = follow && *follow != 0;
    return choice;
}

bool WriteSkinChoice(const SkinChoice& choice, std::string& error) {
    error = CheckSkinChoice(choice);
    if (!error.empty()) return false;
    win::unique_hkey key;
    LONG rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, kSkinChoiceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                                nullptr);
    if (rc == ERROR_SUCCESS) {
        const std::wstring skin = win::Utf8ToWide(choice.Skin);
        rc = ::RegSetValueExW(key.get(), kSkinChoiceSkinValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(skin.c_str()),
                              static_cast<DWORD>((skin.size() + 1) * sizeof(wchar_t)));
        // The skin value last: a band woken by the first write reads the rest as it will stay.
        if (rc == ERROR_SUCCESS &&
            !(WriteDword(key.get(), kSkinChoiceHueValue, static_cast<DWORD>(choice.HueOffset)) &&
              WriteDword(key.get(), kSkinChoiceSaturationValue, static_cast<DWORD>(choice.Saturation)) &&
              WriteDword(key.get(), kSkinChoiceFollowValue, choice.FollowSystem ? 1 : 0)))
            rc = ERROR_WRITE_FAULT;
    }
    if (rc != ERROR_SUCCESS) {
        error = "the choice could not be stored (error " + std::to_string(rc) + ")";
        return false;
    }
    return true;
}

bool ClearSkinChoice() {
    const LONG rc = ::RegDeleteKeyW(HKEY_CURRENT_USER, kSkinChoiceKey);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool SystemUsesLightTheme() {
    win::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    const auto v = ReadDword(key.get(), kSystemLightThemeValue);
    return v && *v != 0;
}

std::string SkinToShow(const SkinChoice& choice, bool system_light) {
    if (choice.FollowSystem) return system_light ? kLightSkinName : kDarkSkinName;
    return choice.Skin;
}

SkinFolders ChoosableSkinFolders(HMODULE module) {
    SkinFolders folders;
    if (std::string here = FolderOf(module); !here.empty()) {
        folders.Installed = here + "\\Skins";
        // The 32-bit band lives in a folder of its own below the installation.
        if (!DirectoryExists(folders.Installed)) {
            const auto up = here.find_last_of("\\/");
            if (up != std::string::npos && DirectoryExists(here.substr(0, up) + "\\Skins"))
                folders.Installed = here.substr(0, up) + "\\Skins";
        }
    }
    wchar_t appdata[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata))) {
        try {
            folders.User = win::WideToUtf8(appdata) + "\\VelmapBand\\Skins";
        } catch (const win::EncodingError&) {
        }
    }
    return folders;
}

std::optional<SkinSource> FindSkin(const SkinFolders& folders, std::string_view name) {
    if (!IsSkinName(name)) return std::nullopt;
    for (const std::string* folder : {&folders.User, &folders.Installed}) {
        if (folder->empty()) continue;
        const std::string base = *folder + "\\" + std::string(name);
        if (FileExists(base + ".asz")) return SkinSource{*folder, true};
        if (FileExists(base + "\\Options.dat")) return SkinSource{*folder, false};
    }
    return std::nullopt;
}

std::string CheckSkinSize(const SkinSource& source, std::string_view name, std::uint64_t limit) {
    const std::string base = source.Folder + "\\" + std::string(name);
    const auto too_large = [&](const std::string& file, std::uint64_t size) {
        return file + " is " + std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
               " bytes a skin file may have";
    };
    if (source.Packed) {
        const auto size = FileSize(base + ".asz");
        if (!size) return base + ".asz cannot be read";
        return *size > limit ? too_large(base + ".asz", *size) : std::string{};
    }
    WIN32_FIND_DATAW fd;
    win::unique_find find(::FindFirstFileW(win::Utf8ToWide(base + "\\*").c_str(), &fd));
    if (!find) return base + " cannot be read";
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::uint64_t size = (std::uint64_t{fd.nFileSizeHigh} << 32) | fd.nFileSizeLow;
        if (size > limit) {
            std::string file;
            try {
                file = win::WideToUtf8(fd.cFileName);
            } catch (const win::EncodingError&) {
                file = "a file";
            }
            return too_large(base + "\\" + file, size);
        }
    } while (::FindNextFileW(find.get(), &fd));
    return {};
}

std::vector<std::string> ListChoosableSkins(TsSkinManager& manager, const SkinFolders& folders) {
    std::vector<std::string> names;
    for (const auto& s : manager.InternalSkins()) names.push_back(s.Name);
    const std::size_t internal_count = names.size();
    const std::string kept = manager.SkinDirectory();
    std::vector<std::string> found, listed;
    for (const std::string* folder : {&folders.Installed, &folders.User}) {
        if (folder->empty()) continue;
        manager.SetSkinDirectory(*folder);
        manager.ListSkins(listed, 2);
        for (auto& n : listed)
            if (IsSkinName(n) && std::find(names.begin(), names.end(), n) == names.end()) found.push_back(n);
    }
    manager.SetSkinDirectory(kept);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    names.insert(names.begin() + static_cast<std::ptrdiff_t>(internal_count), found.begin(), found.end());
    return names;
}

bool ApplySkinChoice(TsSkinManager& manager, const SkinChoice& choice, const SkinFolders& folders,
                     bool system_light, std::string& error) {
    error.clear();
    const auto& internal = manager.InternalSkins();
    const std::string name = SkinToShow(choice, system_light);
    const bool is_internal =
        name.empty() || std::any_of(internal.begin(), internal.end(), [&](const TsStoredSkin& s) { return s.Name == name; });
    // Internal skins are looked up with the folders sealed, as the band is built.
    const auto show_internal = [&](const std::string& internal_name) {
        manager.SetSkinDirectory(SealedSkinDirectory);
        manager.ChangeSkin(internal_name, choice.HueOffset, choice.Saturation);
    };
    const std::string first_internal = internal.empty() ? std::string{} : internal.front().Name;
    if (is_internal) {
        show_internal(name.empty() ? first_internal : name);
        return true;
    }
    std::optional<SkinSource> source;
    if (!IsSkinName(name))
        error = "\"" + name + "\" is not a skin name";
    else if (source = FindSkin(folders, name); !source)
        error = "no skin \"" + name + "\" in " + folders.User + " or " + folders.Installed;
    else
        error = CheckSkinSize(*source, name);
    if (error.empty()) {
        try {
            manager.SetSkinDirectory(source->Folder);
            manager.ChangeSkin(name, choice.HueOffset, choice.Saturation);
            if (manager.Active() && manager.SkinLoaded() && manager.SkinName() == name) return true;
            error = "skin \"" + name + "\" cannot be read";
        } catch (const std::exception& e) {
            error = "skin \"" + name + "\" cannot be read: " + e.what();
        } catch (...) {
            error = "skin \"" + name + "\" cannot be read";
        }
    }
    try {
        if (!manager.Active()) manager.SetActive(true);
        show_internal(first_internal);
    } catch (...) {
        error += "; the internal skin could not be put back";
    }
    return false;
}

// ---- the watch -------------------------------------------------------------------

namespace {

// The choice's key and, while it does not exist, its nearest existing
// ancestor (whose new subkeys are watched for).
constexpr const wchar_t* kChoicePath[] = {kSkinChoiceKey, L"Software\\Velmap", L"Software"};

}  // namespace

SkinChoiceWatch::SkinChoiceWatch(HWND target, UINT message) : target_(target), message_(message) {
    for (WPARAM which : {kChoiceChanged, kThemeChanged}) {
        Watch& w = watches_[which];
        w.owner = this;
        w.which = static_cast<Which>(which);
        w.event.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        Rearm(which);
    }
    stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (stop_ && watches_[kChoiceChanged].event && watches_[kThemeChanged].event)
        thread_ = ::CreateThread(nullptr, 64 * 1024, &WaitThread, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
}

SkinChoiceWatch::~SkinChoiceWatch() {
    if (thread_) {
        ::SetEvent(stop_.get());
        ::WaitForSingleObject(thread_, INFINITE);
        ::CloseHandle(thread_);
    }
}

DWORD WINAPI SkinChoiceWatch::WaitThread(void* self) {
    auto* watch = static_cast<SkinChoiceWatch*>(self);
    const HANDLE events[] = {watch->stop_.get(), watch->watches_[kChoiceChanged].event.get(),
                             watch->watches_[kThemeChanged].event.get()};
    for (;;) {
        const DWORD r = ::WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0 + 1 || r == WAIT_OBJECT_0 + 2)
            ::PostMessageW(watch->target_, watch->message_, r - WAIT_OBJECT_0 - 1, 0);
        else
            return 0;
    }
}

void SkinChoiceWatch::Rearm(WPARAM which) {
    if (which > kThemeChanged) return;
    Watch& w = watches_[which];
    if (!w.event) return;
    // Twice at most: a key deleted under the watch refuses it, and the watch
    // then starts again from the nearest key that exists.
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD filter = REG_NOTIFY_CHANGE_LAST_SET;
        if (which == kThemeChanged) {
            if (!w.key &&
                ::RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_NOTIFY, w.key.put()) != ERROR_SUCCESS)
                return;
        } else {
            // The notification that fired is spent, so the old key can be
            // closed without waking the watch again.
            for (int depth = 0; depth < static_cast<int>(std::size(kChoicePath)); ++depth) {
                if (depth == w.depth && w.key) break;
                win::unique_hkey key;
                if (::RegOpenKeyExW(HKEY_CURRENT_USER, kChoicePath[depth], 0, KEY_NOTIFY, key.put()) == ERROR_SUCCESS) {
                    w.key = std::move(key);
                    w.depth = depth;
                    break;
                }
            }
            if (!w.key) return;
            filter = w.depth == 0 ? REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME : REG_NOTIFY_CHANGE_NAME;
        }
        if (::RegNotifyChangeKeyValue(w.key.get(), FALSE, filter, w.event.get(), TRUE) == ERROR_SUCCESS) return;
        w.key.reset();
        w.depth = -1;
    }
}

}  // namespace velmap::skin
