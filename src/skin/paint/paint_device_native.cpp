// Without GDI: the portable resampler and triangle fill, and no text.
#include "skin/paint/paint_device.h"
#include "skin/paint/resample.h"

namespace velmap::paint {

void FillGradientTriangles(Bitmap& bmp, TRect clip, std::span<const GradientVertex> vertices,
                           std::span<const GradientTriangle> triangles) {
    RasterizeGradientTriangles(bmp, clip, vertices, triangles);
}

void StretchHalftone(Bitmap& dst, TRect d, Bitmap& src, TRect s) { ResampleBox(dst, d, src, s); }

bool BitmapTextSurface::DrawText(std::wstring_view, TRect, unsigned, std::optional<TColor>) {
    static_cast<void>(bmp_);  // nothing to draw with here
    return false;
}

bool PlatformHasText() noexcept { return false; }

}  // namespace velmap::paint
