#include "skin/controls/common_data.h"

#include "skin/controls/item_painter.h"
#include "skin/messages/message_routines.h"
#include "skin/data/convert.h"
#include "skin/manager/skin_manager.h"
#include "ui/reader.h"
#include "ui/win_control.h"
#include "win/handles.h"
#include "win/module.h"
#include "win/strings.h"

namespace velmap::skin {

paint::BackgroundSource ParentCacheAnswer;
std::string ChangedSectionName;

namespace {

using ui::TComponentState;

bool IsState(const ui::TComponent* c, TComponentState s) { return c && c->Is(s); }

ui::TWinControl* AsWin(ui::TControl* c) { return dynamic_cast<ui::TWinControl*>(c); }

LPARAM AsParam(const TsSkinManager* m) { return reinterpret_cast<LPARAM>(m); }

struct ThemeApi {
    using IsThemeActiveFn = BOOL(WINAPI*)();
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    HMODULE module = nullptr;
    IsThemeActiveFn isThemeActive = nullptr;
    SetWindowThemeFn setWindowTheme = nullptr;

    static const ThemeApi& Get() {
        static const ThemeApi api = [] {
            ThemeApi a;
            // Kept loaded for the life of the process, like any system DLL in use.
            a.module = win::load_system_library(L"uxtheme.dll");
            if (a.module) {
                a.isThemeActive = reinterpret_cast<IsThemeActiveFn>(
                    reinterpret_cast<void*>(::GetProcAddress(a.module, "IsThemeActive")));
                a.setWindowTheme = reinterpret_cast<SetWindowThemeFn>(
                    reinterpret_cast<void*>(::GetProcAddress(a.module, "SetWindowTheme")));
            }
            return a;
        }();
        return api;
    }
};

}  // namespace

bool ThemesActive() {
    const ThemeApi& api = ThemeApi::Get();
    return api.isThemeActive && api.isThemeActive();
}

// ---- life --------------------------------------------------------------------------

TsCommonData::TsCommonData(ui::TPersistent* owner, bool with_cache)
    : HostControl(dynamic_cast<ui::TControl*>(owner)), HostObject(owner) {
    RegisterSkinMessage();
    if (with_cache) CacheBitmap = std::make_unique<ui::TBitmap>();
}

TsCommonData::~TsCommonData() {
    BorderMaskIndex = SectionIndex = PatternIndex = HotPatternIndex = -1;
    HostControl = nullptr;
    HostObject = nullptr;
    skin_manager_ = nullptr;
    if (CacheBitmap && ParentCacheAnswer.Bmp == &CacheBitmap->Image()) ParentCacheAnswer = {};
}

TsSkinManager* TsCommonData::EffectiveManager() const {
    if (skin_manager_) return manager_life_.expired() ? nullptr : skin_manager_;
    return PrimaryManager();
}

bool TsCommonData::HostDestroying() const {
    return IsState(dynamic_cast<const ui::TComponent*>(HostObject), TComponentState::csDestroying);
}

bool TsCommonData::HostBusyBuilding() const {
    return IsState(HostControl, TComponentState::csLoading) || IsState(HostControl, TComponentState::csReading) ||
           IsState(HostControl, TComponentState::csDestroying);
}

const TsGeneralData* TsCommonData::Section() const {
    TsSkinManager* m = EffectiveManager();
    return m ? m->Section(SectionIndex) : nullptr;
}

// ---- assignments ---------------------------------------------------------------------

void TsCommonData::SetSkinSection(const std::string& value) {
    if (value == skin_section_) return;
    skin_section_ = value.empty() ? std::string("UNKNOWN") : UpperCase(value);
    TsSkinManager* m = EffectiveManager();
    if (!m || !m->HasSections())
        SectionIndex = -1;
    else
        ResolveIndexes();
    if (HostControl && !HostBusyBuilding() && HostControl->Parent()) {
        const bool valid = m && m->HasSections() && m->Section(SectionIndex);
        HostControl->Perform(SM_SKINCMD, SkinWParam(valid ? SMC_SKIN_REFRESH : SMC_SKIN_REMOVED), AsParam(m));
    }
}

void TsCommonData::SetCustomFont(bool value) {
    if (value == custom_font_) return;
    custom_font_ = value;
    InvalidateSkin();
}

void TsCommonData::SetSkinManager(TsSkinManager* value) {
    // The same pointer is not the same manager once the old one is gone: a
    // new one may live at its address.
    if (value == skin_manager_ && (!skin_manager_ || !manager_life_.expired())) return;
    skin_manager_ = value == PrimaryManager() ? nullptr : value;
    manager_life_ = skin_manager_ ? skin_manager_->Life() : std::weak_ptr<void>{};
    if (IsState(HostControl, TComponentState::csLoading)) return;
    if (value && value->HasSections())
        ResolveIndexes();
    else
        SectionIndex = -1;
    const bool valid = value && value->HasSections() && value->Section(SectionIndex);
    const WPARAM verdict = SkinWParam(valid ? SMC_SKIN_REFRESH : SMC_SKIN_REMOVED);
    if (auto* provider = dynamic_cast<SkinFormProvider*>(HostObject)) {
        provider->BroadcastToForm(SM_SKINCMD, verdict, AsParam(value));
    } else if (HostControl && HostControl->Parent() && !IsState(HostControl, TComponentState::csDestroying)) {
        try {
            HostControl->Perform(SM_SKINCMD, verdict, AsParam(value));
        } catch (...) {
            // The assignment stands even when the control cannot repaint now.
        }
    }
}

// ---- resolving ----------------------------------------------------------------------

void TsCommonData::ResolveIndexes() {
    CacheStale = true;
    TsSkinManager* m = EffectiveManager();
    SectionIndex = m ? m->FindSectionIndex(skin_section_) : -1;
    if (SectionIndex < 0) {
        PatternIndex = HotPatternIndex = -1;
        return;
    }
    BorderMaskIndex = m->FindMaskIndex(SectionIndex, skin_section_, "BORDERSMASK");
    PatternIndex = m->FindTextureIndex(SectionIndex, skin_section_, "PATTERN");
    HotPatternIndex = m->FindTextureIndex(SectionIndex, skin_section_, "HOTPATTERN");
}

void TsCommonData::DefaultSection() {
    if (!skin_section_.empty()) {
        ResolveIndexes();
        return;
    }
    std::string_view name = DefaultSectionForKind(ControlKind);
    SetSkinSection(name.empty() ? (HostObject ? HostObject->ClassName() : std::string{}) : std::string(name));
}

void TsCommonData::AfterOwnerLoaded() {
    DefaultSection();
    if (HostControl && !IsSkinned() && ThemesActive()) {
        auto style = HostControl->ControlStyle();
        style.Exclude(ui::TControlStyle::csParentBackground);
        HostControl->SetControlStyle(style);
    }
    if (IsSkinned() && HostControl && HostControl->Parent() && !IsState(HostControl, TComponentState::csLoading)) {
        if (AsWin(HostControl)) NotifyParentForm(HostControl);
        if (ControlKind == 97) {
            const TsGeneralData* s = Section();
            if (!custom_color_ && HostControl->Color() != s->Color) HostControl->SetColor(s->Color);
            if (!custom_font_ && HostControl->Font().Color() != s->FontColor[0])
                HostControl->Font().SetColor(s->FontColor[0]);
        }
    }
}

// ---- questions -----------------------------------------------------------------------

bool TsCommonData::IsSkinned(bool require_active) const {
    if (HostDestroying()) return false;
    TsSkinManager* m = EffectiveManager();
    if (!m || m->Destroying()) return false;
    if (require_active && !m->SkinLoaded()) return false;
    return m->HasSections() && SectionIndex >= 0 && SectionIndex < m->SectionCount();
}

bool TsCommonData::IsHot() const {
    if (!HostControl || IsState(HostControl, TComponentState::csDestroying) || !HostControl->Enabled() ||
        IsState(HostControl, TComponentState::csDesigning))
        return false;
    if (Focused) return true;
    if (auto* win = AsWin(HostControl); win && win->HandleAllocated() && ::GetFocus() == win->Handle()) return true;
    return MouseOver && !IsNoHotKind(ControlKind);
}

bool TsCommonData::HasTransparency() const {
    const TsGeneralData* s = SectionIndex >= 0 ? Section() : nullptr;
    return s && s->Transparency > 0;
}

bool TsCommonData::BgDependsOnPosition() const {
    if (CacheFrozen || !IsSkinned()) return true;
    if (!HostControl || IsState(HostControl, TComponentState::csCreating) || !HostControl->Visible()) return true;
    const TsGeneralData* s = Section();
    if (!s) return false;
    bool r = !HostControl->Enabled();  // the disabled look is blended with the background
    if (!r) r = s->Transparency > 0;
    ui::TWinControl* parent = HostControl->Parent();
    if (r && parent && parent->HandleAllocated()) return QuerySkinMessage(parent, SMC_QUERY_BG_VARIES);
    return r;
}

bool TsCommonData::IsUpdating() const {
    TsSkinManager* m = EffectiveManager();
    if (!m || !m->SkinLoaded()) return true;
    if (!HostControl || IsState(HostControl, TComponentState::csDestroying)) return Updating;
    if (Updating) return true;
    if (!HostControl->Parent()) return true;
    return QuerySkinMessage(HostControl->Parent(), SMC_QUERY_BUSY);
}

// ---- updates and the cache --------------------------------------------------------------

void TsCommonData::BeginUpdate() {
    Updating = true;
    if (HostControl)
        HostControl->Perform(SM_SKINCMD, SkinWParam(SMC_BEGIN_UPDATE));
    else if (auto* provider = dynamic_cast<SkinFormProvider*>(HostObject))
        ::SendMessageW(provider->FormWindow(), SM_SKINCMD, SkinWParam(SMC_BEGIN_UPDATE), 0);
}

void TsCommonData::EndUpdate() {
    Updating = false;
    if (HostControl)
        HostControl->Perform(SM_SKINCMD, SkinWParam(SMC_END_UPDATE));
    else if (auto* provider = dynamic_cast<SkinFormProvider*>(HostObject))
        ::SendMessageW(provider->FormWindow(), SM_SKINCMD, SkinWParam(SMC_END_UPDATE), 0);
}

void TsCommonData::InvalidateSkin() {
    if (!HostControl || IsState(HostControl, TComponentState::csDestroying) ||
        IsState(HostControl, TComponentState::csLoading))
        return;
    CacheStale = true;
    if (!HostControl->Parent() || IsState(HostControl, TComponentState::csCreating) ||
        IsState(HostControl, TComponentState::csReading))
        return;
    if (auto* win = AsWin(HostControl); win && !win->HandleAllocated()) return;
    HostControl->Invalidate();
}

void TsCommonData::PrepareCacheBitmap() {
    if (!CacheBitmap) CacheBitmap = std::make_unique<ui::TBitmap>();
    CacheBitmap->SetPixelFormat(ui::TPixelFormat::pf24bit);
    if (!HostControl) return;
    const int w = HostControl->Width() > 0 ? HostControl->Width() : 0;
    const int h = HostControl->Height() > 0 ? HostControl->Height() : 0;
    if (CacheBitmap->Width() != w || CacheBitmap->Height() != h) CacheBitmap->SetSize(w, h);
}

bool TsCommonData::UpdateCache(const CachePainter& paint_item) {
    if (!CacheNeedsRebuild()) return false;
    PrepareCacheBitmap();
    if (!CacheBitmap->Empty() && paint_item) paint_item(*CacheBitmap, *this);
    // The image now matches the state; PartlyVisible is set again by the
    // painter of the children when the control was clipped this time.
    CacheStale = false;
    PartlyVisible = false;
    return true;
}

bool TsCommonData::UpdateCache() { return UpdateCache(SkinItemPainter(IsHot() ? 1 : 0, false, true)); }

paint::BackgroundSource TsCommonData::QueryParentCache() const {
    ParentCacheAnswer.Ready = false;
    if (!HostControl || !HostControl->Parent()) return {};
    try {
        SendSkinMessage(HostControl->Parent(), SMC_GET_CACHE);
    } catch (...) {
        // Answer with what we have: not Ready.
    }
    return ParentCacheAnswer;
}

paint::BackgroundSource TsCommonData::QueryParentCache(HWND wnd) {
    ParentCacheAnswer.Ready = false;
    if (HWND parent = ::GetParent(wnd)) ::SendMessageW(parent, SM_SKINCMD, SkinWParam(SMC_GET_CACHE), 0);
    return ParentCacheAnswer;
}

COLORREF TsCommonData::GetParentBgColor(ui::TControl* control) {
    if (!control) return paint::KeyColor;
    paint::ParentBgColor = paint::KeyColor;
    SendSkinMessage(control, SMC_GET_BG_COLOR);
    if (paint::ParentBgColor == paint::KeyColor) return ui::ColorRefOf(control->Color());
    return ui::ColorRefOf(paint::ParentBgColor);
}

COLORREF TsCommonData::GetParentBgColor() const {
    return GetParentBgColor(HostControl ? static_cast<ui::TControl*>(HostControl->Parent()) : nullptr);
}

// ---- the message handler ---------------------------------------------------------------

void TsCommonData::AnswerBgColor() {
    using paint::KeyColor;
    using paint::ParentBgColor;
    auto rgb = [](ui::TColor c) { return static_cast<paint::TColor>(ui::ColorRefOf(c)); };
    if (!IsSkinned()) {
        if (HostControl) ParentBgColor = rgb(HostControl->Color());
        return;
    }
    const TsGeneralData* s = Section();
    const int t = s->Transparency;
    if (t == 0) {
        ParentBgColor = custom_color_ && HostControl ? rgb(HostControl->Color()) : rgb(s->Color);
        return;
    }
    // What shows through: the parent's answer, else its colour.
    paint::TColor p = KeyColor;
    ui::TWinControl* parent = HostControl ? HostControl->Parent() : nullptr;
    if (parent) {
        SendSkinMessage(parent, SMC_GET_BG_COLOR);
        p = ParentBgColor == KeyColor ? rgb(parent->Color()) : ParentBgColor;
    } else {
        p = HostControl ? rgb(HostControl->Color()) : KeyColor;
    }
    ParentBgColor = t == 100 ? p : static_cast<paint::TColor>(MixTransparentColor(p, rgb(s->Color), t));
}

void TsCommonData::AnswerBgVaries(ui::TMessage& msg) {
    const TsGeneralData* s = SectionIndex >= 0 ? Section() : nullptr;
    if (!s) return;
    if (s->Transparency == 100 && HostControl && HostControl->Parent()) {
        msg.LParam = QuerySkinMessage(HostControl->Parent(), SMC_QUERY_BG_VARIES) ? 1 : 0;
    } else {
        msg.LParam = (s->GradientPercent + s->ImagePercent > 0 || BgDependsOnPosition()) ? 1 : 0;
    }
    msg.Result = msg.LParam;
}

void TsCommonData::RepaintChildren(ui::TMessage& msg) {
    const bool p = BgDependsOnPosition();
    CacheStale = CacheStale || p;
    auto* win = AsWin(HostControl);
    if (win && SkinArgOf(msg.WParam) == 1 && win->HandleAllocated())
        ::RedrawWindow(win->Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOERASE | RDW_NOINTERNALPAINT);
    if (p && win) {
        const std::vector<ui::TControl*> children = win->Controls();
        for (ui::TControl* child : children)
            if (!IsState(child, TComponentState::csDestroying)) SendSkinMessage(child, SMC_REPAINT_CHILDREN);
    }
}

bool TsCommonData::HandleSkinCommand(ui::TMessage& msg) {
    const auto code = SkinCommandOf(msg.WParam);
    const auto arg = SkinArgOf(msg.WParam);
    TsSkinManager* const sender = reinterpret_cast<TsSkinManager*>(msg.LParam);
    switch (code) {
        case SMC_SKIN_LOADED:
            if (sender && sender == EffectiveManager()) {
                Updating = true;
                ResolveIndexes();
            }
            return false;
        case SMC_SKIN_REMOVED:
            // Compared with the stored reference too: a manager on its way
            // out is no longer anybody's effective manager.
            if (sender && (sender == EffectiveManager() || sender == skin_manager_)) {
                if (sender->Destroying() && sender == skin_manager_) {
                    skin_manager_ = nullptr;
                    manager_life_.reset();
                }
                BorderMaskIndex = SectionIndex = PatternIndex = HotPatternIndex = -1;
                Updating = true;
                if (CacheBitmap) CacheBitmap->SetSize(0, 0);
            }
            return false;
        case SMC_SKIN_REFRESH:
            if (sender && sender == EffectiveManager()) {
                CacheStale = true;
                Updating = false;
                if (AsWin(HostControl) && IsSkinned()) NotifyParentForm(HostControl);
            }
            return false;
        case SMC_GET_CACHE:
            if (!CacheBitmap) return false;
            ParentCacheAnswer = {&CacheBitmap->Image(), 0, 0, true};
            return true;
        case SMC_IS_SKINNED:
            msg.LParam = 1;
            msg.Result = 1;
            return true;
        case SMC_SET_UPDATING:
            Updating = arg == 1;
            return false;
        case SMC_FREEZE_CACHE:
            CacheFrozen = arg == 1;
            return false;
        case SMC_QUERY_BUSY:
            msg.LParam = (CacheStale || IsUpdating()) ? 1 : 0;
            msg.Result = msg.LParam;
            return true;
        case SMC_QUERY_HALF_VISIBLE:
            msg.LParam = PartlyVisible ? 1 : 0;
            msg.Result = msg.LParam;
            return true;
        case SMC_PARENT_BG_CHANGED:
            if (arg == 1 && HasTransparency()) CacheStale = true;
            return false;
        case SMC_SECTION_CHANGED:
            if (UpperCase(skin_section_) == ChangedSectionName) InvalidateSkin();
            return false;
        case SMC_SET_REPAINTING_CHILD:
            RepaintingChild = reinterpret_cast<ui::TControl*>(msg.LParam);
            return false;
        case SMC_INVALIDATE_CACHE:
            CacheStale = true;
            return false;
        case SMC_QUERY_BG_VARIES:
            AnswerBgVaries(msg);
            return true;
        case SMC_REPAINT_CHILDREN:
            RepaintChildren(msg);
            return false;
        case SMC_GET_BG_COLOR:
            AnswerBgColor();
            return true;
        case SMC_SET_HALF_VISIBLE:
            PartlyVisible = true;
            return false;
        case SMC_GET_APPLICATION:
            msg.Result = reinterpret_cast<LRESULT>(win::ThisModule());
            return true;
        default:
            return false;
    }
}

bool SkinMessageHandler(ui::TMessage& msg, TsCommonData* data) {
    if (!data) return false;
    if (msg.Msg == SM_SKINCMD) return data->HandleSkinCommand(msg);

    ui::TControl* host = data->HostControl;
    ui::TWinControl* win = AsWin(host);
    const bool designing = IsState(host, TComponentState::csDesigning);
    switch (msg.Msg) {
        case WM_MOVE:
            if (host && data->BgDependsOnPosition()) host->Perform(SM_SKINCMD, SkinWParam(SMC_REPAINT_CHILDREN, 1), 0);
            break;
        case WM_SIZE:
            if (data->IsSkinned()) {
                data->CacheStale = true;
                const TsGeneralData* s = data->Section();
                if (win && s && s->GradientPercent > 0) {
                    // Children anchored right or bottom move, and so repaint, anyway.
                    const std::vector<ui::TControl*> children = win->Controls();
                    for (ui::TControl* child : children) {
                        if (IsState(child, TComponentState::csDestroying)) continue;
                        auto anchors = child->Anchors();
                        if (anchors.Contains(ui::TAnchorKind::akRight) || anchors.Contains(ui::TAnchorKind::akBottom))
                            continue;
                        SendSkinMessage(child, SMC_REPAINT_CHILDREN, 0, 1);
                    }
                }
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (win && win->Showing() && win->Enabled() && win->TabStop()) {
                data->CacheStale = true;
                data->Focused = msg.Msg == WM_SETFOCUS;
            }
            break;
        case WM_FONTCHANGE:
        case ui::UIM_ENABLEDCHANGED:
            data->MouseOver = false;
            data->Focused = false;
            break;
        case WM_UPDATEUISTATE:
            if (data->IsSkinned()) return true;
            if (ThemesActive() && win && win->HandleAllocated()) {
                if (auto fn = ThemeApi::Get().setWindowTheme) fn(win->Handle(), nullptr, nullptr);
            }
            break;
        case WM_PARENTNOTIFY:
            if (win && LOWORD(msg.WParam) == WM_CREATE) NotifyParentForm(win);
            break;
        case ui::UIM_VISIBLECHANGED:
            if (data->CacheBitmap) {
                if (msg.WParam)
                    data->CacheStale = true;
                else
                    data->CacheBitmap->SetSize(0, 0);
            }
            break;
        case ui::UIM_MOUSEENTER:
            if (designing) break;
            if (win && PrimaryManager()) {
                // Clear hot looks left behind on sibling buttons that missed their mouse-left.
                const std::vector<ui::TControl*> children = win->Controls();
                auto* entered = reinterpret_cast<ui::TControl*>(msg.LParam);
                for (ui::TControl* child : children) {
                    auto* skinned = dynamic_cast<TsSkinnedControl*>(child);
                    if (!skinned || child == entered) continue;
                    TsCommonData& sd = skinned->SkinData();
                    if (sd.ControlKind == ControlKindSpeedButton && sd.MouseOver)
                        child->Perform(ui::UIM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(child));
                }
                if (!IsNoHotKind(data->ControlKind)) data->MouseOver = true;
                if (win->HandleAllocated()) PrimaryManager()->SetHotWindow(win->Handle());
            } else if (!IsNoHotKind(data->ControlKind)) {
                data->MouseOver = true;
            }
            break;
        case ui::UIM_MOUSELEAVE:
            if (!designing && !IsNoHotKind(data->ControlKind)) data->MouseOver = false;
            break;
        default:
            break;
    }
    return false;
}

// ---- published properties -----------------------------------------------------------------

const ui::TPropTable& TsCommonData::Props() const {
    using ui::TPersistent;
    using ui::TReader;
    using ui::TValue;
    static const ui::TPropInfo infos[] = {
        {"SkinSection",
         [](TPersistent& o, const TValue& v, TReader&) {
             static_cast<TsCommonData&>(o).SetSkinSection(win::WideToUtf8(ui::props::ToString(v)));
         }},
        {"CustomFont", [](TPersistent& o, const TValue& v,
                          TReader&) { static_cast<TsCommonData&>(o).SetCustomFont(ui::props::ToBool(v)); }},
        {"CustomColor", [](TPersistent& o, const TValue& v,
                           TReader&) { static_cast<TsCommonData&>(o).SetCustomColor(ui::props::ToBool(v)); }},
        {"SkinManager",
         [](TPersistent& o, const TValue& v, TReader& r) {
             r.Expect(v, ui::TValueType::Ident, "a component name");
             auto* self = &static_cast<TsCommonData&>(o);
             std::string target = v.ident;
             r.AddFixup(target, v.line, [self, target](ui::TComponent* c) {
                 auto* m = dynamic_cast<TsSkinManager*>(c);
                 if (!m) throw ui::EUiError("component '" + target + "' is not a skin manager");
                 self->SetSkinManager(m);
             });
         }},
    };
    static const ui::TPropTable table{&ui::TPersistent::ClassProps(), infos};
    return table;
}

}  // namespace velmap::skin
