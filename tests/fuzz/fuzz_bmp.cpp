// Our BMP reader on arbitrary bytes: whatever it returns is a 24-bit image
// within the engine's limits whose every pixel can be read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "skin/data/image_decode.h"

#define Check(ok) \
    ((ok) ? void() : (std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok), std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bmp = velmap::DecodeBmp(data, size);
    if (!bmp) return 0;
    Check(bmp->BitsPerPixel() == 24 && !bmp->Empty());
    Check(bmp->Width() <= velmap::kMaxImageDimension && bmp->Height() <= velmap::kMaxImageDimension);
    Check(std::int64_t{bmp->Width()} * bmp->Height() <= velmap::kMaxImagePixels);
    unsigned sum = 0;  // ASan sees a read past the pixels
    for (int y = 0; y < bmp->Height(); ++y) {
        const std::uint8_t* row = bmp->RowStart() + static_cast<std::ptrdiff_t>(y) * bmp->RowDelta();
        for (int x = 0; x < bmp->Width() * 3; ++x) sum += row[x];
    }
    return static_cast<int>(sum & 0);
}
