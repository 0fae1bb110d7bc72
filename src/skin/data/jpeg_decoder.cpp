// JPEG through libjpeg-turbo (native build). libjpeg reports errors by calling
// error_exit, which must not return: it jumps back to the setjmp below. No
// object with a destructor is created between setjmp and the jump.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "skin/data/image_decode.h"

namespace velmap {

namespace {
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};
[[noreturn]] void OnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }
void OnMessage(j_common_ptr) {}  // warnings are not shown to anybody

// Runs the decode; false on any libjpeg error. bmp receives the image.
bool Decode(jpeg_decompress_struct& cinfo, const std::uint8_t* data, std::size_t size,
            std::unique_ptr<paint::Bitmap>& bmp) {
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > unsigned(kMaxImageDimension) ||
        cinfo.image_height > unsigned(kMaxImageDimension) ||
        std::int64_t(cinfo.image_width) * cinfo.image_height > kMaxImagePixels)
        return false;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) return false;
    cinfo.out_color_space = JCS_EXT_BGR;  // the bitmap's own byte order
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) return false;
    try {
        bmp = paint::CreateBitmap24(int(cinfo.output_width), int(cinfo.output_height));
    } catch (...) {
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = bmp->ScanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}
}  // namespace

std::unique_ptr<paint::Bitmap> DecodeJpeg(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 4) return nullptr;
    std::unique_ptr<paint::Bitmap> bmp;
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        bmp.reset();
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    bool ok = Decode(cinfo, data, size, bmp);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) bmp.reset();
    return bmp;
}

}  // namespace velmap
