// The skin manager: the non-visual component that owns the current skin. It
// finds a skin by name (a packed skin file, a skin folder or an internal
// skin), loads it into the skin data model, announces it to every skinned
// window with the skin message, and removes it again.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/messages/skin_messages.h"
#include "skin/data/skin_archive.h"
#include "skin/manager/skin_directory.h"
#include "skin/manager/skin_manager_options.h"
#include "skin/data/skin_model.h"
#include "skin/data/stored_skin.h"
#include "ui/component.h"

namespace velmap::skin {

class TsSkinManager;

// Process-wide: the first manager created (none once it is gone; a later
// manager is never promoted by that).
TsSkinManager* PrimaryManager();
// True while a manager loads a skin; controls skip work meanwhile.
bool SkinChangeInProgress();

// A form whose frame window skinning paints. Window skinning registers these;
// the manager freezes, thaws and messages them.
class SkinnedFormLink {
public:
    virtual ~SkinnedFormLink() = default;
    virtual HWND FormWindow() const = 0;
    virtual TsSkinManager* Manager() const = 0;
    virtual bool FormDestroying() const = 0;
    virtual bool IsMdiChild() const { return false; }
    virtual bool HasParentWindow() const { return ::GetParent(FormWindow()) != nullptr; }
    // Sends msg to the form's window and all its child controls.
    virtual void Broadcast(UINT msg, WPARAM wparam, LPARAM lparam) = 0;
    // Rebuilds the skinned frame after a skin change.
    virtual void RebuildFrame() {}
    // The skin-change animation of window skinning (time in milliseconds).
    virtual void AnimateSkinChange(int /*time_ms*/) {}
};
void RegisterSkinnedForm(SkinnedFormLink* link);
void UnregisterSkinnedForm(SkinnedFormLink* link);
const std::vector<SkinnedFormLink*>& RegisteredForms();

// Makes "TsSkinManager" known to the stored-description reader (idempotent).
void RegisterSkinManagerClass();

// Supplies the text of a popup menu's extra line.
using TacGetExtraLineData = std::function<void(HMENU menu, std::string& caption, bool& show_line)>;

class TsSkinManager : public ui::TComponent {
public:
    static constexpr char EngineVersion[] = "5.46";
    static constexpr char NoSkinInfo[] = "N/A";

    explicit TsSkinManager(ui::TComponent* owner);
    ~TsSkinManager() override;

    void AfterConstruction() override;
    void Loaded() override;
    std::string ClassName() const override { return "TsSkinManager"; }
    const ui::TPropTable& Props() const override;
    static const ui::TPropTable& ClassProps();

    // ---- published properties ----
    bool Active() const { return active_; }
    void SetActive(bool value);
    const std::string& SkinName() const { return skin_name_; }
    void SetSkinName(const std::string& value) { ChangeSkin(value); }
    const std::string& SkinDirectory() const { return skin_directory_; }
    void SetSkinDirectory(const std::string& value);
    TsStoredSkins& InternalSkins() { return internal_skins_; }
    const TsStoredSkins& InternalSkins() const { return internal_skins_; }
    const std::vector<std::string>& CommonSections() const { return common_sections_; }
    void SetCommonSections(const std::vector<std::string>& lines);
    int HueOffset() const { return hue_offset_; }
    void SetHueOffset(int value);
    int Saturation() const { return saturation_; }
    void SetSaturation(int value);
    bool IsDefault() const;
    void SetIsDefault(bool value);
    bool SkinnedPopups() const { return skinned_popups_; }
    void SetSkinnedPopups(bool value);
    TacSkinningRules SkinningRules() const { return skinning_rules_; }
    void SetSkinningRules(TacSkinningRules value) { skinning_rules_ = value; }
    TacAnimEffects& AnimEffects() { return *anim_effects_; }
    TacMenuSupport& MenuSupport() { return menu_support_; }
    ThirdPartyList& ThirdParty() { return third_party_; }
    std::string SkinInfo() const;
    void SetSkinInfo(const std::string&) {}
    std::string Version() const { return EngineVersion; }
    void SetVersion(const std::string&) {}

    ui::TNotifyEvent OnBeforeChange;
    ui::TNotifyEvent OnAfterChange;
    TacGetExtraLineData OnGetMenuExtraLineData;

    // The working copy of a foreign-control class list (window skinning reads it).
    const std::vector<std::string>& ThirdList(ThirdPartyKind kind) const { return third_lists_[kind]; }

    // ---- the loaded skin ----
    // Read-only: an internal skin's model is shared with the other managers
    // of the thread that loaded the same one.
    const SkinModel& Model() const { return *model_; }
    const TsSkinData& SkinGlobals() const { return model_->SkinData; }
    // A skin is in force (loaded and announced).
    bool SkinLoaded() const { return skin_loaded_; }
    // The model in force is shared (an internal skin another manager may hold).
    bool SharesModel() const { return own_model_ == nullptr; }
    bool HasSections() const { return !model_->Sections.empty(); }
    int SectionCount() const { return static_cast<int>(model_->Sections.size()); }
    const TsGeneralData* Section(int index) const {
        return index >= 0 && index < SectionCount() ? &model_->Sections[index] : nullptr;
    }
    bool FromPackedFile() const { return from_packed_file_; }
    bool Destroying() const { return Is(ui::TComponentState::csDestroying); }

    int FindSectionIndex(std::string_view name) const { return model_->FindSectionIndex(name); }
    int FindMaskIndex(int section, std::string_view section_name, std::string_view mask) const {
        return model_->FindMaskIndex(section, section_name, mask);
    }
    int FindTextureIndex(int section, std::string_view section_name, std::string_view key) const {
        return model_->FindTextureIndex(section, section_name, key);
    }
    int FindPatternIndex(int section, std::string_view section_name, std::string_view key) const {
        return model_->FindPatternIndex(section, section_name, key);
    }

    // ---- operations ----
    // Loads the skin of that name and puts it in force (SkinName assignment).
    void ChangeSkin(const std::string& name);
    // The same with new recolouring, in one load (setting HueOffset and
    // Saturation one by one would reload the skin in force for each).
    void ChangeSkin(const std::string& name, int hue_offset, int saturation);
    void ActivateLoadedSkin();
    void DropSkin();
    void RefreshSkinnedForms();
    // Sends SM_SKINCMD with code to every reachable form and its controls.
    void BroadcastSkinMessage(SkinCommand code, std::uint16_t arg = 0);
    void FreezeFormRedraw();
    void ThawFormRedraw(bool animate);
    // Remembers the one hot window; tells the previous one it was left and the
    // new one it was entered.
    void SetHotWindow(HWND wnd);
    // Forgets wnd as the hot window without a word to it (a window handed
    // back to its own procedure is told nothing more).
    void ForgetHotWindow(HWND wnd) noexcept {
        if (hot_window_ == wnd) hot_window_ = nullptr;
    }
    HWND HotWindow() const { return hot_window_; }
    // Names of the available skins, sorted; kind 0 folders, 1 packed files, 2
    // both (internal skins always). Returns the first name found.
    std::string ListSkins(std::vector<std::string>& names, int kind) const;
    // SkinDirectory resolved against the host program's folder.
    std::string NormalizedSkinDirectory() const;
    bool HookInstalled() const { return hook_installed_; }
    // True while DropSkin announces the removal.
    bool RemovingSkin() const { return removing_; }

private:
    enum class LoadResult { Loaded, NothingFound, BadArchive };

    bool Reading() const { return Is(ui::TComponentState::csReading); }
    LoadResult LoadNamedSkin();
    // A new model with the recolouring and the common sections for a load.
    std::shared_ptr<SkinModel> PrepareModelLoad() const;
    // Puts a loaded model in place of the current one (not yet announced).
    void UseOwnModel(std::shared_ptr<SkinModel> model);
    void UseSharedModel(std::shared_ptr<const SkinModel> model);
    // Lets go of the model: an empty one of its own takes its place.
    void ReleaseModel();
    void InstallHook();
    void RemoveHook();
    void ApplyThirdPartyDefaults();
    void ReloadForRecolour();

    bool active_ = true;
    std::string skin_name_;
    std::string skin_directory_;
    TsStoredSkins internal_skins_;
    std::vector<std::string> common_sections_;
    int hue_offset_ = 0;
    int saturation_ = 0;
    bool skinned_popups_ = true;
    TacSkinningRules skinning_rules_ = TacSkinningRules::All();
    std::unique_ptr<TacAnimEffects> anim_effects_;
    TacMenuSupport menu_support_;
    ThirdPartyList third_party_;
    std::vector<std::string> third_lists_[ThirdPartyKindCount];

    std::shared_ptr<const SkinModel> model_;
    SkinModel* own_model_ = nullptr;  // model_ when it is this manager's alone
    bool skin_loaded_ = false;
    bool from_packed_file_ = false;
    bool hook_installed_ = false;
    bool removing_ = false;
    HWND hot_window_ = nullptr;
};

}  // namespace velmap::skin
