#include "com/registry.h"

#include "com/error.h"
#include "win/handles.h"

namespace velmap::com {

namespace {
constexpr char kRegistryError[] = "Error creating system registry entry";
RegistryRoots roots;
}  // namespace

const RegistryRoots& CurrentRegistryRoots() noexcept { return roots; }

bool RegisteringForUser() noexcept { return roots.machine == HKEY_CURRENT_USER; }

UserRegistrationScope::UserRegistrationScope() : previous_(roots) {
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &classes_, nullptr) != ERROR_SUCCESS)
        throw EComError(kRegistryError);
    roots = {classes_, HKEY_CURRENT_USER};
}

UserRegistrationScope::~UserRegistrationScope() {
    roots = previous_;
    ::RegCloseKey(classes_);
}

void CreateRegKey(const std::wstring& key, const std::wstring& value_name, const std::wstring& value, HKEY root) {
    if (!root) root = roots.classes;
    win::unique_hkey handle;
    LSTATUS status = ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, handle.put(), nullptr);
    if (status != ERROR_SUCCESS) throw EComError(kRegistryError);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = ::RegSetValueExW(handle.get(), value_name.empty() ? nullptr : value_name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (status != ERROR_SUCCESS) throw EComError(kRegistryError);
}

void DeleteRegKey(const std::wstring& key, HKEY root) noexcept {
    ::RegDeleteKeyW(root ? root : roots.classes, key.c_str());
}

std::wstring RegistryModulePath(const std::wstring& long_path) {
    if (long_path.find(L' ') == std::wstring::npos) return long_path;
    const DWORD needed = ::GetShortPathNameW(long_path.c_str(), nullptr, 0);
    if (needed == 0) return long_path;  // no short names here: the long path still works
    std::wstring ShortPath(needed, L'\0');
    const DWORD n = ::GetShortPathNameW(long_path.c_str(), ShortPath.data(), needed);
    if (n == 0 || n >= needed) return long_path;
    ShortPath.resize(n);
    return ShortPath;
}

}  // namespace velmap::com
