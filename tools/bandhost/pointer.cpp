#include "pointer.h"

namespace velmap::tools {

namespace {

struct DesignRect {
    int left, top, width, height;
};

DesignRect DesignRectOf(BandButton button) {
    switch (button) {
        case BandButton::Prev:
            return {14, 3, 20, 20};
        case BandButton::PlayPause:
            return {36, 3, 20, 20};
        case BandButton::Stop:
            return {58, 3, 20, 20};
        case BandButton::Next:
            return {80, 3, 20, 20};
        case BandButton::VolDown:
            return {108, 7, 14, 14};
        case BandButton::VolUp:
            return {124, 7, 14, 14};
    }
    return {};
}

void Send(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

const char* ButtonName(BandButton button) {
    switch (button) {
        case BandButton::Prev:
            return "previous";
        case BandButton::PlayPause:
            return "play/pause";
        case BandButton::Stop:
            return "stop";
        case BandButton::Next:
            return "next";
        case BandButton::VolDown:
            return "volume down";
        case BandButton::VolUp:
            return "volume up";
    }
    return "?";
}

RECT ButtonRect(HWND band_window, BandButton button) {
    RECT client{};
    ::GetClientRect(band_window, &client);
    const DesignRect d = DesignRectOf(button);
    const int w = client.right, h = client.bottom;
    if (h > w) {
        // A column: the row turned by a quarter, as long as the window is
        // tall, its thickness in proportion, centred across the window.
        const int thickness = ::MulDiv(25, h, 160), offset = (w - thickness) / 2;
        return {offset + ::MulDiv(d.top, thickness, 25), ::MulDiv(d.left, h, 160),
                offset + ::MulDiv(d.top + d.height, thickness, 25), ::MulDiv(d.left + d.width, h, 160)};
    }
    return {::MulDiv(d.left, w, 160), ::MulDiv(d.top, h, 25), ::MulDiv(d.left + d.width, w, 160),
            ::MulDiv(d.top + d.height, h, 25)};
}

POINT ButtonCenterOnScreen(HWND band_window, BandButton button) {
    const RECT r = ButtonRect(band_window, button);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(band_window, &p);
    return p;
}

void MoveMouseTo(POINT screen) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    // The absolute range 0..65535 covers the primary screen; aim at the
    // middle of the target pixel.
    const LONG dx = static_cast<LONG>((screen.x * 65536LL + 32768) / w);
    const LONG dy = static_cast<LONG>((screen.y * 65536LL + 32768) / h);
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy);
}

void LeftButton(bool down) { Send(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

}  // namespace velmap::tools
