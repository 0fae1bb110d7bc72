#include "band_demo.h"

#include "pointer.h"
#include "screenshot.h"

namespace velmap::tools {

namespace {

constexpr int kZoom = 3;
// Longer than the double-click time, so that two clicks on play/pause stay two.
constexpr DWORD kBetweenClicks = 600;
// Longer than the hover time, after which the pointer's leaving is noticed.
constexpr DWORD kLeaveSettles = 700;

bool Shot(BandHost& host, const std::wstring& dir, const wchar_t* name) {
    const Picture picture = CaptureWindow(host.BandWindow());
    const std::wstring path = dir + L"\\" + name;
    const bool ok = SavePng(Magnify(picture, kZoom), path);
    host.Log().Write("screenshot %ls (%dx%d, shown %d times) -> %s", name, picture.width, picture.height, kZoom,
                     ok ? "written" : "FAILED");
    return ok;
}

}  // namespace

bool RunDemo(BandHost& host, const std::wstring& dir) {
    ::CreateDirectoryW(dir.c_str(), nullptr);
    HWND band = host.BandWindow();
    bool ok = true;
    // Away from the band first, and let the first paint finish.
    MoveMouseTo({::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 3});
    PumpMessages(kLeaveSettles);
    ok &= Shot(host, dir, L"band-normal.png");

    const BandButton clicks[] = {BandButton::Prev, BandButton::PlayPause, BandButton::PlayPause, BandButton::Stop,
                                 BandButton::Next, BandButton::VolDown,   BandButton::VolUp};
    bool first = true;
    for (BandButton button : clicks) {
        const POINT at = ButtonCenterOnScreen(band, button);
        host.Log().Write("mouse over %s at (%ld,%ld), click", ButtonName(button), at.x, at.y);
        MoveMouseTo(at);
        PumpMessages(first ? 300 : 150);
        if (first) ok &= Shot(host, dir, L"band-hot.png");
        LeftButton(true);
        PumpMessages(first ? 150 : 60);
        if (first) ok &= Shot(host, dir, L"band-pressed.png");
        LeftButton(false);
        PumpMessages(first ? 30 : 0);
        if (first) ok &= Shot(host, dir, L"band-fade.png");
        PumpMessages(kBetweenClicks);
        first = false;
    }
    MoveMouseTo({::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 3});
    PumpMessages(kLeaveSettles);
    return ok;
}

}  // namespace velmap::tools
