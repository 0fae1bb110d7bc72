#include "ui/form.h"

#include <algorithm>

namespace velmap::ui {

namespace {
constexpr const char* kBorderStyles[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                         "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr const char* kPositions[] = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                      "poScreenCenter"};

DWORD FrameStyle(TFormBorderStyle b) {
    switch (b) {
        case TFormBorderStyle::bsNone:
            return 0;
        case TFormBorderStyle::bsSingle:
        case TFormBorderStyle::bsToolWindow:
            return WS_CAPTION | WS_SYSMENU | WS_BORDER;
        case TFormBorderStyle::bsDialog:
            return WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        default:
            return WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    }
}
}  // namespace

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
        if (description_name_.empty())
            ReadComponentFromText(this, description_, resources_);
        else
            ReadComponent(this, *StoredDescription(description_module_, description_name_), resources_);
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
    RecordDesign();
    const int screen = ScreenPixelsPerInch();
    if (!stored_ppi_ || screen == pixels_per_inch_ || text_height_ <= 0) return;
    ApplyDensity(screen);
}

void TCustomForm::RecordDesign() {
    design_ = TDesign{};
    design_.ppi = pixels_per_inch_;
    design_.text_height = text_height_;
    design_.font_height = font_.Height();
    design_.client_width = ClientWidth();
    design_.client_height = ClientHeight();
    design_.own = ScaleRecord();
    RecordControls(*this);
    design_.recorded = true;
    layout_client_ = {design_.client_width, design_.client_height};
}

void TCustomForm::RecordControls(TWinControl& parent) {
    // Children before their parent, as TWinControl::ChangeScale goes.
    for (TControl* c : parent.Controls()) {
        if (auto* wc = dynamic_cast<TWinControl*>(c)) RecordControls(*wc);
        design_.controls.push_back({c->Life(), c, c->ScaleRecord()});
    }
}

void TCustomForm::ApplyDensity(int ppi) {
    const TDesign& d0 = design_;
    // Font first, by the ratio of densities; the contents then follow the
    // text height that font really has.
    font_.SetPixelsPerInch(ppi);
    font_.SetHeight(::MulDiv(d0.font_height, ppi, d0.ppi));
    int th = d0.text_height;
    if (ppi != d0.ppi) {
        win::window_dc sdc(nullptr);
        win::unique_hdc mem(::CreateCompatibleDC(sdc.get()));
        win::select_object sel(mem.get(), font_.Handle());
        TEXTMETRICW tm;
        if (::GetTextMetricsW(mem.get(), &tm)) th = tm.tmHeight;
    }
    const int m = d0.text_height > 0 ? th : 1, d = d0.text_height > 0 ? d0.text_height : 1;
    const auto laid = [this](const TControl::TScaleRecord& r) { return turned_ ? TControl::Turned(r) : r; };
    const TControl::TScaleRecord own = laid(d0.own);
    constraints_.SetAll(::MulDiv(own.min_w, m, d), ::MulDiv(own.max_w, m, d), ::MulDiv(own.min_h, m, d),
                        ::MulDiv(own.max_h, m, d));
    for (const TScaledControl& c : d0.controls)
        if (!c.life.expired()) c.control->ApplyScaleRecord(laid(c.record), m, d, ppi);
    layout_client_ = {::MulDiv(turned_ ? d0.client_height : d0.client_width, m, d),
                      ::MulDiv(turned_ ? d0.client_width : d0.client_height, m, d)};
    SetClientWidth(layout_client_.cx);
    SetClientHeight(layout_client_.cy);
    pixels_per_inch_ = ppi;
    text_height_ = th;
}

bool TCustomForm::ChangeDensity(int ppi) {
    if (ppi <= 0) throw EUiError("PixelsPerInch must be positive");
    if (!design_.recorded || !stored_ppi_ || ppi == pixels_per_inch_ || design_.text_height <= 0) return false;
    ApplyDensity(ppi);
    return true;
}

bool TCustomForm::SetTurned(bool turned) {
    if (turned == turned_ || !design_.recorded) return false;
    turned_ = turned;
    try {
        ApplyDensity(pixels_per_inch_);
    } catch (...) {
        turned_ = !turned;
        throw;
    }
    return true;
}

namespace {
// A form read for its own properties only, to learn its size.
class TMeasuredForm final : public TCustomForm {
public:
    explicit TMeasuredForm(std::string class_name)
        : TCustomForm(static_cast<TComponent*>(nullptr)), class_name_(std::move(class_name)) {}
    void AfterConstruction() override {}  // no description, no window
    std::string ClassName() const override { return class_name_; }

private:
    std::string class_name_;
};
}  // namespace

SIZE TCustomForm::DescriptionSizeAt(std::string_view text, const std::string& class_name, int ppi) {
    return DescriptionSizeAt(ParseDescription(text), class_name, ppi);
}

SIZE TCustomForm::DescriptionSizeAt(const TObjectDesc& stored, const std::string& class_name, int ppi) {
    // The root alone: its class, name and own properties but its handlers.
    TObjectDesc desc;
    desc.class_name = stored.class_name;
    desc.name = stored.name;
    desc.line = stored.line;
    for (const TPropDesc& p : stored.props)
        if (p.path.rfind("On", 0) != 0) desc.props.push_back(p);
    const int saved = ScreenPixelsPerInchOverride();
    SetScreenPixelsPerInch(ppi);
    owned<TMeasuredForm> form(Make<TMeasuredForm>(class_name));
    try {
        TReader(form.get(), TResourceSource{}).ReadRoot(desc);
    } catch (...) {
        SetScreenPixelsPerInch(saved);
        throw;
    }
    SetScreenPixelsPerInch(saved);
    return {form->Width(), form->Height()};
}

RECT TCustomForm::ClientRect() const {
    // Without a window, or when the system will not say, the client area
    // follows from the form's own size.
    if (RECT r{}; handle_ && ::GetClientRect(handle_, &r)) return r;
    // A form without a frame is all client area: the system need not be
    // asked, a costly call made several times while a form is read.
    RECT frame{0, 0, 0, 0};
    if (const DWORD style = FrameStyle(border_style_); style != 0) ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    return {0, 0, std::max(0L, width_ - (frame.right - frame.left)),
            std::max(0L, height_ - (frame.bottom - frame.top))};
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
        ::SetWindowLongPtrW(handle_, GWL_EXSTYLE,
                            v ? (ex | WS_EX_LAYERED) : (ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED)));
        ApplyLayered();
    }
}

void TCustomForm::SetTransparentColorValue(TColor v) {
    transparent_value_ = v;
    if (handle_) ApplyLayered();
}

void TCustomForm::ApplyLayered() {
    if (transparent_color_ && handle_)
        ::SetLayeredWindowAttributes(handle_, ColorRefOf(transparent_value_), 0, LWA_COLORKEY);
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

}  // namespace velmap::ui
