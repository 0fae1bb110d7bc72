#include "skin/windows/dialog_adapter.h"

#include "skin/data/skin_types.h"
#include "skin/messages/skin_messages.h"

namespace velmap::skin {

TacDialogWnd::TacDialogWnd(HWND wnd, AdapterKind kind, std::string section)
    : TacWindowAdapter(wnd, kind, std::move(section)) {}

ui::TBitmap* TacDialogWnd::Cache() {
    if (!Skinned()) return nullptr;
    RECT rc;
    ::GetClientRect(Window(), &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return nullptr;
    if (!cache_) cache_ = std::make_unique<ui::TBitmap>();
    if (!stale_ && cache_->Width() == rc.right && cache_->Height() == rc.bottom) return cache_.get();
    face_brush_.reset();
    cache_->SetSize(rc.right, rc.bottom);
    paint::Bitmap& bmp = cache_->Image();
    PaintItem(bmp, rc, SectionIndex(), 0, false, true, ParentBackground());
    if (Kind() == AdapterKind::DialogPanel) {
        RECT text = rc;
        ::InflateRect(&text, -2, -2);
        WriteText(bmp, WindowText(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Enabled(), false, SectionIndex());
    }
    face_brush_.reset(::CreatePatternBrush(cache_->Handle()));
    stale_ = false;
    return cache_.get();
}

HBRUSH TacDialogWnd::ChildBrush(HDC dc, HWND child, bool edit) {
    if (edit) {
        // Edits and lists show the skin's edit colours; their text is
        // painted opaque, so the background colour matters too.
        const TsGeneralData* s = SectionData(FindSection("EDIT"));
        if (!s) return nullptr;
        const COLORREF back = ui::ColorRefOf(s->Color);
        if (!edit_brush_) edit_brush_.reset(::CreateSolidBrush(back));
        ::SetTextColor(dc, ui::ColorRefOf(s->FontColor[0]));
        ::SetBkColor(dc, back);
        return edit_brush_.get();
    }
    if (!Cache() || !face_brush_) return nullptr;
    const TsGeneralData* s = SectionData(FindSection("CHECKBOX"));
    ::SetTextColor(dc, ui::ColorRefOf(s ? s->FontColor[0] : SectionData(SectionIndex())->FontColor[0]));
    ::SetBkMode(dc, TRANSPARENT);
    // The face lines up with the child wherever it sits.
    POINT p{0, 0};
    ::MapWindowPoints(child, Window(), &p, 1);
    ::SetBrushOrgEx(dc, -p.x, -p.y, nullptr);
    return face_brush_.get();
}

bool TacDialogWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
            ui::TBitmap* cache = Cache();
            if (!cache) return false;
            ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, cache->Width(), cache->Height(), cache->Image().Dc(), 0, 0,
                     SRCCOPY);
            result = msg == WM_ERASEBKGND;
            return true;
        }
        case WM_PAINT: {
            if (Kind() != AdapterKind::DialogPanel) return false;  // the dialog's own paint only validates
            ui::TBitmap* cache = Cache();
            if (!cache) return false;
            PaintClient(nullptr, [cache](paint::Bitmap& bmp) {
                ::BitBlt(bmp.Dc(), 0, 0, bmp.Width(), bmp.Height(), cache->Image().Dc(), 0, 0, SRCCOPY);
            });
            return true;
        }
        case WM_SIZE:
            Invalidate();
            result = CallOriginal(msg, wParam, lParam);
            ::InvalidateRect(Window(), nullptr, TRUE);
            return true;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            auto child = reinterpret_cast<HWND>(lParam);
            // Read-only and disabled edits ask as statics; they stay edits.
            const bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX ||
                              SameClass(WindowClassName(child), "edit");
            HBRUSH brush = ChildBrush(reinterpret_cast<HDC>(wParam), msg == WM_CTLCOLORDLG ? Window() : child, edit);
            if (!brush) return false;
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        default:
            return false;
    }
}

bool TacDialogWnd::SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (SkinCommandOf(wParam)) {
        case SMC_GET_CACHE: {
            ui::TBitmap* cache = Cache();
            if (!cache) return false;
            ParentCacheAnswer = {&cache->Image(), 0, 0, true};
            return true;
        }
        case SMC_INVALIDATE_CACHE:
            Invalidate();
            return true;
        case SMC_SKIN_LOADED:
        case SMC_SKIN_REFRESH:
        case SMC_SKIN_REMOVED:
            Invalidate();
            edit_brush_.reset();
            break;
        default:
            break;
    }
    return TacWindowAdapter::SkinCommand(wParam, lParam, result);
}

void TacDialogWnd::RemoveSkin() noexcept {
    cache_.reset();
    face_brush_.reset();
    edit_brush_.reset();
    stale_ = true;
}

void TacDialogWnd::Redraw() {
    Invalidate();
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace velmap::skin
