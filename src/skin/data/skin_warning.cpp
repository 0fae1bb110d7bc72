#include "skin/data/skin_warning.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace velmap {

namespace {

SkinWarningHook& CurrentHook() {
    static SkinWarningHook hook;
    return hook;
}

void DefaultWarning(const std::string& text, const std::string& caption) {
#ifdef _WIN32
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
#else
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
#endif
}

}  // namespace

SkinWarningHook SetSkinWarningHook(SkinWarningHook hook) {
    SkinWarningHook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}

void ShowSkinWarning(const std::string& text, const std::string& caption) {
    if (const SkinWarningHook& hook = CurrentHook()) {
        hook(text, caption);
    } else {
        DefaultWarning(text, caption);
    }
}

}  // namespace velmap
