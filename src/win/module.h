// The module (DLL or program) this code is linked into.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace velmap::win {

// The linker places __ImageBase at the start of every module: each DLL and
// program that links this code answers its own handle, never the host's.
inline HMODULE ThisModule() noexcept { return reinterpret_cast<HMODULE>(&__ImageBase); }

}  // namespace velmap::win
