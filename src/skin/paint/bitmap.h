// The pixel bitmap every painter works on: 24 or 32 bits per pixel, rows
// padded to 4 bytes, top-down or bottom-up. On Windows it is a DIB section,
// so GDI can draw on it through Dc() while kernels touch its bytes; elsewhere
// it is a plain buffer with the same layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#ifdef _WIN32
// The handle types of <windows.h> (STRICT), without including it here.
struct HBITMAP__;
struct HDC__;
#endif

namespace velmap::paint {

enum class RowOrder {
    BottomUp,  // row 0 is the last row in memory, as GDI makes DIBs by default
    TopDown,
};

class Bitmap {
public:
    // Largest width or height accepted; larger requests throw
    // std::length_error rather than allocate whatever a file asks for.
    static constexpr int MaxDimension = 16384;
    // Largest pixel buffer accepted, in bytes.
    static constexpr std::size_t MaxBytes = std::size_t{256} << 20;

    // A zero-filled bitmap. bits_per_pixel is 24 or 32 (else
    // std::invalid_argument); a width or height of 0 gives an empty bitmap
    // with no pixels. Negative or oversized dimensions throw
    // std::length_error; a failed allocation throws std::bad_alloc.
    static std::unique_ptr<Bitmap> Create(int width, int height, int bits_per_pixel,
                                          RowOrder order = RowOrder::BottomUp);
    // As Create, but the pixel bytes (row padding included) are left as the
    // allocator hands them over: only for a caller that writes every byte of
    // every row before anything reads them, such as an image decoder.
    static std::unique_ptr<Bitmap> CreateUninitialized(int width, int height, int bits_per_pixel,
                                                       RowOrder order = RowOrder::BottomUp);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    int BitsPerPixel() const noexcept { return bpp_; }
    int BytesPerPixel() const noexcept { return bpp_ / 8; }
    RowOrder Order() const noexcept { return order_; }
    bool Empty() const noexcept { return width_ == 0 || height_ == 0; }

    // Bytes from one row to the next in memory (always positive, multiple of 4).
    std::ptrdiff_t Stride() const noexcept { return stride_; }
    // Address of row 0 (the top row) and the signed distance from row 0 to
    // row 1: negative for bottom-up bitmaps. Pixel (x, y) is at
    // RowStart() + y * RowDelta() + x * BytesPerPixel(). Both finish any GDI
    // drawing still queued, so the bytes are current. Null / 0 when empty.
    std::uint8_t* RowStart() const noexcept;
    std::ptrdiff_t RowDelta() const noexcept;
    // Row y (0 = top). No bounds check beyond a debug assertion.
    std::uint8_t* ScanLine(int y) const noexcept;

    // New size; the overlapping part of the image is kept, new pixels are
    // zero. Throws as Create does; on failure the bitmap is unchanged.
    void SetSize(int width, int height);
    // A copy with the same size, format, row order and pixels.
    std::unique_ptr<Bitmap> Clone() const;

#ifdef _WIN32
    // The DIB section (null when empty). The bitmap keeps ownership.
    HBITMAP__* Handle() const noexcept { return dib_; }
    // A memory device context with the DIB section selected, created on
    // first use and kept until ReleaseDc() or destruction (survives
    // SetSize). Null when empty or when the DC cannot be made.
    HDC__* Dc();
    void ReleaseDc() noexcept;
#endif

private:
    Bitmap() = default;
    static std::unique_ptr<Bitmap> Make(int width, int height, int bits_per_pixel, RowOrder order, bool zero);
    // Platform storage: fills bits_ (and the handles) for width_ x height_
    // at stride_, zeroed when asked, or throws; Free gives it back.
    void Allocate(bool zero);
    void Free() noexcept;
    void SwapPixels(Bitmap& other) noexcept;

    int width_ = 0;
    int height_ = 0;
    int bpp_ = 24;
    RowOrder order_ = RowOrder::BottomUp;
    std::ptrdiff_t stride_ = 0;
    std::uint8_t* bits_ = nullptr;  // lowest address of the pixel buffer
#ifdef _WIN32
    HBITMAP__* dib_ = nullptr;
    HDC__* dc_ = nullptr;
    void* dc_old_bitmap_ = nullptr;  // HGDIOBJ
#else
    std::unique_ptr<std::uint8_t[]> buffer_;
#endif
};

// Where a control finds its background inside its parent's cache bitmap:
// the control's pixel (x, y) lies at (X + x, Y + y) of Bmp once the
// control's own position has been added. Bmp is borrowed.
struct BackgroundSource {
    Bitmap* Bmp = nullptr;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool Ready = false;
};

// New bottom-up device-independent bitmaps; the caller owns them.
std::unique_ptr<Bitmap> CreateBitmap24(int width, int height);
std::unique_ptr<Bitmap> CreateBitmap32(int width, int height);

}  // namespace velmap::paint
