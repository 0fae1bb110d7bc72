// The skin state every skinned control owns (published as its SkinData): the
// manager and section it paints with, the resolved table indexes, its cache
// bitmap and the flags that say whether the cache is current and which look
// the control shows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "skin/controls/control_kinds.h"
#include "skin/messages/skin_messages.h"
#include "skin/data/skin_types.h"
#include "skin/paint/bitmap.h"
#include "skin/paint/pixel_ops.h"
#include "ui/control.h"
#include "ui/graphics.h"

namespace velmap::skin {

class TsSkinManager;

// Process-wide answer slot of the parent cache query; valid only between a
// request and the copy the requester takes right after it. The colour query
// answers in paint::ParentBgColor (paint::KeyColor: no answer).
extern paint::BackgroundSource ParentCacheAnswer;
// Compared by SMC_SECTION_CHANGED; empty unless a client sets it.
extern std::string ChangedSectionName;

// A skin state whose host is not a control but a form's frame painter
// (window skinning).
class SkinFormProvider {
public:
    virtual ~SkinFormProvider() = default;
    virtual HWND FormWindow() const = 0;
    // Sends a verdict of an assignment (SMC_SKIN_REFRESH or SMC_SKIN_REMOVED)
    // to the provider's form.
    virtual void BroadcastToForm(UINT msg, WPARAM wparam, LPARAM lparam) = 0;
};

class TsCommonData;

// Implemented by every control that owns a skin state, so that parents and
// siblings can reach it.
class TsSkinnedControl {
public:
    virtual ~TsSkinnedControl() = default;
    virtual TsCommonData& SkinData() = 0;
};

class TsCommonData : public ui::TPersistent {
public:
    // owner: the control (or other object) the state belongs to. with_cache:
    // start with an empty cache bitmap.
    TsCommonData(ui::TPersistent* owner, bool with_cache);
    ~TsCommonData() override;
    TsCommonData(const TsCommonData&) = delete;
    TsCommonData& operator=(const TsCommonData&) = delete;

    std::string ClassName() const override { return "TsCommonData"; }
    const ui::TPropTable& Props() const override;

    // ---- published ----
    const std::string& SkinSection() const { return skin_section_; }
    void SetSkinSection(const std::string& value);
    bool CustomFont() const { return custom_font_; }
    void SetCustomFont(bool value);
    bool CustomColor() const { return custom_color_; }
    void SetCustomColor(bool value) { custom_color_ = value; }
    // Null: the primary manager. A manager that is gone reads as null too,
    // but then the state has no effective manager until it gets another one.
    TsSkinManager* SkinManager() const { return manager_life_.expired() ? nullptr : skin_manager_; }
    void SetSkinManager(TsSkinManager* value);

    TsSkinManager* EffectiveManager() const;

    // ---- operations ----
    void AfterOwnerLoaded();
    void DefaultSection();
    void ResolveIndexes();
    bool IsSkinned(bool require_active = false) const;
    bool IsHot() const;
    bool HasTransparency() const;
    bool BgDependsOnPosition() const;
    bool IsUpdating() const;
    void SetUpdating(bool value) { Updating = value; }
    void BeginUpdate();
    void EndUpdate();
    void InvalidateSkin();
    // Makes CacheBitmap a 24-bit device-independent bitmap of the host's size.
    void PrepareCacheBitmap();
    // The cache must be rebuilt before the next blit.
    bool CacheNeedsRebuild() const { return (CacheStale || PartlyVisible) && !CacheFrozen; }
    // Paints the skinned image into the cache: the item painter of the
    // control's section fills it (the owner passes it in). Rebuilds only when
    // needed and returns whether it did; an empty host leaves an empty cache.
    using CachePainter = std::function<void(ui::TBitmap& cache, TsCommonData& state)>;
    bool UpdateCache(const CachePainter& paint_item);
    // The same with the skin item painter: the section painted over the
    // whole cache (the border ring without its centre, key corners showing
    // the parent), hot when IsHot.
    bool UpdateCache();
    paint::BackgroundSource QueryParentCache() const;
    static paint::BackgroundSource QueryParentCache(HWND wnd);
    // The section's colour the host control and its children show.
    COLORREF GetParentBgColor() const;
    static COLORREF GetParentBgColor(ui::TControl* control);
    // The section record, or null when the state is not skinned.
    const TsGeneralData* Section() const;

    // ---- state (read and written by the owner's painting code) ----
    bool Updating = false;
    int BorderMaskIndex = -1;
    int SectionIndex = -1;
    int PatternIndex = -1;
    int HotPatternIndex = -1;
    ui::TControl* RepaintingChild = nullptr;
    bool CacheFrozen = false;
    bool CacheStale = true;
    bool PartlyVisible = true;
    ui::TControl* HostControl = nullptr;
    ui::TPersistent* HostObject = nullptr;
    std::unique_ptr<ui::TBitmap> CacheBitmap;
    int ControlKind = 0;
    bool Focused = false;
    bool MouseOver = false;

private:
    friend bool SkinMessageHandler(ui::TMessage& msg, TsCommonData* data);
    bool HostDestroying() const;
    bool HostBusyBuilding() const;  // loading, reading or being destroyed
    bool HandleSkinCommand(ui::TMessage& msg);
    void AnswerBgColor();
    void AnswerBgVaries(ui::TMessage& msg);
    void RepaintChildren(ui::TMessage& msg);

    std::string skin_section_;
    bool custom_font_ = false;
    bool custom_color_ = false;
    TsSkinManager* skin_manager_ = nullptr;
    // Expires with the manager: a state never uses a manager that is gone.
    std::weak_ptr<void> manager_life_;
};

// The handler every skinned control calls from its window procedure before
// its own handling. True when it answered a query (the owner then does not
// process the message further); everything else is only acted on or observed
// and the owner goes on with it.
bool SkinMessageHandler(ui::TMessage& msg, TsCommonData* data);

// Visual styles are on for this process (uxtheme's IsThemeActive).
bool ThemesActive();

}  // namespace velmap::skin
