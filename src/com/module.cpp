#include "com/module.h"

#include "com/class_manager.h"
#include "com/server.h"

#include <atomic>

namespace velmap::com {

namespace {

std::atomic<bool> uninitializing{false};

// In a DLL the host owns the apartment: nothing to initialise.
void ObjectSupportInitialize() { uninitializing = false; }

void ObjectSupportFinalize() {
    uninitializing = true;
    DestroyComClassManager();
}

// Loading OLEAUT32.DLL is deferred to the first use: a library load under the
// loader lock can deadlock the host.
void ServerSupportInitialize() { CreateComServer(); }
void ServerSupportFinalize() { DestroyComServer(); }

ModuleUnit object_unit{ObjectSupportInitialize, ObjectSupportFinalize};
ModuleUnit server_unit{ServerSupportInitialize, ServerSupportFinalize};

}  // namespace

void InitializeUnit(ModuleUnit& unit) {
    if (::InterlockedDecrement(&unit.counter) == -1 && unit.initialize) unit.initialize();
}

void FinalizeUnit(ModuleUnit& unit) {
    if (::InterlockedIncrement(&unit.counter) == 0 && unit.finalize) unit.finalize();
}

void ModuleStart(std::span<ModuleUnit* const> units) {
    for (ModuleUnit* unit : units) InitializeUnit(*unit);
}

void ModuleEnd(std::span<ModuleUnit* const> units) {
    for (auto it = units.rbegin(); it != units.rend(); ++it) FinalizeUnit(**it);
}

ModuleUnit& ComObjectSupport() { return object_unit; }
ModuleUnit& ComServerSupport() { return server_unit; }

bool ComUninitializing() noexcept { return uninitializing; }

}  // namespace velmap::com
