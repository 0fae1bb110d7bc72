// Decoding of skin images (BMP and JPEG files held in memory) to the engine's
// 24-bit bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "skin/paint/bitmap.h"

namespace velmap {

enum class ImageFormat { Unknown, Bmp, Jpeg };

// Largest image a skin may hold; bigger images are refused before any pixel
// memory is taken.
inline constexpr int kMaxImageDimension = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 24;

ImageFormat SniffImageFormat(const std::uint8_t* data, std::size_t size);

// A new 24-bit bitmap, or null when the bytes are not an image this engine
// reads. BMP files go to our own reader below; the Windows build gives JPEG
// files, and any BMP variant our reader does not take, to the system's codecs
// (WIC), the native build JPEG files to libjpeg-turbo.
std::unique_ptr<paint::Bitmap> DecodeImage(const std::uint8_t* data, std::size_t size);

// Our own BMP reader: 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up and
// top-down, bit fields, RLE4 and RLE8, core and info headers up to version 5.
std::unique_ptr<paint::Bitmap> DecodeBmp(const std::uint8_t* data, std::size_t size);

#ifndef _WIN32
// libjpeg-turbo; grey-scale images come out as grey RGB.
std::unique_ptr<paint::Bitmap> DecodeJpeg(const std::uint8_t* data, std::size_t size);
#else
// Windows Imaging Component, any format it knows (the calling thread has COM).
std::unique_ptr<paint::Bitmap> DecodeWithWic(const std::uint8_t* data, std::size_t size);
#endif

}  // namespace velmap
