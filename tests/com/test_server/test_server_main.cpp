// A COM server DLL built from the band's server code, serving the test classes.
#include "com/server.h"
#include "com/module.h"
#include "test_classes.h"

#include <windows.h>

using namespace velmap;

namespace {

void test_unit_initialize() {
    com::TComServer* server = com::ComServer();
    server->SetServerName(L"VelmapComTestDll");
    test::create_test_factories(*server, test::kDllIds);
}

com::module_unit test_unit{test_unit_initialize, nullptr};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    com::module_unit* const units[] = {&com::com_object_support(), &com::com_server_support(), &test_unit};
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        try {
            com::module_start(units);
        } catch (...) {
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        com::module_end(units);
    }
    return TRUE;
}
