#include "ui/win_control.h"

#include "ui/paint_on_canvas.h"
#include "ui/reader.h"
#include "ui/window_proc_error.h"
#include "win/window_class.h"

#include <windowsx.h>

#include <algorithm>

namespace velmap::ui {

const wchar_t* FrameworkWindowClass() {
    // Asked for by every window made: the class and its cursor (a costly call)
    // once. A refusal throws, and the next window asks again.
    static const wchar_t* const name = win::RegisterClassOnce(
        L"VelmapUiWindow", &TWinControl::StdWndProc, CS_DBLCLKS,
        ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */));
    return name;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Child controls go with their parent, windowed ones before this window.
    while (!controls_.empty()) controls_.back()->Free();
    DestroyHandle();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    HWND h = handle_;
    // Unbound first: the window's last messages no longer reach this object.
    win::Unbind(h);
    handle_ = nullptr;
    for (TControl* c : controls_)
        if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->DestroyHandle();
    ::DestroyWindow(h);
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::SetParentWindow(HWND wnd) {
    if (wnd == parent_window_) return;
    parent_window_ = wnd;
    if (handle_ && !parent_) ::SetParent(handle_, wnd);
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (Is(TComponentState::csDestroying)) throw EUiError("control " + Name() + " is being destroyed");
    if (parent_) parent_->HandleNeeded();
    if (handle_) return;  // the parent made it
    CreateWnd();
    for (TControl* c : controls_)
        if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->HandleNeeded();
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.caption = text_;
    p.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED);
    p.x = left_;
    p.y = top_;
    p.width = width_;
    p.height = height_;
    p.parent = parent_ ? parent_->handle_ : parent_window_;
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if ((p.style & WS_CHILD) && !p.parent) throw EUiError("control " + Name() + " has no parent window");
    HWND h = ::CreateWindowExW(p.ex_style, FrameworkWindowClass(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                               p.height, p.parent, nullptr, ThisModule(), this);
    if (!h) throw EUiError("cannot create the window of " + Name());
    if (handle_ != h) {
        // Made, but not bound to this control: it would never paint or answer.
        ::DestroyWindow(h);
        throw EUiError("cannot bind the window of " + Name());
    }
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = win::BoundObject<TWinControl>(wnd, msg, lp);
    if (!self) return ::DefWindowProcW(wnd, msg, wp, lp);
    if (msg == WM_NCCREATE) self->handle_ = wnd;
    if (msg == WM_NCDESTROY) {
        // The window goes (perhaps with a foreign parent); the object stays.
        if (self->handle_ == wnd) self->handle_ = nullptr;
        return ::DefWindowProcW(wnd, msg, wp, lp);
    }
    TMessage m{msg, wp, lp, 0};
    try {
        self->WindowProc(m);
    } catch (const std::exception& e) {
        ReportWindowProcError(e.what());
        m.Result = 0;
    } catch (...) {
        ReportWindowProcError("unknown error");
        m.Result = 0;
    }
    // Nothing of self after this point: a handler may have freed it.
    return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (handle_) m.Result = ::DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::InsertControl(TControl* c) {
    controls_.push_back(c);
    c->anchor_set_ = false;
    c->parent_ = this;
    c->ParentFontChanged();
    c->ParentColorChanged();
    if (auto* wc = dynamic_cast<TWinControl*>(c)) {
        if (handle_ && !c->Is(TComponentState::csLoading))
            wc->HandleNeeded();
        else if (wc->handle_ && handle_)
            ::SetParent(wc->handle_, handle_);
    } else {
        c->Invalidate();
    }
    if (!Is(TComponentState::csLoading) && !c->Is(TComponentState::csLoading)) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
    if (capture_control_ == c) {
        capture_control_ = nullptr;
        if (handle_ && ::GetCapture() == handle_) ::ReleaseCapture();
    }
    if (mouse_control_ == c) mouse_control_ = nullptr;
    if (!dynamic_cast<TWinControl*>(c)) c->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    c->parent_ = nullptr;
    if (auto* wc = dynamic_cast<TWinControl*>(c); wc && wc->handle_ && !c->Is(TComponentState::csDestroying))
        wc->DestroyHandle();
}

TControl* TWinControl::ControlAtPos(POINT p, bool allow_disabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->visible_ || (!allow_disabled && !c->enabled_)) continue;
        RECT r = c->BoundsRect();
        if (::PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::SetVisible(bool v) {
    if (v == visible_) return;
    TControl::SetVisible(v);
    if (handle_) ::ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    TControl::SetEnabled(v);
    if (handle_) ::EnableWindow(handle_, v);
}

void TWinControl::SetCaption(const std::wstring& v) {
    if (v == text_) return;
    if (handle_) ::SetWindowTextW(handle_, v.c_str());
    TControl::SetCaption(v);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : controls_) c->ParentFontChanged();
    if (handle_) ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
}

void TWinControl::Invalidate() {
    if (handle_) ::InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::Repaint() {
    if (handle_) ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWinControl::Update() {
    if (handle_) ::UpdateWindow(handle_);
}

void TWinControl::UpdateBounds(int left, int top, int width, int height) {
    if (!handle_) {
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
        if (parent_ && align_ != TAlign::alNone && !Is(TComponentState::csLoading)) parent_->Realign();
        if (!Is(TComponentState::csLoading)) Realign();
        return;
    }
    // The window reports back through WM_WINDOWPOSCHANGED.
    ::SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::ChangeScale(int m, int d) {
    for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(m, d);
    TControl::ChangeScale(m, d);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
}

void TWinControl::PaintWindow(HDC dc) {
    PaintOnCanvas(canvas_, font_, dc, [this] { Paint(); });
}

void TWinControl::Paint() {
    canvas_.Brush().SetColor(color_);
    canvas_.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas_.FillRect(ClientRect());
}

void TWinControl::PaintControls(HDC dc) {
    bool copy = cstate_.Contains(TControlState::csPaintCopy);
    for (TControl* c : controls_) {
        if (dynamic_cast<TWinControl*>(c) || !c->visible_ || c->width_ <= 0 || c->height_ <= 0) continue;
        RECT r = c->BoundsRect();
        if (!::RectVisible(dc, &r)) continue;
        int saved = ::SaveDC(dc);
        ::OffsetViewportOrgEx(dc, c->left_, c->top_, nullptr);
        ::IntersectClipRect(dc, 0, 0, c->width_, c->height_);
        TControlStates was = c->cstate_;
        if (copy) c->cstate_.Include(TControlState::csPaintCopy);
        auto life = c->Life();
        try {
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        } catch (...) {
            ::RestoreDC(dc, saved);
            throw;
        }
        if (!life.expired()) c->cstate_ = was;
        ::RestoreDC(dc, saved);
    }
}

void TWinControl::PaintHandler(HDC given) {
    PAINTSTRUCT ps;
    HDC dc = given ? given : ::BeginPaint(handle_, &ps);
    if (!dc) return;
    cstate_.Include(TControlState::csCustomPaint);
    try {
        int saved = ::SaveDC(dc);
        PaintWindow(dc);
        ::RestoreDC(dc, saved);
        PaintControls(dc);
    } catch (...) {
        cstate_.Exclude(TControlState::csCustomPaint);
        if (!given) ::EndPaint(handle_, &ps);
        throw;
    }
    cstate_.Exclude(TControlState::csCustomPaint);
    if (!given) ::EndPaint(handle_, &ps);
}

void TWinControl::PrintChildren(HDC dc, LPARAM flags) {
    // Bottom of the z-order first, so upper windows land on top.
    HWND top = ::GetWindow(handle_, GW_CHILD);
    if (!top) return;
    for (HWND w = ::GetWindow(top, GW_HWNDLAST); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        if (!::IsWindowVisible(w)) continue;
        RECT r;
        ::GetWindowRect(w, &r);
        ::MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&r), 2);
        int saved = ::SaveDC(dc);
        ::OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        ::IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
        ::SendMessageW(w, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags & ~PRF_CHECKVISIBLE);
        ::RestoreDC(dc, saved);
    }
}

void TWinControl::UpdateHover(POINT p) {
    RECT cr{};
    ::GetClientRect(handle_, &cr);  // refused: empty, the pointer counts as gone
    if (!::PtInRect(&cr, p)) {
        // The pointer has left: drop the hover if it was ours.
        TControl* mc = mouse_control_;
        if (mc == this || (mc && mc->parent_ == this && !dynamic_cast<TWinControl*>(mc))) SetMouseControl(nullptr);
        return;
    }
    TControl* target = ControlAtPos(p, true);
    SetMouseControl(target ? target : this);
    if (!tracking_leave_ && handle_) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, handle_, 0};
        tracking_leave_ = ::TrackMouseEvent(&t) != FALSE;
    }
}

bool TWinControl::RouteMouse(TMessage& m) {
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    auto forward = [&](TControl* c) {
        m.Result = c->Perform(m.Msg, m.WParam, MAKELPARAM(p.x - c->left_, p.y - c->top_));
    };
    auto life = Life();
    switch (m.Msg) {
        case WM_MOUSEMOVE: {
            if (capture_control_) {
                forward(capture_control_);
                return true;
            }
            UpdateHover(p);
            if (life.expired()) return true;
            if (TControl* c = ControlAtPos(p, false)) {
                forward(c);
                return true;
            }
            return false;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            TControl* c = capture_control_ ? capture_control_ : ControlAtPos(p, false);
            if (!c) return false;
            if (!capture_control_) {
                capture_control_ = c;
                ::SetCapture(handle_);
            }
            forward(c);
            return true;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            TControl* c = capture_control_ ? capture_control_ : ControlAtPos(p, false);
            if (!c) return false;
            const bool last_button = !(m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON));
            {
                // The last release ends the press however its handler ends,
                // a throw included: a capture left behind would send every
                // later click to that control. The handler may also have
                // freed this window's object, or the child.
                struct EndPress {
                    TWinControl& self;
                    const std::weak_ptr<void>& life;
                    bool last;
                    ~EndPress() {
                        if (!last || life.expired()) return;
                        self.capture_control_ = nullptr;
                        if (self.handle_ && ::GetCapture() == self.handle_) ::ReleaseCapture();
                    }
                } end_press{*this, life, last_button};
                forward(c);
            }
            if (life.expired() || !last_button || !handle_) return true;
            POINT cur;
            ::GetCursorPos(&cur);
            HWND under = ::WindowFromPoint(cur);
            ::ScreenToClient(handle_, &cur);
            if (under == handle_)
                UpdateHover(cur);
            else
                UpdateHover({-1, -1});
            return true;
        }
        default:
            return false;
    }
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (RouteMouse(m)) return;
            break;
        case WM_MOUSELEAVE: {
            tracking_leave_ = false;
            // Still inside (over a child window, or captured): no leave yet.
            if (capture_control_) return;
            UpdateHover({-1, -1});
            return;
        }
        case WM_CAPTURECHANGED:
            if (capture_control_ && reinterpret_cast<HWND>(m.LParam) != handle_) {
                TControl* c = capture_control_;
                capture_control_ = nullptr;
                c->Perform(WM_CANCELMODE);
            }
            break;
        case WM_PAINT:
            PaintHandler(reinterpret_cast<HDC>(m.WParam));
            return;
        case WM_PRINTCLIENT: {
            TControlStates was = cstate_;
            cstate_.Include(TControlState::csPaintCopy);
            PaintHandler(reinterpret_cast<HDC>(m.WParam));
            cstate_ = was;
            return;
        }
        case WM_PRINT: {
            if ((m.LParam & PRF_CHECKVISIBLE) && !::IsWindowVisible(handle_)) return;
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            if (!dc) return;
            if (m.LParam & PRF_ERASEBKGND) ::SendMessageW(handle_, WM_ERASEBKGND, m.WParam, 0);
            if (m.LParam & PRF_CLIENT) {
                TControlStates was = cstate_;
                cstate_.Include(TControlState::csPaintCopy);
                PaintHandler(dc);
                cstate_ = was;
            }
            if (m.LParam & PRF_CHILDREN) PrintChildren(dc, m.LParam);
            return;
        }
        case WM_ERASEBKGND:
            // The paint covers the whole client; erasing first would flicker.
            m.Result = 1;
            return;
        case WM_WINDOWPOSCHANGING: {
            auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
            if (!(wp->flags & SWP_NOSIZE)) constraints_.Apply(wp->cx, wp->cy);
            break;
        }
        case WM_WINDOWPOSCHANGED: {
            // Bounds follow the window, whoever moved it.
            auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
            if ((wp->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) &&
                (!parent_ || !parent_->aligning_))
                TControl::anchor_set_ = false;
            if (!(wp->flags & SWP_NOMOVE)) {
                left_ = wp->x;
                top_ = wp->y;
            }
            if (!(wp->flags & SWP_NOSIZE)) {
                width_ = wp->cx;
                height_ = wp->cy;
            }
            break;
        }
        case WM_SIZE:
            TControl::WndProc(m);
            Realign();
            if (parent_ && align_ != TAlign::alNone) parent_->Realign();
            return;
        default:
            break;
    }
    TControl::WndProc(m);
}

namespace {
const TPropInfo kWinControlProps[] = {
    props::Int<&TWinControl::SetTabOrder>("TabOrder"),
    props::Bool<&TWinControl::SetTabStop>("TabStop"),
};
}
const TPropTable& TWinControl::ClassProps() {
    static const TPropTable table{&TControl::ClassProps(), kWinControlProps};
    return table;
}
const TPropTable& TWinControl::Props() const { return ClassProps(); }

}  // namespace velmap::ui
