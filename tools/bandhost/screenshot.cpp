#include "screenshot.h"

#include <wincodec.h>
#include <algorithm>
#include <wrl/client.h>

namespace velmap::tools {

using Microsoft::WRL::ComPtr;

namespace {

Picture Capture(HWND wnd, const RECT& r) {
    Picture picture;
    if (r.right <= r.left || r.bottom <= r.top) return picture;
    picture.width = r.right - r.left;
    picture.height = r.bottom - r.top;
    HDC window_dc = ::GetDC(wnd);
    HDC memory = ::CreateCompatibleDC(window_dc);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(window_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, dib);
    ::BitBlt(memory, 0, 0, picture.width, picture.height, window_dc, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const int stride = (picture.width * 3 + 3) & ~3;
    picture.bgr.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(static_cast<const std::uint8_t*>(bits) + static_cast<size_t>(y) * stride, picture.width * 3,
                    picture.bgr.begin() + static_cast<ptrdiff_t>(y) * picture.width * 3);
    ::SelectObject(memory, old);
    ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(wnd, window_dc);
    return picture;
}

}  // namespace

Picture CaptureWindow(HWND wnd) {
    RECT r;
    if (!::GetClientRect(wnd, &r)) return {};
    return Capture(wnd, r);
}

Picture CaptureScreen(const RECT& area) { return Capture(nullptr, area); }

Picture Magnify(const Picture& picture, int zoom) {
    Picture out;
    out.width = picture.width * zoom;
    out.height = picture.height * zoom;
    out.bgr.resize(static_cast<size_t>(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            std::copy_n(&picture.bgr[(static_cast<size_t>(y / zoom) * picture.width + x / zoom) * 3], 3,
                        &out.bgr[(static_cast<size_t>(y) * out.width + x) * 3]);
    return out;
}

bool SavePng(const Picture& picture, const std::wstring& path) {
    if (picture.width <= 0 || picture.height <= 0) return false;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return false;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height))))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR) return false;
    std::vector<std::uint8_t> data = picture.bgr;
    const UINT stride = static_cast<UINT>(picture.width * 3);
    return SUCCEEDED(frame->WritePixels(static_cast<UINT>(picture.height), stride, static_cast<UINT>(data.size()),
                                        data.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace velmap::tools
