#include "skin/data/image_decode.h"

#include <exception>

namespace velmap {

ImageFormat SniffImageFormat(const std::uint8_t* data, std::size_t size) {
    if (!data) return ImageFormat::Unknown;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFormat::Bmp;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ImageFormat::Jpeg;
    return ImageFormat::Unknown;
}

std::unique_ptr<paint::Bitmap> DecodeImage(const std::uint8_t* data, std::size_t size) {
    ImageFormat f = SniffImageFormat(data, size);
    if (f == ImageFormat::Unknown) return nullptr;
#ifdef _WIN32
    // Our reader is several times quicker than the system codec on the small
    // bitmaps skins are made of (it is most of a band's start); whatever it
    // does not take, the system codec still gets.
    if (f == ImageFormat::Bmp) {
        try {
            if (auto bmp = DecodeBmp(data, size)) return bmp;
        } catch (const std::exception&) {  // out of memory: no image
            return nullptr;
        }
    }
    return DecodeWithWic(data, size);
#else
    try {
        return f == ImageFormat::Bmp ? DecodeBmp(data, size) : DecodeJpeg(data, size);
    } catch (const std::exception&) {  // size refused or out of memory: no image
        return nullptr;
    }
#endif
}

}  // namespace velmap
