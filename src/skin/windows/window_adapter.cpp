#include "skin/windows/window_adapter.h"

#include <atomic>

#include "skin/controls/control_kinds.h"
#include "skin/data/item_views.h"
#include "skin/manager/skin_manager.h"
#include "skin/messages/skin_messages.h"
#include "skin/paint/paint_device.h"
#include "skin/paint/skin_text.h"
#include "win/handles.h"
#include "win/module.h"

namespace velmap::skin {

namespace {

std::atomic<int> g_live{0};

HWND ParentOf(HWND wnd) { return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(wnd) : nullptr; }

}  // namespace

TacWindowAdapter::TacWindowAdapter(HWND wnd, AdapterKind kind, std::string section)
    : WindowSubclass(wnd), kind_(kind), section_(std::move(section)) {
    ++g_live;
}

TacWindowAdapter::~TacWindowAdapter() {
    Detach();
    --g_live;
}

int TacWindowAdapter::LiveCount() noexcept { return g_live.load(); }

bool TacWindowAdapter::Attach() {
    if (!Hook()) return false;
    ResolveSection();
    if (Skinned()) {
        ApplySkin();
        applied_ = true;
    }
    Redraw();
    return true;
}

void TacWindowAdapter::Detach() noexcept {
    if (!Hooked()) return;
    if (applied_) {
        applied_ = false;
        RemoveSkin();
    }
    Unhook();
    HWND wnd = Window();
    // The window has its own procedure back: the engine's "mouse left" would
    // reach that procedure, so the window is only forgotten.
    if (TsSkinManager* m = PrimaryManager()) m->ForgetHotWindow(wnd);
    if (::IsWindow(wnd))
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TacWindowAdapter::WindowGone() noexcept {
    // The handler frees this object: nothing of it may be touched after.
    GoneHandler gone = std::move(gone_);
    try {
        if (gone) gone(this);
    } catch (...) {
        // Whoever owns the adapter keeps it; it is freed with the others.
    }
}

void TacWindowAdapter::TrackMouse() {
    if (!tracking_) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, Window(), 0};
        tracking_ = ::TrackMouseEvent(&t) != FALSE;
    }
    if (TsSkinManager* m = PrimaryManager(); m && m->HotWindow() != Window()) m->SetHotWindow(Window());
}

LRESULT TacWindowAdapter::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (msg == SM_SKINCMD) {
        if (SkinCommand(wParam, lParam, result)) return result;
        return CallOriginal(msg, wParam, lParam);
    }
    if (msg == WM_MOUSEMOVE) {
        TrackMouse();
    } else if (msg == WM_MOUSELEAVE) {
        tracking_ = false;
        if (TsSkinManager* m = PrimaryManager(); m && m->HotWindow() == Window()) m->SetHotWindow(nullptr);
    }
    if (Skinned() && HandleMessage(msg, wParam, lParam, result)) return result;
    return CallOriginal(msg, wParam, lParam);
}

bool TacWindowAdapter::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void TacWindowAdapter::Redraw() { ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME); }

bool TacWindowAdapter::SkinCommand(WPARAM wParam, LPARAM, LRESULT& result) {
    switch (SkinCommandOf(wParam)) {
        case SMC_SKIN_LOADED:
            ResolveSection();
            updating_ = true;
            if (Skinned() && !applied_) {
                ApplySkin();
                applied_ = true;
            }
            return true;
        case SMC_SKIN_REMOVED:
            if (applied_) {
                applied_ = false;
                RemoveSkin();
            }
            section_index_ = -1;
            updating_ = false;
            Redraw();
            return true;
        case SMC_SKIN_REFRESH:
            updating_ = false;
            if (Skinned()) {
                ApplySkin();  // the colours of the new skin
                applied_ = true;
            }
            Redraw();
            return true;
        case SMC_PARENT_READY:
            if (updating_) {
                updating_ = false;
                Redraw();
            }
            return true;
        case SMC_IS_SKINNED:
            result = 1;
            return true;
        case SMC_REPAINT_NOW:
            Redraw();
            ::UpdateWindow(Window());
            return true;
        case SMC_GET_SKIN_INDEX:
            result = section_index_ + 1;
            return true;
        case SMC_GET_BG_COLOR: {
            const TsGeneralData* s = SectionData(section_index_);
            if (!s) return false;
            const int t = s->Transparency;
            const COLORREF own = ui::ColorRefOf(s->Color);
            paint::ParentBgColor = static_cast<paint::TColor>(t == 0     ? own
                                                              : t == 100 ? ParentColor()
                                                                         : MixTransparentColor(ParentColor(), own, t));
            return true;
        }
        case SMC_MOUSE_ENTER:
        case SMC_MOUSE_LEAVE: {
            const bool over = SkinCommandOf(wParam) == SMC_MOUSE_ENTER;
            if (over != mouse_over_) {
                mouse_over_ = over;
                Redraw();
            }
            return true;
        }
        case SMC_GET_APPLICATION:
            result = reinterpret_cast<LRESULT>(win::ThisModule());
            return true;
        default:
            return false;
    }
}

// ---- the skin ----------------------------------------------------------------------

const TsSkinManager* TacWindowAdapter::Manager() {
    const TsSkinManager* m = PrimaryManager();
    return m && m->HasSections() ? m : nullptr;
}

const SkinModel* TacWindowAdapter::Model() {
    const TsSkinManager* m = Manager();
    return m ? &m->Model() : nullptr;
}

bool TacWindowAdapter::Skinned() const { return SectionData(section_index_) != nullptr; }

const TsGeneralData* TacWindowAdapter::SectionData(int index) const {
    const TsSkinManager* m = Manager();
    return m ? m->Section(index) : nullptr;
}

int TacWindowAdapter::FindSection(std::string_view name) {
    const TsSkinManager* m = Manager();
    return m ? m->FindSectionIndex(name) : -1;
}

int TacWindowAdapter::GlobalMask(std::string_view name) {
    const TsSkinManager* m = Manager();
    if (!m) return -1;
    return m->FindMaskIndex(m->FindSectionIndex("GLOBALINFO"), "GLOBALINFO", name);
}

void TacWindowAdapter::ResolveSection() { section_index_ = FindSection(section_); }

// ---- painting ------------------------------------------------------------------------

POINT TacWindowAdapter::PositionInParent() const {
    POINT p{0, 0};
    if (HWND parent = ParentOf(Window())) ::MapWindowPoints(Window(), parent, &p, 1);
    return p;
}

paint::BackgroundSource TacWindowAdapter::ParentBackground() const {
    HWND parent = ParentOf(Window());
    if (!parent) return {};
    ParentCacheAnswer = {};
    ::SendMessageW(parent, SM_SKINCMD, SkinWParam(SMC_GET_CACHE), 0);
    const paint::BackgroundSource answer = ParentCacheAnswer;
    ParentCacheAnswer = {};
    if (!answer.Ready || !answer.Bmp || answer.Bmp->Empty()) return {};
    const POINT p = PositionInParent();
    return {answer.Bmp, answer.X + p.x, answer.Y + p.y, true};
}

COLORREF TacWindowAdapter::ParentColor() const {
    if (HWND parent = ParentOf(Window())) {
        paint::ParentBgColor = paint::KeyColor;
        ::SendMessageW(parent, SM_SKINCMD, SkinWParam(SMC_GET_BG_COLOR), 0);
        const paint::TColor c = paint::ParentBgColor;
        paint::ParentBgColor = paint::KeyColor;
        if (c != paint::KeyColor) return static_cast<COLORREF>(c);
    }
    return ::GetSysColor(COLOR_BTNFACE);
}

void TacWindowAdapter::PaintItem(paint::Bitmap& bmp, const RECT& r, int section, int state, bool centre, bool useBg,
                                 const paint::BackgroundSource& bg) const {
    const SkinModel* model = Model();
    const TsGeneralData* s = SectionData(section);
    if (!model || !s) return;
    const auto view = SkinItemViewOf(*model, ResolveItemIndexes(*model, s->Name));
    if (!view) return;
    paint::ItemColors colors;
    if (!bg.Ready) colors.ParentBg = colors.MaskFill = ParentColor();
    paint::BackgroundSource at = bg;
    at.X += r.left;
    at.Y += r.top;
    // The item is painted at the origin of a bitmap of its own size, so that
    // its pixels and the parent's line up whatever r is.
    if (r.left == 0 && r.top == 0 && r.right == bmp.Width() && r.bottom == bmp.Height()) {
        paint::PaintSkinItem(*view, at, centre, state, {0, 0, bmp.Width(), bmp.Height()}, {0, 0}, &bmp, useBg, colors);
        return;
    }
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    auto part = paint::CreateBitmap24(w, h);
    ::BitBlt(part->Dc(), 0, 0, w, h, bmp.Dc(), r.left, r.top, SRCCOPY);
    paint::PaintSkinItem(*view, at, centre, state, {0, 0, w, h}, {0, 0}, part.get(), useBg, colors);
    ::BitBlt(bmp.Dc(), r.left, r.top, w, h, part->Dc(), 0, 0, SRCCOPY);
    ::GdiFlush();
}

void TacWindowAdapter::PaintParentBackground(paint::Bitmap& bmp, const RECT& r,
                                             const paint::BackgroundSource& bg) const {
    HDC dc = bmp.Dc();
    if (!dc) return;
    if (bg.Ready && bg.Bmp && bg.Bmp->Dc()) {
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, bg.Bmp->Dc(), bg.X + r.left, bg.Y + r.top,
                 SRCCOPY);
    } else {
        win::unique_hbrush brush(::CreateSolidBrush(ParentColor()));
        ::FillRect(dc, &r, brush.get());
    }
    ::GdiFlush();
}

HFONT TacWindowAdapter::WindowFont() const {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(Window(), WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

std::wstring TacWindowAdapter::WindowText() const {
    const int n = ::GetWindowTextLengthW(Window());
    std::wstring text(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    const int got = ::GetWindowTextW(Window(), text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void TacWindowAdapter::WriteText(paint::Bitmap& bmp, const std::wstring& text, RECT r, unsigned format, bool enabled,
                                 bool hot, int section, HFONT font) const {
    const TsGeneralData* s = SectionData(section);
    HDC dc = bmp.Dc();
    if (!s || !dc || text.empty()) return;
    const paint::SkinTextColors colors = TextColorsOf(*s);
    win::select_object selected(dc, font ? font : WindowFont());
    paint::DcTextSurface surface(dc);
    paint::WriteSkinText(surface, text, enabled, hot, &colors, false, format, {r.left, r.top, r.right, r.bottom});
    ::GdiFlush();
}

void TacWindowAdapter::PaintClient(HDC given, const std::function<void(paint::Bitmap&)>& face,
                                   const std::vector<RECT>& exclude) {
    RECT rc;
    ::GetClientRect(Window(), &rc);
    std::unique_ptr<paint::Bitmap> bmp;
    if (rc.right > 0 && rc.bottom > 0) {
        bmp = paint::CreateBitmap24(rc.right, rc.bottom);
        face(*bmp);  // before BeginPaint: a failure leaves the paint to the original
    }
    PAINTSTRUCT ps;
    HDC dc = given ? given : ::BeginPaint(Window(), &ps);
    if (dc && bmp && bmp->Dc()) {
        const int saved = ::SaveDC(dc);
        for (const RECT& r : exclude) ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        ::BitBlt(dc, 0, 0, rc.right, rc.bottom, bmp->Dc(), 0, 0, SRCCOPY);
        ::RestoreDC(dc, saved);
    }
    if (!given) ::EndPaint(Window(), &ps);
}

}  // namespace velmap::skin
