// The one warning the skin loader shows a user. The Windows build shows a
// modal message box; the native build writes to stderr. Tests (and hosts that
// must never block) install their own hook.
#pragma once

#include <functional>
#include <string>

namespace velmap {

using SkinWarningHook = std::function<void(const std::string& text, const std::string& caption)>;

// Installs hook (an empty one restores the default) and returns the previous one.
SkinWarningHook SetSkinWarningHook(SkinWarningHook hook);

// Shows text with the given caption, a warning icon and an OK button.
void ShowSkinWarning(const std::string& text, const std::string& caption);

namespace detail {
// The default without a hook, from the platform backing file.
void ShowPlatformWarning(const std::string& text, const std::string& caption);
}  // namespace detail

}  // namespace velmap
