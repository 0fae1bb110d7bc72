// The entry points of the in-process server: the four of COM, and
// DllInstall for one user's registration.
#include "com/class_manager.h"
#include "com/error.h"
#include "com/object_factory.h"
#include "com/registry.h"
#include "com/server.h"

#include <objbase.h>
#include <olectl.h>

#include <cwchar>

using namespace velmap::com;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return Guarded(E_UNEXPECTED, [&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        TComClassManager* manager = ExistingComClassManager();
        TComObjectFactory* factory = manager ? manager->GetFactoryFromClassID(clsid) : nullptr;
        if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
        return factory->QueryInterface(iid, out);
    });
}

STDAPI DllCanUnloadNow() {
    const TComServer* server = ComServer();
    return server && (server->ObjectCount() != 0 || server->FactoryCount() != 0) ? S_FALSE : S_OK;
}

namespace {
HRESULT UpdateServerRegistry(bool do_register, bool for_user = false) {
    return Guarded(E_FAIL, [do_register, for_user]() -> HRESULT {
        TComServer* server = ComServer();
        if (!server) return E_FAIL;
        if (!for_user) {
            server->UpdateRegistry(do_register);
            return S_OK;
        }
        UserRegistrationScope scope;
        server->UpdateRegistry(do_register);
        return S_OK;
    });
}
}  // namespace

STDAPI DllRegisterServer() { return UpdateServerRegistry(true); }

STDAPI DllUnregisterServer() { return UpdateServerRegistry(false); }

// regsvr32 /n /i:user (and /u /n /i:user): the entries of DllRegisterServer for
// the current user only; "machine" or nothing: for all users, as
// DllRegisterServer. Anything else is refused before a key is touched.
STDAPI DllInstall(BOOL install, LPCWSTR command_line) {
    const bool user = command_line && _wcsicmp(command_line, L"user") == 0;
    if (!user && command_line && *command_line && _wcsicmp(command_line, L"machine") != 0) return E_INVALIDARG;
    return UpdateServerRegistry(install != FALSE, user);
}
