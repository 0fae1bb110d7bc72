// What makes the band usable without the mouse and without the skin: an
// accessible object for screen readers, the keyboard (a focused button that
// the arrow keys move and Space or Enter presses), tooltips with each
// button's name, and a high-contrast look in the system's colours.
#pragma once

#include "remote/band_accessible.h"
#include "remote/band_form.h"
#include "ui/control.h"
#include "win/handles.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string>

namespace velmap::remote {

// Whether high contrast is on, as the system says (SPI_GETHIGHCONTRAST).
bool SystemHighContrast();

class TBandAccessibility final : public BandAccessModel {
public:
    // Hooks the form's and its panel's window procedures; the form must have
    // its windows and its buttons.
    explicit TBandAccessibility(TBandForm& form);
    // Cuts the accessible object off, closes the tooltip, unhooks.
    ~TBandAccessibility();
    TBandAccessibility(const TBandAccessibility&) = delete;
    TBandAccessibility& operator=(const TBandAccessibility&) = delete;

    static constexpr int kButtons = 6;

    bool HighContrast() const { return high_contrast_; }
    // The button the keyboard is on (1..6), 0 while the band has no focus.
    int FocusedButton() const { return focused_; }

    // ---- BandAccessModel
    int ButtonCount() const override { return kButtons; }
    std::wstring Name(int child) const override;
    std::wstring DefaultAction(int child) const override;
    DWORD State(int child) const override;
    RECT ScreenRect(int child) const override;
    int ChildAt(POINT screen) const override;
    int FocusedChild() const override;
    bool Click(int child) override;
    bool Focus(int child) override;
    HRESULT WindowObject(IDispatch** out) const override;

private:
    struct Hook;

    bool EnsureAccessible();
    // The answer to WM_GETOBJECT, or -1 to leave the request to the system.
    LRESULT AnswerGetObject(WPARAM flags, LPARAM object_id);
    TBandButton* Button(int child) const;
    bool HasFocus() const;
    void FormProc(ui::TMessage& m);
    void PanelProc(ui::TMessage& m);
    bool HandleKey(ui::TMessage& m);
    void MoveFocus(int child);
    void SetCue(int child, bool on);
    void Press(int child);
    void Release(bool click);
    void RepaintButton(int child);
    // True when the setting changed.
    bool ReadHighContrast();
    void RepaintAll();
    void NotifyStateChanges();
    DWORD ButtonState(int child) const;

    void PaintHighContrast(HDC dc);
    void DrawFocusCue(HDC dc);
    void EnsureTooltip();
    void RelayToTooltip(const ui::TMessage& m);
    void UpdateToolRects();

    TBandForm& form_;
    HWND form_wnd_;
    HWND panel_wnd_;
    // The window whose client area is the toolbar: the panel, which holds
    // the buttons.
    HWND client_wnd_;
    std::shared_ptr<Hook> form_hook_, panel_hook_;
    win::unique_hmodule oleacc_;
    decltype(&::LresultFromObject) lresult_from_object_ = nullptr;
    decltype(&::CreateStdAccessibleObject) create_std_object_ = nullptr;
    IAccessible* accessible_ = nullptr;
    bool oleacc_failed_ = false;

    int focused_ = 0;
    bool cue_ = false;
    int pressed_ = 0;       // the button a key holds down
    WPARAM press_key_ = 0;  // that key
    std::array<DWORD, kButtons + 1> states_{};
    bool high_contrast_ = false;
    std::array<skin::TacAnimatEvents, kButtons + 1> saved_animat_events_{};

    win::unique_hmodule comctl32_;
    HWND tooltip_ = nullptr;
    bool tooltip_failed_ = false;
};

}  // namespace velmap::remote
