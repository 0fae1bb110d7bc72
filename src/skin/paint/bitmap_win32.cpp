// GDI backing: the bitmap is a DIB section, and system colours come from
// the running system.
#include <windows.h>

#include <cstring>
#include <new>
#include <utility>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/platform.h"
#include "skin/paint/pixel_ops.h"
#include "win/handles.h"

namespace velmap::paint {

void Bitmap::Allocate(bool zero) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    // A negative height asks GDI for a top-down section.
    info.bmiHeader.biHeight = order_ == RowOrder::TopDown ? -height_ : height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bpp_);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) ::DeleteObject(dib);
        width_ = height_ = 0;
        stride_ = 0;
        throw std::bad_alloc();
    }
    // GDI documents the section as zero-filled only when it maps a file.
    if (zero) std::memset(bits, 0, static_cast<std::size_t>(stride_) * height_);
    dib_ = dib;
    bits_ = static_cast<std::uint8_t*>(bits);
}

void Bitmap::Free() noexcept {
    if (dib_) ::DeleteObject(dib_);
    dib_ = nullptr;
    bits_ = nullptr;
}

void Bitmap::SwapPixels(Bitmap& other) noexcept {
    ::GdiFlush();
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(stride_, other.stride_);
    std::swap(bits_, other.bits_);
    std::swap(dib_, other.dib_);
    // Our DC keeps its handle and state; it now shows the new section.
    if (dc_) {
        if (dib_)
            ::SelectObject(dc_, dib_);
        else
            ReleaseDc();
    }
}

HDC Bitmap::Dc() {
    if (dc_ || !dib_) return dc_;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    HGDIOBJ old = ::SelectObject(dc, dib_);
    if (!old || old == HGDI_ERROR) {
        ::DeleteDC(dc);
        return nullptr;
    }
    dc_ = dc;
    dc_old_bitmap_ = old;
    return dc_;
}

void Bitmap::ReleaseDc() noexcept {
    if (!dc_) return;
    ::GdiFlush();
    ::SelectObject(dc_, static_cast<HGDIOBJ>(dc_old_bitmap_));
    ::DeleteDC(dc_);
    dc_ = nullptr;
    dc_old_bitmap_ = nullptr;
}

bool FillRectColor(HDC dc, const TRect& r, TColor color) {
    if (!dc) return false;
    const int saved = ::SaveDC(dc);
    bool ok = false;
    if (win::unique_hbrush brush(::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF)); brush) {
        win::select_object selected(dc, brush.get());
        const RECT rc{r.Left, r.Top, r.Right, r.Bottom};
        ok = ::FillRect(dc, &rc, brush.get()) != 0;
    }
    if (saved) ::RestoreDC(dc, saved);
    return ok;
}

namespace detail {

void FlushDrawing() noexcept { ::GdiFlush(); }

std::uint32_t SystemColorRGB(int index) noexcept { return ::GetSysColor(index); }

}  // namespace detail
}  // namespace velmap::paint
