// Fonts, brushes, pens, a canvas on a device context, and the bitmap with a
// canvas that wraps the engine's pixel bitmap.
#pragma once

#include "ui/component.h"
#include "skin/paint/bitmap.h"
#include "win/handles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace velmap::ui {

// The screen's density; tests may pretend another (0 asks the display again).
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int ppi);
// The density set by SetScreenPixelsPerInch (0: none, the display's own).
int ScreenPixelsPerInchOverride();

// A graphics object that owns its GDI handle and recreates it after a change.
// OnChange runs before the old handle is released, so a canvas holding it
// can take it out of its device context first.
class TGraphicsObject : public TPersistent {
public:
    std::function<void()> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange();
        ReleaseHandle();
    }
    virtual void ReleaseHandle() = 0;
};

class TFont : public TGraphicsObject {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& v);
    int Height() const { return height_; }
    void SetHeight(int v);
    // Points, from and to Height at PixelsPerInch.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    int Charset() const { return charset_; }
    void SetCharset(int v);
    void SetCharsetIdent(int v) { SetCharset(v); }
    int PixelsPerInch() const { return ppi_; }
    void SetPixelsPerInch(int v) { ppi_ = v > 0 ? v : 96; }

    HFONT Handle() const;

    std::string ClassName() const override { return "TFont"; }
    const TPropTable& Props() const override;

private:
    void ReleaseHandle() override { handle_.reset(); }

    std::wstring name_ = L"MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_;
    int charset_ = DEFAULT_CHARSET;
    int ppi_ = 96;
    mutable win::unique_hfont handle_;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);
    HBRUSH Handle() const;

private:
    void ReleaseHandle() override { handle_.reset(); }
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    mutable win::unique_hbrush handle_;
};

class TPen : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Width() const { return width_; }
    void SetWidth(int v);
    HPEN Handle() const;

private:
    void ReleaseHandle() override { handle_.reset(); }
    TColor color_ = clBlack;
    int width_ = 1;
    mutable win::unique_hpen handle_;
};

// Drawing on a device context it does not own. Font, brush and pen are
// selected on first use and the DC's own objects put back on detach.
class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }
    // Attaches another DC (null detaches), restoring the old one's objects.
    void SetHandle(HDC dc);

    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }

    // Painting code holds the canvas while it draws; re-entry is visible.
    void Lock() { ++locks_; }
    void Unlock() {
        if (locks_ > 0) --locks_;
    }
    bool Locked() const { return locks_ > 0; }

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(const RECT& r);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::wstring& text);
    // Text clipped to r at (x, y).
    void TextRect(const RECT& r, int x, int y, const std::wstring& text);
    int DrawText(const std::wstring& text, RECT& r, UINT flags);
    SIZE TextExtent(const std::wstring& text);
    int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
    int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }
    // Block copy from another canvas.
    void CopyRect(const RECT& dest, TCanvas& src, const RECT& source, DWORD rop = SRCCOPY);
    void Draw(int x, int y, class TBitmap& bmp);
    COLORREF Pixel(int x, int y) const { return ::GetPixel(dc_, x, y); }

private:
    void RequireFont();
    void RequireBrush();
    void RequirePen();
    void Deselect();

    HDC dc_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
    HGDIOBJ old_font_ = nullptr, old_brush_ = nullptr, old_pen_ = nullptr;
    HFONT cur_font_ = nullptr;
    HBRUSH cur_brush_ = nullptr;
    HPEN cur_pen_ = nullptr;
    int locks_ = 0;
};

enum class TPixelFormat { pf24bit, pf32bit };

// A device-independent bitmap with direct row access and a canvas: the
// engine's pixel bitmap, with a DC made on demand.
class TBitmap : public TPersistent {
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return image_->Width(); }
    int Height() const { return image_->Height(); }
    bool Empty() const { return image_->Empty(); }
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    // Keeps the overlapping pixels; new ones are black.
    void SetSize(int w, int h);
    TPixelFormat PixelFormat() const;
    // Converts, keeping the picture.
    void SetPixelFormat(TPixelFormat pf);

    HBITMAP Handle() const { return image_->Handle(); }
    TCanvas& Canvas();
    std::uint8_t* ScanLine(int y) const { return image_->ScanLine(y); }
    paint::Bitmap& Image() { return *image_; }
    const paint::Bitmap& Image() const { return *image_; }

    void Assign(const TBitmap& other);
    // A file image (header "BM"): 24 or 32 bits per pixel, uncompressed.
    // Throws EUiError on anything else; the bitmap is unchanged then.
    void LoadFromBmpData(std::span<const std::uint8_t> data);
    void Clear() { SetSize(0, 0); }

    std::function<void()> OnChange;
    std::string ClassName() const override { return "TBitmap"; }

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    void Replace(std::unique_ptr<paint::Bitmap> image);

    std::unique_ptr<paint::Bitmap> image_;
    std::unique_ptr<TCanvas> canvas_;
};

}  // namespace velmap::ui
