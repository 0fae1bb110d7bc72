#include "skin/paint/compose_kernels.h"

namespace velmap::paint::kernels {

void ComposeRowScalar(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* m, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i)
        d[i] = static_cast<std::uint8_t>((d[i] * unsigned{m[i]} + s[i] * (256u - m[i])) >> 8);
}

}  // namespace velmap::paint::kernels
