// A shown form holding a skinned panel with speed buttons, a painter that
// paints every face in one plain colour per state, and what the tests read
// back from the screen.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "skin/controls/control_classes.h"
#include "skin/controls/control_painter.h"
#include "skin/controls/panel.h"
#include "skin/controls/speed_button.h"
#include "skin/paint/pixel_ops.h"
#include "skin_test_support.h"

namespace velmap::skin::test {

// Runs the thread's messages until done() or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 8000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (MSG m;;) {
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
inline void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

// Panels are grey; a button face is faces[state].
class FacePainter : public ControlPainter {
public:
    static constexpr COLORREF kPanel = 0x404040;
    COLORREF faces[3] = {0xFFFFFF, 0x000000, 0x000000};

    void PaintItem(TsCommonData& data, const paint::BackgroundSource&, bool, int state, const RECT& r, POINT,
                   ui::TBitmap& bmp, bool) override {
        const COLORREF c = data.ControlKind == ControlKindPanel ? kPanel : faces[state > 2 ? 2 : state];
        paint::FillRectColor(bmp.Image(), {r.left, r.top, r.right, r.bottom}, static_cast<paint::TColor>(c));
    }
};

class PainterScope {
public:
    explicit PainterScope(ControlPainter* p) : previous_(SetControlPainter(p)) {}
    ~PainterScope() { SetControlPainter(previous_); }

private:
    ControlPainter* previous_;
};

// A shown top-level window of its own place on the screen, one for the whole
// program: without a window manager, hiding a top-level window under Wine
// waits seconds for a state change that never comes.
inline HWND SharedHost() {
    static const HWND wnd = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmapControlsHost";
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 600,
                                 400, 240, 80, nullptr, nullptr, wc.hInstance, nullptr);
    }();
    ::SetCursorPos(5, 5);  // the pointer waits where it hovers over nothing of ours
    return wnd;
}

// The description of a child of the panel.
inline std::string Child(const char* cls, const char* name, int left, int top, int w, int h,
                         const std::string& section = {}) {
    return std::string("object ") + name + " : " + cls + "\n Left = " + std::to_string(left) +
           "\n Top = " + std::to_string(top) + "\n Width = " + std::to_string(w) + "\n Height = " + std::to_string(h) +
           (section.empty() ? "" : "\n SkinData.SkinSection = \"" + section + "\"") + "\nend\n";
}
inline std::string Button(const char* name, int left, const std::string& section = {}) {
    return Child("TsSpeedButton", name, left, 10, 20, 20, section);
}

// A 200 x 40 form and panel in the shared host, the children inside the
// panel, with a test skin (`extra` sections added) or the given options.
inline ui::owned<ui::TForm> MakeControlsForm(const std::string& children, const std::string& extra = {},
                                             const std::string& options = {}) {
    RegisterSkinControlClasses();
    const std::string text =
        "object TestForm : TForm\n Width = 200\n Height = 40\n Visible = True\n"
        " object SkinManager : TsSkinManager\n  InternalSkins = <\n   item\n    Name = \"Test\"\n    Data = @SKIN\n"
        "   end>\n  SkinName = \"Test\"\n end\n"
        " object Panel : TsPanel\n  Width = 200\n  Height = 40\n  SkinData.SkinSection = \"PANEL\"\n" +
        children + " end\nend\n";
    const HWND host = SharedHost();
    auto form = MakeForm(host, text, {{"SKIN", PackSkin(options.empty() ? SkinOptions("5.43", extra) : options)}});
    ::UpdateWindow(host);
    return form;
}

template <typename T>
T* Find(const ui::owned<ui::TForm>& form, const char* name) {
    return dynamic_cast<T*>(form->FindComponent(name));
}

// The colour on screen at a point of a windowed control.
inline COLORREF ScreenPixel(ui::TWinControl* w, int x, int y) {
    win::window_dc dc(w->Handle());
    return ::GetPixel(dc.get(), x, y) & 0xFFFFFF;
}

}  // namespace velmap::skin::test
