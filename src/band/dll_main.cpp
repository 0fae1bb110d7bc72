// VelmapBand.dll module entry: starts and ends the module's units. Nothing here
// loads a library or waits on anything.
#include "band/band_factory.h"
#include "com/module.h"
#include "com/server.h"
#include "remote/band_accessible.h"
#include "skin/data/skin_warning.h"
#include "skin/windows/window_skinning.h"
#include "skin/windows/window_subclass.h"
#include "win/module.h"

#include <windows.h>

using namespace velmap::com;

namespace velmap::band {
void WarmExceptionPool() noexcept;  // exception_pool.cpp
}

namespace {

// A window procedure of this module left in a window's chain (a subclass
// another program subclassed again), and an accessible object a client still
// holds, are live objects: DllCanUnloadNow says no while one is there.
void CountLiveObject(bool alive) noexcept {
    if (TComServer* server = ComServer()) server->CountObject(alive);
}

// Window skinning follows the skin manager's thread hook from the start (it
// only stores its observer here). At the end, the window classes the form's
// framework registered on first use go with the module: a class left behind
// would outlive the code of its procedure.
// Inside the shell a skin that cannot be read must not raise a modal box:
// the warning goes to the debugger's output.
void FormUnitInitialize() {
    velmap::skin::WindowSubclass::SetLinkCounter(&CountLiveObject);
    velmap::remote::SetAccessibleCounter(&CountLiveObject);
    velmap::skin::EnableWindowSkinning();
    velmap::SetSkinWarningHook([](const std::string& text, const std::string& caption) {
        ::OutputDebugStringA((caption + ": " + text + "\n").c_str());
    });
}

void FormUnitFinalize() {
    velmap::SetSkinWarningHook({});
    velmap::skin::DisableWindowSkinning();
    velmap::skin::WindowSubclass::SetLinkCounter(nullptr);
    velmap::remote::SetAccessibleCounter(nullptr);
    for (const wchar_t* name : {L"VelmapUiWindow", L"VelmapUiTimer"})
        ::UnregisterClassW(name, velmap::win::ThisModule());
}

ModuleUnit form_unit{FormUnitInitialize, FormUnitFinalize};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    ModuleUnit* const units[] = {&ComObjectSupport(), &ComServerSupport(), &form_unit, &velmap::band::BandUnit()};
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            // No DisableThreadLibraryCalls: the module has thread-local
            // callbacks (the threads library's), for which the system refuses
            // it anyway, and those callbacks must see every thread end, or
            // the record the threads library keeps for each thread that
            // entered it would outlive the thread.
            velmap::band::WarmExceptionPool();
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
