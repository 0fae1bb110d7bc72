// Native build: the warning goes to stderr.
#include <cstdio>

#include "skin/data/skin_warning.h"

namespace velmap::detail {

void ShowPlatformWarning(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace velmap::detail
