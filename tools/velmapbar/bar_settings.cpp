#include "bar_settings.h"

#include "win/module.h"

#include <cstdint>

namespace velmap::tools {

namespace {

class Key {
public:
    Key(const wchar_t* path, REGSAM access, bool create) {
        const LSTATUS status =
            create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key_, nullptr)
                   : ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_) ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::optional<POINT> LoadBarPosition(const std::wstring& arrangement) {
    Key key(kBarSettingsKey, KEY_QUERY_VALUE, false);
    if (!key.get()) return std::nullopt;
    std::int32_t xy[2];
    DWORD size = sizeof xy, type = 0;
    if (::RegQueryValueExW(key.get(), arrangement.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(xy), &size) ==
            ERROR_SUCCESS &&
        type == REG_BINARY && size == sizeof xy)
        return POINT{xy[0], xy[1]};
    DWORD left = 0, top = 0, left_size = sizeof left, top_size = sizeof top, left_type = 0, top_type = 0;
    if (::RegQueryValueExW(key.get(), L"Left", nullptr, &left_type, reinterpret_cast<BYTE*>(&left), &left_size) ==
            ERROR_SUCCESS &&
        ::RegQueryValueExW(key.get(), L"Top", nullptr, &top_type, reinterpret_cast<BYTE*>(&top), &top_size) ==
            ERROR_SUCCESS &&
        left_type == REG_DWORD && top_type == REG_DWORD && left_size == sizeof left && top_size == sizeof top)
        return POINT{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top)};
    return std::nullopt;
}

bool SaveBarPosition(const std::wstring& arrangement, POINT at) {
    Key key(kBarSettingsKey, KEY_SET_VALUE, true);
    const std::int32_t xy[2] = {static_cast<std::int32_t>(at.x), static_cast<std::int32_t>(at.y)};
    return key.get() && ::RegSetValueExW(key.get(), arrangement.c_str(), 0, REG_BINARY,
                                         reinterpret_cast<const BYTE*>(xy), sizeof xy) == ERROR_SUCCESS;
}

bool ForgetBarPosition(const std::wstring& arrangement) {
    Key key(kBarSettingsKey, KEY_SET_VALUE, false);
    if (!key.get()) return true;
    const LSTATUS status = ::RegDeleteValueW(key.get(), arrangement.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool StartsWithWindows() {
    Key key(kRunKey, KEY_QUERY_VALUE, false);
    return key.get() && ::RegQueryValueExW(key.get(), kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SetStartWithWindows(bool on) {
    if (!on) {
        Key key(kRunKey, KEY_SET_VALUE, false);
        if (!key.get()) return true;
        const LSTATUS status = ::RegDeleteValueW(key.get(), kRunValue);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return false;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    // Quoted: the program usually lives under "Program Files".
    const std::wstring command = L"\"" + path + L"\"";
    Key key(kRunKey, KEY_SET_VALUE, true);
    return key.get() && ::RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

HMENU CreateBarMenu() {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    ::AppendMenuW(menu, MF_STRING | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED), kStartWithWindowsCommand,
                  L"&Start with Windows");
    ::AppendMenuW(menu, MF_STRING, kResetPositionCommand, L"&Reset position");
    ::AppendMenuW(menu, MF_STRING, kSkinSettingsCommand, L"S&ettings\u2026");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCloseCommand, L"&Close");
    return menu;
}

bool OpenSkinSettings() {
    std::wstring path = win::ModuleFileName(nullptr);
    if (path.empty()) return false;
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"VelmapBandSettings.exe";
    std::wstring line = L"\"" + path + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

}  // namespace velmap::tools
