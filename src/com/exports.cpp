// The four entry points of the in-process server.
#include "com/class_manager.h"
#include "com/error.h"
#include "com/object_factory.h"
#include "com/server.h"

#include <objbase.h>
#include <olectl.h>

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
HRESULT UpdateServerRegistry(bool do_register) {
    return Guarded(E_FAIL, [do_register]() -> HRESULT {
        TComServer* server = ComServer();
        if (!server) return E_FAIL;
        server->UpdateRegistry(do_register);
        return S_OK;
    });
}
}  // namespace

STDAPI DllRegisterServer() { return UpdateServerRegistry(true); }

STDAPI DllUnregisterServer() { return UpdateServerRegistry(false); }
