// GDI backing of the platform drawing operations: GradientFill (msimg32),
// HALFTONE StretchBlt and DrawText on the bitmaps' DIB sections.
#include <windows.h>

#include <vector>

#include "skin/paint/paint_device.h"
#include "skin/paint/paint_util.h"

namespace velmap::paint {

namespace {

// Saves a DC's state and restores it on every way out.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), saved_(dc ? ::SaveDC(dc) : 0) {}
    ~SavedDc() {
        if (saved_) ::RestoreDC(dc_, saved_);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;
    explicit operator bool() const { return saved_ != 0; }

private:
    HDC dc_;
    int saved_;
};

bool DrawTextOnDc(HDC dc, std::wstring_view text, TRect r, unsigned format, std::optional<TColor> color) {
    ::SetBkMode(dc, TRANSPARENT);
    if (color) ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(*color)) & 0xFFFFFF);
    RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    const int drawn = ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rc, format);
    ::GdiFlush();
    return drawn != 0 || text.empty();
}

}  // namespace

void FillGradientTriangles(Bitmap& bmp, TRect clip, std::span<const GradientVertex> vertices,
                           std::span<const GradientTriangle> triangles) {
    HDC dc = bmp.Dc();
    if (!dc || vertices.empty() || triangles.empty()) return;
    std::vector<TRIVERTEX> v;
    for (const GradientVertex& g : vertices) v.push_back({g.X, g.Y, g.Red, g.Green, g.Blue, 0});
    std::vector<GRADIENT_TRIANGLE> t;
    for (const GradientTriangle& g : triangles)
        t.push_back({static_cast<ULONG>(g.V0), static_cast<ULONG>(g.V1), static_cast<ULONG>(g.V2)});
    SavedDc saved(dc);
    if (!saved) return;
    ::IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
    ::GradientFill(dc, v.data(), static_cast<ULONG>(v.size()), t.data(), static_cast<ULONG>(t.size()),
                   GRADIENT_FILL_TRIANGLE);
    ::GdiFlush();
}

void StretchHalftone(Bitmap& dst, TRect d, Bitmap& src, TRect s) {
    s = detail::ClipToBitmap(s, src);
    if (detail::IsEmpty(s) || detail::IsEmpty(d)) return;
    HDC ddc = dst.Dc(), sdc = &dst == &src ? ddc : src.Dc();
    if (!ddc || !sdc) return;
    SavedDc saved(ddc);
    if (!saved) return;
    ::SetStretchBltMode(ddc, HALFTONE);
    ::SetBrushOrgEx(ddc, 0, 0, nullptr);
    ::StretchBlt(ddc, d.Left, d.Top, d.Width(), d.Height(), sdc, s.Left, s.Top, s.Width(), s.Height(), SRCCOPY);
    ::GdiFlush();
}

bool BitmapTextSurface::DrawText(std::wstring_view text, TRect r, unsigned format, std::optional<TColor> color) {
    HDC dc = bmp_.Dc();
    if (!dc) return false;
    LOGFONTW lf{};
    lf.lfHeight = font_.Height;
    lf.lfWeight = font_.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font_.Italic;
    lf.lfUnderline = font_.Underline;
    lf.lfStrikeOut = font_.StrikeOut;
    lf.lfCharSet = static_cast<BYTE>(font_.Charset);
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, font_.Name.c_str(), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return false;
    bool ok = false;
    {
        SavedDc saved(dc);
        if (saved) {
            ::SelectObject(dc, font);
            ok = DrawTextOnDc(dc, text, r, format, color);
        }
    }
    ::DeleteObject(font);
    return ok;
}

bool DcTextSurface::DrawText(std::wstring_view text, TRect r, unsigned format, std::optional<TColor> color) {
    if (!dc_) return false;
    SavedDc saved(dc_);
    return saved && DrawTextOnDc(dc_, text, r, format, color);
}

bool PlatformHasText() noexcept { return true; }

}  // namespace velmap::paint
