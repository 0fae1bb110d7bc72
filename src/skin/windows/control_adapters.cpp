#include "skin/windows/control_adapters.h"

#include <commctrl.h>

#include <algorithm>

#include "skin/data/item_views.h"
#include "skin/data/skin_model.h"
#include "skin/messages/skin_messages.h"
#include "skin/paint/masks.h"
#include "skin/windows/dialog_adapter.h"
#include "win/handles.h"

namespace velmap::skin {

namespace {

RECT ClientOf(HWND wnd) {
    RECT rc;
    ::GetClientRect(wnd, &rc);
    return rc;
}

// The border widths of a section's frame, for telling frame from inside.
RECT FrameWidths(const SkinModel* model, int section, const std::string& name) {
    RECT w{2, 2, 2, 2};
    if (!model || section < 0) return w;
    if (auto mask = MaskViewOf(*model, model->FindMaskIndex(section, name, "BORDERSMASK")))
        w = {mask->WL, mask->WT, mask->WR, mask->WB};
    return w;
}

// A small filled triangle pointing up, down, left or right inside r.
void DrawArrow(HDC dc, RECT r, int direction, COLORREF color) {
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const int s = std::max(2, static_cast<int>(std::min(r.right - r.left, r.bottom - r.top) / 4));
    POINT p[3];
    switch (direction) {
        case 0:
            p[0] = {cx - s, cy + s / 2}, p[1] = {cx + s, cy + s / 2}, p[2] = {cx, cy - s / 2};
            break;
        case 1:
            p[0] = {cx - s, cy - s / 2}, p[1] = {cx + s, cy - s / 2}, p[2] = {cx, cy + s / 2};
            break;
        case 2:
            p[0] = {cx + s / 2, cy - s}, p[1] = {cx + s / 2, cy + s}, p[2] = {cx - s / 2, cy};
            break;
        default:
            p[0] = {cx - s / 2, cy - s}, p[1] = {cx - s / 2, cy + s}, p[2] = {cx + s / 2, cy};
            break;
    }
    win::unique_hbrush brush(::CreateSolidBrush(color));
    win::unique_hpen pen(::CreatePen(PS_SOLID, 1, color));
    win::select_object b(dc, brush.get());
    win::select_object q(dc, pen.get());
    ::Polygon(dc, p, 3);
    ::GdiFlush();
}

// Draws a picture the control holds into r of dc, centred when asked.
void DrawPicture(HDC dc, HWND wnd, DWORD type, RECT r, bool centre) {
    if (type == SS_ENHMETAFILE) {
        if (auto emf = reinterpret_cast<HENHMETAFILE>(::SendMessageW(wnd, STM_GETIMAGE, IMAGE_ENHMETAFILE, 0)))
            ::PlayEnhMetaFile(dc, emf, &r);
        return;
    }
    SIZE size{};
    HICON icon = nullptr;
    HBITMAP bitmap = nullptr;
    if (type == SS_ICON) {
        icon = reinterpret_cast<HICON>(::SendMessageW(wnd, STM_GETICON, 0, 0));
        ICONINFO info{};
        if (!icon || !::GetIconInfo(icon, &info)) return;
        BITMAP bm{};
        const win::unique_hbitmap color(info.hbmColor), mask(info.hbmMask);  // GetIconInfo's copies
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        size = {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    } else {
        bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(wnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP bm{};
        if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return;
        size = {bm.bmWidth, bm.bmHeight};
    }
    const int x = centre ? (r.left + r.right - size.cx) / 2 : r.left;
    const int y = centre ? (r.top + r.bottom - size.cy) / 2 : r.top;
    if (icon) {
        ::DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
    } else {
        win::unique_hdc mem(::CreateCompatibleDC(dc));
        win::select_object sel(mem.get(), bitmap);
        ::BitBlt(dc, x, y, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
}

}  // namespace

std::unique_ptr<TacWindowAdapter> MakeControlAdapter(HWND wnd, AdapterKind kind, const std::string& section) {
    switch (kind) {
        case AdapterKind::Button:
            return std::make_unique<TacButtonWnd>(wnd, kind, section);
        case AdapterKind::CheckBox:
            return std::make_unique<TacCheckBoxWnd>(wnd, kind, section);
        case AdapterKind::GroupBox:
            return std::make_unique<TacGroupBoxWnd>(wnd, kind, section);
        case AdapterKind::Text:
        case AdapterKind::Icon:
            return std::make_unique<TacStaticWnd>(wnd, kind, section);
        case AdapterKind::Edit:
        case AdapterKind::ListView:
        case AdapterKind::TreeView:
            return std::make_unique<TacEditWnd>(wnd, kind, section);
        case AdapterKind::ComboBox:
            return std::make_unique<TacComboBoxWnd>(wnd, kind, section);
        case AdapterKind::SizeGrip:
        case AdapterKind::Spin:
        case AdapterKind::Toolbar:
            return std::make_unique<TacFaceWnd>(wnd, kind, section);
        case AdapterKind::Link:
            return std::make_unique<TacPassiveWnd>(wnd, kind, section);
        case AdapterKind::TransparentPanel:
        case AdapterKind::DialogPanel:
            return std::make_unique<TacDialogWnd>(wnd, kind, section);
        default:
            return nullptr;
    }
}

// ---- controls that repaint on state changes ---------------------------------------------

bool TacStateControlAdapter::ChangesLook(UINT msg, WPARAM) const {
    switch (msg) {
        case BM_SETSTATE:
        case BM_SETCHECK:
        case BM_SETSTYLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case WM_SETFONT:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CAPTURECHANGED:
        case WM_UPDATEUISTATE:
            return true;
        case WM_MOUSEMOVE:
            return ::GetCapture() == Window();
        default:
            return false;
    }
}

bool TacStateControlAdapter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_PAINT:
        case WM_PRINTCLIENT:
            PaintClient(
                msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : nullptr,
                [this](paint::Bitmap& bmp) { PaintFace(bmp); }, KeptAreas());
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;  // the paint covers the client
            return true;
        default:
            break;
    }
    if (!ChangesLook(msg, wParam)) return false;
    HWND wnd = Window();
    result = CallOriginal(msg, wParam, lParam);
    // The control drew its own look straight away; ours goes over it. The
    // message may have taken the window (and this adapter) away.
    if (::IsWindow(wnd) && WindowSubclass::IsSubclassed(wnd))
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
    return true;
}

// ---- buttons ---------------------------------------------------------------------------------

int TacButtonWnd::State() const {
    if (!Enabled()) return 0;
    if (::SendMessageW(Window(), BM_GETSTATE, 0, 0) & BST_PUSHED) return 2;
    return HotState();
}

void TacButtonWnd::PaintFace(paint::Bitmap& bmp) {
    const RECT rc = ClientOf(Window());
    const int state = State();
    PaintItem(bmp, rc, SectionIndex(), state, true, false, ParentBackground());
    RECT text = rc;
    ::InflateRect(&text, -3, -3);
    const unsigned format = (Style() & BS_MULTILINE) ? DT_CENTER | DT_WORDBREAK
                                                     : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    WriteText(bmp, WindowText(), text, format, Enabled(), state > 0, SectionIndex());
    const TsGeneralData* s = SectionData(SectionIndex());
    if (HasFocus() && s && s->ShowFocus) {
        ::DrawFocusRect(bmp.Dc(), &text);
        ::GdiFlush();
    }
}

void TacCheckBoxWnd::PaintFace(paint::Bitmap& bmp) {
    const RECT rc = ClientOf(Window());
    const int state = Enabled() ? HotState() : 0;
    PaintItem(bmp, rc, SectionIndex(), state, false, true, ParentBackground());
    const DWORD type = Style() & BS_TYPEMASK;
    const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    const LRESULT check = ::SendMessageW(Window(), BM_GETCHECK, 0, 0);
    const CommonIndexes& ix = Model()->Indexes;
    const int mask = radio                        ? (check == BST_CHECKED ? ix.RadioChecked : ix.RadioUnchecked)
                     : check == BST_CHECKED       ? ix.BoxChecked
                     : check == BST_INDETERMINATE ? ix.BoxGrayed
                                                  : ix.BoxUnchecked;
    const auto glyph = MaskViewOf(*Model(), mask);
    const int gw = glyph ? glyph->FrameWidth() : 13, gh = glyph ? glyph->FrameHeight() : 13;
    const bool leftText = Style() & BS_LEFTTEXT;
    const int gx = leftText ? rc.right - gw : 0, gy = (rc.bottom - gh) / 2;
    if (glyph) {
        paint::DrawGlyphMask(bmp, {gx, gy}, state, *glyph, Enabled() ? 1 : 0);
    } else {
        RECT box{gx, gy, gx + gw, gy + gh};
        ::DrawFrameControl(bmp.Dc(), &box, DFC_BUTTON,
                           (radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | (check ? DFCS_CHECKED : 0));
        ::GdiFlush();
    }
    const RECT text = leftText ? RECT{0, 0, rc.right - gw - 4, rc.bottom} : RECT{gw + 4, 0, rc.right, rc.bottom};
    const unsigned format = ((Style() & BS_MULTILINE) ? DT_WORDBREAK : DT_VCENTER | DT_SINGLELINE) |
                            (leftText ? DT_RIGHT : DT_LEFT);
    WriteText(bmp, WindowText(), text, format, Enabled(), state > 0, SectionIndex());
}

// ---- group boxes -----------------------------------------------------------------------------

int TacGroupBoxWnd::CaptionHeight() const {
    win::window_dc dc(Window());
    win::select_object font(dc.get(), WindowFont());
    TEXTMETRICW tm{};
    return ::GetTextMetricsW(dc.get(), &tm) ? tm.tmHeight : 13;
}

std::vector<RECT> TacGroupBoxWnd::KeptAreas() const {
    std::vector<RECT> kept;
    RECT own;
    ::GetWindowRect(Window(), &own);
    HWND parent = ::GetParent(Window());
    for (HWND w = ::GetWindow(parent, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        RECT r, overlap;
        if (w == Window() || !::IsWindowVisible(w) || !::GetWindowRect(w, &r) || !::IntersectRect(&overlap, &r, &own))
            continue;
        ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&overlap), 2);
        kept.push_back(overlap);
    }
    return kept;
}

void TacGroupBoxWnd::PaintFace(paint::Bitmap& bmp) {
    const RECT rc = ClientOf(Window());
    const paint::BackgroundSource bg = ParentBackground();
    PaintParentBackground(bmp, rc, bg);
    const int caption = CaptionHeight();
    const std::wstring text = WindowText();
    RECT strip{6, 0, 6, caption};
    if (!text.empty()) {
        win::select_object font(bmp.Dc(), WindowFont());
        RECT calc{0, 0, rc.right, caption};
        ::DrawTextW(bmp.Dc(), text.c_str(), static_cast<int>(text.size()), &calc, DT_CALCRECT | DT_SINGLELINE);
        strip.right = std::min<LONG>(rc.right, 6 + calc.right + 4);
    }
    // The frame runs through the caption's middle; the caption keeps the
    // parent's background behind its text.
    auto behind = paint::CreateBitmap24(std::max<LONG>(1, strip.right - strip.left), caption);
    ::BitBlt(behind->Dc(), 0, 0, strip.right - strip.left, caption, bmp.Dc(), strip.left, 0, SRCCOPY);
    PaintItem(bmp, {0, caption / 2, rc.right, rc.bottom}, SectionIndex(), 0, false, true, bg);
    ::BitBlt(bmp.Dc(), strip.left, 0, strip.right - strip.left, caption, behind->Dc(), 0, 0, SRCCOPY);
    ::GdiFlush();
    WriteText(bmp, text, {strip.left + 2, 0, strip.right, caption}, DT_LEFT | DT_VCENTER | DT_SINGLELINE, Enabled(),
              false, SectionIndex());
}

bool TacGroupBoxWnd::SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (SkinCommandOf(wParam) == SMC_GET_CAPTION_HEIGHT) {
        result = CaptionHeight();
        return true;
    }
    return TacStateControlAdapter::SkinCommand(wParam, lParam, result);
}

// ---- statics ---------------------------------------------------------------------------------

bool TacStaticWnd::ChangesLook(UINT msg, WPARAM) const {
    return msg == WM_SETTEXT || msg == WM_ENABLE || msg == WM_SETFONT || msg == STM_SETICON || msg == STM_SETIMAGE;
}

void TacStaticWnd::PaintFace(paint::Bitmap& bmp) {
    const RECT rc = ClientOf(Window());
    PaintItem(bmp, rc, SectionIndex(), 0, false, true, ParentBackground());
    const DWORD style = Style();
    const DWORD type = style & SS_TYPEMASK;
    if (Kind() == AdapterKind::Icon) {
        DrawPicture(bmp.Dc(), Window(), type, rc, style & SS_CENTERIMAGE);
        return;
    }
    unsigned format = DT_EXPANDTABS | (type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT);
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE)
        format |= DT_VCENTER | DT_SINGLELINE;
    else if (type != SS_LEFTNOWORDWRAP)
        format |= DT_WORDBREAK;
    WriteText(bmp, WindowText(), rc, format, Enabled(), false, SectionIndex());
}

// ---- framed controls -------------------------------------------------------------------------

bool TacEditWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_NCPAINT:
            result = CallOriginal(msg, wParam, lParam);
            PaintFrame(nullptr);
            return true;
        case WM_PRINT:
            result = CallOriginal(msg, wParam, lParam);
            if (lParam & PRF_NONCLIENT) PaintFrame(reinterpret_cast<HDC>(wParam));
            return true;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            HWND wnd = Window();
            result = CallOriginal(msg, wParam, lParam);
            if (::IsWindow(wnd)) ::RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            return true;
        }
        default:
            return false;
    }
}

void TacEditWnd::PaintFrame(HDC given) {
    HWND wnd = Window();
    RECT wr;
    ::GetWindowRect(wnd, &wr);
    POINT origin{0, 0};
    ::ClientToScreen(wnd, &origin);
    const int left = origin.x - wr.left, top = origin.y - wr.top;
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if ((left <= 0 && top <= 0) || w <= 0 || h <= 0) return;  // no frame to paint
    auto bmp = paint::CreateBitmap24(w, h);
    paint::BackgroundSource bg = ParentBackground();
    bg.X -= left;
    bg.Y -= top;
    PaintItem(*bmp, {0, 0, w, h}, SectionIndex(), HotState(), false, true, bg);
    HDC dc = given ? given : ::GetWindowDC(wnd);
    if (!dc) return;
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, left, top, w - left, h - top);
    ::BitBlt(dc, 0, 0, w, h, bmp->Dc(), 0, 0, SRCCOPY);
    ::RestoreDC(dc, saved);
    if (!given) ::ReleaseDC(wnd, dc);
}

void TacEditWnd::ApplySkin() {
    const TsGeneralData* s = SectionData(SectionIndex());
    if (!s) return;
    const auto back = static_cast<LPARAM>(ui::ColorRefOf(s->Color));
    const auto text = static_cast<LPARAM>(ui::ColorRefOf(s->FontColor[0]));
    HWND wnd = Window();
    if (Kind() == AdapterKind::ListView) {
        if (!saved_) {
            back_ = static_cast<COLORREF>(::SendMessageW(wnd, LVM_GETBKCOLOR, 0, 0));
            text_ = static_cast<COLORREF>(::SendMessageW(wnd, LVM_GETTEXTCOLOR, 0, 0));
            text_back_ = static_cast<COLORREF>(::SendMessageW(wnd, LVM_GETTEXTBKCOLOR, 0, 0));
            saved_ = true;
        }
        ::SendMessageW(wnd, LVM_SETBKCOLOR, 0, back);
        ::SendMessageW(wnd, LVM_SETTEXTCOLOR, 0, text);
        ::SendMessageW(wnd, LVM_SETTEXTBKCOLOR, 0, back);
    } else if (Kind() == AdapterKind::TreeView) {
        if (!saved_) {
            back_ = static_cast<COLORREF>(::SendMessageW(wnd, TVM_GETBKCOLOR, 0, 0));
            text_ = static_cast<COLORREF>(::SendMessageW(wnd, TVM_GETTEXTCOLOR, 0, 0));
            saved_ = true;
        }
        ::SendMessageW(wnd, TVM_SETBKCOLOR, 0, back);
        ::SendMessageW(wnd, TVM_SETTEXTCOLOR, 0, text);
    }
}

void TacEditWnd::RemoveSkin() noexcept {
    if (!saved_ || !::IsWindow(Window())) return;
    saved_ = false;
    HWND wnd = Window();
    if (Kind() == AdapterKind::ListView) {
        ::SendMessageW(wnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back_));
        ::SendMessageW(wnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text_));
        ::SendMessageW(wnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(text_back_));
    } else if (Kind() == AdapterKind::TreeView) {
        ::SendMessageW(wnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(back_));
        ::SendMessageW(wnd, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text_));
    }
}

// ---- combo boxes -----------------------------------------------------------------------------

bool TacComboBoxWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND wnd = Window();
    switch (msg) {
        case WM_PAINT:
        case WM_PRINTCLIENT:
            result = CallOriginal(msg, wParam, lParam);
            if (::IsWindow(wnd)) PaintOver(msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : nullptr);
            return true;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
        case CB_SETCURSEL:
        case CB_SHOWDROPDOWN:
            result = CallOriginal(msg, wParam, lParam);
            if (::IsWindow(wnd) && WindowSubclass::IsSubclassed(wnd)) {
                ::InvalidateRect(wnd, nullptr, FALSE);
                ::UpdateWindow(wnd);
            }
            return true;
        default:
            return false;
    }
}

void TacComboBoxWnd::PaintOver(HDC given) {
    HWND wnd = Window();
    const RECT rc = ClientOf(wnd);
    if (rc.right <= 0 || rc.bottom <= 0) return;
    const paint::BackgroundSource bg = ParentBackground();
    auto ring = paint::CreateBitmap24(rc.right, rc.bottom);
    PaintItem(*ring, rc, SectionIndex(), HotState(), false, true, bg);
    std::unique_ptr<paint::Bitmap> button;
    COMBOBOXINFO ci{};
    ci.cbSize = sizeof ci;
    RECT br{};
    if (::GetComboBoxInfo(wnd, &ci) && !(ci.stateButton & STATE_SYSTEM_INVISIBLE) && !::IsRectEmpty(&ci.rcButton)) {
        br = ci.rcButton;
        const int bw = br.right - br.left, bh = br.bottom - br.top;
        button = paint::CreateBitmap24(bw, bh);
        paint::BackgroundSource at = bg;
        at.X += br.left;
        at.Y += br.top;
        const int state = (ci.stateButton & STATE_SYSTEM_PRESSED) ? 2 : HotState();
        PaintItem(*button, {0, 0, bw, bh}, FindSection("COMBOBTN"), state, true, false, at);
        if (auto glyph = MaskViewOf(*Model(), Model()->Indexes.ComboGlyph))
            paint::DrawGlyphMask(*button, {(bw - glyph->FrameWidth()) / 2, (bh - glyph->FrameHeight()) / 2}, state,
                                 *glyph, Enabled() ? 1 : 0);
    }
    const RECT w = FrameWidths(Model(), SectionIndex(), Section());
    HDC dc = given ? given : ::GetDC(wnd);
    if (!dc) return;
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, w.left, w.top, rc.right - w.right, rc.bottom - w.bottom);
    ::BitBlt(dc, 0, 0, rc.right, rc.bottom, ring->Dc(), 0, 0, SRCCOPY);
    ::RestoreDC(dc, saved);
    if (button) ::BitBlt(dc, br.left, br.top, br.right - br.left, br.bottom - br.top, button->Dc(), 0, 0, SRCCOPY);
    if (!given) ::ReleaseDC(wnd, dc);
}

// ---- size grips, spin buttons, toolbars ---------------------------------------------------------

bool TacFaceWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (Kind()) {
        case AdapterKind::SizeGrip:
            // A plain scroll bar keeps the system's look.
            if (!(Style() & (SBS_SIZEGRIP | SBS_SIZEBOX))) return false;
            return TacStateControlAdapter::HandleMessage(msg, wParam, lParam, result);
        case AdapterKind::Toolbar: {
            // The buttons are the toolbar's; the ground under them is ours.
            if (msg != WM_ERASEBKGND) return false;
            const RECT rc = ClientOf(Window());
            if (rc.right <= 0 || rc.bottom <= 0) return false;
            auto bmp = paint::CreateBitmap24(rc.right, rc.bottom);
            PaintFace(*bmp);
            ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, rc.right, rc.bottom, bmp->Dc(), 0, 0, SRCCOPY);
            result = 1;
            return true;
        }
        default:
            return TacStateControlAdapter::HandleMessage(msg, wParam, lParam, result);
    }
}

void TacFaceWnd::PaintFace(paint::Bitmap& bmp) {
    const RECT rc = ClientOf(Window());
    const paint::BackgroundSource bg = ParentBackground();
    if (Kind() != AdapterKind::Spin) {
        PaintItem(bmp, rc, SectionIndex(), 0, false, true, bg);
        if (Kind() == AdapterKind::SizeGrip) {
            if (auto grip = MaskViewOf(*Model(), GlobalMask("GRIPIMAGE")))
                paint::DrawGlyphMask(bmp, {rc.right - grip->FrameWidth() - 1, rc.bottom - grip->FrameHeight() - 1}, 0,
                                     *grip, 1);
        }
        return;
    }
    // Two halves, each a small button with an arrow.
    const bool horizontal = Style() & UDS_HORZ;
    RECT halves[2] = {rc, rc};
    if (horizontal)
        halves[0].right = halves[1].left = rc.right / 2;
    else
        halves[0].bottom = halves[1].top = rc.bottom / 2;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(Window(), &cursor);
    const TsGeneralData* s = SectionData(SectionIndex());
    for (int i = 0; i < 2; ++i) {
        const bool under = ::PtInRect(&halves[i], cursor) && MouseOver();
        const int state = !under ? 0 : ::GetCapture() == Window() ? 2 : 1;
        PaintItem(bmp, halves[i], SectionIndex(), state, true, false, bg);
        DrawArrow(bmp.Dc(), halves[i], horizontal ? 2 + i : i,
                  ui::ColorRefOf(state ? s->HotFontColor[0] : s->FontColor[0]));
    }
}

}  // namespace velmap::skin
