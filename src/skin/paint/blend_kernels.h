// The transparency blend on one run of bytes:
//   d := (d * a + s * (255 - a) + 127) >> 8
// a is the weight the destination keeps. The divisor is 256, not 255, so
// a = 255 still darkens white to 254; painted results depend on that.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmap::paint::kernels {

// The reference: one byte at a time, exactly the formula.
void BlendRowScalar(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t a) noexcept;

#if defined(__SSE2__)
#define VELMAP_HAVE_SSE2 1
// Byte-identical to the reference, 16 bytes per step. Reads and writes only
// the n bytes given.
void BlendRowSse2(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t a) noexcept;
#endif

// The fastest of the above for this build.
inline void BlendRow(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t a) noexcept {
#if defined(VELMAP_HAVE_SSE2)
    BlendRowSse2(d, s, n, a);
#else
    BlendRowScalar(d, s, n, a);
#endif
}

}  // namespace velmap::paint::kernels
