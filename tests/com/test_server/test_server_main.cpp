// A COM server DLL built from the band's server code, serving the test classes.
#include "com/server.h"
#include "com/module.h"
#include "test_classes.h"

#include <windows.h>

using namespace velmap;

namespace {

void TestUnitInitialize() {
    com::TComServer* server = com::ComServer();
    server->SetServerName(L"VelmapComTestDll");
    test::CreateTestFactories(*server, test::kDllIds);
}

com::ModuleUnit test_unit{TestUnitInitialize, nullptr};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    com::ModuleUnit* const units[] = {&com::ComObjectSupport(), &com::ComServerSupport(), &test_unit};
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        try {
            com::ModuleStart(units);
        } catch (...) {
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        com::ModuleEnd(units);
    }
    return TRUE;
}
