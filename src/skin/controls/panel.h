// The skinned panel: a panel whose face is painted from a skin section
// (PANEL unless named otherwise) into its cache, and which serves that cache
// as the background of the controls on it. Its non-windowed children (the
// speed buttons) are composed over copies of the cache in one off-screen
// bitmap. Without a skin it is the framework's plain panel.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "skin/controls/common_data.h"
#include "ui/panel.h"

namespace velmap::skin {

using TPaintEvent = std::function<void(ui::TComponent* sender, ui::TCanvas& canvas)>;

class TsPanel : public ui::TPanel, public TsSkinnedControl {
public:
    explicit TsPanel(ui::TComponent* owner);
    ~TsPanel() override;

    TsCommonData& SkinData() override { return *skin_data_; }
    void AfterConstruction() override;
    void Loaded() override;

    // Called after the skinned face is built, on the cache's canvas; without
    // a skin, in place of the plain painting.
    TPaintEvent OnPaint;

    // Shows the face (rebuilt when stale) and the graphic children on dc (0:
    // the panel's own); notifyChildren tells windowed children it is ready.
    virtual void PaintSkinned(HDC dc, bool notifyChildren);
    virtual void PaintCaption(RECT r);
    void RebuildCache();

    std::string ClassName() const override { return "TsPanel"; }
    const ui::TPropTable& Props() const override;
    static const ui::TPropTable& ClassProps();

protected:
    void WndProc(ui::TMessage& m) override;
    void Paint() override;
    void PaintWindow(HDC dc) override;

private:
    bool SkinnedReady();
    bool HandleSkinChange(ui::TMessage& m);
    void SkinnedWndProc(ui::TMessage& m);
    void PlainWndProc(ui::TMessage& m);
    void SkinnedPaint(HDC given);

    std::unique_ptr<TsCommonData> skin_data_;
    bool painting_ = false;                          // inside WM_PAINT on the panel's own update region
    std::unique_ptr<paint::Bitmap> children_image_;  // where the graphic children are composed
};

// Copies the control's cache (from src) to dest of dc, leaving out the
// places of its graphic and opaque children (moved by childOffset); with
// refreshBorder the border's corners are refilled from the parent first.
void BlitCacheExcludingChildren(ui::TWinControl* control, POINT src, POINT childOffset, bool refreshBorder, HDC dc,
                                RECT dest);

// Paints the control's visible graphic children onto dc at their places
// (moved by offset), each over a copy of the control's cache, composed in
// one off-screen bitmap: *buffer when given (made or resized as needed and
// kept for the next paint), else one made for this paint. A child whose
// image starts with the key colour at its top-left pixel is left out.
void PaintGraphicChildren(HDC dc, ui::TWinControl* control, POINT offset,
                          std::unique_ptr<paint::Bitmap>* buffer = nullptr);

}  // namespace velmap::skin
