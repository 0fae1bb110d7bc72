// Module start and end: each unit's initialisation and finalisation in a fixed
// order, each Guarded so that it runs at most once.
#pragma once

#include <windows.h>

#include <span>

namespace velmap::com {

struct ModuleUnit {
    void (*initialize)();
    void (*finalize)();
    LONG counter = 0;  // 0 = never initialised; below 0 while initialised
};

// Initialisation does its work only when the counter was 0; finalisation only when
// it comes back to 0. Nested pairs therefore act once.
void InitializeUnit(ModuleUnit& unit);
void FinalizeUnit(ModuleUnit& unit);

// Runs the units' initialisations in order; ModuleEnd runs their finalisations
// in reverse order.
void ModuleStart(std::span<ModuleUnit* const> units);
void ModuleEnd(std::span<ModuleUnit* const> units);

// The COM support units, listed first by every module that serves COM classes:
// object support (class manager, uninitialising flag), then server support
// (the server object).
ModuleUnit& ComObjectSupport();
ModuleUnit& ComServerSupport();

// Set when the object support unit has been finalised: objects destroyed after
// that no longer report to the server.
bool ComUninitializing() noexcept;

}  // namespace velmap::com
