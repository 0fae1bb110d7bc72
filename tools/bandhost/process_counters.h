// What a process holds, counted from inside it, for leak checks that work
// under Wine too (which answers GetGuiResources with 0 and keeps no
// private-bytes figure).
#pragma once

#include <windows.h>

namespace velmap::tools {

// Windows of this process: top-level ones, their children, message-only ones.
int CountProcessWindows();
// Live GDI objects, found by probing the handle table's indices.
int CountGdiObjects();
// Committed private memory, summed over the address space.
SIZE_T PrivateBytes();

}  // namespace velmap::tools
