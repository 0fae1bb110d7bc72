#include "skin/paint/fast_access.h"

#include <algorithm>
#include <cassert>

#include "skin/paint/blend_kernels.h"

namespace velmap::paint {

template <int Bits>
bool TacFastBitmap<Bits>::Attach(Bitmap* bmp) noexcept {
    if (!bmp || bmp->Width() < 2 || bmp->Height() < 2 || bmp->BitsPerPixel() != Bits) {
        // Another format is a caller's mistake. Inside the shell's process it
        // must not take the process down: refuse, so nothing is drawn.
        assert((!bmp || bmp->BitsPerPixel() == Bits) && "Bitmap format is not supported");
        Width = 0;
        return false;
    }
    Bmp = bmp;
    Width = bmp->Width();
    Height = bmp->Height();
    Start = bmp->RowStart();
    Delta = bmp->RowDelta();
    return true;
}

template class TacFastBitmap<24>;
template class TacFastBitmap<32>;

bool TacFastSum24::Attach(Bitmap* src, Bitmap* dst) noexcept {
    TacFast24 s, d;
    if (!src || !dst || src->Width() < 2 || src->Height() < 2 || dst->Width() < 2 || dst->Height() < 2) return false;
    if (!s.Attach(src) || !d.Attach(dst)) return false;
    Src = src;
    Dst = dst;
    Width = std::min(s.Width, d.Width);
    Height = std::min(s.Height, d.Height);
    SrcStart = s.Start;
    SrcDelta = s.Delta;
    DstStart = d.Start;
    DstDelta = d.Delta;
    return true;
}

void TacFastSum24::Blend() noexcept {
    if (!Src || !Dst || !SrcStart || !DstStart) return;
    // Source column of destination column x is x + ox (likewise rows). Keep
    // both inside their bitmaps; for rectangles already clipped this cuts
    // nothing.
    const std::int64_t ox = std::int64_t{SrcX1} - DstX1, oy = std::int64_t{SrcY1} - DstY1;
    const std::int64_t x1 = std::max<std::int64_t>({DstX1, 0, -ox});
    const std::int64_t x2 = std::min<std::int64_t>({DstX2, Dst->Width(), Src->Width() - ox});
    const std::int64_t y1 = std::max<std::int64_t>({DstY1, 0, -oy});
    const std::int64_t y2 = std::min<std::int64_t>({DstY2, Dst->Height(), Src->Height() - oy});
    if (x2 <= x1 || y2 <= y1) return;

    const std::size_t n = static_cast<std::size_t>(x2 - x1) * 3;
    std::uint8_t* d = DstStart + y1 * DstDelta + x1 * 3;
    const std::uint8_t* s = SrcStart + (y1 + oy) * SrcDelta + (x1 + ox) * 3;
    for (std::int64_t y = y1; y < y2; ++y, d += DstDelta, s += SrcDelta) kernels::BlendRow(d, s, n, Alpha);
}

}  // namespace velmap::paint
