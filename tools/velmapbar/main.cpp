// VelmapBar: the band outside the taskbar, for taskbars that host no toolbars.
// A small always-on-top tool window (no taskbar button) that hosts the band
// through the same site as bandhost, docked just above the notification area,
// dragged by its grip or margin, its position remembered per user. One
// instance at a time: a second start brings the first to the front.
#include "band_site.h"
#include "bar_placement.h"

#include <objbase.h>
#include <windows.h>
#include <windowsx.h>

using namespace velmap::tools;

namespace {

constexpr wchar_t kBandName[] = L"&Velmora Player";
constexpr wchar_t kInstanceMutex[] = L"Local\\VelmapBar.Instance";
constexpr DWORD kTakeOverMs = 5000;
constexpr int kGripWidth = 8;
constexpr UINT kCloseCommand = 1;
constexpr UINT_PTR kDragTimer = 1;

WNDPROC strip_proc = nullptr;
bool closing = false;
bool dragging = false;
POINT drag_from{}, drag_origin{};

POINT WindowOrigin(HWND wnd) {
    RECT r;
    ::GetWindowRect(wnd, &r);
    return {r.left, r.top};
}

void PaintGrip(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd, &ps);
    RECT client;
    ::GetClientRect(wnd, &client);
    for (int x = 2; x + 2 <= kStripMargin + kGripWidth - 2; x += 3) {
        RECT line{x, client.top + 3, x + 2, client.bottom - 3};
        ::DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
    }
    ::EndPaint(wnd, &ps);
}

void FollowPointer(HWND wnd) {
    POINT now;
    ::GetCursorPos(&now);
    ::SetWindowPos(wnd, nullptr, drag_origin.x + now.x - drag_from.x, drag_origin.y + now.y - drag_from.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EndDrag(HWND wnd) {
    if (!dragging) return;
    dragging = false;
    ::KillTimer(wnd, kDragTimer);
    if (::GetCapture() == wnd) ::ReleaseCapture();
    const POINT at = WindowOrigin(wnd);
    if (at.x != drag_origin.x || at.y != drag_origin.y) SaveBarPosition(at);
}

// The strip's own procedure, with the bar's behaviour in front of it.
LRESULT CALLBACK BarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        // A remote control: clicks on it leave the focus where it is (the
        // player is brought forward by the band itself).
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:  // on the grip or margin: the bar follows the pointer
        ::GetCursorPos(&drag_from);
        drag_origin = WindowOrigin(wnd);
        dragging = true;
        ::SetCapture(wnd);
        // Capture alone brings no moves while another program is in the
        // foreground: the pointer is also polled until the button is up.
        ::SetTimer(wnd, kDragTimer, 15, nullptr);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging) FollowPointer(wnd);
        return 0;
    case WM_TIMER:
        if (wp != kDragTimer) break;
        if (dragging) FollowPointer(wnd);
        if (!(::GetAsyncKeyState(::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000))
            EndDrag(wnd);
        return 0;
    case WM_LBUTTONUP:
        if (dragging) FollowPointer(wnd);
        EndDrag(wnd);
        return 0;
    case WM_CAPTURECHANGED:
        EndDrag(wnd);
        return 0;
    case WM_PAINT:
        PaintGrip(wnd);
        return 0;
    case WM_RBUTTONUP: {
        HMENU menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, kCloseCommand, L"&Close");
        ::SetForegroundWindow(wnd);
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ::ClientToScreen(wnd, &at);
        const UINT chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, wnd, nullptr);
        ::DestroyMenu(menu);
        if (chosen == kCloseCommand) ::PostMessageW(wnd, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_CLOSE:
        // The band is closed through its site protocol before the strip goes.
        // A modal loop (a menu, a move) may swallow the quit message: the flag
        // and a message to wake the main loop make sure it ends.
        SaveBarPosition(WindowOrigin(wnd));
        closing = true;
        ::PostQuitMessage(0);
        ::PostMessageW(wnd, WM_NULL, 0, 0);
        return 0;
    default:
        break;
    }
    return ::CallWindowProcW(strip_proc, wnd, msg, wp, lp);
}

void Fail(const wchar_t* text) { ::MessageBoxW(nullptr, text, kBarTitle, MB_ICONERROR | MB_OK); }

int RunBar() {
    CallLog log;  // kept in memory only: a GUI program has no console
    CLSID clsid{};
    bool found = false;
    for (const BandClass& band : EnumerateDeskBands(log)) {
        if (band.name == kBandName) {
            clsid = band.clsid;
            found = true;
            break;
        }
    }
    if (!found) {
        Fail(L"VelmapBand is not registered. Install it again.");
        return 1;
    }
    BandHost host(log, StripOrientation::Horizontal);
    if (FAILED(host.Create(clsid)) || FAILED(host.Show())) {
        Fail(L"The VelmapBand toolbar could not be shown.");
        return 1;
    }
    HWND strip = host.Strip();
    RECT band;
    ::GetWindowRect(host.BandWindow(), &band);
    const SIZE bar{kGripWidth + (band.right - band.left) + 2 * kStripMargin,
                   (band.bottom - band.top) + 2 * kStripMargin};
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const POINT at = LoadBarPosition(bar).value_or(DockedPosition(bar, work, NotificationArea()));

    ::SetWindowTextW(strip, kBarTitle);
    strip_proc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BarProc)));
    ::SetWindowPos(host.BandWindow(), nullptr, kStripMargin + kGripWidth, kStripMargin, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(strip, HWND_TOPMOST, at.x, at.y, bar.cx, bar.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);

    MSG msg;
    while (!closing && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    const HRESULT closed = host.Close();
    ::SetWindowLongPtrW(strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(strip_proc));
    return FAILED(closed) ? 1 : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The running bar owns the mutex for its whole life.
    HANDLE instance = ::CreateMutexW(nullptr, TRUE, kInstanceMutex);
    if (!instance) return 1;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = ::FindWindowW(kStripClass, kBarTitle)) {
            ::SetWindowPos(first, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            ::FlashWindow(first, TRUE);
            ::CloseHandle(instance);
            return 0;
        }
        // No bar window: the other one is starting or just closing. Once it
        // has gone this start becomes the bar; while it starts, it is the bar.
        const DWORD waited = ::WaitForSingleObject(instance, kTakeOverMs);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            ::CloseHandle(instance);
            return 0;
        }
    }
    ::SetProcessDPIAware();
    int code = 1;
    if (SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        code = RunBar();
        ::CoFreeUnusedLibraries();
        ::CoUninitialize();
    }
    ::ReleaseMutex(instance);
    ::CloseHandle(instance);
    return code;
}
