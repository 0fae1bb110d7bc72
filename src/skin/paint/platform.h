// What each platform backing file provides to the portable painters.
#pragma once

#include <cstdint>

namespace velmap::paint::detail {

// Finishes GDI drawing still queued for any bitmap (no-op without GDI).
void FlushDrawing() noexcept;
// RGB value of system colour `index` (as GetSysColor: 0 for unknown indexes).
std::uint32_t SystemColorRGB(int index) noexcept;

}  // namespace velmap::paint::detail
