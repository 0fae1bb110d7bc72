// Windows build: images are decoded by the system's codecs (WIC). The frame is
// converted to 32bppBGRA, which every WIC decoder can reach (also from 1 bit
// per pixel), and the alpha byte is dropped.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

#include "skin/data/image_decode.h"

namespace velmap {

using Microsoft::WRL::ComPtr;

std::unique_ptr<paint::Bitmap> DecodeWithWic(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0 || size > MAXDWORD) return nullptr;
    try {
        ComPtr<IWICImagingFactory> factory;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
            return nullptr;
        ComPtr<IWICStream> stream;
        if (FAILED(factory->CreateStream(&stream))) return nullptr;
        // The stream reads the caller's bytes in place; they outlive it.
        if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)))) return nullptr;
        ComPtr<IWICBitmapDecoder> decoder;
        if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
            return nullptr;
        ComPtr<IWICBitmapFrameDecode> frame;
        if (FAILED(decoder->GetFrame(0, &frame))) return nullptr;
        UINT w = 0, h = 0;
        if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0 || w > UINT(kMaxImageDimension) ||
            h > UINT(kMaxImageDimension) || std::int64_t(w) * h > kMaxImagePixels)
            return nullptr;
        ComPtr<IWICBitmapSource> bgra;
        if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &bgra))) return nullptr;
        std::vector<BYTE> buf(std::size_t(w) * h * 4);
        if (FAILED(bgra->CopyPixels(nullptr, w * 4, static_cast<UINT>(buf.size()), buf.data()))) return nullptr;
        auto bmp = paint::CreateBitmap24(int(w), int(h));
        for (UINT y = 0; y < h; ++y) {
            const BYTE* src = &buf[std::size_t(y) * w * 4];
            std::uint8_t* dst = bmp->ScanLine(int(y));
            for (UINT x = 0; x < w; ++x) {
                dst[3 * x] = src[4 * x];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
            }
        }
        return bmp;
    } catch (...) {
        return nullptr;  // out of memory: the image counts as missing
    }
}

}  // namespace velmap
