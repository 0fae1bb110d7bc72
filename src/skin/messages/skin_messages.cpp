#include "skin/messages/skin_messages.h"

#include <atomic>

namespace velmap::skin {

UINT RegisterSkinMessage() noexcept {
    // The system hands back the same number for the same string, so a race
    // between two first callers is harmless.
    static std::atomic<UINT> registered{0};
    UINT n = registered.load();
    if (n == 0) {
        n = ::RegisterWindowMessageW(L"SM_SKINCMD");
        registered.store(n);
    }
    return n;
}

namespace {
// Module start-up: every program or DLL that links the skin message has it
// registered before its first window exists.
[[maybe_unused]] const UINT registered_at_start_up = RegisterSkinMessage();
}  // namespace

}  // namespace velmap::skin
