#include "ui/control.h"

#include "ui/reader.h"
#include "ui/win_control.h"

#include <windowsx.h>

namespace velmap::ui {

namespace {
constexpr const char* kAligns[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
constexpr const char* kAnchors[] = {"akLeft", "akTop", "akRight", "akBottom"};
}  // namespace

TControl::TControl(TComponent* owner) : TComponent(owner) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_.SetPixelsPerInch(ScreenPixelsPerInch());
    font_.OnChange = [this] { FontChanged(); };
    constraints_.OnChange = [this] {
        if (!Is(TComponentState::csLoading)) SetBounds(left_, top_, width_, height_);
    };
}

TControl::~TControl() {
    if (mouse_control_ == this) mouse_control_ = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
    TMessage m{msg, wparam, lparam, 0};
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

TControl* TControl::MouseControl() { return mouse_control_; }

void TControl::SetMouseControl(TControl* c) {
    if (c == mouse_control_) return;
    TControl* old = mouse_control_;
    mouse_control_ = c;
    if (old) {
        auto life = c ? c->Life() : std::weak_ptr<void>();
        old->Perform(UIM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        if (c && life.expired()) return;
    }
    // A leave handler may have moved the pointer's control on already.
    if (c && mouse_control_ == c) c->Perform(UIM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
}

bool TControl::MouseInside() const { return mouse_control_ == this; }

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
    if (!v && mouse_control_ == this) SetMouseControl(nullptr);
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

namespace {
std::vector<int> ScaleAll(std::vector<int> values, int m, int d) {
    for (int& v : values) v = ::MulDiv(v, m, d);
    return values;
}
}  // namespace

void TControl::ChangeScale(int m, int d) {
    constraints_.Scale(m, d);
    int l = ::MulDiv(left_, m, d), t = ::MulDiv(top_, m, d);
    int w = ::MulDiv(left_ + width_, m, d) - l, h = ::MulDiv(top_ + height_, m, d) - t;
    SetBounds(l, t, w, h);
    if (!parent_font_) font_.SetHeight(::MulDiv(font_.Height(), m, d));
    if (std::vector<int> extents = ScaledExtents(); !extents.empty()) SetScaledExtents(ScaleAll(extents, m, d));
}

TControl::TScaleRecord TControl::ScaleRecord() const {
    return {left_,
            top_,
            width_,
            height_,
            constraints_.MinWidth(),
            constraints_.MaxWidth(),
            constraints_.MinHeight(),
            constraints_.MaxHeight(),
            font_.Height(),
            align_,
            anchors_,
            ScaledExtents()};
}

namespace {
TAlign TurnedAlign(TAlign a) {
    switch (a) {
        case TAlign::alTop:
            return TAlign::alLeft;
        case TAlign::alLeft:
            return TAlign::alTop;
        case TAlign::alBottom:
            return TAlign::alRight;
        case TAlign::alRight:
            return TAlign::alBottom;
        default:
            return a;
    }
}
}  // namespace

TControl::TScaleRecord TControl::Turned(const TScaleRecord& r) {
    TScaleRecord t = r;
    t.left = r.top;
    t.top = r.left;
    t.width = r.height;
    t.height = r.width;
    t.min_w = r.min_h;
    t.max_w = r.max_h;
    t.min_h = r.min_w;
    t.max_h = r.max_w;
    t.align = TurnedAlign(r.align);
    t.anchors = {};
    const std::pair<TAnchorKind, TAnchorKind> sides[] = {{TAnchorKind::akLeft, TAnchorKind::akTop},
                                                         {TAnchorKind::akTop, TAnchorKind::akLeft},
                                                         {TAnchorKind::akRight, TAnchorKind::akBottom},
                                                         {TAnchorKind::akBottom, TAnchorKind::akRight}};
    for (const auto& [from, to] : sides)
        if (r.anchors.Contains(from)) t.anchors.Include(to);
    return t;
}

void TControl::ApplyScaleRecord(const TScaleRecord& r, int m, int d, int ppi) {
    // The very arithmetic of ChangeScale, on the recorded values.
    anchor_set_ = false;
    // Alignment and anchors come back with the record (a turned layout may
    // have changed them); the parent realigns as the bounds are set.
    align_ = r.align;
    anchors_ = r.anchors;
    constraints_.SetAll(::MulDiv(r.min_w, m, d), ::MulDiv(r.max_w, m, d), ::MulDiv(r.min_h, m, d),
                        ::MulDiv(r.max_h, m, d));
    const int l = ::MulDiv(r.left, m, d), t = ::MulDiv(r.top, m, d);
    SetBounds(l, t, ::MulDiv(r.left + r.width, m, d) - l, ::MulDiv(r.top + r.height, m, d) - t);
    font_.SetPixelsPerInch(ppi);
    if (!parent_font_) font_.SetHeight(::MulDiv(r.font_height, m, d));
    if (!r.extents.empty()) SetScaledExtents(ScaleAll(r.extents, m, d));
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
        case WM_RBUTTONDOWN:
            MouseDown(TMouseButton::mbRight, ShiftFromKeys(m.WParam), x, y);
            return;
        case WM_MBUTTONDOWN:
            MouseDown(TMouseButton::mbMiddle, ShiftFromKeys(m.WParam), x, y);
            return;
        case WM_MOUSEMOVE:
            MouseMove(ShiftFromKeys(m.WParam), x, y);
            return;
        case WM_LBUTTONUP:
            MouseUp(TMouseButton::mbLeft, ShiftFromKeys(m.WParam), x, y);
            return;
        case WM_RBUTTONUP:
            MouseUp(TMouseButton::mbRight, ShiftFromKeys(m.WParam), x, y);
            return;
        case WM_MBUTTONUP:
            MouseUp(TMouseButton::mbMiddle, ShiftFromKeys(m.WParam), x, y);
            return;
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
        default:
            break;
    }
    DefaultHandler(m);
}

namespace {
void SetCaptionValue(TPersistent& o, const TValue& v, TReader&) {
    static_cast<TControl&>(o).SetCaption(props::ToString(v));
}

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

}  // namespace velmap::ui
