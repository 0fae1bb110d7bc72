// Windows build: the warning is a modal message box.
#include <windows.h>

#include "skin/data/skin_warning.h"

namespace velmap::detail {

void ShowPlatformWarning(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace velmap::detail
