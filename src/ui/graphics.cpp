#include "ui/graphics.h"

#include "ui/reader.h"

#include <algorithm>
#include <cstring>

namespace velmap::ui {

namespace {
int g_ppi_override = 0;
}

int ScreenPixelsPerInch() {
    if (g_ppi_override > 0) return g_ppi_override;
    win::window_dc dc(nullptr);
    int ppi = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return ppi > 0 ? ppi : 96;
}

void SetScreenPixelsPerInch(int ppi) { g_ppi_override = ppi; }
int ScreenPixelsPerInchOverride() { return g_ppi_override; }

// ---- TFont ------------------------------------------------------------------

void TFont::Assign(const TFont& o) {
    if (SameAs(o)) return;
    name_ = o.name_;
    height_ = o.height_;
    color_ = o.color_;
    style_ = o.style_;
    charset_ = o.charset_;
    ppi_ = o.ppi_;
    Changed();
}

bool TFont::SameAs(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           charset_ == o.charset_ && ppi_ == o.ppi_;
}

void TFont::SetName(const std::wstring& v) {
    if (v.size() >= LF_FACESIZE) throw EUiError("font name too long");
    if (v != name_) {
        name_ = v;
        Changed();
    }
}
void TFont::SetHeight(int v) {
    if (v != height_) {
        height_ = v;
        Changed();
    }
}
int TFont::Size() const { return -::MulDiv(height_, 72, ppi_); }
void TFont::SetSize(int points) { SetHeight(-::MulDiv(points, ppi_, 72)); }
void TFont::SetColor(TColor v) {
    if (v != color_) {
        color_ = v;
        Changed();
    }
}
void TFont::SetStyle(TFontStyles v) {
    if (v != style_) {
        style_ = v;
        Changed();
    }
}
void TFont::SetCharset(int v) {
    if (v < 0 || v > 255) throw EUiError("charset out of range");
    if (v != charset_) {
        charset_ = v;
        Changed();
    }
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = style_.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style_.Contains(TFontStyle::fsItalic);
        lf.lfUnderline = style_.Contains(TFontStyle::fsUnderline);
        lf.lfStrikeOut = style_.Contains(TFontStyle::fsStrikeOut);
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfQuality = DEFAULT_QUALITY;
        std::copy(name_.begin(), name_.end(), lf.lfFaceName);
        handle_.reset(::CreateFontIndirectW(&lf));
    }
    return handle_.get();
}

namespace {
constexpr const char* kFontStyles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

struct CharsetName {
    const char* name;
    int value;
};
constexpr CharsetName kCharsets[] = {
    {"ANSI_CHARSET", ANSI_CHARSET},       {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET},   {"OEM_CHARSET", OEM_CHARSET},
    {"RUSSIAN_CHARSET", RUSSIAN_CHARSET}, {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
    {"GREEK_CHARSET", GREEK_CHARSET},     {"TURKISH_CHARSET", TURKISH_CHARSET},
    {"BALTIC_CHARSET", BALTIC_CHARSET},   {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
};

void SetCharsetValue(TPersistent& o, const TValue& v, TReader&) {
    auto& f = static_cast<TFont&>(o);
    if (v.type == TValueType::Ident) {
        for (const auto& c : kCharsets)
            if (v.ident == c.name) return f.SetCharset(c.value);
        throw EUiError("'" + v.ident + "' is not a charset");
    }
    f.SetCharset(props::ToInt(v));
}

const TPropInfo kFontProps[] = {
    props::String<&TFont::SetName>("Name"),
    props::Int<&TFont::SetHeight>("Height"),
    props::Int<&TFont::SetSize>("Size"),
    props::Color<&TFont::SetColor>("Color"),
    props::SetOf<&TFont::SetStyle, kFontStyles>("Style"),
    {"Charset", &SetCharsetValue},
};
}  // namespace

const TPropTable& TFont::Props() const {
    static const TPropTable table{&TPersistent::ClassProps(), kFontProps};
    return table;
}

// ---- TBrush, TPen -----------------------------------------------------------

void TBrush::SetColor(TColor v) {
    if (v != color_) {
        color_ = v;
        Changed();
    }
}
void TBrush::SetStyle(TBrushStyle v) {
    if (v != style_) {
        style_ = v;
        Changed();
    }
}
HBRUSH TBrush::Handle() const {
    if (style_ == TBrushStyle::bsClear) return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    if (!handle_) handle_.reset(::CreateSolidBrush(ColorRefOf(color_)));
    return handle_.get();
}

void TPen::SetColor(TColor v) {
    if (v != color_) {
        color_ = v;
        Changed();
    }
}
void TPen::SetWidth(int v) {
    if (v != width_) {
        width_ = v;
        Changed();
    }
}
HPEN TPen::Handle() const {
    if (!handle_) handle_.reset(::CreatePen(PS_SOLID, width_, ColorRefOf(color_)));
    return handle_.get();
}

// ---- TCanvas ----------------------------------------------------------------

TCanvas::TCanvas() {
    // Take an object out of the DC before its handle is released.
    font_.OnChange = [this] {
        if (dc_ && cur_font_) {
            ::SelectObject(dc_, old_font_);
            cur_font_ = nullptr;
            old_font_ = nullptr;
        }
    };
    brush_.OnChange = [this] {
        if (dc_ && cur_brush_) {
            ::SelectObject(dc_, old_brush_);
            cur_brush_ = nullptr;
            old_brush_ = nullptr;
        }
    };
    pen_.OnChange = [this] {
        if (dc_ && cur_pen_) {
            ::SelectObject(dc_, old_pen_);
            cur_pen_ = nullptr;
            old_pen_ = nullptr;
        }
    };
}

TCanvas::~TCanvas() { Deselect(); }

void TCanvas::Deselect() {
    if (!dc_) return;
    if (cur_font_) ::SelectObject(dc_, old_font_);
    if (cur_brush_) ::SelectObject(dc_, old_brush_);
    if (cur_pen_) ::SelectObject(dc_, old_pen_);
    cur_font_ = nullptr;
    cur_brush_ = nullptr;
    cur_pen_ = nullptr;
    old_font_ = old_brush_ = old_pen_ = nullptr;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == dc_) return;
    Deselect();
    dc_ = dc;
}

void TCanvas::RequireFont() {
    HFONT h = font_.Handle();
    if (h == cur_font_) return;
    HGDIOBJ old = ::SelectObject(dc_, h);
    if (!cur_font_) old_font_ = old;
    cur_font_ = h;
    ::SetTextColor(dc_, ColorRefOf(font_.Color()));
}

void TCanvas::RequireBrush() {
    HBRUSH h = brush_.Handle();
    ::SetBkMode(dc_, brush_.Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
    ::SetBkColor(dc_, ColorRefOf(brush_.Color()));
    if (h == cur_brush_) return;
    HGDIOBJ old = ::SelectObject(dc_, h);
    if (!cur_brush_) old_brush_ = old;
    cur_brush_ = h;
}

void TCanvas::RequirePen() {
    HPEN h = pen_.Handle();
    if (h == cur_pen_) return;
    HGDIOBJ old = ::SelectObject(dc_, h);
    if (!cur_pen_) old_pen_ = old;
    cur_pen_ = h;
}

void TCanvas::FillRect(const RECT& r) {
    if (!dc_ || brush_.Style() == TBrushStyle::bsClear) return;
    ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
    if (!dc_) return;
    ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::Rectangle(const RECT& r) {
    if (!dc_) return;
    RequirePen();
    RequireBrush();
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void TCanvas::MoveTo(int x, int y) {
    if (dc_) ::MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    if (!dc_) return;
    RequirePen();
    ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
    if (!dc_) return;
    RequireFont();
    RequireBrush();
    ::TextOutW(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::wstring& text) {
    if (!dc_) return;
    RequireFont();
    RequireBrush();
    UINT opts = ETO_CLIPPED | (brush_.Style() == TBrushStyle::bsClear ? 0 : ETO_OPAQUE);
    ::ExtTextOutW(dc_, x, y, opts, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::wstring& text, RECT& r, UINT flags) {
    if (!dc_) return 0;
    RequireFont();
    RequireBrush();
    return ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
    SIZE s{0, 0};
    if (!dc_) return s;
    RequireFont();
    ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &s);
    return s;
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& src, const RECT& source, DWORD rop) {
    if (!dc_ || !src.dc_) return;
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    int sw = source.right - source.left, sh = source.bottom - source.top;
    if (dw == sw && dh == sh)
        ::BitBlt(dc_, dest.left, dest.top, dw, dh, src.dc_, source.left, source.top, rop);
    else
        ::StretchBlt(dc_, dest.left, dest.top, dw, dh, src.dc_, source.left, source.top, sw, sh, rop);
}

namespace {
// Copies the picture straight from its pixels, so it needs no device context
// of its own (making one costs more than the copy for a small picture). Not on
// a mirrored DC, where a blit mirrors the picture as callers expect.
bool DrawPixels(HDC dc, int x, int y, const paint::Bitmap& image) {
    if (::GetLayout(dc) != 0) return false;
    const bool top_down = image.Order() == paint::RowOrder::TopDown;
    const int w = image.Width(), h = image.Height();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = top_down ? -h : h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(image.BitsPerPixel());
    info.bmiHeader.biCompression = BI_RGB;
    const std::uint8_t* top = image.RowStart();  // finishes drawing still queued on the picture
    const std::uint8_t* lowest = top_down ? top : top + static_cast<std::ptrdiff_t>(h - 1) * image.RowDelta();
    return ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                               lowest, &info, DIB_RGB_COLORS) == h;
}
}  // namespace

void TCanvas::Draw(int x, int y, TBitmap& bmp) {
    if (!dc_ || bmp.Empty()) return;
    if (DrawPixels(dc_, x, y, bmp.Image())) return;
    HDC src = bmp.Canvas().Handle();
    if (src) ::BitBlt(dc_, x, y, bmp.Width(), bmp.Height(), src, 0, 0, SRCCOPY);
}

// ---- TBitmap ----------------------------------------------------------------

TBitmap::TBitmap() : image_(paint::CreateBitmap24(0, 0)) {}

TBitmap::~TBitmap() {
    if (canvas_) canvas_->SetHandle(nullptr);
}

void TBitmap::Replace(std::unique_ptr<paint::Bitmap> image) {
    if (canvas_) canvas_->SetHandle(nullptr);
    image_ = std::move(image);
    Changed();
}

void TBitmap::SetSize(int w, int h) {
    if (w == Width() && h == Height()) return;
    if (canvas_) canvas_->SetHandle(nullptr);
    try {
        image_->SetSize(w, h);
    } catch (const std::exception& e) {
        throw EUiError(std::string("bitmap size ") + std::to_string(w) + " x " + std::to_string(h) + ": " + e.what());
    }
    Changed();
}

TPixelFormat TBitmap::PixelFormat() const {
    return image_->BitsPerPixel() == 32 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
}

void TBitmap::SetPixelFormat(TPixelFormat pf) {
    int bpp = pf == TPixelFormat::pf32bit ? 32 : 24;
    if (bpp == image_->BitsPerPixel()) return;
    auto n = paint::Bitmap::Create(Width(), Height(), bpp, image_->Order());
    int sb = image_->BytesPerPixel(), db = n->BytesPerPixel();
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* s = image_->ScanLine(y);
        std::uint8_t* d = n->ScanLine(y);
        for (int x = 0; x < Width(); ++x) std::memcpy(d + x * db, s + x * sb, 3);
    }
    Replace(std::move(n));
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>();
    canvas_->SetHandle(image_->Empty() ? nullptr : image_->Dc());
    return *canvas_;
}

void TBitmap::Assign(const TBitmap& other) {
    if (&other == this) return;
    Replace(other.image_->Clone());
}

void TBitmap::LoadFromBmpData(std::span<const std::uint8_t> d) {
    auto u16 = [&](std::size_t o) { return static_cast<std::uint32_t>(d[o] | d[o + 1] << 8); };
    auto u32 = [&](std::size_t o) { return u16(o) | u16(o + 2) << 16; };
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') throw EUiError("not a bitmap file image");
    std::uint32_t offset = u32(10), hsize = u32(14);
    auto width = static_cast<std::int32_t>(u32(18)), height = static_cast<std::int32_t>(u32(22));
    std::uint32_t planes = u16(26), bpp = u16(28), compression = u32(30);
    if (hsize < 40 || planes != 1 || (bpp != 24 && bpp != 32) ||
        (compression != BI_RGB && !(bpp == 32 && compression == BI_BITFIELDS)))
        throw EUiError("unsupported bitmap format (24 or 32 bits, uncompressed)");
    // Bit fields are taken only when they name the plain layout; other masks
    // would load as wrong colours.
    if (compression == BI_BITFIELDS) {
        if (d.size() < 66 || u32(54) != 0x00FF0000u || u32(58) != 0x0000FF00u || u32(62) != 0x000000FFu)
            throw EUiError("unsupported bitmap format (bit fields other than 8-8-8)");
    }
    bool top_down = height < 0;
    std::int64_t h64 = top_down ? -static_cast<std::int64_t>(height) : height;
    if (width <= 0 || h64 <= 0 || width > paint::Bitmap::MaxDimension || h64 > paint::Bitmap::MaxDimension)
        throw EUiError("bitmap dimensions out of range");
    int h = static_cast<int>(h64);
    std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    if (offset > d.size() || stride * h > d.size() - offset) throw EUiError("bitmap file image truncated");
    auto n = paint::Bitmap::Create(width, h, static_cast<int>(bpp));
    for (int y = 0; y < h; ++y) {
        std::size_t src_row = top_down ? y : h - 1 - y;
        std::memcpy(n->ScanLine(y), d.data() + offset + src_row * stride, static_cast<std::size_t>(width) * (bpp / 8));
    }
    Replace(std::move(n));
}

}  // namespace velmap::ui

namespace velmap::ui {

bool IdentToColor(const std::string& ident, TColor& out) {
    struct Entry {
        const char* name;
        TColor value;
    };
    static constexpr Entry kColors[] = {
        {"clBlack", clBlack},       {"clMaroon", clMaroon},       {"clGreen", clGreen},
        {"clNavy", clNavy},         {"clGray", clGray},           {"clSilver", clSilver},
        {"clRed", clRed},           {"clLime", clLime},           {"clBlue", clBlue},
        {"clFuchsia", clFuchsia},   {"clWhite", clWhite},         {"clNone", clNone},
        {"clBtnFace", clBtnFace},   {"clBtnShadow", clBtnShadow}, {"clBtnHighlight", clBtnHighlight},
        {"clBtnText", clBtnText},   {"clWindow", clWindow},       {"clWindowText", clWindowText},
        {"clGrayText", clGrayText}, {"clHighlight", clHighlight}, {"cl3DDkShadow", cl3DDkShadow},
        {"cl3DLight", cl3DLight},
    };
    for (const Entry& e : kColors)
        if (ident == e.name) {
            out = e.value;
            return true;
        }
    return false;
}

}  // namespace velmap::ui
