// The demo: the real mouse over each of the band's buttons and a click on
// each (play/pause twice), with screenshots of the band along the way.
#pragma once

#include "band_site.h"

#include <string>

namespace velmap::tools {

// Writes band-normal.png, band-hot.png, band-pressed.png and band-fade.png
// (the band at three times its size) to dir. False when a step failed.
bool RunDemo(BandHost& host, const std::wstring& dir);

}  // namespace velmap::tools
