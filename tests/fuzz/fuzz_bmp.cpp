// Our BMP reader on arbitrary bytes: whatever it returns is a 24-bit image
// within the engine's limits whose every pixel can be read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "skin/data/image_decode.h"

#define Check(ok) \
    ((ok) ? void() : (std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok), std::abort()))

namespace {

// The pixel count the header declares (a core or an info header), or 0.
std::int64_t DeclaredPixels(const std::uint8_t* d, std::size_t size) {
    auto u16 = [d](std::size_t at) { return std::int64_t{d[at]} | std::int64_t{d[at + 1]} << 8; };
    auto i32 = [d](std::size_t at) {
        return static_cast<std::int64_t>(static_cast<std::int32_t>(d[at] | d[at + 1] << 8 | d[at + 2] << 16 |
                                                                   static_cast<std::uint32_t>(d[at + 3]) << 24));
    };
    if (size < 26) return 0;
    if (i32(14) == 12) return u16(18) * u16(20);
    return std::abs(i32(18)) * std::abs(i32(22));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A few bytes of run-length data may declare 16M pixels: the decoder fills
    // them all, which costs the fuzzer milliseconds an input. The size limits
    // themselves are unit-tested; here large images are left out.
    if (DeclaredPixels(data, size) > (std::int64_t{1} << 18)) return 0;
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
