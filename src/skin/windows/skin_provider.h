// Skinning of this framework's own forms: the title bar and border painted
// from the skin's form sections, the client in the form section's colour,
// and the foreign controls on the form (classes the manager's ThirdParty
// lists name) adapted one by one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "skin/manager/skin_manager_options.h"
#include "skin/windows/window_adapter.h"
#include "ui/form.h"
#include "win/handles.h"

namespace velmap::skin {

// Lets a program keep a control of a form plain: set allow to false.
using TacSkinItemEvent = std::function<void(ui::TControl* control, bool& allow)>;

// The list a class name is on among a manager's thirteen, if any.
std::optional<ThirdPartyKind> ThirdPartyKindOf(const TsSkinManager& manager, const std::string& className);
// The section a control of a list kind is painted with.
const char* ThirdPartySection(ThirdPartyKind kind);

// A windowed control of a framework form, skinned from its list's section:
// the control paints itself in the section's colours, the section's border
// goes over it.
class TacThirdPartyWnd : public TacWindowAdapter {
public:
    TacThirdPartyWnd(ui::TWinControl* control, std::string section);
    ~TacThirdPartyWnd() override { Detach(); }
    ui::TWinControl* Control() const { return control_; }

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ApplySkin() override;
    void RemoveSkin() noexcept override;

private:
    bool ControlAlive() const;

    ui::TWinControl* control_;
    std::weak_ptr<void> life_;
    std::optional<ui::TColor> color_, font_color_;
};

class TsSkinProvider : public TacWindowAdapter {
public:
    explicit TsSkinProvider(ui::TCustomForm* form);
    ~TsSkinProvider() override;

    ui::TCustomForm* Form() const { return form_; }
    bool FormGone() const;
    // Never true here: the framework's forms have no skinned menu bar.
    bool MakeSkinMenu() const { return false; }

    // May veto a control of the foreign-control walk.
    TacSkinItemEvent OnSkinItem;

    // Adapts the form's foreign controls (when the rules include
    // srThirdParty): every windowed control, at any depth, whose class is
    // on one of the manager's lists.
    void AdaptControls();
    // Adapts one control if it qualifies; true when it got an adapter.
    bool AdaptControl(ui::TControl* control);
    const std::vector<std::unique_ptr<TacThirdPartyWnd>>& Items() const { return items_; }
    // Sends msg to the form and all its controls (the adapted ones included).
    void Broadcast(UINT msg, WPARAM wParam, LPARAM lParam);

    // The title bar and border into dc (window coordinates), or into the
    // window's own frame when dc is null.
    void PaintFrame(HDC dc);

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ApplySkin() override;
    void RemoveSkin() noexcept override;
    void Redraw() override;

private:
    // The client's offset inside the window (the frame's left and top).
    POINT ClientOffset() const;
    void AdaptIn(ui::TWinControl* parent);
    // Whether a control lies on the form (compared, never followed).
    bool OnForm(const ui::TControl* control) const;

    ui::TCustomForm* form_;
    std::weak_ptr<void> life_;
    std::optional<ui::TColor> color_;
    bool active_ = true;
    win::unique_hfont caption_font_;
    std::vector<std::unique_ptr<TacThirdPartyWnd>> items_;
};

}  // namespace velmap::skin
