// Adapters of the standard controls on a skinned dialog: each paints its
// control from its skin section over the dialog's face and repaints when
// the control changes its look.
#pragma once

#include <memory>

#include "skin/windows/window_adapter.h"

namespace velmap::skin {

// The adapter a dialog child gets, by the kind the child map chose; null for
// AdapterKind::None and the kinds that are not controls.
std::unique_ptr<TacWindowAdapter> MakeControlAdapter(HWND wnd, AdapterKind kind, const std::string& section);

// A control whose look changes with its state: the messages that change it
// are passed on and then the control is painted again at once.
class TacStateControlAdapter : public TacWindowAdapter {
public:
    using TacWindowAdapter::TacWindowAdapter;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The skinned face of the whole client.
    virtual void PaintFace(paint::Bitmap& bmp) = 0;
    // What a paint leaves as it is on screen.
    virtual std::vector<RECT> KeptAreas() const { return {}; }
    // Whether a message may change the look.
    virtual bool ChangesLook(UINT msg, WPARAM wParam) const;
};

class TacButtonWnd : public TacStateControlAdapter {
public:
    using TacStateControlAdapter::TacStateControlAdapter;
    // 0 normal, 1 hot (under the mouse or focused), 2 pressed.
    int State() const;

protected:
    void PaintFace(paint::Bitmap& bmp) override;
};

class TacCheckBoxWnd : public TacStateControlAdapter {
public:
    using TacStateControlAdapter::TacStateControlAdapter;

protected:
    void PaintFace(paint::Bitmap& bmp) override;
};

class TacGroupBoxWnd : public TacStateControlAdapter {
public:
    using TacStateControlAdapter::TacStateControlAdapter;
    // The height of the band the caption is written in.
    int CaptionHeight() const;

protected:
    bool SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintFace(paint::Bitmap& bmp) override;
    // The controls in the box paint themselves: the box leaves them alone.
    std::vector<RECT> KeptAreas() const override;
};

// Static text and pictures.
class TacStaticWnd : public TacStateControlAdapter {
public:
    using TacStateControlAdapter::TacStateControlAdapter;

protected:
    void PaintFace(paint::Bitmap& bmp) override;
    bool ChangesLook(UINT msg, WPARAM wParam) const override;
};

// Edits, list boxes, list views and tree views: the frame from the skin,
// the inside in the skin's edit colours.
class TacEditWnd : public TacWindowAdapter {
public:
    using TacWindowAdapter::TacWindowAdapter;
    ~TacEditWnd() override { Detach(); }

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ApplySkin() override;
    void RemoveSkin() noexcept override;

private:
    void PaintFrame(HDC given);
    // The colours a list or tree view had before.
    bool saved_ = false;
    COLORREF back_ = 0, text_ = 0, text_back_ = 0;
};

class TacComboBoxWnd : public TacWindowAdapter {
public:
    using TacWindowAdapter::TacWindowAdapter;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void PaintOver(HDC given);
};

// Paints its whole client itself: size grips, spin buttons, toolbars.
class TacFaceWnd : public TacStateControlAdapter {
public:
    using TacStateControlAdapter::TacStateControlAdapter;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintFace(paint::Bitmap& bmp) override;
};

// Answers the skin message only; its parent gives it the skin's colours.
class TacPassiveWnd : public TacWindowAdapter {
public:
    using TacWindowAdapter::TacWindowAdapter;
};

}  // namespace velmap::skin
