// The adapter of a popup-menu window ("MAINMENU"): the menu's ground, its
// items, the highlighted one, separators, check marks and submenu arrows,
// all from the skin. The system draws a newly highlighted item itself while
// tracking the mouse; the menu is painted again each time it tells the
// menu's owner about the new selection.
#pragma once

#include "skin/windows/window_adapter.h"
#include "win/handles.h"

namespace velmap::skin {

class TacMnuWnd : public TacWindowAdapter {
public:
    explicit TacMnuWnd(HWND wnd);
    ~TacMnuWnd() override;

    // Whether the menu has been shown (SMC_MENU_SHOWN while visible).
    bool Shown() const { return shown_; }

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HMENU Menu() const;
    // Items the application draws itself are left to it: the whole menu is.
    bool OwnerDrawn(HMENU menu) const;
    void PaintFace(paint::Bitmap& bmp);
    void PaintMenuItem(paint::Bitmap& bmp, HMENU menu, int index, int itemSection);

    bool shown_ = false;
    win::unique_hfont font_;
};

}  // namespace velmap::skin
