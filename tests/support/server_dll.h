// A server DLL loaded for one test and called through its four exports.
#pragma once

#include <windows.h>

#include "win/strings.h"

#include <string>

namespace velmap::test {

// A path of the build, with Windows separators.
inline std::wstring WindowsPath(const char* path) {
    std::wstring out = win::Utf8ToWide(path);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

// A DLL loaded for one test, with its four exports.
struct ServerDll {
    explicit ServerDll(const std::wstring& path) : module(::LoadLibraryW(path.c_str())) {
        if (!module) return;
        get_class_object = reinterpret_cast<decltype(get_class_object)>(::GetProcAddress(module, "DllGetClassObject"));
        can_unload_now = reinterpret_cast<decltype(can_unload_now)>(::GetProcAddress(module, "DllCanUnloadNow"));
        register_server = reinterpret_cast<decltype(register_server)>(::GetProcAddress(module, "DllRegisterServer"));
        unregister_server = reinterpret_cast<decltype(unregister_server)>(
            ::GetProcAddress(module, "DllUnregisterServer"));
    }
    ~ServerDll() {
        if (module) ::FreeLibrary(module);
    }
    ServerDll(const ServerDll&) = delete;
    ServerDll& operator=(const ServerDll&) = delete;
    bool complete() const {
        return module && get_class_object && can_unload_now && register_server && unregister_server;
    }

    HMODULE module;
    HRESULT(WINAPI* get_class_object)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* can_unload_now)() = nullptr;
    HRESULT(WINAPI* register_server)() = nullptr;
    HRESULT(WINAPI* unregister_server)() = nullptr;
};

}  // namespace velmap::test
