#include "skin/manager/skin_manager.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "skin/messages/message_routines.h"
#include "skin/manager/shared_skins.h"
#include "skin/manager/skin_hook.h"
#include "skin/data/skin_loader.h"
#include "win/handles.h"
#include "win/strings.h"

namespace velmap::skin {

namespace {

TsSkinManager* g_primary = nullptr;
TsSkinManager* g_hookOwner = nullptr;
bool g_changeInProgress = false;
std::vector<SkinnedFormLink*> g_registeredForms;

// Sets SkinChangeInProgress for the life of a load, also when it throws.
class ChangeInProgress {
public:
    ChangeInProgress() : previous_(std::exchange(g_changeInProgress, true)) {}
    ~ChangeInProgress() { g_changeInProgress = previous_; }
    ChangeInProgress(const ChangeInProgress&) = delete;
    ChangeInProgress& operator=(const ChangeInProgress&) = delete;

private:
    bool previous_;
};

LPARAM AsParam(TsSkinManager* m) { return reinterpret_cast<LPARAM>(m); }

std::string CommonSectionsText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

// What resolved indexes point into: the sections with their parents, the
// masks and the patterns, each in table order.
std::string IndexLayout(const SkinModel& m) {
    std::string layout;
    auto add = [&](std::string_view a, std::string_view b, int c) {
        layout.append(a).push_back('\x1F');
        layout.append(b).push_back('\x1F');
        layout += std::to_string(c);
        layout.push_back('\x1E');
    };
    for (const auto& s : m.Sections) add(s.Name, s.ParentClass, 0);
    for (const auto& k : m.Masks) add(k.SectionName, k.PropertyName, 1 + static_cast<int>(k.ImgType));
    for (const auto& p : m.Patterns) add(p.SectionName, p.PropertyName, 9);
    return layout;
}

bool SystemMajorBelow6() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion < 6;
}

}  // namespace

TsSkinManager* PrimaryManager() { return g_primary; }
bool SkinChangeInProgress() { return g_changeInProgress; }

void RegisterSkinnedForm(SkinnedFormLink* link) {
    if (link && std::find(g_registeredForms.begin(), g_registeredForms.end(), link) == g_registeredForms.end())
        g_registeredForms.push_back(link);
}
void UnregisterSkinnedForm(SkinnedFormLink* link) { std::erase(g_registeredForms, link); }
const std::vector<SkinnedFormLink*>& RegisteredForms() { return g_registeredForms; }

// ---- construction and destruction ---------------------------------------------

TsSkinManager::TsSkinManager(ui::TComponent* owner)
    : ui::TComponent(owner),
      anim_effects_(std::make_unique<TacAnimEffects>(this)) {
    ReleaseModel();
    RegisterSkinMessage();
    if (!g_primary) g_primary = this;
    // The popup-menu support of window skinning hooks the main window here;
    // this system has no main window of its own (it lives in the host's).
}

TsSkinManager::~TsSkinManager() {
    // Controls still holding this manager learn that the skin is gone.
    try {
        SetActive(false);
    } catch (...) {
        // A receiver failing must not stop the manager from going away.
    }
    RemoveHook();
    // A shared skin goes with the last manager holding it.
    model_.reset();
    own_model_ = nullptr;
    if (g_primary == this) g_primary = nullptr;
    // The lists go back to the stored properties as text; that takes memory,
    // and a destructor must not throw for the want of it.
    try {
        for (int i = 0; i < ThirdPartyKindCount; ++i) third_party_.Lists[i] = JoinLines(third_lists_[i]);
    } catch (...) {
    }
}

void TsSkinManager::AfterConstruction() {
    ui::TComponent::AfterConstruction();
    ApplyThirdPartyDefaults();
    if (skin_directory_.empty()) skin_directory_ = DefaultSkinDirectory;
}

void TsSkinManager::Loaded() {
    ui::TComponent::Loaded();
    if (skin_directory_.empty()) skin_directory_ = DefaultSkinDirectory;
    if (menu_support_.IcoLineSkin.empty()) menu_support_.IcoLineSkin = DefaultIcoLineSkin;
    ApplyThirdPartyDefaults();
    if (active_ && !skin_name_.empty()) ActivateLoadedSkin();
}

void TsSkinManager::ApplyThirdPartyDefaults() {
    third_party_.ApplyDefaults();
    for (int i = 0; i < ThirdPartyKindCount; ++i) third_lists_[i] = SplitLines(third_party_.Lists[i]);
}

// ---- properties ----------------------------------------------------------------

void TsSkinManager::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (value) {
        ChangeSkin(skin_name_);
    } else {
        if (!Reading()) DropSkin();
        if (own_model_) own_model_->RebuildCommonIndexes();
    }
}

void TsSkinManager::SetSkinDirectory(const std::string& value) {
    if (value == skin_directory_) return;
    skin_directory_ = value;
    // A shared model keeps the folder it was loaded from (none: an internal skin).
    if (own_model_) own_model_->SkinData.SkinFolder = NormalizedSkinDirectory();
}

void TsSkinManager::SetCommonSections(const std::vector<std::string>& lines) {
    common_sections_.clear();
    for (const auto& l : lines) common_sections_.push_back(RemoveBlanksFromIniLines(l));
    // Without a skin name there is nothing to reload; loading "" would pick
    // the first internal skin, or switch the manager off when it has none,
    // before the stored SkinName is even read.
    if (!skin_name_.empty()) ChangeSkin(skin_name_);
}

void TsSkinManager::SetHueOffset(int value) {
    if (value == hue_offset_) return;
    hue_offset_ = value;
    ReloadForRecolour();
}

void TsSkinManager::SetSaturation(int value) {
    if (value == saturation_) return;
    saturation_ = value;
    ReloadForRecolour();
}

void TsSkinManager::ReloadForRecolour() {
    if (!SkinLoaded()) return;  // stored; the next load applies it
    bool same_tables = true;
    {
        ChangeInProgress guard;
        const std::string before = IndexLayout(*model_);
        // The same source again into a new model (a shared one is never
        // recoloured in place); the skin stays in force meanwhile, so
        // SkinLoaded is kept.
        LoadResult r = LoadNamedSkin();
        if (r != LoadResult::Loaded) return;
        // The model was rebuilt: its own indexes always, the controls' when
        // what they point into moved.
        if (own_model_) own_model_->RebuildCommonIndexes();
        same_tables = IndexLayout(*model_) == before;
    }
    if (!same_tables) {
        // The source changed under us (a skin file replaced or gone): the
        // controls' indexes are stale, so announce it as a new skin.
        ActivateLoadedSkin();
        return;
    }
    if (!Reading()) RefreshSkinnedForms();
}

bool TsSkinManager::IsDefault() const { return g_primary == this; }

void TsSkinManager::SetIsDefault(bool value) {
    if (!value && g_primary) return;  // the primary manager stays primary
    g_primary = this;
    if (!active_) {
        DropSkin();
    } else if (HasSections()) {
        // Only a skin that was loaded can be put in force; before SkinName
        // is known there is nothing to announce.
        ActivateLoadedSkin();
        RefreshSkinnedForms();
    }
}

void TsSkinManager::SetSkinnedPopups(bool value) {
    skinned_popups_ = value;
    // Popup-menu skinning is window skinning's; it reads this flag when a menu opens.
}

std::string TsSkinManager::SkinInfo() const {
    if (!SkinLoaded()) return NoSkinInfo;
    char buf[64];
    // "." whatever the locale: the C locale is never changed in this process.
    std::snprintf(buf, sizeof buf, "%.15g", model_->SkinData.Version);
    return buf;
}

std::string TsSkinManager::NormalizedSkinDirectory() const {
    return NormalizeSkinDirectory(skin_directory_, HostExecutableFolder());
}

// ---- loading --------------------------------------------------------------------

void TsSkinManager::ChangeSkin(const std::string& name) {
    skin_name_ = name;
    if (!active_) return;
    if (OnBeforeChange) OnBeforeChange(this);
    {
        ChangeInProgress guard;
        bool was_loaded = skin_loaded_;
        skin_loaded_ = false;
        const std::string requested = skin_name_;
        try {
            LoadResult r = LoadNamedSkin();
            if (r == LoadResult::BadArchive) {
                // The archive was refused (and the user warned): fall back to
                // the first internal skin, unless that is the one that failed.
                if (!internal_skins_.empty() && skin_name_ != internal_skins_.front().Name) {
                    skin_name_ = internal_skins_.front().Name;
                    r = LoadNamedSkin();
                }
            }
            if (r != LoadResult::Loaded) active_ = false;
        } catch (...) {
            // A malformed skin: the previous skin stays in force untouched.
            skin_loaded_ = was_loaded;
            skin_name_ = requested;
            throw;
        }
        if (!active_)
            DropSkin();
        else
            ActivateLoadedSkin();
    }
    if (OnAfterChange) OnAfterChange(this);
}

void TsSkinManager::ChangeSkin(const std::string& name, int hue_offset, int saturation) {
    const int old_hue = std::exchange(hue_offset_, hue_offset);
    const int old_saturation = std::exchange(saturation_, saturation);
    try {
        ChangeSkin(name);
    } catch (...) {
        // The skin in force stays, with the colouring it was loaded with.
        hue_offset_ = old_hue;
        saturation_ = old_saturation;
        throw;
    }
}

std::shared_ptr<SkinModel> TsSkinManager::PrepareModelLoad() const {
    auto model = std::make_shared<SkinModel>();
    model->HueOffset = hue_offset_;
    model->Saturation = saturation_;
    model->CommonSections = CommonSectionsText(common_sections_);
    return model;
}

void TsSkinManager::UseOwnModel(std::shared_ptr<SkinModel> model) {
    own_model_ = model.get();
    model_ = std::move(model);
}

void TsSkinManager::UseSharedModel(std::shared_ptr<const SkinModel> model) {
    own_model_ = nullptr;
    model_ = std::move(model);
}

void TsSkinManager::ReleaseModel() { UseOwnModel(std::make_shared<SkinModel>()); }

TsSkinManager::LoadResult TsSkinManager::LoadNamedSkin() {
    // Every load fills a new model, put in place only when it succeeds: the
    // one in force may be shared.
    const std::string normalized = NormalizedSkinDirectory();

    // A packed skin file first, looked up as written (relative to the current directory).
    const std::string packed = PackedSkinPath(skin_directory_, skin_name_);
    if (FileExists(packed)) {
        auto model = PrepareModelLoad();
        if (!LoadPackedSkinFromFile(*model, packed, normalized + "\\")) return LoadResult::BadArchive;
        UseOwnModel(std::move(model));
        from_packed_file_ = true;
        return LoadResult::Loaded;
    }

    // Then a skin folder below the normalized directory.
    if (auto model = PrepareModelLoad(); LoadSkinFolder(*model, normalized + "\\" + skin_name_ + "\\")) {
        UseOwnModel(std::move(model));
        from_packed_file_ = false;
        return LoadResult::Loaded;
    }

    // Last an internal skin of exactly that name, else the first one.
    if (internal_skins_.empty()) return LoadResult::NothingFound;
    auto it = std::find_if(internal_skins_.begin(), internal_skins_.end(),
                           [&](const TsStoredSkin& s) { return s.Name == skin_name_; });
    if (it == internal_skins_.end()) {
        it = internal_skins_.begin();
        skin_name_ = it->Name;
    }
    if (!it->Data.empty()) {
        // Decoded once for every manager of this thread storing the same bytes.
        const SharedSkinSettings settings{hue_offset_, saturation_, CommonSectionsText(common_sections_)};
        const std::vector<std::uint8_t>& data = it->Data;
        auto model = ShareDecodedSkin(data, settings, [&data](SkinModel& m) {
            return LoadPackedSkinData(m, data, std::string{});
        });
        if (!model) return LoadResult::BadArchive;
        UseSharedModel(std::move(model));
    } else {
        auto model = PrepareModelLoad();
        LoadStoredSkin(*model, *it);
        UseOwnModel(std::move(model));
    }
    from_packed_file_ = false;
    return LoadResult::Loaded;
}

// ---- putting a skin in force and removing it -------------------------------------

void TsSkinManager::ActivateLoadedSkin() {
    if (!Reading()) FreezeFormRedraw();
    skin_loaded_ = false;
    if (own_model_) own_model_->RebuildCommonIndexes();  // a shared one was resolved when decoded
    BroadcastSkinMessage(SMC_SKIN_LOADED);
    skin_loaded_ = true;
    if (IsDefault() && !hook_installed_) InstallHook();
    // Thaws the forms frozen above.
    RefreshSkinnedForms();
}

void TsSkinManager::DropSkin() {
    struct Removing {
        bool& flag;
        explicit Removing(bool& f) : flag(f) { flag = true; }
        ~Removing() { flag = false; }
    } removing(removing_);
    RemoveHook();
    skin_loaded_ = false;
    try {
        BroadcastSkinMessage(SMC_SKIN_REMOVED);
    } catch (...) {
        // The tables go whatever a receiver did: nobody may use them now.
        ReleaseModel();
        throw;
    }
    ReleaseModel();
}

void TsSkinManager::RefreshSkinnedForms() {
    BroadcastSkinMessage(SMC_STOP_ANIMATION);
    if (Reading()) {
        BroadcastSkinMessage(SMC_SKIN_REFRESH);
        return;
    }
    FreezeFormRedraw();
    BroadcastSkinMessage(SMC_SKIN_REFRESH);
    ThawFormRedraw(true);
}

void TsSkinManager::InstallHook() {
    if (Is(ui::TComponentState::csDesigning)) return;
    if (!InstallSkinHook()) return;
    // A manager made primary later takes the hook over from the first one.
    if (g_hookOwner && g_hookOwner != this) g_hookOwner->hook_installed_ = false;
    g_hookOwner = this;
    hook_installed_ = true;
}

void TsSkinManager::RemoveHook() {
    if (!hook_installed_) return;
    hook_installed_ = false;
    if (g_hookOwner != this) return;
    g_hookOwner = nullptr;
    RemoveSkinHook();
}

// ---- messages --------------------------------------------------------------------

void TsSkinManager::BroadcastSkinMessage(SkinCommand code, std::uint16_t arg) {
    const WPARAM wparam = SkinWParam(code, arg);
    const LPARAM lparam = AsParam(this);
    // The form that holds this manager is reached without registering it.
    auto* own_form = dynamic_cast<ui::TWinControl*>(Owner());
    const auto& forms = BroadcastForms();
    const bool own_registered = std::find(forms.begin(), forms.end(), own_form) != forms.end();
    if (own_form && !own_registered) RegisterBroadcastForm(own_form);
    try {
        BroadcastToForms(SM_SKINCMD, wparam, lparam);
    } catch (...) {
        if (own_form && !own_registered) UnregisterBroadcastForm(own_form);
        throw;
    }
    if (own_form && !own_registered) UnregisterBroadcastForm(own_form);
    // Copy: a receiver may register or unregister forms.
    auto links = g_registeredForms;
    for (SkinnedFormLink* link : links)
        if (std::find(g_registeredForms.begin(), g_registeredForms.end(), link) != g_registeredForms.end() &&
            !link->FormDestroying())
            link->Broadcast(SM_SKINCMD, wparam, lparam);
}

namespace {

bool TopLevelVisibleFormOf(SkinnedFormLink* link, TsSkinManager* manager) {
    if (link->IsMdiChild() || link->HasParentWindow() || link->Manager() != manager) return false;
    HWND wnd = link->FormWindow();
    return wnd && ::IsWindowVisible(wnd);
}

}  // namespace

void TsSkinManager::FreezeFormRedraw() {
    for (SkinnedFormLink* link : g_registeredForms)
        if (TopLevelVisibleFormOf(link, this)) ::SendMessageW(link->FormWindow(), WM_SETREDRAW, 0, 0);
}

void TsSkinManager::ThawFormRedraw(bool animate) {
    auto links = g_registeredForms;
    for (SkinnedFormLink* link : links) {
        if (!TopLevelVisibleFormOf(link, this)) continue;
        HWND wnd = link->FormWindow();
        if (!animate) {
            ::SendMessageW(wnd, WM_SETREDRAW, 1, 0);
            continue;
        }
        const bool old_system = SystemMajorBelow6();
        if (anim_effects_->SkinChanging.Active)
            link->AnimateSkinChange(old_system ? anim_effects_->SkinChanging.Time : 0);
        ::SendMessageW(wnd, WM_SETREDRAW, 1, 0);
        if (old_system) ::SetWindowRgn(wnd, nullptr, FALSE);
        link->RebuildFrame();
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_NOERASE);
    }
}

void TsSkinManager::SetHotWindow(HWND wnd) {
    if (wnd == hot_window_) return;
    HWND previous = std::exchange(hot_window_, wnd);
    if (previous && ::IsWindow(previous))
        ::SendMessageW(previous, SM_SKINCMD, SkinWParam(SMC_MOUSE_LEAVE), AsParam(this));
    if (wnd) ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_MOUSE_ENTER), AsParam(this));
}

// ---- listing ---------------------------------------------------------------------

std::string TsSkinManager::ListSkins(std::vector<std::string>& names, int kind) const {
    names.clear();
    std::string first;
    for (const auto& s : internal_skins_) {
        names.push_back(s.Name);
        if (first.empty()) first = s.Name;
    }
    const std::string dir = NormalizedSkinDirectory();
    if (DirectoryExists(dir)) {
        WIN32_FIND_DATAW fd;
        win::unique_find find(::FindFirstFileW(win::Utf8ToWide(dir + "\\*").c_str(), &fd));
        if (find) {
            do {
                std::string name;
                try {
                    name = win::WideToUtf8(fd.cFileName);
                } catch (const win::EncodingError&) {
                    continue;  // a name no skin can be loaded by
                }
                if (name.empty() || name[0] == '.') continue;
                const bool is_dir = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
                std::string found;
                if (is_dir && (kind == 0 || kind == 2)) {
                    if (FileExists(dir + "\\" + name + "\\Options.dat")) found = name;
                } else if (!is_dir && (kind == 1 || kind == 2)) {
                    // The extension compares exactly: ".ASZ" is not a packed skin.
                    if (name.size() > 4 && name.ends_with(".asz")) found = name.substr(0, name.find('.'));
                }
                if (!found.empty()) {
                    names.push_back(found);
                    if (first.empty()) first = found;
                }
            } while (::FindNextFileW(find.get(), &fd));
        }
    }
    std::sort(names.begin(), names.end());
    return first;
}

}  // namespace velmap::skin
