// Fails chosen system calls of a loaded DLL: its import address table is
// rewritten so that every import listed in import_table.h goes through a
// wrapper, which passes calls on, counts them, and fails the one it is told to
// the way the system fails it. The DLL itself is the shipped one, unchanged.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace velmap::faults {

enum class Mode { Once, FromOn };

// One slot of a module's import address table.
struct ImportSlot {
    std::string dll;
    std::string name;  // "#N" for an import by ordinal
    void** slot;
};
// The module's imports as its PE import descriptors list them.
std::vector<ImportSlot> ReadImports(HMODULE module);

// Every import of the table: wrapped (with how it fails, or "never" for the
// ones wrapped only to be watched) or exempt, with the reason.
struct ImportInfo {
    const char* name;
    bool wrapped;
    bool can_fail;
    const char* how;  // the failure returned, or why it is exempt
};
const std::vector<ImportInfo>& KnownImports();
int WrapperId(const std::string& name);  // -1 when not wrapped
int WrapperCount();
const char* WrapperName(int id);
bool WrapperCanFail(int id);

// Points every wrapped slot of MODULE at its wrapper. The names of imports
// the table knows nothing of are returned: a new import must be classified
// before the campaign can run.
std::vector<std::string> Patch(HMODULE module);

// Calls are counted (and can fail) only while armed.
void SetArmed(bool armed);
void ClearCounts();
long Calls(int id);
// Fails the N-th call of import ID (counted from ClearCounts), once or from
// then on; id -1 fails nothing.
void SetTarget(int id, long n, Mode mode);
long Failures();

// Blocks from the C runtime's allocators and hooks the module took while
// patched and has not given back.
void ClearTracking();
std::size_t LiveBlocks();
std::size_t LiveHooks();

}  // namespace velmap::faults
