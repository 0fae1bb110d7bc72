// TWinControl: a real window; routes mouse input to its non-windowed children
// and paints them.
#pragma once

#include "ui/control.h"

#include <string>
#include <vector>

namespace velmap::ui {

// The module's window class for framework windows (registered once).
const wchar_t* FrameworkWindowClass();

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
    // The part of the client area aligned children share (default: all of it).
    virtual void AdjustClientRect(RECT& rect) const { (void)rect; }

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

}  // namespace velmap::ui
