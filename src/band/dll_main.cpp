// VelmapBand.dll module entry: starts and ends the module's units. Nothing here
// loads a library or waits on anything.
#include "com/module.h"

#include <windows.h>

using namespace velmap::com;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    ModuleUnit* const units[] = {&ComObjectSupport(), &ComServerSupport()};
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            ::DisableThreadLibraryCalls(instance);
            try {
                ModuleStart(units);
            } catch (...) {
                return FALSE;
            }
            break;
        case DLL_PROCESS_DETACH:
            // At process exit the other threads are gone and the memory goes with
            // the process: only a real unload tears down.
            if (!reserved) ModuleEnd(units);
            break;
        default:
            break;
    }
    return TRUE;
}
