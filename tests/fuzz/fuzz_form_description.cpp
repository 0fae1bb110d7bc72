// The stored form description parser on arbitrary text: it returns a tree
// within its bounds or refuses the text with EUiError, nothing else.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ui/description.h"

#define Check(ok) \
    ((ok) ? void() : (std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok), std::abort()))

namespace {

std::size_t CountObjects(const velmap::ui::TObjectDesc& desc, int depth) {
    Check(depth <= velmap::ui::kMaxObjectDepth);
    std::size_t n = 1;
    for (const auto& child : desc.children) n += CountObjects(child, depth + 1);
    for (const auto& p : desc.props) {
        Check(!p.path.empty());
        Check(p.value.items.size() <= velmap::ui::kMaxListItems && p.value.strings.size() <= velmap::ui::kMaxListItems);
        Check(p.value.string.size() <= velmap::ui::kMaxStringBytes);
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const velmap::ui::TObjectDesc root = velmap::ui::ParseDescription(text);
        Check(CountObjects(root, 1) <= velmap::ui::kMaxObjects);
    } catch (const velmap::ui::EUiError&) {
        // refused, with the line named
    }
    return 0;
}
