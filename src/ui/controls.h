// Controls: TControl (bounds, look, notifications, a replaceable window
// procedure called directly), TWinControl (a real window; routes mouse input
// to its non-windowed children and paints them), TGraphicControl (no window).
#pragma once

#include "ui/component.h"
#include "ui/graphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmap::ui {

// The framework's notifications, delivered by direct dispatch (and to a
// window, as sent messages). Private range of this module's own windows.
enum : UINT {
    UIM_MOUSEENTER = 0xB001,     // lParam: the control the pointer entered
    UIM_MOUSELEAVE = 0xB002,     // lParam: the control the pointer left
    UIM_VISIBLECHANGED = 0xB003, // wParam: 1 when now visible
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

// Minimum and maximum size; 0 means no limit.
class TSizeConstraints : public TPersistent {
public:
    int MinWidth() const { return min_w_; }
    int MaxWidth() const { return max_w_; }
    int MinHeight() const { return min_h_; }
    int MaxHeight() const { return max_h_; }
    void SetMinWidth(int v) { Set(min_w_, v); }
    void SetMaxWidth(int v) { Set(max_w_, v); }
    void SetMinHeight(int v) { Set(min_h_, v); }
    void SetMaxHeight(int v) { Set(max_h_, v); }
    void Apply(int& w, int& h) const;
    void Scale(int m, int d);

    std::function<void()> OnChange;
    std::string ClassName() const override { return "TSizeConstraints"; }
    const TPropTable& Props() const override;

private:
    void Set(int& f, int v);
    int min_w_ = 0, max_w_ = 0, min_h_ = 0, max_h_ = 0;
};

class TWinControl;

// The module's window class for framework windows (registered once).
const wchar_t* FrameworkWindowClass();

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
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

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
    bool font_from_parent_ = false;
    // Where the control was put and the parent's client size then: anchored
    // layout is worked out from these, so a parent shrunk to nothing and
    // grown again gives the control back its place and size.
    bool anchor_set_ = false;
    RECT anchor_bounds_{};
    int anchor_parent_w_ = 0, anchor_parent_h_ = 0;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created on first need (with the parents' windows).
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    void DestroyHandle();
    // A foreign window to live in when there is no parent control.
    HWND ParentWindow() const { return parent_window_; }
    void SetParentWindow(HWND wnd);

    const std::vector<TControl*>& Controls() const { return controls_; }
    // The visible non-windowed child at a client point, the topmost first.
    TControl* ControlAtPos(POINT p, bool allow_disabled) const;

    TCanvas& Canvas() { return canvas_; }
    int TabOrder() const { return tab_order_; }
    void SetTabOrder(int v) { tab_order_ = v; }
    bool TabStop() const { return tab_stop_; }
    void SetTabStop(bool v) { tab_stop_ = v; }

    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void SetCaption(const std::wstring& v) override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    void ChangeScale(int m, int d) override;
    void Loaded() override;
    // Lays aligned and anchored children out again.
    void Realign();

    std::string ClassName() const override { return "TWinControl"; }
    const TPropTable& Props() const override;
    static const TPropTable& ClassProps();

protected:
    struct TCreateParams {
        std::wstring caption;
        DWORD style = 0;
        DWORD ex_style = 0;
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr;
    };
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    void WndProc(TMessage& msg) override;
    void DefaultHandler(TMessage& msg) override;
    void UpdateBounds(int left, int top, int width, int height) override;
    void FontChanged() override;

    // WM_PAINT and WM_PRINT: paints into dc when given, else BeginPaint.
    void PaintHandler(HDC dc);
    // The control's own face on dc (default: Paint through the canvas).
    virtual void PaintWindow(HDC dc);
    // The face, drawn on Canvas(); the default fills the client with Color.
    virtual void Paint();
    // Paints the visible non-windowed children onto dc, each at its place.
    virtual void PaintControls(HDC dc);

    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);

    HWND handle_ = nullptr;
    HWND parent_window_ = nullptr;
    std::vector<TControl*> controls_;

private:
    friend class TControl;
    friend const wchar_t* FrameworkWindowClass();
    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    bool RouteMouse(TMessage& msg);
    void UpdateHover(POINT client);
    void PrintChildren(HDC dc, LPARAM flags);
    void AlignControls();

    TControl* capture_control_ = nullptr;
    bool tracking_leave_ = false;
    TCanvas canvas_;
    int tab_order_ = -1;
    bool tab_stop_ = false;
    int aligned_w_ = -1, aligned_h_ = -1;
    bool aligning_ = false;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas& Canvas() { return canvas_; }
    std::string ClassName() const override { return "TGraphicControl"; }

protected:
    void WndProc(TMessage& msg) override;
    // Draws the control on Canvas(), whose origin is the control's corner.
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

// Called with the text of an exception that reached a window procedure
// (which must not let it out). Null: it is dropped.
void SetWindowProcErrorHandler(std::function<void(const char*)> handler);
void ReportWindowProcError(const char* what);


}  // namespace velmap::ui
