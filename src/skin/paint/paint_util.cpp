#include "skin/paint/paint_util.h"

namespace velmap::paint::detail {

void CopyPixels(Bitmap& dst, std::int64_t dx, std::int64_t dy, const Bitmap& src, std::int64_t sx, std::int64_t sy,
                std::int64_t w, std::int64_t h) noexcept {
    if (!Usable(dst) || !Usable(src)) return;
    // Cut what lies left of / above either bitmap, then what lies beyond.
    std::int64_t cut = std::max<std::int64_t>({0, -dx, -sx});
    dx += cut, sx += cut, w -= cut;
    cut = std::max<std::int64_t>({0, -dy, -sy});
    dy += cut, sy += cut, h -= cut;
    w = std::min<std::int64_t>({w, dst.Width() - dx, src.Width() - sx});
    h = std::min<std::int64_t>({h, dst.Height() - dy, src.Height() - sy});
    if (w <= 0 || h <= 0) return;
    const int dbpp = dst.BytesPerPixel(), sbpp = src.BytesPerPixel();
    for (std::int64_t i = 0; i < h; ++i) {
        std::uint8_t* d = PixelAt(dst, dx, dy + i);
        const std::uint8_t* s = PixelAt(src, sx, sy + i);
        if (dbpp == 3 && sbpp == 3) {
            std::memmove(d, s, static_cast<std::size_t>(w) * 3);
            continue;
        }
        for (std::int64_t j = 0; j < w; ++j, d += dbpp, s += sbpp) CopyBgr(d, s);
    }
}

}  // namespace velmap::paint::detail
