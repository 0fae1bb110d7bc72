#include "skin/data/skin_warning.h"

namespace velmap {

namespace {

SkinWarningHook& CurrentHook() {
    static SkinWarningHook hook;
    return hook;
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
        detail::ShowPlatformWarning(text, caption);
    }
}

}  // namespace velmap
