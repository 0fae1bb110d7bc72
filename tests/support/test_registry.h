// Reading the registry back in tests.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace velmap::test {

inline bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    ::RegCloseKey(h);
    return true;
}

inline std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof(buffer);
    DWORD type = 0;
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, buffer, &bytes) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::wstring(buffer);
}

// Every key and value under root\key, as "path|name=data" lines, for comparing states.
inline void DumpKey(HKEY root, const std::wstring& key, std::map<std::wstring, std::wstring>& out) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    out[key] = L"(key)";
    wchar_t name[256];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD name_len = 256, data_len = sizeof(data), type = 0;
        if (::RegEnumValueW(h, i, name, &name_len, nullptr, &type, data, &data_len) != ERROR_SUCCESS) break;
        out[key + L"|" + name] = std::to_wstring(type) + L":" +
                                 std::wstring(reinterpret_cast<wchar_t*>(data), data_len / sizeof(wchar_t));
    }
    for (DWORD i = 0;; ++i) {
        DWORD name_len = 256;
        if (::RegEnumKeyExW(h, i, name, &name_len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DumpKey(root, key + L"\\" + name, out);
    }
    ::RegCloseKey(h);
}

}  // namespace velmap::test
