#include "com/module.h"

#include "com/class_manager.h"
#include "com/server.h"

#include <atomic>

namespace velmap::com {

namespace {

std::atomic<bool> uninitializing{false};

// In a DLL the host owns the apartment: nothing to initialise.
void object_support_initialize() { uninitializing = false; }

void object_support_finalize() {
    uninitializing = true;
    destroy_com_class_manager();
}

// Loading OLEAUT32.DLL is deferred to the first use: a library load under the
// loader lock can deadlock the host.
void server_support_initialize() { create_com_server(); }
void server_support_finalize() { destroy_com_server(); }

module_unit object_unit{object_support_initialize, object_support_finalize};
module_unit server_unit{server_support_initialize, server_support_finalize};

}  // namespace

void initialize_unit(module_unit& unit) {
    if (::InterlockedDecrement(&unit.counter) == -1 && unit.initialize) unit.initialize();
}

void finalize_unit(module_unit& unit) {
    if (::InterlockedIncrement(&unit.counter) == 0 && unit.finalize) unit.finalize();
}

void module_start(std::span<module_unit* const> units) {
    for (module_unit* unit : units) initialize_unit(*unit);
}

void module_end(std::span<module_unit* const> units) {
    for (auto it = units.rbegin(); it != units.rend(); ++it) finalize_unit(**it);
}

module_unit& com_object_support() { return object_unit; }
module_unit& com_server_support() { return server_unit; }

bool com_uninitializing() noexcept { return uninitializing; }

}  // namespace velmap::com
