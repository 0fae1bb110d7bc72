#include "remote/band_accessibility.h"

#include "remote/band_strings.h"
#include "ui/reader.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace velmap::remote {

namespace {

constexpr UINT kButtonNames[TBandAccessibility::kButtons] = {IDS_BUTTON_PREV, IDS_BUTTON_PLAYPAUSE, IDS_BUTTON_STOP,
                                                             IDS_BUTTON_NEXT, IDS_BUTTON_VOLDOWN,   IDS_BUTTON_VOLUP};

// The states whose changes are announced to accessibility clients.
constexpr DWORD kAnnouncedStates =
    STATE_SYSTEM_PRESSED | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE;

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    // Length 0 asks for a pointer into the resource itself.
    const int length = ::LoadStringW(ui::ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring{};
}

template <typename Fn>
Fn Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// 24-bit top-down pixels of one off-screen picture.
struct Pixels {
    std::uint8_t* bits = nullptr;
    int width = 0, height = 0, stride = 0;

    void Set(int x, int y, COLORREF c) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(y) * stride + x * 3;
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
    }
    void Fill(const RECT& r, COLORREF c) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Set(x, y, c);
    }
    // A frame of the given thickness inside r.
    void Frame(RECT r, int thickness, COLORREF c) {
        for (int i = 0; i < thickness && r.right - r.left > 0 && r.bottom - r.top > 0; ++i) {
            Fill({r.left, r.top, r.right, r.top + 1}, c);
            Fill({r.left, r.bottom - 1, r.right, r.bottom}, c);
            Fill({r.left, r.top, r.left + 1, r.bottom}, c);
            Fill({r.right - 1, r.top, r.right, r.bottom}, c);
            ::InflateRect(&r, -1, -1);
        }
    }
};

}  // namespace

bool SystemHighContrast() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// A window procedure hook: forwards to the procedure it replaced once its
// owner has gone, so whoever hooked the control later keeps working.
struct TBandAccessibility::Hook {
    TBandAccessibility* owner;
    void (TBandAccessibility::*proc)(ui::TMessage&);
    ui::TWndMethod saved;

    static std::shared_ptr<Hook> Install(ui::TControl& control, TBandAccessibility* owner,
                                         void (TBandAccessibility::*proc)(ui::TMessage&)) {
        auto hook = std::make_shared<Hook>(Hook{owner, proc, control.WindowProc});
        control.WindowProc = [hook](ui::TMessage& m) {
            if (hook->owner)
                (hook->owner->*hook->proc)(m);
            else if (hook->saved)
                hook->saved(m);
        };
        return hook;
    }
};

TBandAccessibility::TBandAccessibility(TBandForm& form)
    : form_(form),
      form_wnd_(form.Handle()),
      panel_wnd_(form.Panel ? form.Panel->Handle() : nullptr),
      client_wnd_(panel_wnd_ ? panel_wnd_ : form_wnd_) {
    for (int i = 1; i <= kButtons; ++i) states_[i] = ButtonState(i) & kAnnouncedStates;
    form_hook_ = Hook::Install(form, this, &TBandAccessibility::FormProc);
    if (form.Panel) panel_hook_ = Hook::Install(*form.Panel, this, &TBandAccessibility::PanelProc);
    if (ReadHighContrast()) RepaintAll();
}

TBandAccessibility::~TBandAccessibility() {
    if (form_hook_) form_hook_->owner = nullptr;
    if (panel_hook_) panel_hook_->owner = nullptr;
    if (accessible_) {
        DisconnectBandAccessible(accessible_);
        accessible_->Release();
        accessible_ = nullptr;
    }
    if (tooltip_) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
}

bool TBandAccessibility::EnsureAccessible() {
    // Only once a client asks: a band nobody reads never loads oleacc.
    if (accessible_) return true;
    if (oleacc_failed_) return false;
    oleacc_failed_ = true;
    oleacc_.reset(win::load_system_library(L"oleacc.dll"));
    lresult_from_object_ = Proc<decltype(lresult_from_object_)>(oleacc_.get(), "LresultFromObject");
    create_std_object_ = Proc<decltype(create_std_object_)>(oleacc_.get(), "CreateStdAccessibleObject");
    if (!lresult_from_object_) return false;
    accessible_ = NewBandAccessible(*this);
    oleacc_failed_ = accessible_ == nullptr;
    return accessible_ != nullptr;
}

LRESULT TBandAccessibility::AnswerGetObject(WPARAM flags, LPARAM object_id) {
    if (static_cast<DWORD>(object_id) != static_cast<DWORD>(OBJID_CLIENT) || !EnsureAccessible()) return -1;
    return lresult_from_object_(__uuidof(IAccessible), flags, accessible_);
}

TBandButton* TBandAccessibility::Button(int child) const {
    switch (child) {
        case 1: return form_.btnPrev;
        case 2: return form_.btnPlayPause;
        case 3: return form_.btnStop;
        case 4: return form_.btnNext;
        case 5: return form_.btnVolDn;
        case 6: return form_.btnVolUp;
        default: return nullptr;
    }
}

bool TBandAccessibility::HasFocus() const { return form_wnd_ && ::GetFocus() == form_wnd_; }

// ---- what screen readers read --------------------------------------------------------

std::wstring TBandAccessibility::Name(int child) const {
    if (child == CHILDID_SELF) return LoadText(IDS_BAND_NAME);
    return child >= 1 && child <= kButtons ? LoadText(kButtonNames[child - 1]) : std::wstring{};
}

std::wstring TBandAccessibility::DefaultAction(int child) const {
    return child >= 1 && child <= kButtons ? LoadText(IDS_ACTION_PRESS) : std::wstring{};
}

DWORD TBandAccessibility::ButtonState(int child) const {
    TBandButton* b = Button(child);
    if (!b) return 0;
    DWORD s = 0;
    if (!b->Visible() || !::IsWindowVisible(form_wnd_)) s |= STATE_SYSTEM_INVISIBLE;
    if (!b->Enabled()) {
        s |= STATE_SYSTEM_UNAVAILABLE;
    } else {
        s |= STATE_SYSTEM_FOCUSABLE;
        if (focused_ == child && HasFocus()) s |= STATE_SYSTEM_FOCUSED;
        if (b->MouseInControl() || b->SkinData().MouseOver) s |= STATE_SYSTEM_HOTTRACKED;
        if (b->VisualState() == 2) s |= STATE_SYSTEM_PRESSED;
    }
    return s;
}

DWORD TBandAccessibility::State(int child) const {
    if (child != CHILDID_SELF) return ButtonState(child);
    DWORD s = STATE_SYSTEM_FOCUSABLE;
    if (!::IsWindowVisible(form_wnd_)) s |= STATE_SYSTEM_INVISIBLE;
    if (HasFocus() && focused_ == 0) s |= STATE_SYSTEM_FOCUSED;
    return s;
}

RECT TBandAccessibility::ScreenRect(int child) const {
    RECT r{};
    if (child == CHILDID_SELF) {
        ::GetClientRect(client_wnd_, &r);
        ::MapWindowPoints(client_wnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else if (TBandButton* b = Button(child); b && panel_wnd_) {
        r = b->BoundsRect();
        ::MapWindowPoints(panel_wnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

int TBandAccessibility::ChildAt(POINT screen) const {
    if (!Inside(ScreenRect(CHILDID_SELF), screen)) return -1;
    for (int i = 1; i <= kButtons; ++i)
        if (TBandButton* b = Button(i); b && b->Visible() && Inside(ScreenRect(i), screen)) return i;
    return CHILDID_SELF;
}

int TBandAccessibility::FocusedChild() const { return HasFocus() ? focused_ : -1; }

HRESULT TBandAccessibility::WindowObject(IDispatch** out) const {
    if (!create_std_object_) return E_FAIL;
    return create_std_object_(client_wnd_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(out));
}

// ---- what they, and the keyboard, can do -----------------------------------------------

bool TBandAccessibility::Click(int child) {
    TBandButton* b = Button(child);
    if (!b || !b->Enabled() || !b->Visible() || pressed_) return false;
    // The mouse's own path: the pressed face, then the click on release.
    const LPARAM centre = MAKELPARAM(b->Width() / 2, b->Height() / 2);
    const auto life = b->Life();
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    if (!life.expired()) b->Perform(WM_LBUTTONUP, 0, centre);
    if (!life.expired()) NotifyStateChanges();
    return true;
}

bool TBandAccessibility::Focus(int child) {
    if (child < 0 || child > kButtons) return false;
    if (child > 0 && !Button(child)->Enabled()) return false;
    if (!HasFocus()) ::SetFocus(form_wnd_);
    if (!HasFocus()) return false;
    if (child > 0) {
        cue_ = true;
        MoveFocus(child);
    }
    return true;
}

void TBandAccessibility::RepaintButton(int child) {
    if (TBandButton* b = Button(child)) {
        b->SkinData().CacheStale = true;
        b->RepaintThroughParent();
    }
}

void TBandAccessibility::SetCue(int child, bool on) {
    if (TBandButton* b = Button(child)) {
        // The focused button shows its hot face, and the cue over it, once
        // the cue is wanted.
        b->SkinData().Focused = on && cue_;
        RepaintButton(child);
    }
}

void TBandAccessibility::MoveFocus(int child) {
    if (child == focused_) {
        SetCue(child, true);  // the cue may just have been asked for
        return;
    }
    if (pressed_) Release(false);
    const int old = focused_;
    focused_ = child;
    SetCue(old, false);
    SetCue(child, true);
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, client_wnd_, OBJID_CLIENT, child);
}

void TBandAccessibility::Press(int child) {
    TBandButton* b = Button(child);
    if (!b || !b->Enabled() || !b->Visible()) return;
    pressed_ = child;
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->Width() / 2, b->Height() / 2));
    NotifyStateChanges();
}

void TBandAccessibility::Release(bool click) {
    TBandButton* b = Button(pressed_);
    pressed_ = 0;
    press_key_ = 0;
    if (!b) return;
    const auto life = b->Life();
    if (click)
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(b->Width() / 2, b->Height() / 2));
    else
        b->Perform(WM_CANCELMODE);  // no click
    if (!life.expired()) NotifyStateChanges();
}

bool TBandAccessibility::HandleKey(ui::TMessage& m) {
    if (focused_ == 0) return false;
    const auto enabled = [this](int i) { return Button(i) && Button(i)->Enabled() && Button(i)->Visible(); };
    const auto step = [&](int from, int by) {
        for (int i = from + by; i >= 1 && i <= kButtons; i += by)
            if (enabled(i)) return i;
        return 0;
    };
    if (m.Msg == WM_KEYUP) {
        if ((m.WParam == VK_SPACE || m.WParam == VK_RETURN) && pressed_ && m.WParam == press_key_) {
            Release(true);
            return true;
        }
        return false;
    }
    int to = 0;
    switch (m.WParam) {
        case VK_LEFT:
        case VK_UP:
            to = step(focused_, -1);
            break;
        case VK_RIGHT:
        case VK_DOWN:
            to = step(focused_, +1);
            break;
        case VK_HOME:
            to = step(0, +1);
            break;
        case VK_END:
            to = step(kButtons + 1, -1);
            break;
        case VK_SPACE:
        case VK_RETURN:
            // Held keys repeat: one press only, clicked on release.
            if (!pressed_ && !(m.LParam & (1 << 30)) && enabled(focused_)) {
                cue_ = true;
                SetCue(focused_, true);
                press_key_ = m.WParam;
                Press(focused_);
            }
            return true;
        case VK_ESCAPE:
            if (!pressed_) return false;
            Release(false);
            return true;
        default:
            return false;
    }
    cue_ = true;
    MoveFocus(to ? to : focused_);
    return true;
}

// ---- the form's messages ----------------------------------------------------------------

void TBandAccessibility::FormProc(ui::TMessage& m) {
    const ui::TWndMethod saved = form_hook_->saved;
    const auto life = form_.Life();
    const auto pass_on = [&] {
        if (saved) saved(m);
        return !life.expired();
    };
    switch (m.Msg) {
        case WM_GETOBJECT:
            // The toolbar is the panel's client (below); the form's client is
            // the system's, whose child windows lead there. Answering here
            // too would show every button twice to a reader that walks the
            // window tree.
            if (client_wnd_ != form_wnd_) break;
            if (const LRESULT answer = AnswerGetObject(m.WParam, m.LParam); answer != -1) {
                m.Result = answer;
                return;
            }
            break;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (HandleKey(m)) {
                m.Result = 0;
                return;
            }
            break;
        case WM_SETFOCUS: {
            if (!pass_on()) return;
            // Focus that comes with a mouse press shows no cue until a key is used.
            cue_ = ::GetKeyState(VK_LBUTTON) >= 0 && ::GetKeyState(VK_RBUTTON) >= 0;
            int first = 0;
            for (int i = 1; i <= kButtons && !first; ++i)
                if (Button(i) && Button(i)->Enabled() && Button(i)->Visible()) first = i;
            focused_ = first;
            SetCue(first, true);
            ::NotifyWinEvent(EVENT_OBJECT_FOCUS, client_wnd_, OBJID_CLIENT, first);
            return;
        }
        case WM_KILLFOCUS: {
            if (pressed_) Release(false);
            const int old = focused_;
            focused_ = 0;
            cue_ = false;
            SetCue(old, false);
            break;
        }
        case WM_THEMECHANGED:
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            if (!pass_on()) return;
            // New system colours matter to either look; other settings only
            // to the system's.
            if (ReadHighContrast() || high_contrast_ || m.Msg != WM_SETTINGCHANGE) RepaintAll();
            return;
        default:
            break;
    }
    pass_on();
}

bool TBandAccessibility::ReadHighContrast() {
    const bool on = SystemHighContrast();
    if (on == high_contrast_) return false;
    high_contrast_ = on;
    for (int i = 1; i <= kButtons; ++i) {
        TBandButton* b = Button(i);
        if (!b) continue;
        // The system's look does not fade: state changes repaint at once.
        if (on) {
            saved_animat_events_[i] = b->AnimatEvents();
            b->StopFade();
            b->SetAnimatEvents(skin::TacAnimatEvents{});
        } else {
            b->SetAnimatEvents(saved_animat_events_[i]);
        }
    }
    return true;
}

void TBandAccessibility::RepaintAll() {
    if (form_.Panel) form_.Panel->SkinData().CacheStale = true;
    for (int i = 1; i <= kButtons; ++i)
        if (TBandButton* b = Button(i)) b->SkinData().CacheStale = true;
    ::RedrawWindow(form_wnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TBandAccessibility::NotifyStateChanges() {
    for (int i = 1; i <= kButtons; ++i) {
        const DWORD s = ButtonState(i) & kAnnouncedStates;
        if (s == states_[i]) continue;
        states_[i] = s;
        ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, client_wnd_, OBJID_CLIENT, i);
    }
}

// ---- the panel's messages: painting, the pointer, the tooltip ----------------------------

void TBandAccessibility::PanelProc(ui::TMessage& m) {
    const ui::TWndMethod saved = panel_hook_->saved;
    const auto life = form_.Life();
    const auto pass_on = [&] {
        if (saved) saved(m);
        return !life.expired();
    };
    switch (m.Msg) {
        case WM_GETOBJECT:
            // The buttons sit in this window, and point lookups find it: its
            // client area is the toolbar.
            if (const LRESULT answer = AnswerGetObject(m.WParam, m.LParam); answer != -1) {
                m.Result = answer;
                return;
            }
            break;
        case WM_PAINT:
            if (high_contrast_) {
                if (HDC given = reinterpret_cast<HDC>(m.WParam)) {
                    PaintHighContrast(given);
                } else {
                    PAINTSTRUCT ps;
                    if (HDC dc = ::BeginPaint(panel_wnd_, &ps)) {
                        PaintHighContrast(dc);
                        ::EndPaint(panel_wnd_, &ps);
                    }
                }
                m.Result = 0;
                return;
            }
            if (!pass_on()) return;
            if (cue_ && focused_ && HasFocus()) {
                if (HDC given = reinterpret_cast<HDC>(m.WParam)) {
                    DrawFocusCue(given);
                } else if (win::window_dc dc(panel_wnd_); dc) {
                    DrawFocusCue(dc.get());
                }
            }
            return;
        case WM_PRINTCLIENT:
        case WM_PRINT:
            if (m.Msg == WM_PRINT && !(m.LParam & PRF_CLIENT)) break;
            if (high_contrast_) {
                if (HDC dc = reinterpret_cast<HDC>(m.WParam)) PaintHighContrast(dc);
                return;
            }
            if (!pass_on()) return;
            if (cue_ && focused_ && HasFocus() && m.WParam) DrawFocusCue(reinterpret_cast<HDC>(m.WParam));
            return;
        case WM_ERASEBKGND:
            if (high_contrast_) {
                m.Result = 1;
                return;
            }
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            if (m.Msg == WM_MOUSEMOVE) EnsureTooltip();
            RelayToTooltip(m);
            if (pass_on()) NotifyStateChanges();
            return;
        case WM_MOUSELEAVE:
        case WM_CAPTURECHANGED:
            if (pass_on()) NotifyStateChanges();
            return;
        case WM_SIZE:
            if (pass_on()) UpdateToolRects();
            return;
        default:
            break;
    }
    pass_on();
}

void TBandAccessibility::DrawFocusCue(HDC dc) {
    TBandButton* b = Button(focused_);
    if (!b || !b->Visible()) return;
    // A dotted ring of alternating black and white, seen on any face.
    static const WORD kDots[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    win::unique_hbitmap pattern(::CreateBitmap(8, 8, 1, 1, kDots));
    win::unique_hbrush brush(pattern ? ::CreatePatternBrush(pattern.get()) : nullptr);
    if (!brush) return;
    const COLORREF text = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = ::SetBkColor(dc, RGB(255, 255, 255));
    const RECT r = b->BoundsRect();
    ::FrameRect(dc, &r, brush.get());
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, back);
}

void TBandAccessibility::PaintHighContrast(HDC dc) {
    RECT client{};
    ::GetClientRect(panel_wnd_, &client);
    Pixels px;
    px.width = client.right;
    px.height = client.bottom;
    if (px.width <= 0 || px.height <= 0) return;
    px.stride = (px.width * 3 + 3) & ~3;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = px.width;
    bi.bmiHeader.biHeight = -px.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    win::unique_hbitmap picture(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::unique_hdc mem(::CreateCompatibleDC(dc));
    if (!picture || !mem || !bits) return;
    px.bits = static_cast<std::uint8_t*>(bits);

    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    px.Fill(client, face);
    const bool focus = HasFocus();
    for (int i = 1; i <= kButtons; ++i) {
        TBandButton* b = Button(i);
        if (!b || !b->Visible()) continue;
        const RECT r = b->BoundsRect();
        const bool enabled = b->Enabled();
        const bool pressed = enabled && b->VisualState() == 2;
        const bool framed =
            enabled && ((focus && cue_ && focused_ == i) || b->MouseInControl() || b->SkinData().MouseOver);
        COLORREF ink = enabled ? text : ::GetSysColor(COLOR_GRAYTEXT);
        if (pressed) {
            px.Fill(r, highlight);
            ink = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        } else if (framed) {
            px.Frame(r, 2, highlight);
        }
        // The glyph's shape in the ink: every pixel but its see-through colour
        // (the one at its bottom-left corner).
        ui::TBitmap& glyph = b->Glyph();
        const int gw = glyph.Width() / std::max(1, b->NumGlyphs()), gh = glyph.Height();
        if (gw <= 0 || gh <= 0) continue;
        const int bpp = glyph.Image().BytesPerPixel();
        const std::uint8_t* corner = glyph.ScanLine(gh - 1);
        const int off = pressed ? 1 : 0;
        const int x0 = r.left + (r.right - r.left - gw) / 2 + off, y0 = r.top + (r.bottom - r.top - gh) / 2 + off;
        for (int y = 0; y < gh; ++y) {
            const std::uint8_t* row = glyph.ScanLine(y);
            for (int x = 0; x < gw; ++x) {
                const std::uint8_t* p = row + x * bpp;
                if (p[0] == corner[0] && p[1] == corner[1] && p[2] == corner[2]) continue;
                if (Inside(r, {x0 + x, y0 + y})) px.Set(x0 + x, y0 + y, ink);
            }
        }
    }
    ::GdiFlush();
    win::select_object keep(mem.get(), picture.get());
    ::BitBlt(dc, 0, 0, px.width, px.height, mem.get(), 0, 0, SRCCOPY);
}

void TBandAccessibility::EnsureTooltip() {
    if (tooltip_ || tooltip_failed_) return;
    tooltip_failed_ = true;  // one try: a system without tooltips keeps working
    comctl32_.reset(win::load_system_library(L"comctl32.dll"));
    const auto init = Proc<decltype(&::InitCommonControlsEx)>(comctl32_.get(), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    if (!init || !init(&icc)) return;
    // Owned by the band's window; always shown, since the taskbar is seldom
    // the active window.
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, form_wnd_, nullptr, nullptr, nullptr);
    if (!tooltip_) return;
    tooltip_failed_ = false;
    for (int i = 1; i <= kButtons; ++i) {
        TBandButton* b = Button(i);
        if (!b) continue;
        std::wstring name = Name(i);
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version
        ti.hwnd = panel_wnd_;
        ti.uId = static_cast<UINT_PTR>(i);
        ti.rect = b->BoundsRect();
        ti.lpszText = name.data();
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TBandAccessibility::UpdateToolRects() {
    if (!tooltip_) return;
    for (int i = 1; i <= kButtons; ++i) {
        TBandButton* b = Button(i);
        if (!b) continue;
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = panel_wnd_;
        ti.uId = static_cast<UINT_PTR>(i);
        ti.rect = b->BoundsRect();
        ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TBandAccessibility::RelayToTooltip(const ui::TMessage& m) {
    if (!tooltip_) return;
    MSG msg{panel_wnd_, m.Msg, m.WParam, m.LParam, static_cast<DWORD>(::GetMessageTime()), {}};
    const DWORD pos = ::GetMessagePos();
    msg.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

}  // namespace velmap::remote
