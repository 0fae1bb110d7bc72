#include "ui/controls.h"

#include "ui/reader.h"

#include <windowsx.h>

#include <algorithm>
#include <mutex>

namespace velmap::ui {

namespace {
TControl* g_mouse_control = nullptr;
std::function<void(const char*)> g_error_handler;

constexpr const char* kAligns[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
constexpr const char* kAnchors[] = {"akLeft", "akTop", "akRight", "akBottom"};

// Paints through a control's canvas on dc with the control's font; the canvas
// lets go of the DC also when painting throws.
template <typename Fn>
void PaintOnCanvas(TCanvas& canvas, const TFont& font, HDC dc, Fn&& paint) {
    canvas.Lock();
    canvas.SetHandle(dc);
    canvas.Font().Assign(font);
    try {
        paint();
    } catch (...) {
        canvas.SetHandle(nullptr);
        canvas.Unlock();
        throw;
    }
    canvas.SetHandle(nullptr);
    canvas.Unlock();
}
}  // namespace

void SetWindowProcErrorHandler(std::function<void(const char*)> handler) { g_error_handler = std::move(handler); }

void ReportWindowProcError(const char* what) {
    if (g_error_handler) g_error_handler(what);
}

// ---- TSizeConstraints -------------------------------------------------------

void TSizeConstraints::Set(int& f, int v) {
    if (v < 0) v = 0;
    if (f == v) return;
    f = v;
    if (OnChange) OnChange();
}

void TSizeConstraints::Apply(int& w, int& h) const {
    if (max_w_ > 0 && w > max_w_) w = max_w_;
    if (min_w_ > 0 && w < min_w_) w = min_w_;
    if (max_h_ > 0 && h > max_h_) h = max_h_;
    if (min_h_ > 0 && h < min_h_) h = min_h_;
}

void TSizeConstraints::Scale(int m, int d) {
    min_w_ = ::MulDiv(min_w_, m, d);
    max_w_ = ::MulDiv(max_w_, m, d);
    min_h_ = ::MulDiv(min_h_, m, d);
    max_h_ = ::MulDiv(max_h_, m, d);
    if (OnChange) OnChange();
}

namespace {
const TPropInfo kConstraintProps[] = {
    props::Int<&TSizeConstraints::SetMinWidth>("MinWidth"),
    props::Int<&TSizeConstraints::SetMaxWidth>("MaxWidth"),
    props::Int<&TSizeConstraints::SetMinHeight>("MinHeight"),
    props::Int<&TSizeConstraints::SetMaxHeight>("MaxHeight"),
};
}
const TPropTable& TSizeConstraints::Props() const {
    static const TPropTable table{&TPersistent::ClassProps(), kConstraintProps};
    return table;
}

// ---- TControl ---------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_.SetPixelsPerInch(ScreenPixelsPerInch());
    font_.OnChange = [this] { FontChanged(); };
    constraints_.OnChange = [this] {
        if (!Is(TComponentState::csLoading)) SetBounds(left_, top_, width_, height_);
    };
}

TControl::~TControl() {
    if (g_mouse_control == this) g_mouse_control = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw EUiError("a control cannot be its own parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) {
        for (TControl* p = parent; p; p = p->parent_)
            if (p == this) throw EUiError("a control cannot be put inside itself");
        parent->InsertControl(this);
    }
}

TControl* TControl::MouseControl() { return g_mouse_control; }

void TControl::SetMouseControl(TControl* c) {
    if (c == g_mouse_control) return;
    TControl* old = g_mouse_control;
    g_mouse_control = c;
    if (old) {
        auto life = c ? c->Life() : std::weak_ptr<void>();
        old->Perform(UIM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        if (c && life.expired()) return;
    }
    // A leave handler may have moved the pointer's control on already.
    if (c && g_mouse_control == c) c->Perform(UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
}

bool TControl::MouseInside() const { return g_mouse_control == this; }

void TControl::SetBounds(int left, int top, int width, int height) {
    // Placed by anyone but the parent's layout: anchoring starts from here.
    if (!parent_ || !parent_->aligning_) anchor_set_ = false;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    constraints_.Apply(width, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    UpdateBounds(left, top, width, height);
}

void TControl::UpdateBounds(int left, int top, int width, int height) {
    // A graphic control: repaint the old and new places in the parent.
    RECT old = BoundsRect();
    bool moved = left != left_ || top != top_;
    bool sized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (parent_ && parent_->HandleAllocated() && visible_) {
        ::InvalidateRect(parent_->handle_, &old, FALSE);
        RECT now = BoundsRect();
        ::InvalidateRect(parent_->handle_, &now, FALSE);
    }
    WINDOWPOS wp{nullptr, nullptr, left, top, width, height, 0};
    Perform(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (sized) Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if (moved) Perform(WM_MOVE, 0, MAKELPARAM(left, top));
    if (parent_ && align_ != TAlign::alNone && !Is(TComponentState::csLoading)) parent_->Realign();
}

POINT TControl::ClientToScreen(POINT p) const {
    if (auto* self = dynamic_cast<const TWinControl*>(this); self && self->handle_) {
        ::ClientToScreen(self->handle_, &p);
        return p;
    }
    if (!parent_) return p;
    return parent_->ClientToScreen({p.x + left_, p.y + top_});
}

POINT TControl::ScreenToClient(POINT p) const {
    if (auto* self = dynamic_cast<const TWinControl*>(this); self && self->handle_) {
        ::ScreenToClient(self->handle_, &p);
        return p;
    }
    if (!parent_) return p;
    POINT q = parent_->ScreenToClient(p);
    return {q.x - left_, q.y - top_};
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        ::InvalidateRect(parent_->handle_, &r, FALSE);
    }
    if (!v && g_mouse_control == this) SetMouseControl(nullptr);
    Perform(UIM_VISIBLECHANGED, v ? 1 : 0);
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

bool TControl::Showing() const {
    if (!visible_) return false;
    if (auto* self = dynamic_cast<const TWinControl*>(this); self && self->handle_)
        return ::IsWindowVisible(self->handle_) != FALSE;
    return parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Perform(UIM_ENABLEDCHANGED);
    Invalidate();
}

void TControl::SetColor(TColor v) {
    parent_color_ = false;
    if (v == color_) return;
    color_ = v;
    Perform(UIM_COLORCHANGED);
    Invalidate();
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->Controls()) c->ParentColorChanged();
}

void TControl::SetParentColor(bool v) {
    parent_color_ = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parent_color_ || !parent_) return;
    TColor c = parent_->Color();
    SetColor(c);
    parent_color_ = true;
}

void TControl::SetParentFont(bool v) {
    parent_font_ = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parent_font_ || !parent_) return;
    font_from_parent_ = true;
    font_.Assign(parent_->Font());
    font_from_parent_ = false;
}

void TControl::FontChanged() {
    // Font.OnChange runs before the handle goes; let it finish first.
    if (!font_from_parent_) parent_font_ = false;
    Perform(UIM_FONTCHANGED);
    Invalidate();
}

void TControl::SetCaption(const std::wstring& v) {
    if (v == text_) return;
    text_ = v;
    Perform(UIM_TEXTCHANGED);
    Invalidate();
}

void TControl::SetAlign(TAlign v) {
    if (v == align_) return;
    align_ = v;
    if (parent_ && !Is(TComponentState::csLoading)) parent_->Realign();
}

void TControl::Invalidate() {
    if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
    RECT r = BoundsRect();
    ::InvalidateRect(parent_->handle_, &r, FALSE);
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

bool TControl::ReadyToPaint() const {
    return parent_ && !Is(TComponentState::csCreating) && !Is(TComponentState::csReading) &&
           !Is(TComponentState::csLoading) && !Is(TComponentState::csDestroying);
}

void TControl::ChangeScale(int m, int d) {
    constraints_.Scale(m, d);
    int l = ::MulDiv(left_, m, d), t = ::MulDiv(top_, m, d);
    int w = ::MulDiv(left_ + width_, m, d) - l, h = ::MulDiv(top_ + height_, m, d) - t;
    SetBounds(l, t, w, h);
    if (!parent_font_) font_.SetHeight(::MulDiv(font_.Height(), m, d));
}

TShiftState TControl::ShiftFromKeys(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(TShiftFlag::ssShift);
    if (keys & MK_CONTROL) s.Include(TShiftFlag::ssCtrl);
    if (keys & MK_LBUTTON) s.Include(TShiftFlag::ssLeft);
    if (keys & MK_RBUTTON) s.Include(TShiftFlag::ssRight);
    if (keys & MK_MBUTTON) s.Include(TShiftFlag::ssMiddle);
    if (::GetKeyState(VK_MENU) < 0) s.Include(TShiftFlag::ssAlt);
    return s;
}

void TControl::MouseDown(TMouseButton, TShiftState, int, int) {}
void TControl::MouseMove(TShiftState, int, int) {}
void TControl::MouseUp(TMouseButton, TShiftState, int, int) {}

void TControl::Click() {
    // Copy: the handler may free this control, and with it OnClick.
    TNotifyEvent handler = OnClick;
    if (handler) handler(this);
}

void TControl::WndProc(TMessage& m) {
    int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            TShiftState s = ShiftFromKeys(m.WParam);
            if (m.Msg == WM_LBUTTONDBLCLK) s.Include(TShiftFlag::ssDouble);
            MouseDown(TMouseButton::mbLeft, s, x, y);
            return;
        }
        case WM_RBUTTONDOWN: MouseDown(TMouseButton::mbRight, ShiftFromKeys(m.WParam), x, y); return;
        case WM_MBUTTONDOWN: MouseDown(TMouseButton::mbMiddle, ShiftFromKeys(m.WParam), x, y); return;
        case WM_MOUSEMOVE: MouseMove(ShiftFromKeys(m.WParam), x, y); return;
        case WM_LBUTTONUP: MouseUp(TMouseButton::mbLeft, ShiftFromKeys(m.WParam), x, y); return;
        case WM_RBUTTONUP: MouseUp(TMouseButton::mbRight, ShiftFromKeys(m.WParam), x, y); return;
        case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, ShiftFromKeys(m.WParam), x, y); return;
        case UIM_MOUSEENTER:
            if (m.LParam == reinterpret_cast<LPARAM>(this) || m.LParam == 0) {
                TNotifyEvent h = OnMouseEnter;
                if (h) h(this);
            }
            return;
        case UIM_MOUSELEAVE:
            if (m.LParam == reinterpret_cast<LPARAM>(this) || m.LParam == 0) {
                TNotifyEvent h = OnMouseLeave;
                if (h) h(this);
            }
            return;
        default: break;
    }
    DefaultHandler(m);
}

namespace {
void SetCaptionValue(TPersistent& o, const TValue& v, TReader&) { static_cast<TControl&>(o).SetCaption(props::ToString(v)); }

const TPropInfo kControlProps[] = {
    props::Int<&TControl::SetLeft>("Left"),
    props::Int<&TControl::SetTop>("Top"),
    props::Int<&TControl::SetWidth>("Width"),
    props::Int<&TControl::SetHeight>("Height"),
    props::Bool<&TControl::SetVisible>("Visible"),
    props::Bool<&TControl::SetEnabled>("Enabled"),
    props::Color<&TControl::SetColor>("Color"),
    props::Bool<&TControl::SetParentColor>("ParentColor"),
    props::Bool<&TControl::SetParentFont>("ParentFont"),
    props::Object<static_cast<TFont& (TControl::*)()>(&TControl::Font)>("Font"),
    {"Caption", &SetCaptionValue},
    {"Text", &SetCaptionValue},
    props::Enum<&TControl::SetAlign, kAligns>("Align"),
    props::SetOf<&TControl::SetAnchors, kAnchors>("Anchors"),
    props::Object<&TControl::Constraints>("Constraints"),
    props::Event<&TControl::OnClick>("OnClick"),
    props::Event<&TControl::OnMouseEnter>("OnMouseEnter"),
    props::Event<&TControl::OnMouseLeave>("OnMouseLeave"),
};
}  // namespace

const TPropTable& TControl::ClassProps() {
    static const TPropTable table{&TComponent::ClassProps(), kControlProps};
    return table;
}
const TPropTable& TControl::Props() const { return ClassProps(); }

// ---- TWinControl ------------------------------------------------------------

const wchar_t* FrameworkWindowClass() {
    static const wchar_t* name = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &TWinControl::StdWndProc;
        wc.cbWndExtra = sizeof(void*);
        wc.hInstance = ThisModule();
        wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
        wc.lpszClassName = L"VelmapUiWindow";
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw EUiError("cannot register the window class");
        return L"VelmapUiWindow";
    }();
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
    ::SetWindowLongPtrW(h, 0, 0);
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
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TWinControl*>(::GetWindowLongPtrW(wnd, 0));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        if (self) {
            ::SetWindowLongPtrW(wnd, 0, reinterpret_cast<LONG_PTR>(self));
            self->handle_ = wnd;
        }
    }
    if (!self) return ::DefWindowProcW(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The window goes (perhaps with a foreign parent); the object stays.
        ::SetWindowLongPtrW(wnd, 0, 0);
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
        if (handle_ && !c->Is(TComponentState::csLoading)) wc->HandleNeeded();
        else if (wc->handle_ && handle_) ::SetParent(wc->handle_, handle_);
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
    if (g_mouse_control == c) g_mouse_control = nullptr;
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

void TWinControl::Realign() {
    if (aligning_ || Is(TComponentState::csLoading) || Is(TComponentState::csDestroying)) return;
    aligning_ = true;
    try {
        AlignControls();
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AlignControls() {
    RECT r = ClientRect();
    int cw = r.right - r.left, ch = r.bottom - r.top;
    int dx = aligned_w_ < 0 ? 0 : cw - aligned_w_, dy = aligned_h_ < 0 ? 0 : ch - aligned_h_;
    aligned_w_ = cw;
    aligned_h_ = ch;
    // Anchored children follow the parent's change of size.
    if (dx || dy) {
        for (TControl* c : controls_) {
            if (c->align_ != TAlign::alNone) continue;
            if (!c->anchor_set_) {
                c->anchor_bounds_ = c->BoundsRect();
                c->anchor_parent_w_ = cw - dx;
                c->anchor_parent_h_ = ch - dy;
                c->anchor_set_ = true;
            }
            const RECT& o = c->anchor_bounds_;
            int l = o.left, t = o.top, w = o.right - o.left, h = o.bottom - o.top;
            int ax = cw - c->anchor_parent_w_, ay = ch - c->anchor_parent_h_;
            bool al = c->anchors_.Contains(TAnchorKind::akLeft), ar = c->anchors_.Contains(TAnchorKind::akRight);
            bool at = c->anchors_.Contains(TAnchorKind::akTop), ab = c->anchors_.Contains(TAnchorKind::akBottom);
            if (ar && al) w += ax;
            else if (ar) l += ax;
            else if (!al) l += ax / 2;
            if (ab && at) h += ay;
            else if (ab) t += ay;
            else if (!at) t += ay / 2;
            c->SetBounds(l, t, w, h);
        }
    }
    auto place = [&](TAlign a) {
        for (TControl* c : controls_) {
            if (c->align_ != a || !c->visible_) continue;
            int w = c->width_, h = c->height_;
            switch (a) {
                case TAlign::alTop:
                    c->SetBounds(r.left, r.top, r.right - r.left, h);
                    r.top += c->height_;
                    break;
                case TAlign::alBottom:
                    c->SetBounds(r.left, r.bottom - h, r.right - r.left, h);
                    r.bottom -= c->height_;
                    break;
                case TAlign::alLeft:
                    c->SetBounds(r.left, r.top, w, r.bottom - r.top);
                    r.left += c->width_;
                    break;
                case TAlign::alRight:
                    c->SetBounds(r.right - w, r.top, w, r.bottom - r.top);
                    r.right -= c->width_;
                    break;
                case TAlign::alClient: c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); break;
                default: break;
            }
        }
    };
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) place(a);
}

void TWinControl::PaintWindow(HDC dc) { PaintOnCanvas(canvas_, font_, dc, [this] { Paint(); }); }

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
    RECT cr;
    ::GetClientRect(handle_, &cr);
    if (!::PtInRect(&cr, p)) {
        // The pointer has left: drop the hover if it was ours.
        TControl* mc = g_mouse_control;
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
            forward(c);
            // The handler may have freed this window's object, or the child.
            if (life.expired()) return true;
            if (!(m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
                capture_control_ = nullptr;
                if (handle_ && ::GetCapture() == handle_) ::ReleaseCapture();
                if (!handle_) return true;
                POINT cur;
                ::GetCursorPos(&cur);
                HWND under = ::WindowFromPoint(cur);
                ::ScreenToClient(handle_, &cur);
                if (under == handle_) UpdateHover(cur);
                else UpdateHover({-1, -1});
            }
            return true;
        }
        default: return false;
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
            if ((wp->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) && (!parent_ || !parent_->aligning_))
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
        default: break;
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

// ---- TGraphicControl --------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

TGraphicControl::~TGraphicControl() { canvas_.SetHandle(nullptr); }

void TGraphicControl::WndProc(TMessage& m) {
    if (m.Msg == WM_PAINT) {
        if (!m.WParam) return;
        PaintOnCanvas(canvas_, font_, reinterpret_cast<HDC>(m.WParam), [this] { Paint(); });
        return;
    }
    TControl::WndProc(m);
}

}  // namespace velmap::ui
