#include "skin/windows/skin_provider.h"

#include <algorithm>

#include "skin/data/item_views.h"
#include "skin/data/skin_model.h"
#include "skin/manager/skin_manager.h"
#include "skin/messages/message_routines.h"
#include "skin/paint/masks.h"

namespace velmap::skin {

namespace {

bool Gone(const std::weak_ptr<void>& life, const ui::TComponent* c) {
    return life.expired() || c->Is(ui::TComponentState::csDestroying);
}

std::string Trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

win::unique_hfont CaptionFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return win::unique_hfont(::CreateFontIndirectW(&ncm.lfCaptionFont));
    return {};
}

}  // namespace

std::optional<ThirdPartyKind> ThirdPartyKindOf(const TsSkinManager& manager, const std::string& className) {
    for (int k = 0; k < ThirdPartyKindCount; ++k) {
        const auto kind = static_cast<ThirdPartyKind>(k);
        for (const std::string& line : manager.ThirdList(kind))
            if (!className.empty() && Trimmed(line) == className) return kind;
    }
    return std::nullopt;
}

const char* ThirdPartySection(ThirdPartyKind kind) {
    switch (kind) {
        case tpButtons:
        case tpBitBtns:
            return "BUTTON";
        case tpCheckBoxes:
            return "CHECKBOX";
        case tpComboBoxes:
            return "COMBOBOX";
        case tpGroupBoxes:
            return "GROUPBOX";
        case tpPanels:
            return "PANEL";
        default:
            return "EDIT";  // edits, lists, grids and trees
    }
}

// ---- foreign controls of a form -----------------------------------------------------------

TacThirdPartyWnd::TacThirdPartyWnd(ui::TWinControl* control, std::string section)
    : TacWindowAdapter(control->Handle(), AdapterKind::ThirdParty, std::move(section)),
      control_(control),
      life_(control->Life()) {}

bool TacThirdPartyWnd::ControlAlive() const { return !Gone(life_, control_); }

void TacThirdPartyWnd::ApplySkin() {
    const TsGeneralData* s = SectionData(SectionIndex());
    if (!s || !ControlAlive()) return;
    if (!color_) color_ = control_->Color();
    if (!font_color_) font_color_ = control_->Font().Color();
    control_->SetColor(s->Color);
    control_->Font().SetColor(s->FontColor[0]);
}

void TacThirdPartyWnd::RemoveSkin() noexcept {
    if (!ControlAlive()) return;
    try {
        if (color_) control_->SetColor(*color_);
        if (font_color_) control_->Font().SetColor(*font_color_);
    } catch (...) {
        // The control keeps the skin's colours; it is plain again otherwise.
    }
    color_.reset();
    font_color_.reset();
}

bool TacThirdPartyWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_PAINT || wParam != 0) return false;
    const int mask = Model()->FindMaskIndex(SectionIndex(), Section(), "BORDERSMASK");
    const auto border = MaskViewOf(*Model(), mask);
    PaintClient(nullptr, [&](paint::Bitmap& bmp) {
        // The control paints itself (in the section's colours) into the
        // face; the section's border goes over it.
        CallOriginal(WM_PAINT, reinterpret_cast<WPARAM>(bmp.Dc()), lParam);
        ::GdiFlush();
        if (border) {
            paint::BackgroundSource bg = ParentBackground();
            paint::DrawBorderMask(bmp, {0, 0, bmp.Width(), bmp.Height()}, false, true, HotState(), *border, bg);
        }
    });
    result = 0;
    return true;
}

// ---- the form ---------------------------------------------------------------------------

TsSkinProvider::TsSkinProvider(ui::TCustomForm* form)
    : TacWindowAdapter(form->Handle(), AdapterKind::FormFrame, "FORM"),
      form_(form),
      life_(form->Life()),
      caption_font_(CaptionFont()) {}

TsSkinProvider::~TsSkinProvider() {
    // The controls first, the form after them.
    items_.clear();
    Detach();
}

bool TsSkinProvider::OnForm(const ui::TControl* control) const {
    if (FormGone()) return false;
    std::vector<const ui::TWinControl*> open{form_};
    while (!open.empty()) {
        const ui::TWinControl* p = open.back();
        open.pop_back();
        for (const ui::TControl* c : p->Controls()) {
            if (c == control) return true;
            if (auto* w = dynamic_cast<const ui::TWinControl*>(c)) open.push_back(w);
        }
    }
    return false;
}

bool TsSkinProvider::FormGone() const { return Gone(life_, form_); }

void TsSkinProvider::ApplySkin() {
    const TsGeneralData* s = SectionData(SectionIndex());
    if (!s || FormGone()) return;
    if (!color_) color_ = form_->Color();
    form_->SetColor(s->Color);
}

void TsSkinProvider::RemoveSkin() noexcept {
    if (FormGone() || !color_) return;
    try {
        form_->SetColor(*color_);
    } catch (...) {
        // Only the colour stays; nothing else of the skin is left on the form.
    }
    color_.reset();
}

void TsSkinProvider::Redraw() {
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool TsSkinProvider::AdaptControl(ui::TControl* control) {
    const TsSkinManager* manager = Manager();
    if (!manager || !manager->SkinningRules().Contains(srThirdParty) || !control) return false;
    if (control->Tag() == kNoSkinTag || !control->Parent()) return false;
    auto* win = dynamic_cast<ui::TWinControl*>(control);
    // Only windowed controls take an adapter; the framework has no plain
    // labels to make transparent.
    if (!win || !win->HandleAllocated()) return false;
    if (std::any_of(items_.begin(), items_.end(), [&](const auto& i) { return i->Control() == win; })) return false;
    if (WindowSubclass::IsSubclassed(win->Handle()) || QuerySkinMessage(win, SMC_IS_SKINNED)) return false;
    const auto kind = ThirdPartyKindOf(*manager, control->ClassName());
    if (!kind) return false;
    bool allow = true;
    if (OnSkinItem) OnSkinItem(control, allow);
    if (!allow) return false;
    auto item = std::make_unique<TacThirdPartyWnd>(win, ThirdPartySection(*kind));
    if (!item->Attach()) return false;
    item->SetGoneHandler(
        [this](TacWindowAdapter* gone) { std::erase_if(items_, [gone](const auto& i) { return i.get() == gone; }); });
    items_.push_back(std::move(item));
    return true;
}

void TsSkinProvider::AdaptIn(ui::TWinControl* parent) {
    const std::vector<ui::TControl*> controls = parent->Controls();
    for (ui::TControl* c : controls) {
        AdaptControl(c);
        if (auto* w = dynamic_cast<ui::TWinControl*>(c); w && w->HandleAllocated()) AdaptIn(w);
    }
}

void TsSkinProvider::AdaptControls() {
    if (!FormGone()) AdaptIn(form_);
}

void TsSkinProvider::Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FormGone()) BroadcastToForm(form_, msg, wParam, lParam);
}

POINT TsSkinProvider::ClientOffset() const {
    RECT wr;
    ::GetWindowRect(Window(), &wr);
    POINT o{0, 0};
    ::ClientToScreen(Window(), &o);
    return {o.x - wr.left, o.y - wr.top};
}

void TsSkinProvider::PaintFrame(HDC given) {
    HWND wnd = Window();
    RECT wr, cr;
    ::GetWindowRect(wnd, &wr);
    ::GetClientRect(wnd, &cr);
    const POINT off = ClientOffset();
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if ((off.x <= 0 && off.y <= 0) || w <= 0 || h <= 0) return;
    auto bmp = paint::CreateBitmap24(w, h);
    PaintItem(*bmp, {0, 0, w, h}, SectionIndex(), 0, false, false, {});
    const DWORD style = Style();
    if ((style & WS_CAPTION) == WS_CAPTION) {
        const bool tool = ::GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
        const int height = ::GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
        const RECT bar{off.x, std::max(0L, off.y - height), w - off.x, off.y};
        const int title = FindSection("TITLEBAR") >= 0 ? FindSection("TITLEBAR") : SectionIndex();
        PaintItem(*bmp, bar, title, active_ ? 1 : 0, false, false, {});
        RECT text = bar;
        text.left += 4;
        if (style & WS_SYSMENU) {
            const int size = bar.bottom - bar.top;
            text.right -= size + 2;
            if (auto close = MaskViewOf(*Model(), GlobalMask("BICONCLOSE")))
                paint::DrawGlyphMask(*bmp,
                                     {bar.right - size + (size - close->FrameWidth()) / 2 - 2,
                                      bar.top + (size - close->FrameHeight()) / 2},
                                     0, *close, 1);
        }
        WriteText(*bmp, WindowText(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, true, active_,
                  title, caption_font_.get());
    }
    HDC dc = given ? given : ::GetWindowDC(wnd);
    if (!dc) return;
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, off.x, off.y, off.x + cr.right, off.y + cr.bottom);
    ::BitBlt(dc, 0, 0, w, h, bmp->Dc(), 0, 0, SRCCOPY);
    ::RestoreDC(dc, saved);
    if (!given) ::ReleaseDC(wnd, dc);
}

bool TsSkinProvider::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND wnd = Window();
    switch (msg) {
        case WM_NCPAINT:
            PaintFrame(nullptr);
            result = 0;
            return true;
        case WM_NCACTIVATE:
        case WM_SETTEXT:
            result = CallOriginal(msg, wParam, lParam);
            if (msg == WM_NCACTIVATE) active_ = wParam != FALSE;
            if (::IsWindow(wnd) && WindowSubclass::IsSubclassed(wnd)) PaintFrame(nullptr);
            return true;
        case WM_PRINT: {
            if (!(lParam & PRF_NONCLIENT)) return false;
            HDC dc = reinterpret_cast<HDC>(wParam);
            PaintFrame(dc);
            // The client where the frame leaves it.
            const POINT off = ClientOffset();
            const int saved = ::SaveDC(dc);
            ::OffsetViewportOrgEx(dc, off.x, off.y, nullptr);
            result = CallOriginal(msg, wParam, lParam & ~PRF_NONCLIENT);
            ::RestoreDC(dc, saved);
            return true;
        }
        case WM_SIZE:
            result = CallOriginal(msg, wParam, lParam);
            if (::IsWindow(wnd)) ::RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            return true;
        default:
            return false;
    }
}

bool TsSkinProvider::SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (SkinCommandOf(wParam)) {
        case SMC_GET_PROVIDER:
            result = reinterpret_cast<LRESULT>(this);
            return true;
        case SMC_GET_BG_COLOR: {
            const TsGeneralData* s = SectionData(SectionIndex());
            if (s)
                paint::ParentBgColor = static_cast<paint::TColor>(ui::ColorRefOf(s->HotColor));
            else if (!FormGone())
                paint::ParentBgColor = static_cast<paint::TColor>(ui::ColorRefOf(form_->Color()));
            return true;
        }
        case SMC_GET_CLIENT_OFFSET: {
            const POINT off = ClientOffset();
            result = MAKELONG(off.x, off.y);
            return true;
        }
        case SMC_CONTROL_CHANGED: {
            // The pointer comes with a message: used only once found on the form.
            auto* control = reinterpret_cast<ui::TControl*>(lParam);
            if (OnForm(control)) AdaptControl(control);
            return true;
        }
        case SMC_BEGIN_SCROLL:
            ::SendMessageW(Window(), WM_SETREDRAW, FALSE, 0);
            return true;
        case SMC_END_SCROLL:
            ::SendMessageW(Window(), WM_SETREDRAW, TRUE, 0);
            Redraw();
            return true;
        default:
            return TacWindowAdapter::SkinCommand(wParam, lParam, result);
    }
}

}  // namespace velmap::skin
