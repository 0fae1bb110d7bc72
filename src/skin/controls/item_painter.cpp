#include "skin/controls/item_painter.h"

#include <windows.h>

#include "skin/data/item_views.h"
#include "skin/manager/skin_manager.h"
#include "skin/messages/message_routines.h"
#include "skin/paint/masks.h"
#include "skin/paint/pixel_ops.h"
#include "skin/paint/skin_text.h"
#include "ui/graphics.h"

namespace velmap::skin {

namespace {

// The parent's cache as the painters read it, whichever bitmap type the
// answer carries.
[[maybe_unused]] paint::Bitmap* PixelsOf(paint::Bitmap* bmp) { return bmp; }
[[maybe_unused]] paint::Bitmap* PixelsOf(ui::TBitmap* bmp) { return bmp ? &bmp->Image() : nullptr; }
template <typename Source>
paint::BackgroundSource ToPaint(const Source& bg) {
    return {PixelsOf(bg.Bmp), bg.X, bg.Y, bg.Ready};
}

const SkinModel* ModelOf(const TsSkinManager* manager, int section) {
    if (!manager || section < 0 || section >= manager->SectionCount()) return nullptr;
    return &manager->Model();
}

// Text through the control's canvas: the colour becomes the canvas font's.
class CanvasTextSurface : public paint::TextSurface {
public:
    explicit CanvasTextSurface(ui::TCanvas& canvas) : canvas_(canvas) {}
    bool DrawText(std::wstring_view text, paint::TRect r, unsigned format,
                  std::optional<paint::TColor> color) override {
        if (color) canvas_.Font().SetColor(*color);
        RECT rc{r.Left, r.Top, r.Right, r.Bottom};
        return canvas_.DrawText(std::wstring(text), rc, format) != 0;
    }

private:
    ui::TCanvas& canvas_;
};

// Narrows a DC's clip to a rectangle and puts the old clip back.
class ClipScope {
public:
    ClipScope(HDC dc, const paint::TRect& r) : dc_(dc), saved_(dc ? ::CreateRectRgn(0, 0, 0, 0) : nullptr) {
        if (!saved_) return;
        had_clip_ = ::GetClipRgn(dc_, saved_) == 1;
        ::IntersectClipRect(dc_, r.Left, r.Top, r.Right, r.Bottom);
    }
    ~ClipScope() {
        if (!saved_) return;
        ::SelectClipRgn(dc_, had_clip_ ? saved_ : nullptr);
        ::DeleteObject(saved_);
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    HDC dc_;
    HRGN saved_;
    bool had_clip_ = false;
};

}  // namespace

void PaintSkinItem(TsCommonData& data, paint::BackgroundSource bg, bool centre, int state, paint::TRect r,
                   paint::TPoint p, paint::Bitmap* bmp, bool use_bg) {
    if (!bmp) return;
    const SkinModel* model = ModelOf(data.EffectiveManager(), data.SectionIndex);
    if (!model) return;
    ui::TControl* host = data.HostControl;
    ui::TControl* parent = host ? host->Parent() : nullptr;
    paint::ItemColors colors;
    if (!bg.Ready && parent) colors.ParentBg = colors.MaskFill = paint::ColorToRGB(parent->Color());
    // A parent whose face is the same everywhere answers one colour for it.
    if (bg.Ready && !data.BgDependsOnPosition() && colors.ParentBg == paint::KeyColor)
        colors.ParentBg = static_cast<paint::TColor>(TsCommonData::GetParentBgColor(parent));
    const paint::TColor custom = data.CustomColor() && host ? paint::ColorToRGB(host->Color()) : paint::KeyColor;
    const auto view = SkinItemViewOf(
        *model, {data.SectionIndex, data.BorderMaskIndex, data.PatternIndex, data.HotPatternIndex}, custom);
    if (view) paint::PaintSkinItem(*view, bg, centre, state, r, p, bmp, use_bg, colors);
}

void PaintSkinBackground(int section_index, const std::string&, paint::BackgroundSource bg, int state, paint::TRect r,
                         paint::TPoint p, paint::Bitmap* bmp, const TsSkinManager* manager, int pattern_index,
                         int hot_pattern_index, paint::TColor custom_color) {
    const SkinModel* model = ModelOf(manager ? manager : PrimaryManager(), section_index);
    if (!model || !bmp) return;
    auto view = SkinItemViewOf(*model, {section_index, -1, pattern_index, hot_pattern_index}, custom_color);
    if (view) paint::PaintSkinBackground(*view, bg, state, r, p, bmp);
}

void RefreshCornerPixels(TsCommonData& data, int state, unsigned corners) {
    const TsSkinManager* manager = data.EffectiveManager();
    ui::TControl* host = data.HostControl;
    if (!manager || !data.CacheBitmap || !host || host->Width() <= 1 || host->Height() <= 1) return;
    const std::optional<paint::MaskView> border = MaskViewOf(manager->Model(), data.BorderMaskIndex);
    if (!border) return;
    paint::BackgroundSource bg = ToPaint(data.QueryParentCache());
    ui::TControl* parent = host->Parent();
    paint::TColor plain = paint::KeyColor;
    if (!parent)
        plain = paint::KeyColor;
    else if (!bg.Ready)
        plain = paint::ColorToRGB(parent->Color());
    else if (!QuerySkinMessage(parent, SMC_QUERY_BG_VARIES) && paint::ParentBgColor == paint::KeyColor)
        plain = static_cast<paint::TColor>(TsCommonData::GetParentBgColor(parent));
    if (plain == paint::KeyColor) {
        bg.X += host->Left();
        bg.Y += host->Top();
    }
    paint::RefreshCornerPixels(*border, data.CacheBitmap->Image(), state, corners, bg, plain);
    paint::ParentBgColor = paint::KeyColor;
}

void WriteSkinText(ui::TCanvas& canvas, const std::wstring& text, bool enabled, bool hot, TsCommonData& data,
                   unsigned format, paint::TRect r) {
    ui::TControl* host = data.HostControl;
    if (host) canvas.Font().Assign(host->Font());
    if (hot && data.SkinSection() == "WEBBUTTON") {
        ui::TFontStyles style = canvas.Font().Style();
        style.Include(ui::TFontStyle::fsUnderline);
        canvas.Font().SetStyle(style);
    }
    ClipScope clip(canvas.Handle(), r);
    if (!text.empty()) canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
    const SkinModel* model = ModelOf(data.EffectiveManager(), data.SectionIndex);
    const std::optional<paint::SkinTextColors> colors = model ? std::optional(
                                                                    TextColorsOf(model->Sections[data.SectionIndex]))
                                                              : std::nullopt;
    CanvasTextSurface surface(canvas);
    paint::WriteSkinText(surface, text, enabled, hot, colors ? &*colors : nullptr, data.CustomFont(), format, r);
}

void DrawBorderMask(paint::Bitmap& bmp, paint::TRect r, bool centre, bool use_bg, int state,
                    const TsSkinManager& manager, int mask_index, const paint::BackgroundSource& bg) {
    if (const auto mask = MaskViewOf(manager.Model(), mask_index))
        paint::DrawBorderMask(bmp, r, centre, use_bg, state, *mask, bg);
}

void DrawGlyphMask(paint::Bitmap& bmp, paint::TPoint p, int state, const TsSkinManager& manager, int mask_index,
                   int mode) {
    if (const auto mask = MaskViewOf(manager.Model(), mask_index)) paint::DrawGlyphMask(bmp, p, state, *mask, mode);
}

TsCommonData::CachePainter SkinItemPainter(int state, bool centre, bool use_bg) {
    return [=](ui::TBitmap& cache, TsCommonData& data) {
        const ui::TControl* host = data.HostControl;
        const paint::TPoint pos = host ? paint::TPoint{host->Left(), host->Top()} : paint::TPoint{};
        PaintSkinItem(data, ToPaint(data.QueryParentCache()), centre, state, {0, 0, cache.Width(), cache.Height()}, pos,
                      &cache.Image(), use_bg);
        RefreshCornerPixels(data, state);
    };
}

}  // namespace velmap::skin
