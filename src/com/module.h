// Module start and end: each unit's initialisation and finalisation in a fixed
// order, each guarded so that it runs at most once.
#pragma once

#include <windows.h>

#include <span>

namespace velmap::com {

struct module_unit {
    void (*initialize)();
    void (*finalize)();
    LONG counter = 0;  // 0 = never initialised; below 0 while initialised
};

// Initialisation does its work only when the counter was 0; finalisation only when
// it comes back to 0. Nested pairs therefore act once.
void initialize_unit(module_unit& unit);
void finalize_unit(module_unit& unit);

// Runs the units' initialisations in order; module_end runs their finalisations
// in reverse order.
void module_start(std::span<module_unit* const> units);
void module_end(std::span<module_unit* const> units);

// The COM support units, listed first by every module that serves COM classes:
// object support (class manager, uninitialising flag), then server support
// (the server object).
module_unit& com_object_support();
module_unit& com_server_support();

// Set when the object support unit has been finalised: objects destroyed after
// that no longer report to the server.
bool com_uninitializing() noexcept;

}  // namespace velmap::com
