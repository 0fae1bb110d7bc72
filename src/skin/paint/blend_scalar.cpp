#include "skin/paint/blend_kernels.h"

namespace velmap::paint::kernels {

void BlendRowScalar(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t a) noexcept {
    const unsigned keep = a, take = 255u - a;
    for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<std::uint8_t>((d[i] * keep + s[i] * take + 127u) >> 8);
}

}  // namespace velmap::paint::kernels
