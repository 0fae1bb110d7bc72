#include "com/server.h"

#include "com/class_manager.h"
#include "com/error.h"
#include "com/object_factory.h"
#include "com/module.h"
#include "com/registry.h"
#include "win/handles.h"
#include "win/module.h"

#include <oleauto.h>

#include <atomic>
#include <cwctype>
#include <string_view>

namespace velmap::com {

namespace {

std::atomic<TComServer*> server{nullptr};

bool SwitchPresent(const wchar_t* command_line, std::wstring_view name) {
    // Arguments are separated by blanks; a switch starts with '/' or '-'.
    std::wstring_view rest = command_line ? command_line : L"";
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of(L" \t");
        if (start == std::wstring_view::npos) break;
        rest.remove_prefix(start);
        const size_t end = rest.find_first_of(L" \t");
        std::wstring_view arg = rest.substr(0, end);
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end);
        if (arg.size() != name.size() + 1 || (arg[0] != L'/' && arg[0] != L'-')) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::towupper(arg[i + 1]) == static_cast<wint_t>(name[i]);
        if (same) return true;
    }
    return false;
}

}  // namespace

StartMode StartModeFromCommandLine(const wchar_t* command_line) {
    if (SwitchPresent(command_line, L"AUTOMATION") || SwitchPresent(command_line, L"EMBEDDING"))
        return StartMode::Automation;
    if (SwitchPresent(command_line, L"REGSERVER")) return StartMode::RegServer;
    if (SwitchPresent(command_line, L"UNREGSERVER")) return StartMode::UnregServer;
    return StartMode::Normal;
}

TComServer::TComServer() : start_mode_(StartModeFromCommandLine(::GetCommandLineW())) {}

TComServer::~TComServer() {
    if (TComClassManager* manager = ExistingComClassManager()) manager->DestroyFactories(this);
}

LONG TComServer::CountObject(bool created) noexcept {
    return created ? ::InterlockedIncrement(&object_count_) : ::InterlockedDecrement(&object_count_);
}

LONG TComServer::CountFactory(bool created) noexcept {
    return created ? ::InterlockedIncrement(&factory_count_) : ::InterlockedDecrement(&factory_count_);
}

std::wstring TComServer::ServerName() const {
    if (!server_name_.empty()) return server_name_;
    std::wstring name = ServerFileName();
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

std::wstring TComServer::ServerFileName() const { return win::ModuleFileName(win::ThisModule()); }

void TComServer::UpdateRegistry(bool do_register) {
    if (type_lib_) UpdateTypeLibRegistration(do_register);
    last_registration_ = do_register;
    ComClassManager().ForEachFactory(this, [do_register](TComObjectFactory& factory) {
        if (factory.GetInstancing() != Instancing::Internal) factory.ApplyRegistration(do_register);
    });
}

void TComServer::UpdateTypeLibRegistration(bool do_register) {
    // OLEAUT32.DLL only from System32, and only now that it is needed.
    DWORD old_mode = 0;
    ::SetThreadErrorMode(SEM_NOOPENFILEERRORBOX, &old_mode);
    win::unique_hmodule oleaut(win::load_system_library(L"oleaut32.dll"));
    ::SetThreadErrorMode(old_mode, nullptr);
    if (!oleaut) throw EComError("Cannot load OLEAUT32.DLL");

    using RegisterFn = HRESULT(WINAPI*)(ITypeLib*, LPCOLESTR, LPCOLESTR);
    using UnregisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    // One user's registration registers the library for that user alone.
    const bool user = RegisteringForUser();
    if (do_register) {
        auto reg = reinterpret_cast<RegisterFn>(
            ::GetProcAddress(oleaut.get(), user ? "RegisterTypeLibForUser" : "RegisterTypeLib"));
        if (!reg) throw EComError("Cannot register the type library");
        std::wstring path = ServerFileName();
        std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
        if (FAILED(reg(type_lib_.Get(), path.c_str(), folder.c_str())))
            throw EComError("Cannot register the type library");
        return;
    }
    // Unregistering what is not registered is not an error.
    auto unreg = reinterpret_cast<UnregisterFn>(
        ::GetProcAddress(oleaut.get(), user ? "UnRegisterTypeLibForUser" : "UnRegisterTypeLib"));
    TLIBATTR* attr = nullptr;
    if (!unreg || FAILED(type_lib_->GetLibAttr(&attr)) || !attr) return;
    unreg(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    type_lib_->ReleaseTLibAttr(attr);
}

TComServer* ComServer() noexcept { return server.load(); }

void CreateComServer() {
    if (!server.load()) server = new TComServer();
}

void DestroyComServer() noexcept { delete server.exchange(nullptr); }

}  // namespace velmap::com
