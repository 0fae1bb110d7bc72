#include "skin/paint/bitmap.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "skin/paint/color.h"
#include "skin/paint/platform.h"

namespace velmap::paint {

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height, int bits_per_pixel, RowOrder order) {
    return Make(width, height, bits_per_pixel, order, true);
}

std::unique_ptr<Bitmap> Bitmap::CreateUninitialized(int width, int height, int bits_per_pixel, RowOrder order) {
    return Make(width, height, bits_per_pixel, order, false);
}

std::unique_ptr<Bitmap> Bitmap::Make(int width, int height, int bits_per_pixel, RowOrder order, bool zero) {
    if (bits_per_pixel != 24 && bits_per_pixel != 32)
        throw std::invalid_argument("Bitmap: only 24 and 32 bits per pixel are supported");
    if (width < 0 || height < 0 || width > MaxDimension || height > MaxDimension)
        throw std::length_error("Bitmap: size out of range");
    const std::ptrdiff_t stride = ((static_cast<std::ptrdiff_t>(width) * bits_per_pixel + 31) / 32) * 4;
    if (static_cast<std::size_t>(stride) * static_cast<std::size_t>(height) > MaxBytes)
        throw std::length_error("Bitmap: too large");

    std::unique_ptr<Bitmap> bmp(new Bitmap);
    bmp->bpp_ = bits_per_pixel;
    bmp->order_ = order;
    if (width > 0 && height > 0) {
        bmp->width_ = width;
        bmp->height_ = height;
        bmp->stride_ = stride;
        bmp->Allocate(zero);
    }
    return bmp;
}

Bitmap::~Bitmap() {
#ifdef _WIN32
    ReleaseDc();
#endif
    Free();
}

std::uint8_t* Bitmap::RowStart() const noexcept {
    if (!bits_) return nullptr;
    detail::FlushDrawing();
    return order_ == RowOrder::TopDown ? bits_ : bits_ + (height_ - 1) * stride_;
}

std::ptrdiff_t Bitmap::RowDelta() const noexcept { return order_ == RowOrder::TopDown ? stride_ : -stride_; }

std::uint8_t* Bitmap::ScanLine(int y) const noexcept {
    assert(y >= 0 && y < height_);
    std::uint8_t* start = RowStart();
    return start ? start + y * RowDelta() : nullptr;
}

void Bitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    auto fresh = Create(width, height, bpp_, order_);
    const int w = std::min(width, width_), h = std::min(height, height_);
    const std::size_t row_bytes = static_cast<std::size_t>(w) * BytesPerPixel();
    for (int y = 0; y < h; ++y) std::memcpy(fresh->ScanLine(y), ScanLine(y), row_bytes);
    SwapPixels(*fresh);
}

std::unique_ptr<Bitmap> Bitmap::Clone() const {
    auto copy = Create(width_, height_, bpp_, order_);
    if (bits_) {
        detail::FlushDrawing();
        std::memcpy(copy->bits_, bits_, static_cast<std::size_t>(stride_) * height_);
    }
    return copy;
}

std::unique_ptr<Bitmap> CreateBitmap24(int width, int height) { return Bitmap::Create(width, height, 24); }

std::unique_ptr<Bitmap> CreateBitmap32(int width, int height) { return Bitmap::Create(width, height, 32); }

TColor ColorToRGB(TColor color) {
    if (color < 0) return static_cast<TColor>(detail::SystemColorRGB(color & 0xFF) & 0xFFFFFF);
    return color;
}

}  // namespace velmap::paint
