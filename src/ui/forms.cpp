#include "ui/forms.h"

#include <algorithm>

namespace velmap::ui {

namespace {
constexpr const char* kBorderStyles[] = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr const char* kPositions[] = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter"};
constexpr const char* kBevelCuts[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
constexpr const char* kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr const char* kLayouts[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
constexpr const char* kEdgeStyles[] = {"esNone", "esRaised", "esLowered"};
constexpr const char* kBandMaximize[] = {"bmNone", "bmClick", "bmDblClick"};

DWORD FrameStyle(TFormBorderStyle b) {
    switch (b) {
        case TFormBorderStyle::bsNone: return 0;
        case TFormBorderStyle::bsSingle:
        case TFormBorderStyle::bsToolWindow: return WS_CAPTION | WS_SYSMENU | WS_BORDER;
        case TFormBorderStyle::bsDialog: return WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        default: return WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    }
}
}  // namespace

// ---- TControlScrollBar --------------------------------------------------------

namespace {
const TPropInfo kScrollBarProps[] = {props::Bool<&TControlScrollBar::SetVisible>("Visible")};
}
const TPropTable& TControlScrollBar::Props() const {
    static const TPropTable table{&TPersistent::ClassProps(), kScrollBarProps};
    return table;
}

// ---- TCustomForm ------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    width_ = 320;
    height_ = 240;
    visible_ = false;
    parent_font_ = false;
    parent_color_ = false;
}

TCustomForm::TCustomForm(HWND parent_window) : TCustomForm(static_cast<TComponent*>(nullptr)) {
    SetParentWindow(parent_window);
}

void TCustomForm::SetDescriptionResource(HMODULE module, std::string name) {
    description_module_ = module;
    description_name_ = std::move(name);
    resources_ = ModuleResources(module);
    has_description_ = true;
}

void TCustomForm::SetDescriptionText(std::string text, TResourceSource resources) {
    description_ = std::move(text);
    description_name_.clear();
    resources_ = std::move(resources);
    has_description_ = true;
}

void TCustomForm::AfterConstruction() {
    TWinControl::AfterConstruction();
    if (has_description_) {
        std::string text = description_name_.empty() ? description_ : LoadTextResource(description_module_, description_name_);
        ReadComponentFromText(this, text, resources_);
    } else {
        Loaded();
    }
    HandleNeeded();
    // OnCreate after the whole tree exists (the stored order's choice is
    // recorded but creation always completes first here).
    TNotifyEvent on_create = OnCreate;
    if (on_create) on_create(this);
    if (visible_ && handle_) ::ShowWindow(handle_, parent_window_ ? SW_SHOWNA : SW_SHOW);
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    ScaleToScreen();
}

void TCustomForm::Destroying() {
    TWinControl::Destroying();
    TNotifyEvent on_destroy = OnDestroy;
    if (on_destroy) on_destroy(this);
}

void TCustomForm::SetPixelsPerInch(int v) {
    if (v <= 0) throw EUiError("PixelsPerInch must be positive");
    pixels_per_inch_ = v;
    stored_ppi_ = true;
}

void TCustomForm::ScaleToScreen() {
    int screen = ScreenPixelsPerInch();
    if (!stored_ppi_ || screen == pixels_per_inch_ || text_height_ <= 0) return;
    // Font first, by the ratio of densities; the contents then follow the
    // text height that font really has.
    font_.SetPixelsPerInch(screen);
    font_.SetHeight(::MulDiv(font_.Height(), screen, pixels_per_inch_));
    int th = text_height_;
    {
        win::window_dc sdc(nullptr);
        HDC mem = ::CreateCompatibleDC(sdc.get());
        {
            win::select_object sel(mem, font_.Handle());
            TEXTMETRICW tm;
            if (::GetTextMetricsW(mem, &tm)) th = tm.tmHeight;
        }
        ::DeleteDC(mem);
    }
    int m = th, d = text_height_;
    int cw = ClientWidth(), ch = ClientHeight();
    constraints_.Scale(m, d);
    for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(m, d);
    SetClientWidth(::MulDiv(cw, m, d));
    SetClientHeight(::MulDiv(ch, m, d));
    pixels_per_inch_ = screen;
    text_height_ = th;
}

RECT TCustomForm::ClientRect() const {
    if (handle_) {
        RECT r;
        ::GetClientRect(handle_, &r);
        return r;
    }
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, FrameStyle(border_style_), FALSE, 0);
    return {0, 0, std::max(0L, width_ - (frame.right - frame.left)), std::max(0L, height_ - (frame.bottom - frame.top))};
}

void TCustomForm::SetClientWidth(int v) {
    RECT c = ClientRect();
    SetWidth(width_ + v - (c.right - c.left));
}

void TCustomForm::SetClientHeight(int v) {
    RECT c = ClientRect();
    SetHeight(height_ + v - (c.bottom - c.top));
}

void TCustomForm::SetTransparentColor(bool v) {
    if (v == transparent_color_) return;
    transparent_color_ = v;
    if (handle_) {
        LONG_PTR ex = ::GetWindowLongPtrW(handle_, GWL_EXSTYLE);
        ::SetWindowLongPtrW(handle_, GWL_EXSTYLE, v ? (ex | WS_EX_LAYERED) : (ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED)));
        ApplyLayered();
    }
}

void TCustomForm::SetTransparentColorValue(TColor v) {
    transparent_value_ = v;
    if (handle_) ApplyLayered();
}

void TCustomForm::ApplyLayered() {
    if (transparent_color_ && handle_) ::SetLayeredWindowAttributes(handle_, ColorToRGB(transparent_value_), 0, LWA_COLORKEY);
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.style &= ~static_cast<DWORD>(WS_VISIBLE);  // shown after OnCreate
    if (parent_window_) {
        p.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        p.parent = parent_window_;
        if (position_ != TPosition::poDesigned) p.x = p.y = 0;  // the default place of a child
    } else {
        p.style = WS_CLIPCHILDREN | (border_style_ == TFormBorderStyle::bsNone ? WS_POPUP : FrameStyle(border_style_));
        p.parent = nullptr;
        if (position_ == TPosition::poDefault || position_ == TPosition::poDefaultPosOnly) p.x = p.y = CW_USEDEFAULT;
    }
    if (!enabled_) p.style |= WS_DISABLED;
    if (border_style_ == TFormBorderStyle::bsToolWindow) p.ex_style |= WS_EX_TOOLWINDOW;
    if (transparent_color_) p.ex_style |= WS_EX_LAYERED;
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyLayered();
}

namespace {
const TPropInfo kFormProps[] = {
    props::Enum<&TCustomForm::SetBorderStyle, kBorderStyles>("BorderStyle"),
    props::Enum<&TCustomForm::SetPosition, kPositions>("Position"),
    props::Int<&TCustomForm::SetClientWidth>("ClientWidth"),
    props::Int<&TCustomForm::SetClientHeight>("ClientHeight"),
    props::Bool<&TCustomForm::SetTransparentColor>("TransparentColor"),
    props::Color<&TCustomForm::SetTransparentColorValue>("TransparentColorValue"),
    props::Bool<&TCustomForm::SetOldCreateOrder>("OldCreateOrder"),
    props::Int<&TCustomForm::SetPixelsPerInch>("PixelsPerInch"),
    props::Int<&TCustomForm::SetTextHeight>("TextHeight"),
    props::Object<&TCustomForm::HorzScrollBar>("HorzScrollBar"),
    props::Object<&TCustomForm::VertScrollBar>("VertScrollBar"),
    props::Event<&TCustomForm::OnCreate>("OnCreate"),
    props::Event<&TCustomForm::OnDestroy>("OnDestroy"),
};
}
const TPropTable& TCustomForm::ClassProps() {
    static const TPropTable table{&TWinControl::ClassProps(), kFormProps};
    return table;
}
const TPropTable& TCustomForm::Props() const { return ClassProps(); }

// ---- TPanel -----------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
    style_.Include(TControlStyle::csAcceptsControls);
    style_.Include(TControlStyle::csOpaque);
    width_ = 185;
    height_ = 41;
    parent_color_ = false;
    color_ = clBtnFace;
}

void TPanel::SetBevelInner(TBevelCut v) {
    bevel_inner_ = v;
    Invalidate();
}
void TPanel::SetBevelOuter(TBevelCut v) {
    bevel_outer_ = v;
    Invalidate();
}
void TPanel::SetBevelWidth(int v) {
    bevel_width_ = std::clamp(v, 1, 1000);
    Invalidate();
}
void TPanel::SetBorderWidth(int v) {
    border_width_ = std::clamp(v, 0, 1000);
    Invalidate();
}
void TPanel::SetAlignment(TAlignment v) {
    alignment_ = v;
    Invalidate();
}
void TPanel::SetParentBackground(bool v) {
    if (v) style_.Include(TControlStyle::csParentBackground);
    else style_.Exclude(TControlStyle::csParentBackground);
    Invalidate();
}

void TPanel::WndProc(TMessage& m) {
    // The caption is part of the face.
    if (m.Msg == UIM_TEXTCHANGED) Invalidate();
    TWinControl::WndProc(m);
}

void TPanel::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    c.Brush().SetColor(color_);
    c.FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == TBevelCut::bvNone) return;
        COLORREF hi = ColorToRGB(clBtnHighlight), lo = ColorToRGB(clBtnShadow);
        if (cut == TBevelCut::bvLowered) std::swap(hi, lo);
        for (int i = 0; i < bevel_width_ && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
            if (cut != TBevelCut::bvSpace) {
                HDC dc = c.Handle();
                RECT t{r.left, r.top, r.right - 1, r.top + 1}, l{r.left, r.top, r.left + 1, r.bottom - 1};
                RECT b{r.left, r.bottom - 1, r.right, r.bottom}, rt{r.right - 1, r.top, r.right, r.bottom};
                win::unique_hbrush bh(::CreateSolidBrush(hi)), bl(::CreateSolidBrush(lo));
                ::FillRect(dc, &t, bh.get());
                ::FillRect(dc, &l, bh.get());
                ::FillRect(dc, &b, bl.get());
                ::FillRect(dc, &rt, bl.get());
            }
            ::InflateRect(&r, -1, -1);
        }
    };
    bevel(bevel_outer_);
    ::InflateRect(&r, -border_width_, -border_width_);
    bevel(bevel_inner_);
    if (!text_.empty()) {
        c.Brush().SetStyle(TBrushStyle::bsClear);
        UINT align = alignment_ == TAlignment::taLeftJustify ? DT_LEFT : alignment_ == TAlignment::taRightJustify ? DT_RIGHT : DT_CENTER;
        c.DrawText(text_, r, align | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
    }
}

namespace {
const TPropInfo kPanelProps[] = {
    props::Enum<&TPanel::SetBevelInner, kBevelCuts>("BevelInner"),
    props::Enum<&TPanel::SetBevelOuter, kBevelCuts>("BevelOuter"),
    props::Int<&TPanel::SetBevelWidth>("BevelWidth"),
    props::Int<&TPanel::SetBorderWidth>("BorderWidth"),
    props::Enum<&TPanel::SetAlignment, kAlignments>("Alignment"),
    props::Bool<&TPanel::SetParentBackground>("ParentBackground"),
};
}
const TPropTable& TPanel::ClassProps() {
    static const TPropTable table{&TWinControl::ClassProps(), kPanelProps};
    return table;
}
const TPropTable& TPanel::Props() const { return ClassProps(); }

// ---- TSpeedButton -----------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    width_ = 23;
    height_ = 22;
    glyph_.OnChange = [this] { Invalidate(); };
}

void TSpeedButton::SetGlyphData(const std::vector<std::uint8_t>& bmp) { glyph_.LoadFromBmpData(bmp); }

void TSpeedButton::SetNumGlyphs(int v) {
    v = std::clamp(v, 1, 4);
    if (v != num_glyphs_) {
        num_glyphs_ = v;
        Invalidate();
    }
}
void TSpeedButton::SetLayout(TButtonLayout v) {
    layout_ = v;
    Invalidate();
}
void TSpeedButton::SetMargin(int v) {
    margin_ = std::max(v, -1);
    Invalidate();
}
void TSpeedButton::SetSpacing(int v) {
    spacing_ = v;
    Invalidate();
}
void TSpeedButton::SetFlat(bool v) {
    flat_ = v;
    Invalidate();
}
void TSpeedButton::SetAllowAllUp(bool v) {
    allow_all_up_ = v;
    if (!Is(TComponentState::csLoading) && parent_)
        for (TControl* c : parent_->Controls())
            if (auto* b = dynamic_cast<TSpeedButton*>(c); b && b != this && b->group_index_ == group_index_ && group_index_)
                b->allow_all_up_ = v;
}
void TSpeedButton::SetGroupIndex(int v) {
    group_index_ = std::max(v, 0);
    // Out of every group a button cannot stay down; moved into a group, it
    // is the one left down there.
    if (!group_index_ && down_) {
        down_ = false;
        SetState(RestingState());
    } else if (down_) {
        UpdateExclusive();
    }
}

TButtonState TSpeedButton::RestingState() const {
    if (!enabled_) return TButtonState::bsDisabled;
    return down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
}

void TSpeedButton::SetState(TButtonState s) {
    if (s == state_) return;
    state_ = s;
    Invalidate();
}

void TSpeedButton::SetDown(bool v) {
    if (group_index_ == 0) v = false;
    if (v == down_) return;
    // The last button of a group without AllowAllUp stays down.
    if (down_ && !v && !allow_all_up_ && !Is(TComponentState::csLoading)) return;
    down_ = v;
    SetState(RestingState());
    if (v) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (!parent_ || !group_index_) return;
    for (TControl* c : parent_->Controls()) {
        auto* b = dynamic_cast<TSpeedButton*>(c);
        if (!b || b == this || b->group_index_ != group_index_ || !b->down_) continue;
        b->down_ = false;
        b->SetState(b->RestingState());
    }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !enabled_) return;
    if (!down_) SetState(TButtonState::bsDown);
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    bool inside = x >= 0 && x < width_ && y >= 0 && y < height_;
    SetState(down_ ? TButtonState::bsExclusive : inside ? TButtonState::bsDown : TButtonState::bsUp);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !dragging_) return;
    dragging_ = false;
    bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
    if (group_index_ == 0) {
        SetState(TButtonState::bsUp);
        if (inside) Invalidate();
    } else if (inside) {
        SetDown(!down_);
        if (down_) Repaint();
        else SetState(TButtonState::bsUp);
    } else {
        if (down_) SetState(TButtonState::bsExclusive);
        Repaint();
    }
    if (inside) Click();
}

void TSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case UIM_MOUSEENTER:
            if (enabled_) {
                mouse_in_control_ = true;
                Invalidate();
            }
            break;
        case UIM_MOUSELEAVE:
            mouse_in_control_ = false;
            if (enabled_) Invalidate();
            break;
        case UIM_ENABLEDCHANGED:
            // A press in progress is abandoned; the face follows.
            if (!enabled_) {
                mouse_in_control_ = false;
                dragging_ = false;
            }
            SetState(RestingState());
            break;
        case WM_CANCELMODE:
            // Capture went elsewhere: the press is abandoned, no click.
            if (dragging_) {
                dragging_ = false;
                SetState(RestingState());
            }
            return;
        default: break;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::Paint() {
    TCanvas& c = Canvas();
    HDC dc = c.Handle();
    RECT r{0, 0, width_, height_};
    bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
    bool hot = mouse_in_control_ && enabled_;
    if (flat_) {
        if (pressed || hot) ::DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }
    int off = pressed ? 1 : 0;
    int gw = glyph_.Empty() ? 0 : glyph_.Width() / num_glyphs_, gh = glyph_.Height();
    SIZE ts = text_.empty() ? SIZE{0, 0} : c.TextExtent(text_);
    int gap = gw && ts.cx ? spacing_ : 0;
    int total = gw + gap + ts.cx;
    int x = margin_ < 0 ? (width_ - total) / 2 : margin_;
    if (gw > 0) {
        // Frame: up, disabled, down, exclusive (when that many are stored).
        int frame = !enabled_ ? 1 : state_ == TButtonState::bsDown ? 2 : state_ == TButtonState::bsExclusive ? 3 : 0;
        if (frame >= num_glyphs_) frame = 0;
        HDC src = glyph_.Canvas().Handle();
        // The bottom-left pixel names the colour that lets the face show.
        COLORREF key = ::GetPixel(src, frame * gw, gh - 1);
        ::GdiTransparentBlt(dc, x + off, (height_ - gh) / 2 + off, gw, gh, src, frame * gw, 0, gw, gh, key);
    }
    if (ts.cx > 0) {
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.Font().SetColor(enabled_ ? font_.Color() : clGrayText);
        RECT tr{x + gw + gap + off, off, x + total + off, height_ + off};
        c.DrawText(text_, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

namespace {
const TPropInfo kSpeedButtonProps[] = {
    props::Binary<&TSpeedButton::SetGlyphData>("Glyph"),
    props::Int<&TSpeedButton::SetNumGlyphs>("NumGlyphs"),
    props::Enum<&TSpeedButton::SetLayout, kLayouts>("Layout"),
    props::Int<&TSpeedButton::SetMargin>("Margin"),
    props::Int<&TSpeedButton::SetSpacing>("Spacing"),
    props::Bool<&TSpeedButton::SetDown>("Down"),
    props::Int<&TSpeedButton::SetGroupIndex>("GroupIndex"),
    props::Bool<&TSpeedButton::SetAllowAllUp>("AllowAllUp"),
    props::Bool<&TSpeedButton::SetFlat>("Flat"),
};
}
const TPropTable& TSpeedButton::ClassProps() {
    static const TPropTable table{&TControl::ClassProps(), kSpeedButtonProps};
    return table;
}
const TPropTable& TSpeedButton::Props() const { return ClassProps(); }

// ---- TCoolBar ---------------------------------------------------------------

void TCoolBand::SetControl(TControl* c) {
    if (c == control_) return;
    if (control_) bar_->RemoveFreeNotification(control_);
    control_ = c;
    if (c) {
        bar_->FreeNotification(c);
        if (c->Parent() != bar_) c->SetParent(bar_);
    }
    bar_->LayoutBands();
}
void TCoolBand::SetWidth(int v) {
    width_ = std::max(v, 0);
    bar_->LayoutBands();
}
void TCoolBand::SetMinHeight(int v) {
    min_height_ = std::max(v, 0);
    bar_->LayoutBands();
}

namespace {
const TPropInfo kCoolBandProps[] = {
    props::Ref<&TCoolBand::SetControl>("Control"),
    props::Int<&TCoolBand::SetWidth>("Width"),
    props::Int<&TCoolBand::SetImageIndex>("ImageIndex"),
    props::Int<&TCoolBand::SetMinHeight>("MinHeight"),
    props::String<&TCoolBand::SetText>("Text"),
};
}
const TPropTable& TCoolBand::Props() const {
    static const TPropTable table{&TPersistent::ClassProps(), kCoolBandProps};
    return table;
}

void TCoolBands::Clear() { bands_.clear(); }
TPersistent& TCoolBands::Add() {
    if (bands_.size() >= 64) throw EUiError("too many bands");
    bands_.push_back(std::make_unique<TCoolBand>(bar_));
    return *bands_.back();
}

TCoolBar::TCoolBar(TComponent* owner) : TWinControl(owner), bands_(this) {
    style_.Include(TControlStyle::csAcceptsControls);
    align_ = TAlign::alTop;
    width_ = 150;
    height_ = 75;
}

TCoolBar::~TCoolBar() {
    for (std::size_t i = 0; i < bands_.Count(); ++i)
        if (bands_[i].control_) RemoveFreeNotification(bands_[i].control_);
}

void TCoolBar::SetEdgeInner(TEdgeStyle v) {
    edge_inner_ = v;
    Invalidate();
}
void TCoolBar::SetEdgeOuter(TEdgeStyle v) {
    edge_outer_ = v;
    Invalidate();
}

void TCoolBar::LayoutBands() {
    if (laying_out_ || Is(TComponentState::csLoading) || Is(TComponentState::csDestroying)) return;
    laying_out_ = true;
    int edge = (edge_outer_ != TEdgeStyle::esNone ? 1 : 0) + (edge_inner_ != TEdgeStyle::esNone ? 1 : 0);
    int x = edge;
    for (std::size_t i = 0; i < bands_.Count(); ++i) {
        TCoolBand& b = bands_[i];
        if (b.control_ && !b.control_->Is(TComponentState::csDestroying))
            b.control_->SetBounds(x, edge, b.width_ - 2 * edge, b.control_->Height());
        x += b.width_;
    }
    laying_out_ = false;
}

void TCoolBar::Loaded() {
    TWinControl::Loaded();
    LayoutBands();
}

void TCoolBar::Notification(TComponent* c, TOperation op) {
    TWinControl::Notification(c, op);
    if (op == TOperation::opRemove)
        for (std::size_t i = 0; i < bands_.Count(); ++i)
            if (bands_[i].control_ == c) bands_[i].control_ = nullptr;
}

void TCoolBar::Paint() {
    TWinControl::Paint();
    RECT r = ClientRect();
    UINT edge = (edge_outer_ == TEdgeStyle::esRaised ? BDR_RAISEDOUTER : edge_outer_ == TEdgeStyle::esLowered ? BDR_SUNKENOUTER : 0) |
                (edge_inner_ == TEdgeStyle::esRaised ? BDR_RAISEDINNER : edge_inner_ == TEdgeStyle::esLowered ? BDR_SUNKENINNER : 0);
    if (edge) ::DrawEdge(Canvas().Handle(), &r, edge, BF_RECT);
}

namespace {
const TPropInfo kCoolBarProps[] = {
    props::Collection<&TCoolBar::Bands>("Bands"),
    props::Enum<&TCoolBar::SetBandMaximize, kBandMaximize>("BandMaximize"),
    props::Enum<&TCoolBar::SetEdgeInner, kEdgeStyles>("EdgeInner"),
    props::Enum<&TCoolBar::SetEdgeOuter, kEdgeStyles>("EdgeOuter"),
    props::Bool<&TCoolBar::SetFixedSize>("FixedSize"),
    props::Bool<&TCoolBar::SetFixedOrder>("FixedOrder"),
};
}
const TPropTable& TCoolBar::ClassProps() {
    static const TPropTable table{&TWinControl::ClassProps(), kCoolBarProps};
    return table;
}
const TPropTable& TCoolBar::Props() const { return ClassProps(); }

// ---- TTimer -----------------------------------------------------------------

namespace {
const wchar_t* TimerWindowClass(WNDPROC proc) {
    static const wchar_t* name = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.cbWndExtra = sizeof(void*);
        wc.hInstance = ThisModule();
        wc.lpszClassName = L"VelmapUiTimer";
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw EUiError("cannot register the timer window class");
        return L"VelmapUiTimer";
    }();
    return name;
}
}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    wnd_ = ::CreateWindowExW(0, TimerWindowClass(&TimerWndProc), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             ThisModule(), nullptr);
    if (!wnd_) throw EUiError("cannot create the timer window");
    ::SetWindowLongPtrW(wnd_, 0, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
    // Unbound before the window goes; a tick in progress sees the expired
    // life token and touches nothing.
    ::SetWindowLongPtrW(wnd_, 0, 0);
    if (running_) ::KillTimer(wnd_, 1);
    ::DestroyWindow(wnd_);
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TTimer*>(::GetWindowLongPtrW(wnd, 0));
    if (msg == WM_TIMER && self) {
        try {
            self->Timer();
        } catch (const std::exception& e) {
            ReportWindowProcError(e.what());
        } catch (...) {
            ReportWindowProcError("unknown error");
        }
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

void TTimer::Timer() {
    // A copy: the handler may free the timer and its OnTimer with it.
    TNotifyEvent handler = OnTimer;
    if (handler) handler(this);
}

void TTimer::UpdateTimer() {
    if (running_) {
        ::KillTimer(wnd_, 1);
        running_ = false;
    }
    if (enabled_ && interval_ > 0 && OnTimer && !Is(TComponentState::csLoading) && !Is(TComponentState::csDesigning)) {
        running_ = ::SetTimer(wnd_, 1, interval_, nullptr) != 0;
        if (!running_) throw EUiError("no timer available");
    }
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(int v) {
    if (v < 0) throw EUiError("a timer interval cannot be negative");
    if (static_cast<unsigned>(v) == interval_) return;
    interval_ = static_cast<unsigned>(v);
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent e) {
    OnTimer = std::move(e);
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

namespace {
const TPropInfo kTimerProps[] = {
    props::Bool<&TTimer::SetEnabled>("Enabled"),
    props::Int<&TTimer::SetInterval>("Interval"),
    props::Event<&TTimer::OnTimer>("OnTimer"),
};
}
const TPropTable& TTimer::Props() const {
    static const TPropTable table{&TComponent::ClassProps(), kTimerProps};
    return table;
}

// ---- Class registry ---------------------------------------------------------

void RegisterStandardClasses() {
    static const bool done = [] {
        RegisterClass<TPanel>("TPanel");
        RegisterClass<TSpeedButton>("TSpeedButton");
        RegisterClass<TCoolBar>("TCoolBar");
        RegisterClass<TTimer>("TTimer");
        return true;
    }();
    (void)done;
}

}  // namespace velmap::ui
