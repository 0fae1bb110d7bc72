#include "skin/paint/item_paint.h"

#include <algorithm>

#include "skin/paint/masks.h"
#include "skin/paint/paint_util.h"
#include "skin/paint/pixel_ops.h"
#include "skin/paint/textures.h"

namespace velmap::paint {

ItemColorsScope::ItemColorsScope(ItemColors colors) noexcept {
    ParentBgColor = colors.ParentBg;
    MaskFillColor = colors.MaskFill;
}

ItemColorsScope::~ItemColorsScope() {
    ParentBgColor = KeyColor;
    MaskFillColor = KeyColor;
}

namespace {

// The background of r: the parent's pixels at the item's place, or the
// parent's plain colour when one is given. Nothing is read outside the
// parent's cache.
void PaintParentBackground(Bitmap& bmp, const TRect& r, const BackgroundSource& bg, TPoint p) {
    if (bg.Bmp == &bmp) return;  // already there
    if (ParentBgColor != KeyColor) {
        FillRectColor(bmp, r, ParentBgColor);
    } else if (bg.Bmp) {
        detail::CopyPixels(bmp, r.Left, r.Top, *bg.Bmp, std::int64_t{bg.X} + p.X, std::int64_t{bg.Y} + p.Y, r.Width(),
                           r.Height());
    }
}

}  // namespace

void PaintSkinBackground(const SkinItemView& item, BackgroundSource bg, int state, TRect r, TPoint p, Bitmap* bmp) {
    if (!bmp || !detail::Usable(*bmp) || detail::IsEmpty(r)) return;
    SectionFill fill = item.Fill[state > 0 ? 1 : 0];
    if (item.CustomColor != KeyColor) {
        fill.Color = item.CustomColor;
        fill.ImagePercent = fill.GradientPercent = fill.Transparency = 0;
    }
    const int transparency = std::clamp(fill.Transparency, 0, 100);
    if (bg.Ready && transparency != 0) {
        if (transparency == 100) {
            PaintParentBackground(*bmp, r, bg, p);
        } else {
            const auto own = CreateBitmap24(r.Width(), r.Height());
            const TRect all{0, 0, r.Width(), r.Height()};
            PaintSectionFill(*own, all, fill);
            PaintParentBackground(*bmp, r, bg, p);
            // The background keeps the transparency's weight.
            BlendBitmapRect(*bmp, *own, WeightFromPercent(transparency), {r.Left, r.Top}, all);
        }
    } else {
        PaintSectionFill(*bmp, r, fill);
    }
    if (state <= 0 && item.Overlay) {
        // The overlay's bands show the background at the item's own place.
        bg.X += p.X;
        bg.Y += p.Y;
        PaintMaskedTexture(*bmp, r, bg, 10, *item.Overlay);
    }
}

void PaintSkinItem(const SkinItemView& item, BackgroundSource bg, bool centre, int state, TRect r, TPoint p,
                   Bitmap* bmp, bool use_bg, ItemColors colors) {
    if (!bmp || !detail::Usable(*bmp) || detail::IsEmpty(r)) return;
    if (r.Left < 0 || r.Top < 0 || r.Right > bmp->Width() || r.Bottom > bmp->Height()) return;
    state = std::max(state, 0);
    ItemColorsScope scope(colors);
    PaintSkinBackground(item, bg, state, r, p, bmp);
    bg.X += p.X;
    bg.Y += p.Y;
    if (item.Border && !(state == 0 && (item.Border->StretchMode & kNotInNormal)))
        DrawBorderMask(*bmp, r, centre, use_bg, state, *item.Border, bg);
    ParentBgColor = MaskFillColor = KeyColor;
    for (int k = 0; k < 4; ++k) {
        if (!item.Corners[k]) continue;
        const MaskView& m = *item.Corners[k];
        const int w = m.FrameWidth(), h = m.FrameHeight();
        const TPoint at{k == 1 || k == 3 ? r.Right - w : r.Left, k >= 2 ? r.Bottom - h : r.Top};
        DrawGlyphMask(*bmp, at, state, m, 1);
    }
}

void RefreshCornerPixels(const MaskView& border, Bitmap& cache, int state, unsigned corners, const BackgroundSource& bg,
                         TColor plain) {
    if (!bg.Ready || !detail::Attachable(bg.Bmp) || !detail::Usable(*bg.Bmp)) return;
    if (!border.Image || !detail::Usable(*border.Image) || !detail::Usable(cache)) return;
    const int W = cache.Width(), H = cache.Height();
    if (W < 2 || H < 2) return;
    const MaskView m = BorderFrames(border);  // the frame rule the border was drawn with
    // The frame and the widths the border was drawn with over the cache.
    const BorderWidths bw = FitBorderWidths(m, W, H);
    const int frame = std::clamp(state, 0, m.Frames() - 1);
    const int fw = m.FrameWidth(), fh = m.FrameHeight();
    if (fw <= 0 || fh <= 0) return;
    const int sx = m.R.Left + frame * fw, sy = m.R.Top;
    const Bitmap& img = *m.Image;
    const Bitmap& parent = *bg.Bmp;
    const detail::Rows I(img), C(cache), P(parent);

    auto refresh = [&](int ix, int iy, int w, int h, int cx, int cy) {
        for (int i = 0; i < h; ++i) {
            for (int j = 0; j < w; ++j) {
                const std::int64_t x = cx + j, y = cy + i;
                if (!detail::Inside(cache, x, y) || !detail::Inside(img, ix + j, iy + i)) continue;
                if (!detail::SameBgr(I.At(ix + j, iy + i), KeyColor)) continue;
                std::uint8_t* d = C.At(x, y);
                if (plain != KeyColor) {
                    detail::PutBgr(d, ColorToRGB(plain));
                } else if (detail::Inside(parent, bg.X + x, bg.Y + y)) {
                    detail::CopyBgr(d, P.At(bg.X + x, bg.Y + y));
                }
            }
        }
    };
    if (corners & kCornerTopLeft) refresh(sx, sy, bw.WL, bw.WT, 0, 0);
    if (corners & kCornerBottomLeft) refresh(sx, sy + fh - bw.WB, bw.WL, bw.WB, 0, H - bw.WB);
    if (corners & kCornerTopRight) refresh(sx + fw - bw.WR, sy, bw.WR, bw.WT, W - bw.WR, 0);
    if (corners & kCornerBottomRight) refresh(sx + fw - bw.WR, sy + fh - bw.WB, bw.WR, bw.WB, W - bw.WR, H - bw.WB);
}

}  // namespace velmap::paint
