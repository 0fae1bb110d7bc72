// Colour values, rectangles and the system-colour lookup shared by every painter.
#pragma once

#include <cstdint>

namespace velmap::paint {

// 0x00BBGGRR, red in the low byte. A negative value names a system colour
// (0x80000000 | index, index as for GetSysColor).
using TColor = std::int32_t;

// Magenta. In skin images it marks see-through pixels; in the engine's
// process-wide colour variables it means "no colour given".
inline constexpr TColor KeyColor = 0xFF00FF;

inline constexpr TColor SystemColorBase = static_cast<TColor>(0x80000000u);
inline constexpr TColor SystemColor(int index) { return SystemColorBase | (index & 0xFF); }

// The RGB value of a colour: system colours are looked up (GetSysColor on
// Windows, the standard Windows defaults elsewhere); the top byte of a plain
// colour is kept as given.
TColor ColorToRGB(TColor color);

inline constexpr std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c); }
inline constexpr std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>(c >> 8); }
inline constexpr std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>(c >> 16); }
inline constexpr TColor MakeColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// Named colours, as stored descriptions write them. The system ones carry
// their GetSysColor index and follow the user's settings.
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);

// Left, Top, Right, Bottom; Right and Bottom are exclusive unless an
// operation says otherwise.
struct TRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr std::int32_t Width() const { return Right - Left; }
    constexpr std::int32_t Height() const { return Bottom - Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
    std::int32_t X = 0, Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

}  // namespace velmap::paint
