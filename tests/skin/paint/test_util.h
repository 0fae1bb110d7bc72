// Small helpers for the painting tests: filling, reading and checking bitmaps.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint::testing {

struct Bgr {
    std::uint8_t b, g, r;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};

inline Bgr At(const Bitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + x * bmp.BytesPerPixel();
    return {p[0], p[1], p[2]};
}

inline void Put(Bitmap& bmp, int x, int y, Bgr c) {
    std::uint8_t* p = bmp.ScanLine(y) + x * bmp.BytesPerPixel();
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

inline void Fill(Bitmap& bmp, Bgr c) {
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) Put(bmp, x, y, c);
}

inline void FillRandom(Bitmap& bmp, std::mt19937& rng) {
    for (int y = 0; y < bmp.Height(); ++y) {
        std::uint8_t* row = bmp.ScanLine(y);
        for (int i = 0; i < bmp.Width() * bmp.BytesPerPixel(); ++i) row[i] = static_cast<std::uint8_t>(rng());
    }
}

constexpr std::uint8_t kCanary = 0xA5;

// Writes a canary into every padding byte at the end of each row.
inline void MarkPadding(Bitmap& bmp) {
    const int used = bmp.Width() * bmp.BytesPerPixel();
    for (int y = 0; y < bmp.Height(); ++y) std::memset(bmp.ScanLine(y) + used, kCanary, bmp.Stride() - used);
}

inline bool PaddingIntact(const Bitmap& bmp) {
    const int used = bmp.Width() * bmp.BytesPerPixel();
    for (int y = 0; y < bmp.Height(); ++y)
        for (int i = used; i < bmp.Stride(); ++i)
            if (bmp.ScanLine(y)[i] != kCanary) return false;
    return true;
}

}  // namespace velmap::paint::testing
