// Registry writes of the generic class registration.
#pragma once

#include <windows.h>

#include <string>

namespace velmap::com {

// Creates (or opens) root\key with read, create-subkey and set-value access,
// non-volatile, and sets the named value (empty name: the default value) to a
// REG_SZ string. Throws EComError("Error creating system registry entry").
void CreateRegKey(const std::wstring& key, const std::wstring& value_name, const std::wstring& value,
                  HKEY root = HKEY_CLASSES_ROOT);

// Deletes root\key when it has no subkeys; every failure is ignored.
void DeleteRegKey(const std::wstring& key, HKEY root = HKEY_CLASSES_ROOT) noexcept;

// The path as the registry should carry it: its short (8.3) form when it holds
// a blank and the volume has short names, else the path unchanged.
std::wstring RegistryModulePath(const std::wstring& long_path);

}  // namespace velmap::com
