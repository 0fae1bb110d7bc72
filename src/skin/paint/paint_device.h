// The little the painters leave to the platform: the triangle gradient fill,
// halftone stretching and text. On Windows these go through GDI (and
// msimg32); elsewhere the first two are computed here (see resample.h) and
// there is no text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

struct GradientVertex {
    std::int32_t X = 0, Y = 0;
    std::uint16_t Red = 0, Green = 0, Blue = 0;  // channel byte * 256
};
struct GradientTriangle {
    int V0 = 0, V1 = 0, V2 = 0;
};

// Fills the triangles with colours interpolated between their vertices;
// nothing outside clip (or the bitmap) changes.
void FillGradientTriangles(Bitmap& bmp, TRect clip, std::span<const GradientVertex> vertices,
                           std::span<const GradientTriangle> triangles);

// Stretches rectangle s of src over rectangle d of dst, averaging like GDI's
// HALFTONE mode. Both rectangles are clipped to their bitmaps first.
void StretchHalftone(Bitmap& dst, TRect d, Bitmap& src, TRect s);

// Text format flags, the values of the platform's DrawText.
namespace text_format {
inline constexpr unsigned kLeft = 0x0, kCenter = 0x1, kRight = 0x2, kVCenter = 0x4, kBottom = 0x8, kWordBreak = 0x10,
                          kSingleLine = 0x20, kExpandTabs = 0x40, kNoClip = 0x100, kCalcRect = 0x400,
                          kRtlReading = 0x20000;
}

// Where text is written.
class TextSurface {
public:
    virtual ~TextSurface() = default;
    // Draws text into r with the format flags, in color (or the surface's
    // current text colour), without a background. False when the platform
    // has no text.
    virtual bool DrawText(std::wstring_view text, TRect r, unsigned format, std::optional<TColor> color) = 0;
};

struct TextFont {
    std::wstring Name = L"MS Sans Serif";
    int Height = -11;  // as the platform's font height: negative = character height in pixels
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    int Charset = 1;  // the default character set
};

// Text on a bitmap in a given font.
class BitmapTextSurface : public TextSurface {
public:
    BitmapTextSurface(Bitmap& bmp, TextFont font) : bmp_(bmp), font_(std::move(font)) {}
    bool DrawText(std::wstring_view text, TRect r, unsigned format, std::optional<TColor> color) override;

private:
    Bitmap& bmp_;
    TextFont font_;
};

#ifdef _WIN32
// Text on a device context with the font selected into it.
class DcTextSurface : public TextSurface {
public:
    explicit DcTextSurface(HDC__* dc) : dc_(dc) {}
    bool DrawText(std::wstring_view text, TRect r, unsigned format, std::optional<TColor> color) override;

private:
    HDC__* dc_;
};
#endif

// The platform draws text (false natively).
bool PlatformHasText() noexcept;

}  // namespace velmap::paint
