// The mask composition on one run of bytes:
//   d := (d * m + s * (256 - m)) >> 8
// m is the mask byte of the same channel: 0 gives the image byte s, 255
// keeps 255/256 of the destination. The sum never exceeds 255 * 256, so no
// clamping is needed and 16-bit lanes hold it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "skin/paint/blend_kernels.h"

namespace velmap::paint::kernels {

// The reference: one byte at a time, exactly the formula.
void ComposeRowScalar(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* m, std::size_t n) noexcept;

#if defined(VELMAP_HAVE_SSE2)
// Byte-identical to the reference, 16 bytes per step; touches only the n
// bytes given.
void ComposeRowSse2(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* m, std::size_t n) noexcept;
#endif

inline void ComposeRow(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* m, std::size_t n) noexcept {
#if defined(VELMAP_HAVE_SSE2)
    ComposeRowSse2(d, s, m, n);
#else
    ComposeRowScalar(d, s, m, n);
#endif
}

}  // namespace velmap::paint::kernels
