// The option objects a skin manager publishes besides its plain properties:
// animation settings, menu-skinning settings and the foreign-control class
// lists that window skinning reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/component.h"

namespace velmap::skin {

class TsSkinManager;

// ---- animation ---------------------------------------------------------------

enum TacBtnEffect : std::uint8_t { beMouseEnter, beMouseLeave, beMouseDown, beMouseUp };

struct TacBtnEffectSet {
    std::uint8_t bits = 0;
    static constexpr TacBtnEffectSet All() { return {0x0F}; }
    static constexpr TacBtnEffectSet FromBits(std::uint32_t b) { return {static_cast<std::uint8_t>(b & 15)}; }
    constexpr bool Contains(TacBtnEffect e) const { return (bits >> e) & 1u; }
    constexpr void Include(TacBtnEffect e) { bits = static_cast<std::uint8_t>(bits | (1u << e)); }
    constexpr void Exclude(TacBtnEffect e) { bits = static_cast<std::uint8_t>(bits & ~(1u << e)); }
    friend constexpr bool operator==(TacBtnEffectSet, TacBtnEffectSet) = default;
};

// Process-wide: which mouse events animate buttons. Only the primary manager
// changes it.
extern TacBtnEffectSet ButtonEffectEvents;

class TacBtnEffects : public ui::TPersistent {
public:
    explicit TacBtnEffects(TsSkinManager* manager) : manager_(manager) {}
    std::string ClassName() const override { return "TacBtnEffects"; }
    const ui::TPropTable& Props() const override;
    // Reads the process-wide set whatever this object holds.
    TacBtnEffectSet Events() const { return ButtonEffectEvents; }
    // Changes the process-wide set only for the primary manager.
    void SetEvents(TacBtnEffectSet value);
    TacBtnEffectSet OwnEvents() const { return own_; }

private:
    TsSkinManager* manager_;
    TacBtnEffectSet own_ = TacBtnEffectSet::All();
};

class TacFormAnimation : public ui::TPersistent {
public:
    explicit TacFormAnimation(std::uint16_t time = 0) : Time(time) {}
    const ui::TPropTable& Props() const override;
    void SetActive(bool v) { Active = v; }
    void SetTime(int v) { Time = static_cast<std::uint16_t>(v); }
    bool Active = true;
    std::uint16_t Time = 0;
};
struct TacDialogShow : TacFormAnimation {
    TacDialogShow() : TacFormAnimation(100) {}
};
struct TacFormShow : TacFormAnimation {};
struct TacPageChange : TacFormAnimation {};
struct TacSkinChanging : TacFormAnimation {
    TacSkinChanging() : TacFormAnimation(100) {}
};

class TacAnimEffects : public ui::TPersistent {
public:
    explicit TacAnimEffects(TsSkinManager* manager) : Buttons(manager) {}
    std::string ClassName() const override { return "TacAnimEffects"; }
    const ui::TPropTable& Props() const override;
    TacBtnEffects Buttons;
    TacDialogShow DialogShow;
    TacFormShow FormShow;
    TacPageChange PageChange;
    TacSkinChanging SkinChanging;
};

// ---- menus ---------------------------------------------------------------------

inline constexpr char DefaultIcoLineSkin[] = "ICOLINE";

struct TacMenuSupport : ui::TPersistent {
    std::string ClassName() const override { return "TacMenuSupport"; }
    const ui::TPropTable& Props() const override;
    std::string IcoLineSkin = DefaultIcoLineSkin;
    bool UseExtraLine = false;
    int ExtraLineWidth = 32;
};

// ---- window-skinning rules -------------------------------------------------------

enum TacSkinningRule : std::uint8_t { srStdForms, srStdDialogs, srThirdParty };

struct TacSkinningRules {
    std::uint8_t bits = 0;
    static constexpr TacSkinningRules All() { return {0x07}; }
    static constexpr TacSkinningRules FromBits(std::uint32_t b) { return {static_cast<std::uint8_t>(b & 7)}; }
    constexpr bool Contains(TacSkinningRule r) const { return (bits >> r) & 1u; }
    constexpr void Include(TacSkinningRule r) { bits = static_cast<std::uint8_t>(bits | (1u << r)); }
    constexpr void Exclude(TacSkinningRule r) { bits = static_cast<std::uint8_t>(bits & ~(1u << r)); }
    friend constexpr bool operator==(TacSkinningRules, TacSkinningRules) = default;
};

// ---- foreign control classes -------------------------------------------------------

// The thirteen lists, in the order of their properties.
enum ThirdPartyKind : std::uint8_t {
    tpEdits,
    tpButtons,
    tpBitBtns,
    tpCheckBoxes,
    tpComboBoxes,
    tpGrids,
    tpGroupBoxes,
    tpListViews,
    tpPanels,
    tpTreeViews,
    tpWWEdits,
    tpGridEh,
    tpVirtualTrees,
    ThirdPartyKindCount
};

// Published texts: class names separated by CR LF. An empty text receives its
// default; a single blank line is not empty and stays as it is.
class ThirdPartyList : public ui::TPersistent {
public:
    std::string ClassName() const override { return "ThirdPartyList"; }
    const ui::TPropTable& Props() const override;
    std::array<std::string, ThirdPartyKindCount> Lists;

    static std::string_view PropertyName(ThirdPartyKind kind);
    // Default text of a list (class names joined by CR LF).
    static std::string DefaultText(ThirdPartyKind kind);

    // Lists stored by an older version came one place off (ThirdEdits holding
    // exactly TButton, or ThirdButtons exactly TBitBtn): move them back into
    // place and give ThirdVirtualTrees its default, then fill empty lists
    // with their defaults.
    void ApplyDefaults();
};

// A list text split into its lines (a final line break ends the last line).
std::vector<std::string> SplitLines(std::string_view text);
// Lines joined with CR LF after each one.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace velmap::skin
