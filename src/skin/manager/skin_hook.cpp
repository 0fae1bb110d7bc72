#include "skin/manager/skin_hook.h"

#include <atomic>
#include <exception>

#include "ui/window_proc_error.h"

namespace velmap::skin {

namespace {

HHOOK g_hook = nullptr;
std::atomic<SkinHookObserver> g_observer{nullptr};
std::atomic<SkinHookCleanup> g_cleanup{nullptr};

LRESULT CALLBACK CbtProc(int code, WPARAM wparam, LPARAM lparam) {
    // The chain comes first and decides the answer; the observer only watches.
    LRESULT result = ::CallNextHookEx(g_hook, code, wparam, lparam);
    // A non-zero answer refuses the event (the window is not created, not
    // activated, not destroyed): the observer learns only of events that go
    // ahead.
    if (code >= 0 && result == 0) {
        // Nothing may unwind into user32: a failing observer is reported.
        try {
            if (SkinHookObserver observer = g_observer.load()) observer(code, wparam, lparam);
        } catch (const std::exception& e) {
            ui::ReportWindowProcError(e.what());
        } catch (...) {
            ui::ReportWindowProcError("unknown error");
        }
    }
    return result;
}

}  // namespace

bool InstallSkinHook() {
    if (g_hook) return true;
    g_hook = ::SetWindowsHookExW(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
    return g_hook != nullptr;
}

void RemoveSkinHook() {
    if (!g_hook) return;
    ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    if (SkinHookCleanup cleanup = g_cleanup.load()) cleanup();
}

bool SkinHookInstalled() { return g_hook != nullptr; }

HHOOK SkinHookHandle() { return g_hook; }

SkinHookObserver SetSkinHookObserver(SkinHookObserver observer) { return g_observer.exchange(observer); }

SkinHookCleanup SetSkinHookCleanup(SkinHookCleanup cleanup) { return g_cleanup.exchange(cleanup); }

}  // namespace velmap::skin
