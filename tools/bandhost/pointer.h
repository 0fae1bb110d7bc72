// The real mouse, through the system's input queue, and where the band's
// buttons are in its window.
#pragma once

#include <windows.h>

#include <array>

namespace velmap::tools {

// The six buttons from left to right, as the band lays them out at its design
// size of 160 x 25.
enum class BandButton { Prev, PlayPause, Stop, Next, VolDown, VolUp };
inline constexpr std::array<BandButton, 6> kBandButtons = {BandButton::Prev, BandButton::PlayPause, BandButton::Stop,
                                                           BandButton::Next, BandButton::VolDown,   BandButton::VolUp};
const char* ButtonName(BandButton button);

// The button's rectangle in the band window's client coordinates, scaled
// from the design size to the window's size; in a window taller than wide,
// in the column the band lays out for a vertical bar.
RECT ButtonRect(HWND band_window, BandButton button);
POINT ButtonCenterOnScreen(HWND band_window, BandButton button);

// SendInput: an absolute move, and the left button down and up where the
// pointer is.
void MoveMouseTo(POINT screen);
void LeftButton(bool down);

}  // namespace velmap::tools
