// The band's window: a borderless form with a cool bar, a panel and six
// buttons that drive the player, plus the skin manager that loads the
// internal skin. Built from its stored description (resource BANDFORM).
#pragma once

#include "skin/controls/panel.h"
#include "skin/controls/speed_button.h"
#include "skin/manager/skin_manager.h"
#include "ui/cool_bar.h"
#include "ui/form.h"

#include <exdisp.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>

namespace velmap::remote {

class TBandAccessibility;
class TBandSkinChoice;

// The controls the description makes: the skinned panel and speed buttons.
using TBandPanel = skin::TsPanel;
using TBandButton = skin::TsSpeedButton;

// The size the form is designed for, at 96 pixels per inch.
inline constexpr int kBandDesignWidth = 160;
inline constexpr int kBandDesignHeight = 25;
inline constexpr int kDesignPixelsPerInch = 96;

// The density the band is shown at inside parent: the window's own when the
// system tells it (per-monitor aware hosts), else the screen's.
int WindowPixelsPerInch(HWND parent);

class TBandForm : public ui::TCustomForm {
public:
    // A child window of parent, read from the description resource of module
    // (default: the module holding this code), scaled to parent's density.
    static TBandForm* Create(HWND parent, HMODULE module = nullptr);
    // The size Create makes the form at ppi, worked out without making it.
    static SIZE SizeAt(int ppi, HMODULE module = nullptr);

    // A change of density while shown: the form, its controls and their skin
    // caches become what Create would make at ppi, and the window repaints
    // once. False when the form is at ppi already.
    bool SetDensity(int ppi);

    // For a taskbar along the left or right edge: the buttons in a column,
    // the stored row turned by a quarter (same order and spacing, top to
    // bottom), centred across the window's width whatever the host makes it.
    // Laid out on the spot, one repaint; false when laid out so already.
    bool SetVertical(bool vertical);
    bool Vertical() const { return Turned(); }
    // The band's extent along its bar (cx) and across it (cy) as laid out:
    // along the row, or down the column and across its own thickness.
    SIZE AlongAndAcross() const;

    ui::TCoolBar* CoolBar = nullptr;
    skin::TsSkinManager* SkinManager = nullptr;
    TBandPanel* Panel = nullptr;
    TBandButton* btnVolUp = nullptr;
    TBandButton* btnVolDn = nullptr;
    TBandButton* btnPrev = nullptr;
    TBandButton* btnPlayPause = nullptr;
    TBandButton* btnStop = nullptr;
    TBandButton* btnNext = nullptr;

    // Set by the band object; released with the form. The form never uses it.
    Microsoft::WRL::ComPtr<IWebBrowser2> Browser;

    void btnPrevClick(ui::TComponent* sender);
    void btnPlayPauseClick(ui::TComponent* sender);
    void btnStopClick(ui::TComponent* sender);
    void btnNextClick(ui::TComponent* sender);
    void btnVolDnClick(ui::TComponent* sender);
    void btnVolUpClick(ui::TComponent* sender);
    void FormCreate(ui::TComponent* sender);

    std::string ClassName() const override { return "TBandForm"; }

    // Use Create: it makes the form at the parent's density.
    TBandForm(HWND parent, HMODULE module);
    ~TBandForm() override;
    void AfterConstruction() override;

    // Screen reader, keyboard, tooltip and high-contrast support (null
    // until the form's windows exist).
    TBandAccessibility* Accessibility() const { return accessibility_.get(); }

    // A form whose skin its owner sets (the settings' preview) stops
    // following the user's stored choice.
    void StopFollowingSkinChoice();

protected:
    void CreateWnd() override;
    void AdjustClientRect(RECT& rect) const override;

private:
    // Runs change with drawing held off; if it changed anything, the skin
    // caches are rebuilt and the band is painted once.
    template <class Change>
    bool Relayout(int ppi, Change change);

    std::unique_ptr<TBandAccessibility> accessibility_;
    std::unique_ptr<TBandSkinChoice> skin_choice_;
};

}  // namespace velmap::remote
