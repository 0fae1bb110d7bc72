// TControl: bounds, look, notifications, and a replaceable window procedure
// called directly. The framework's messages and mouse types.
#pragma once

#include "ui/component.h"
#include "ui/graphics.h"
#include "ui/size_constraints.h"

#include <functional>
#include <string>
#include <vector>

namespace velmap::ui {

// The framework's notifications, delivered by direct dispatch (and to a
// window, as sent messages). Private range of this module's own windows.
enum : UINT {
    UIM_MOUSEENTER = 0xB001,      // lparam: the control the pointer entered
    UIM_MOUSELEAVE = 0xB002,      // lparam: the control the pointer left
    UIM_VISIBLECHANGED = 0xB003,  // wparam: 1 when now visible
    UIM_ENABLEDCHANGED = 0xB004,
    UIM_TEXTCHANGED = 0xB005,
    UIM_COLORCHANGED = 0xB006,
    UIM_FONTCHANGED = 0xB007,
};

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};
using TWndMethod = std::function<void(TMessage&)>;

enum class TControlStyle { csOpaque, csAcceptsControls, csParentBackground, csNoDesignVisible };
using TControlStyles = TSet<TControlStyle>;
enum class TControlState { csCustomPaint, csPaintCopy };
using TControlStates = TSet<TControlState>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TShiftFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftFlag>;

class TWinControl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return {0, 0, width_, height_}; }
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a window that is shown.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parent_color_; }
    void SetParentColor(bool v);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    bool ParentFont() const { return parent_font_; }
    void SetParentFont(bool v);
    const std::wstring& Caption() const { return text_; }
    virtual void SetCaption(const std::wstring& v);
    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& v) { SetCaption(v); }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors v) {
        anchors_ = v;
        anchor_set_ = false;
    }
    TSizeConstraints& Constraints() { return constraints_; }

    TControlStyles ControlStyle() const { return style_; }
    void SetControlStyle(TControlStyles s) { style_ = s; }
    TControlStates ControlState() const { return cstate_; }
    void SetControlState(TControlStates s) { cstate_ = s; }

    // The procedure every message of this control goes through. Replace it to
    // hook the control; call the saved one to pass messages on.
    TWndMethod WindowProc;
    // Direct dispatch: runs WindowProc now, with no window involved.
    LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);

    virtual void Invalidate();
    // Invalidates and paints at once.
    virtual void Repaint();
    virtual void Update();

    // Whether the pointer is over this control (it has had the mouse-entered
    // notification and not yet the mouse-left one).
    bool MouseInside() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Scales bounds, constraints and an own font by m / d.
    virtual void ChangeScale(int m, int d);

    // What ChangeScale scales, as loading left it: a later density is applied
    // to these rather than to values rounded once already.
    struct TScaleRecord {
        int left = 0, top = 0, width = 0, height = 0;
        int min_w = 0, max_w = 0, min_h = 0, max_h = 0;
        int font_height = 0;
        TAlign align = TAlign::alNone;
        TAnchors anchors{TAnchorKind::akLeft, TAnchorKind::akTop};
        std::vector<int> extents;  // ScaledExtents()
    };
    TScaleRecord ScaleRecord() const;
    // The record turned by a quarter: x and y, widths and heights, the sides
    // of alignment and anchoring trade places (a row becomes a column).
    static TScaleRecord Turned(const TScaleRecord& record);
    // ChangeScale of this control alone, from a record; the font is made for
    // ppi. Windowed children are not walked: the caller does.
    void ApplyScaleRecord(const TScaleRecord& record, int m, int d, int ppi);
    // Forgets where anchored layout started from (after a change of scale,
    // the old place and parent size mean nothing).
    void ResetAnchorMemory() { anchor_set_ = false; }
    // Sizes of a control's own that scale with its bounds (a cool bar's band
    // widths); set again, scaled, after the bounds.
    virtual std::vector<int> ScaledExtents() const { return {}; }
    virtual void SetScaledExtents(const std::vector<int>&) {}

    std::string ClassName() const override { return "TControl"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

    // The process-wide control under the pointer (null: none of ours).
    static TControl* MouseControl();
    // Moves the pointer's control, sending mouse-left and mouse-entered.
    static void SetMouseControl(TControl* c);

protected:
    friend class TWinControl;

    virtual void WndProc(TMessage& msg);
    // What a message gets when no class handled it.
    virtual void DefaultHandler(TMessage& msg) { (void)msg; }
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    // Applies new bounds; windowed controls move their window.
    virtual void UpdateBounds(int left, int top, int width, int height);
    virtual void FontChanged();
    void ParentFontChanged();
    void ParentColorChanged();
    // Whether painting makes sense now: a parent, not being built or torn down.
    bool ReadyToPaint() const;
    static TShiftState ShiftFromKeys(WPARAM keys);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parent_color_ = true;
    bool parent_font_ = true;
    TFont font_;
    std::wstring text_;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_{TAnchorKind::akLeft, TAnchorKind::akTop};
    TSizeConstraints constraints_;
    TControlStyles style_;
    TControlStates cstate_;

private:
    // The process-wide control under the pointer.
    inline static TControl* mouse_control_ = nullptr;
    bool font_from_parent_ = false;
    // Where the control was put and the parent's client size then: anchored
    // layout is worked out from these, so a parent shrunk to nothing and
    // grown again gives the control back its place and size.
    bool anchor_set_ = false;
    RECT anchor_bounds_{};
    int anchor_parent_w_ = 0, anchor_parent_h_ = 0;
};

}  // namespace velmap::ui
