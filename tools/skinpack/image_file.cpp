#include "image_file.h"

#include <zlib.h>

#include <stdexcept>

namespace velmap::skinpack {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v);
    Put16(out, v >> 16);
}
void Put32Be(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    Put32Be(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    Put32Be(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const paint::Bitmap& bmp) {
    const std::uint32_t w = static_cast<std::uint32_t>(bmp.Width()), h = static_cast<std::uint32_t>(bmp.Height());
    const std::uint32_t stride = (w * 3 + 3) & ~3u, image = stride * h;
    std::vector<std::uint8_t> out;
    out.reserve(54 + image);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + image);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, w);
    Put32(out, h);  // positive: bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // BI_RGB
    Put32(out, image);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    const int bpp = bmp.BytesPerPixel();
    for (int y = static_cast<int>(h) - 1; y >= 0; --y) {
        const std::uint8_t* row = bmp.ScanLine(y);
        for (std::uint32_t x = 0; x < w; ++x) out.insert(out.end(), row + x * bpp, row + x * bpp + 3);
        out.resize(out.size() + (stride - w * 3), 0);
    }
    return out;
}

std::vector<std::uint8_t> EncodePng(const paint::Bitmap& bmp) {
    const std::uint32_t w = static_cast<std::uint32_t>(bmp.Width()), h = static_cast<std::uint32_t>(bmp.Height());
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(h) * (1 + w * 3));
    const int bpp = bmp.BytesPerPixel();
    for (std::uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        const std::uint8_t* row = bmp.ScanLine(static_cast<int>(y));
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* p = row + x * bpp;
            raw.push_back(p[2]);
            raw.push_back(p[1]);
            raw.push_back(p[0]);
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        throw std::runtime_error("Cannot compress the picture");
    packed.resize(packed_size);

    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    Put32Be(ihdr, w);
    Put32Be(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace velmap::skinpack
