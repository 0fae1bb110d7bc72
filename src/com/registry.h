// Registry writes of the generic class registration, and where they go.
#pragma once

#include <windows.h>

#include <string>

namespace velmap::com {

// Where registration writes. For all users: classes under HKEY_CLASSES_ROOT,
// the machine's settings under HKEY_LOCAL_MACHINE. For the current user only:
// the very same keys under HKEY_CURRENT_USER\Software\Classes and
// HKEY_CURRENT_USER, written by the very same code, so that the two images
// cannot drift apart.
struct RegistryRoots {
    HKEY classes = HKEY_CLASSES_ROOT;
    HKEY machine = HKEY_LOCAL_MACHINE;
};
const RegistryRoots& CurrentRegistryRoots() noexcept;
bool RegisteringForUser() noexcept;

// For its lifetime, registration writes for the current user only. Throws
// EComError when the user's classes key cannot be had. Registration runs on
// one thread (regsvr32, an installer): no two scopes overlap.
class UserRegistrationScope {
public:
    UserRegistrationScope();
    ~UserRegistrationScope();
    UserRegistrationScope(const UserRegistrationScope&) = delete;
    UserRegistrationScope& operator=(const UserRegistrationScope&) = delete;

private:
    HKEY classes_ = nullptr;
    RegistryRoots previous_;
};

// Creates (or opens) root\key with read, create-subkey and set-value access,
// non-volatile, and sets the named value (empty name: the default value) to a
// REG_SZ string. Throws EComError("Error creating system registry entry").
// A null root is the current classes root.
void CreateRegKey(const std::wstring& key, const std::wstring& value_name, const std::wstring& value,
                  HKEY root = nullptr);

// Deletes root\key when it has no subkeys; every failure is ignored.
void DeleteRegKey(const std::wstring& key, HKEY root = nullptr) noexcept;

// The path as the registry should carry it: its short (8.3) form when it holds
// a blank and the volume has short names, else the path unchanged.
std::wstring RegistryModulePath(const std::wstring& long_path);

}  // namespace velmap::com
