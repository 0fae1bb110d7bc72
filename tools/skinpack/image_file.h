// Writing the engine's bitmaps as image files: 24-bit BMP and PNG (our own
// small encoder over zlib).
#pragma once

#include <cstdint>
#include <vector>

#include "skin/paint/bitmap.h"

namespace velmap::skinpack {

// A bottom-up 24-bit BI_RGB file image.
std::vector<std::uint8_t> EncodeBmp24(const paint::Bitmap& bmp);

// An 8-bit RGB PNG (no filter, zlib level 9).
std::vector<std::uint8_t> EncodePng(const paint::Bitmap& bmp);

}  // namespace velmap::skinpack
