// The thread-local window hook of the primary skin manager. It watches the
// creation, activation and destruction of windows on the thread that
// installed it; window skinning attaches to it through an observer.
#pragma once

#include <windows.h>

namespace velmap::skin {

// Called after the next hook in the chain, with the hook's arguments. The
// hook's result is always the chain's.
using SkinHookObserver = void (*)(int code, WPARAM wparam, LPARAM lparam);

// Installs the hook for the calling thread when none is installed. False
// when the system refuses.
bool InstallSkinHook();
// Removes the hook (from any thread: the handle is process-wide).
void RemoveSkinHook();
bool SkinHookInstalled();
// The current hook handle, or null (CBTHook).
HHOOK SkinHookHandle();

// One observer at a time; null detaches. Returns the previous one. The
// observer hears only the events the rest of the chain lets go ahead.
SkinHookObserver SetSkinHookObserver(SkinHookObserver observer);

// Runs when the hook is removed: frees whatever was attached through it
// (providers, menu adapters). Returns the previous one.
using SkinHookCleanup = void (*)();
SkinHookCleanup SetSkinHookCleanup(SkinHookCleanup cleanup);

}  // namespace velmap::skin
