#include "remote/band_form.h"

#include "remote/band_accessibility.h"
#include "remote/band_skin_choice.h"
#include "remote/player_commands.h"
#include "skin/controls/control_classes.h"
#include "skin/messages/message_routines.h"
#include "skin/messages/skin_messages.h"
#include "ui/reader.h"

namespace velmap::remote {

namespace {

constexpr char kDescriptionResource[] = "BANDFORM";

// Controls take the density in force while they are made; the band's is the
// site window's, which may differ from the screen's. Put back afterwards.
class DensityScope {
public:
    explicit DensityScope(int ppi) : previous_(ui::ScreenPixelsPerInchOverride()) { ui::SetScreenPixelsPerInch(ppi); }
    ~DensityScope() { ui::SetScreenPixelsPerInch(previous_); }
    DensityScope(const DensityScope&) = delete;
    DensityScope& operator=(const DensityScope&) = delete;

private:
    int previous_ = 0;
};

}  // namespace

int WindowPixelsPerInch(HWND parent) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (parent && get_dpi_for_window) {
        const UINT dpi = get_dpi_for_window(parent);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ui::ScreenPixelsPerInch();
}

TBandForm* TBandForm::Create(HWND parent, HMODULE module) {
    DensityScope density(WindowPixelsPerInch(parent));
    return ui::Make<TBandForm>(parent, module ? module : ui::ThisModule());
}

SIZE TBandForm::SizeAt(int ppi, HMODULE module) {
    return ui::TCustomForm::DescriptionSizeAt(
        *ui::StoredDescription(module ? module : ui::ThisModule(), kDescriptionResource), "TBandForm", ppi);
}

template <class Change>
bool TBandForm::Relayout(int ppi, Change change) {
    HWND wnd = HandleAllocated() ? Handle() : nullptr;
    // Nothing is drawn while the parts move and their caches go stale; the
    // whole band is painted once afterwards.
    if (wnd) ::SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    bool changed = false;
    try {
        DensityScope density(ppi);
        changed = change();
        // Faces cached (and fades under way) at the old size are dropped, as
        // when the skin itself changes.
        if (changed && SkinManager) {
            const auto manager = reinterpret_cast<LPARAM>(SkinManager);
            skin::BroadcastToForm(this, skin::SM_SKINCMD, skin::SkinWParam(skin::SMC_STOP_ANIMATION), manager);
            skin::BroadcastToForm(this, skin::SM_SKINCMD, skin::SkinWParam(skin::SMC_SKIN_REFRESH), manager);
        }
    } catch (...) {
        if (wnd) ::SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
        throw;
    }
    if (wnd) {
        ::SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return changed;
}

bool TBandForm::SetDensity(int ppi) {
    if (ppi == PixelsPerInch()) return false;
    return Relayout(ppi, [&] { return ChangeDensity(ppi); });
}

bool TBandForm::SetVertical(bool vertical) {
    if (vertical == Turned()) return false;
    return Relayout(PixelsPerInch(), [&] { return SetTurned(vertical); });
}

SIZE TBandForm::AlongAndAcross() const {
    if (!Turned()) return {Width(), Height()};
    // The column's own thickness, not the window's: the host widens the
    // window to its bar, and the band must not ask for that width back.
    return {Height(), LayoutClientSize().cx};
}

void TBandForm::AdjustClientRect(RECT& rect) const {
    // A column keeps its thickness and sits in the middle of a wider window.
    if (!Turned()) return;
    const int spare = (rect.right - rect.left) - LayoutClientSize().cx;
    if (spare > 0) rect.left += spare / 2;
}

TBandForm::TBandForm(HWND parent, HMODULE module) : ui::TCustomForm(parent) {
    ui::RegisterStandardClasses();
    skin::RegisterSkinManagerClass();
    skin::RegisterSkinControlClasses();
    RegisterField("CoolBar", &CoolBar);
    RegisterField("SkinManager", &SkinManager);
    RegisterField("Panel", &Panel);
    RegisterField("btnVolUp", &btnVolUp);
    RegisterField("btnVolDn", &btnVolDn);
    RegisterField("btnPrev", &btnPrev);
    RegisterField("btnPlayPause", &btnPlayPause);
    RegisterField("btnStop", &btnStop);
    RegisterField("btnNext", &btnNext);
    using Handler = void(ui::TComponent*);
    const auto bind = [this](const char* name, void (TBandForm::*method)(ui::TComponent*)) {
        RegisterHandler<Handler>(name, [this, method](ui::TComponent* sender) { (this->*method)(sender); });
    };
    bind("btnPrevClick", &TBandForm::btnPrevClick);
    bind("btnPlayPauseClick", &TBandForm::btnPlayPauseClick);
    bind("btnStopClick", &TBandForm::btnStopClick);
    bind("btnNextClick", &TBandForm::btnNextClick);
    bind("btnVolDnClick", &TBandForm::btnVolDnClick);
    bind("btnVolUpClick", &TBandForm::btnVolUpClick);
    bind("FormCreate", &TBandForm::FormCreate);
    SetDescriptionResource(module, kDescriptionResource);
}

TBandForm::~TBandForm() {
    // Before any window or button goes: the choice's watch stops, clients
    // are cut off, hooks undone.
    skin_choice_.reset();
    accessibility_.reset();
}

void TBandForm::AfterConstruction() {
    ui::TCustomForm::AfterConstruction();
    accessibility_ = std::make_unique<TBandAccessibility>(*this);
    // The user's skin, once the form is whole; high contrast still wins.
    skin_choice_ = std::make_unique<TBandSkinChoice>(*this);
}

void TBandForm::StopFollowingSkinChoice() { skin_choice_.reset(); }

void TBandForm::CreateWnd() {
    try {
        ui::TCustomForm::CreateWnd();
    } catch (const ui::EUiError&) {
        // Systems before layered child windows refuse the colour key: the band
        // works without it, only its black corners stay black.
        if (!TransparentColor()) throw;
        SetTransparentColor(false);
        ui::TCustomForm::CreateWnd();
    }
}

void TBandForm::btnPrevClick(ui::TComponent*) { ExecutePlayerCommand(PlayerCommand::Prev); }
void TBandForm::btnPlayPauseClick(ui::TComponent*) { ExecutePlayerCommand(PlayerCommand::PlayPause); }
void TBandForm::btnStopClick(ui::TComponent*) { ExecutePlayerCommand(PlayerCommand::Stop); }
void TBandForm::btnNextClick(ui::TComponent*) { ExecutePlayerCommand(PlayerCommand::Next); }
void TBandForm::btnVolDnClick(ui::TComponent*) { ExecutePlayerCommand(PlayerCommand::VolDown); }
void TBandForm::btnVolUpClick(ui::TComponent*) { ExecutePlayerCommand(PlayerCommand::VolUp); }
void TBandForm::FormCreate(ui::TComponent*) { ResetPlayerRemote(); }

}  // namespace velmap::remote
