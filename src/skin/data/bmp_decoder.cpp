// Portable BMP reader. Every size and offset comes from the file, so each is
// checked against the bytes actually present before it is used.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "skin/data/image_decode.h"

namespace velmap {

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

enum : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6 };

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
};

// One channel of a bit-field pixel, widened to 8 bits by repeating its bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    std::uint8_t Get(std::uint32_t px) const {
        if (!bits) return 0;
        std::uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
        std::uint32_t out = 0;
        int have = 0;
        while (have < 8) {
            out = (out << bits) | v;
            have += bits;
        }
        return static_cast<std::uint8_t>(out >> (have - 8));
    }
};

// One row of palette indexes to BGR bytes. Eight pixels make three 64-bit
// stores; pal holds each colour as 0x00RRGGBB.
void ExpandIndexes(const std::uint8_t* idx, int w, const std::uint32_t (&pal)[256], std::uint8_t* dst) {
    static_assert(std::endian::native == std::endian::little, "the stores lay bytes out little-endian");
    int x = 0;
    for (; x + 8 <= w; x += 8, idx += 8, dst += 24) {
        const std::uint64_t p0 = pal[idx[0]], p1 = pal[idx[1]], p2 = pal[idx[2]], p3 = pal[idx[3]], p4 = pal[idx[4]],
                            p5 = pal[idx[5]], p6 = pal[idx[6]], p7 = pal[idx[7]];
        // Three separate stores: copying an array of the words lets the
        // compiler bounce them through the stack and stall on reading them back.
        const std::uint64_t w0 = p0 | (p1 << 24) | (p2 << 48);
        const std::uint64_t w1 = (p2 >> 16) | (p3 << 8) | (p4 << 32) | (p5 << 56);
        const std::uint64_t w2 = (p5 >> 8) | (p6 << 16) | (p7 << 40);
        std::memcpy(dst, &w0, 8);
        std::memcpy(dst + 8, &w1, 8);
        std::memcpy(dst + 16, &w2, 8);
    }
    for (; x < w; ++x, ++idx, dst += 3) {
        const std::uint32_t c = pal[*idx];
        dst[0] = std::uint8_t(c);
        dst[1] = std::uint8_t(c >> 8);
        dst[2] = std::uint8_t(c >> 16);
    }
}

bool IsContiguous(std::uint32_t m) {
    if (!m) return true;
    while (!(m & 1)) m >>= 1;
    return (m & (m + 1)) == 0;
}

}  // namespace

std::unique_ptr<paint::Bitmap> DecodeBmp(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return nullptr;
    const std::uint32_t pixel_offset = U32(data + 10);
    const std::uint8_t* h = data + 14;
    const std::size_t avail = size - 14;
    const std::uint32_t hsize = U32(h);
    if (hsize < 12 || hsize > avail) return nullptr;

    std::int64_t width = 0, height = 0;
    std::uint32_t bpp = 0, compression = kRgb, colors_used = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    bool core = false;
    if (hsize == 12) {
        core = true;
        width = U16(h + 4);
        height = U16(h + 6);
        bpp = U16(h + 10);
    } else if (hsize >= 40) {
        width = static_cast<std::int32_t>(U32(h + 4));
        height = static_cast<std::int32_t>(U32(h + 8));
        bpp = U16(h + 14);
        compression = U32(h + 16);
        colors_used = U32(h + 32);
        if (hsize >= 52) {
            masks[0] = U32(h + 40);
            masks[1] = U32(h + 44);
            masks[2] = U32(h + 48);
        } else if (compression == kBitfields || compression == kAlphaBitfields) {
            // A plain info header keeps its masks right behind it.
            std::size_t n = compression == kAlphaBitfields ? 16 : 12;
            if (avail < 40 + n) return nullptr;
            masks[0] = U32(h + 40);
            masks[1] = U32(h + 44);
            masks[2] = U32(h + 48);
        }
    } else {
        return nullptr;  // OS/2 2.x and other headers Windows does not read
    }

    const bool top_down = height < 0;
    if (top_down) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxImageDimension || height > kMaxImageDimension ||
        width * height > kMaxImagePixels)
        return nullptr;

    const bool rle = compression == kRle8 || compression == kRle4;
    if (rle && (top_down || (compression == kRle8 ? bpp != 8 : bpp != 4))) return nullptr;
    const bool bitfields = compression == kBitfields || compression == kAlphaBitfields;
    if (bitfields && bpp != 16 && bpp != 32) return nullptr;
    if (!rle && !bitfields && compression != kRgb) return nullptr;
    switch (bpp) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return nullptr;
    }
    if (core && bpp > 8 && bpp != 24) return nullptr;

    // Palette: after the header (and the masks of a plain info header).
    std::array<Bgr, 256> palette{};
    if (bpp <= 8) {
        std::size_t entry = core ? 3 : 4;
        std::size_t start = 14 + hsize;
        if (!core && hsize == 40 && bitfields) start += 12;
        std::size_t max_entries = std::size_t{1} << bpp;
        std::size_t count = colors_used ? std::min<std::size_t>(colors_used, max_entries) : max_entries;
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t at = start + i * entry;
            if (at + 3 > size || at + 3 > pixel_offset) break;
            palette[i] = Bgr{data[at], data[at + 1], data[at + 2]};
        }
    }

    if (bpp == 16 && !bitfields) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bpp == 32 && !bitfields) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }
    for (auto m : masks)
        if (!IsContiguous(m)) return nullptr;
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    if (pixel_offset >= size) return nullptr;
    const std::uint8_t* px = data + pixel_offset;
    const std::size_t px_size = size - pixel_offset;
    const int w = static_cast<int>(width), hgt = static_cast<int>(height);

    const std::size_t row_bytes = std::size_t(w) * 3;
    // Every byte of every row is written below, padding included, so the
    // bitmap need not be zero-filled first.
    auto create = [&] { return paint::Bitmap::CreateUninitialized(w, hgt, 24); };
    std::uint32_t pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = palette[i].b | (palette[i].g << 8) | (std::uint32_t(palette[i].r) << 16);

    if (!rle) {
        const std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
        if (px_size / stride < std::size_t(hgt)) return nullptr;  // pixel data cut off
        auto bmp = create();
        const std::size_t padding = std::size_t(bmp->Stride()) - row_bytes;
        std::vector<std::uint8_t> indexes(bpp < 8 ? std::size_t(w) : 0);
        for (int y = 0; y < hgt; ++y) {
            const std::uint8_t* src = px + stride * std::size_t(top_down ? y : hgt - 1 - y);
            std::uint8_t* dst = bmp->ScanLine(y);
            switch (bpp) {
                case 24:
                    std::memcpy(dst, src, row_bytes);
                    break;
                case 32:
                case 16:
                    for (int x = 0; x < w; ++x) {
                        std::uint32_t v = bpp == 32 ? U32(src + 4 * x) : U16(src + 2 * x);
                        dst[3 * x] = blue.Get(v);
                        dst[3 * x + 1] = green.Get(v);
                        dst[3 * x + 2] = red.Get(v);
                    }
                    break;
                case 8:
                    ExpandIndexes(src, w, pal, dst);
                    break;
                default: {  // 1 or 4 bits: unpack the indexes, then expand them like 8 bits
                    const int per_byte = 8 / int(bpp);
                    const unsigned mask = (1u << bpp) - 1;
                    for (int x = 0; x < w; ++src) {
                        const unsigned byte = *src;
                        for (int k = 1; k <= per_byte && x < w; ++k, ++x)
                            indexes[std::size_t(x)] = std::uint8_t((byte >> (8 - int(bpp) * k)) & mask);
                    }
                    ExpandIndexes(indexes.data(), w, pal, dst);
                }
            }
            std::memset(dst + row_bytes, 0, padding);
        }
        return bmp;
    }

    // RLE: palette indexes into a bottom-up buffer; pixels the stream skips keep index 0.
    std::vector<std::uint8_t> idx(std::size_t(w) * hgt, 0);
    const bool four = compression == kRle4;
    std::size_t i = 0;
    int x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](std::uint8_t v) {
        if (x < w && y < hgt) idx[std::size_t(y) * w + x] = v;
        ++x;
    };
    while (i + 1 < px_size && y < hgt) {
        std::uint8_t n = px[i], v = px[i + 1];
        i += 2;
        if (n) {
            for (int k = 0; k < n; ++k) put(four ? ((k & 1) ? (v & 15) : (v >> 4)) : v);
        } else if (v == 0) {  // end of line
            x = 0;
            ++y;
        } else if (v == 1) {  // end of bitmap
            break;
        } else if (v == 2) {  // delta
            if (i + 1 >= px_size) break;
            x += px[i];
            y += px[i + 1];
            i += 2;
        } else {  // absolute run of v pixels, padded to a 16-bit boundary
            std::size_t bytes = four ? (v + 1) / 2 : v;
            if (i + bytes > px_size) bytes = px_size - i;
            for (int k = 0; k < v; ++k) {
                std::size_t at = four ? std::size_t(k / 2) : std::size_t(k);
                if (at >= bytes) break;
                put(four ? ((k & 1) ? (px[i + at] & 15) : (px[i + at] >> 4)) : px[i + at]);
            }
            i += bytes + (bytes & 1);
        }
        if (x > w + 255) x = w + 255;  // keep the column from growing without bound
    }
    auto bmp = create();
    const std::size_t padding = std::size_t(bmp->Stride()) - row_bytes;
    for (int row = 0; row < hgt; ++row) {
        std::uint8_t* dst = bmp->ScanLine(row);
        ExpandIndexes(&idx[std::size_t(hgt - 1 - row) * w], w, pal, dst);
        std::memset(dst + row_bytes, 0, padding);
    }
    return bmp;
}

}  // namespace velmap
