// Screenshots of a window: its pixels as its own device context holds them,
// children included, written as PNG through the system's codecs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velmap::tools {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgr;  // rows top-down, 3 bytes a pixel, no padding

    COLORREF Pixel(int x, int y) const {
        const std::uint8_t* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
        return RGB(p[2], p[1], p[0]);
    }
};

Picture CaptureWindow(HWND wnd);
// A rectangle of the screen, every window on it.
Picture CaptureScreen(const RECT& area);
// Each pixel as a zoom x zoom block, so that small bands can be seen.
Picture Magnify(const Picture& picture, int zoom);
// False when the file cannot be written (COM must be initialised).
bool SavePng(const Picture& picture, const std::wstring& path);

}  // namespace velmap::tools
