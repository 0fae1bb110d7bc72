// Plain-buffer backing for builds without GDI.
#include <new>
#include <utility>

#include "skin/paint/bitmap.h"
#include "skin/paint/platform.h"

namespace velmap::paint {

void Bitmap::Allocate(bool zero) {
    const std::size_t bytes = static_cast<std::size_t>(stride_) * height_;
    buffer_.reset(zero ? new std::uint8_t[bytes]() : new std::uint8_t[bytes]);
    bits_ = buffer_.get();
}

void Bitmap::Free() noexcept {
    buffer_.reset();
    bits_ = nullptr;
}

void Bitmap::SwapPixels(Bitmap& other) noexcept {
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(stride_, other.stride_);
    std::swap(bits_, other.bits_);
    std::swap(buffer_, other.buffer_);
}

namespace detail {

void FlushDrawing() noexcept {}

// The standard Windows defaults, indexed like GetSysColor (values 0x00BBGGRR).
std::uint32_t SystemColorRGB(int index) noexcept {
    static constexpr std::uint32_t table[] = {
        0xC8C8C8,  // COLOR_SCROLLBAR
        0x000000,  // COLOR_BACKGROUND
        0xD1B499,  // COLOR_ACTIVECAPTION
        0xDBCDBF,  // COLOR_INACTIVECAPTION
        0xF0F0F0,  // COLOR_MENU
        0xFFFFFF,  // COLOR_WINDOW
        0x646464,  // COLOR_WINDOWFRAME
        0x000000,  // COLOR_MENUTEXT
        0x000000,  // COLOR_WINDOWTEXT
        0x000000,  // COLOR_CAPTIONTEXT
        0xB4B4B4,  // COLOR_ACTIVEBORDER
        0xFCF7F4,  // COLOR_INACTIVEBORDER
        0xABABAB,  // COLOR_APPWORKSPACE
        0xD77800,  // COLOR_HIGHLIGHT
        0xFFFFFF,  // COLOR_HIGHLIGHTTEXT
        0xF0F0F0,  // COLOR_BTNFACE
        0xA0A0A0,  // COLOR_BTNSHADOW
        0x6D6D6D,  // COLOR_GRAYTEXT
        0x000000,  // COLOR_BTNTEXT
        0x000000,  // COLOR_INACTIVECAPTIONTEXT
        0xFFFFFF,  // COLOR_BTNHIGHLIGHT
        0x696969,  // COLOR_3DDKSHADOW
        0xE3E3E3,  // COLOR_3DLIGHT
        0x000000,  // COLOR_INFOTEXT
        0xE1FFFF,  // COLOR_INFOBK
        0x000000,  // (unused index 25)
        0xCC6600,  // COLOR_HOTLIGHT
        0xEAD1B9,  // COLOR_GRADIENTACTIVECAPTION
        0xF2E4D7,  // COLOR_GRADIENTINACTIVECAPTION
        0xD77800,  // COLOR_MENUHILIGHT
        0xF0F0F0,  // COLOR_MENUBAR
    };
    if (index < 0 || index >= static_cast<int>(std::size(table))) return 0;
    return table[index];
}

}  // namespace detail
}  // namespace velmap::paint
