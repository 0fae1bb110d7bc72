// The band as people without a mouse, or without the skin's colours, meet
// it: a screen reader's client through the system's oleacc, the keyboard the
// taskbar forwards, the tooltip under the pointer, and high contrast.
#include "band/band_clsid.h"
#include "band_harness.h"
#include "player_process.h"
#include "screenshot.h"
#include "win/strings.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace velmap::test {
namespace {

using Microsoft::WRL::ComPtr;
using tools::BandButton;
using tools::BandHost;
using tools::CallLog;
using tools::PumpMessages;
using tools::StripOrientation;

using Lines = std::vector<std::string>;

std::string Artefact(const char* name) { return std::string(VELMAP_TEST_BINARY_DIR) + "/" + name; }

VARIANT Child(LONG id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Name(IAccessible* acc, LONG id, HRESULT* result = nullptr) {
    BSTR name = nullptr;
    const HRESULT hr = acc->get_accName(Child(id), &name);
    if (result) *result = hr;
    std::wstring out = name ? std::wstring(name, ::SysStringLen(name)) : L"";
    ::SysFreeString(name);
    return out;
}

LONG Role(IAccessible* acc, LONG id) {
    VARIANT role;
    role.vt = VT_EMPTY;
    return SUCCEEDED(acc->get_accRole(Child(id), &role)) && role.vt == VT_I4 ? role.lVal : -1;
}

LONG State(IAccessible* acc, LONG id) {
    VARIANT state;
    state.vt = VT_EMPTY;
    return SUCCEEDED(acc->get_accState(Child(id), &state)) && state.vt == VT_I4 ? state.lVal : -1;
}

// The window the buttons sit in, whose client area is the band's toolbar:
// the deepest window under the first button, as a point lookup finds it.
HWND ToolbarWindow(HWND band) {
    const RECT r = tools::ButtonRect(band, BandButton::Prev);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    for (HWND wnd = band;;) {
        HWND child = ::ChildWindowFromPointEx(wnd, pt, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == wnd) return wnd;
        ::MapWindowPoints(wnd, child, &pt, 1);
        wnd = child;
    }
}

BOOL CALLBACK AddWindow(HWND wnd, LPARAM to) {
    reinterpret_cast<std::vector<HWND>*>(to)->push_back(wnd);
    return TRUE;
}

// What a reader that walks the window tree meets (UI Automation's MSAA proxy
// does): every window's client object; each toolbar and each simple child,
// counted by name.
std::map<std::wstring, int> NamesInWindowTree(HWND top) {
    std::vector<HWND> windows{top};
    ::EnumChildWindows(top, &AddWindow, reinterpret_cast<LPARAM>(&windows));
    std::map<std::wstring, int> names;
    for (HWND w : windows) {
        ComPtr<IAccessible> acc;
        if (FAILED(::AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&acc)))) continue;
        if (Role(acc.Get(), CHILDID_SELF) == ROLE_SYSTEM_TOOLBAR) ++names[L"toolbar " + Name(acc.Get(), CHILDID_SELF)];
        LONG count = 0;
        if (FAILED(acc->get_accChildCount(&count)) || count <= 0) continue;
        std::vector<VARIANT> children(static_cast<std::size_t>(count));
        LONG got = 0;
        if (FAILED(::AccessibleChildren(acc.Get(), 0, count, children.data(), &got))) continue;
        for (LONG i = 0; i < got; ++i) {
            if (children[i].vt == VT_I4) ++names[Name(acc.Get(), children[i].lVal)];
            ::VariantClear(&children[i]);
        }
    }
    return names;
}

// The keyboard as the taskbar hands it on: through TranslateAcceleratorIO.
void Key(IInputObject* input, HWND wnd, WPARAM key) {
    MSG down{wnd, WM_KEYDOWN, key, 1, 0, {}};
    input->TranslateAcceleratorIO(&down);
    PumpMessages(30);
    MSG up{wnd, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001), 0, {}};
    input->TranslateAcceleratorIO(&up);
    PumpMessages(30);
}

// How many pixels of the rectangle's top row are pure black, and pure white:
// the focus cue's dotted ring has plenty of both.
std::pair<int, int> RingDots(HWND band, BandButton b) {
    const tools::Picture pic = tools::CaptureWindow(band);
    const RECT r = tools::ButtonRect(band, b);
    int black = 0, white = 0;
    for (LONG x = r.left; x < r.right; ++x) {
        const COLORREF c = pic.Pixel(x, r.top);
        black += c == RGB(0, 0, 0);
        white += c == RGB(255, 255, 255);
    }
    return {black, white};
}

// ---- high contrast through the module's import of SystemParametersInfoW ----------

bool g_high_contrast = false;
decltype(&::SystemParametersInfoW) g_real_spi = nullptr;

BOOL WINAPI AnswerHighContrast(UINT action, UINT param, PVOID value, UINT flags) {
    if (action == SPI_GETHIGHCONTRAST && value) {
        auto* hc = static_cast<HIGHCONTRASTW*>(value);
        hc->dwFlags = g_high_contrast ? HCF_HIGHCONTRASTON | HCF_AVAILABLE : HCF_AVAILABLE;
        hc->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return g_real_spi(action, param, value, flags);
}

// Rewrites module's import slot of user32!name; returns the old target.
void* PatchImport(HMODULE module, const char* name, void* target) {
    auto* base = reinterpret_cast<std::uint8_t*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<char*>(base + d->Name), "user32.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(by_name->Name), name) != 0) continue;
            DWORD old = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(target);
            ::VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            return previous;
        }
    }
    return nullptr;
}

class BandAccessibility : public RegisteredBand {
protected:
    void SetUp() override { MovePointerAway(); }
    void TearDown() override { MovePointerAway(); }

    bool StartPlayer(const char* log) {
        return player.Start(VELMAP_PLAYER_EXE, Artefact(log), 60000) && player.WaitForWindow(20000) != nullptr;
    }

    CallLog log;
    tools::PlayerProcess player;
};

TEST_F(BandAccessibility, AScreenReaderReadsTheButtonsAndClicksNextAndIsCutOffWhenTheBandGoes) {
    ASSERT_TRUE(StartPlayer("e2e-access-player.log"));
    ComPtr<IAccessible> acc;
    {
        BandHost host(log, StripOrientation::Horizontal);
        ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
        ASSERT_EQ(S_OK, host.Show());
        PumpMessages(100);
        // One toolbar with six buttons, each met once walking the windows.
        const std::map<std::wstring, int> names = NamesInWindowTree(host.BandWindow());
        for (const wchar_t* name : {L"toolbar Velmora Player", L"Previous", L"Play/Pause", L"Stop", L"Next",
                                    L"Volume down", L"Volume up"}) {
            const auto it = names.find(name);
            EXPECT_EQ(1, it == names.end() ? 0 : it->second) << win::WideToUtf8(name);
        }
        ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(ToolbarWindow(host.BandWindow()),
                                                     static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&acc)));
        EXPECT_EQ(L"Velmora Player", Name(acc.Get(), CHILDID_SELF));
        EXPECT_EQ(ROLE_SYSTEM_TOOLBAR, Role(acc.Get(), CHILDID_SELF));

        LONG count = 0;
        ASSERT_EQ(S_OK, acc->get_accChildCount(&count));
        ASSERT_EQ(6, count);
        VARIANT children[6];
        LONG obtained = 0;
        ASSERT_EQ(S_OK, ::AccessibleChildren(acc.Get(), 0, 6, children, &obtained));
        ASSERT_EQ(6, obtained);
        struct Expected {
            const wchar_t* name;
            BandButton button;
        };
        const Expected expected[] = {{L"Previous", BandButton::Prev},     {L"Play/Pause", BandButton::PlayPause},
                                     {L"Stop", BandButton::Stop},         {L"Next", BandButton::Next},
                                     {L"Volume down", BandButton::VolDown}, {L"Volume up", BandButton::VolUp}};
        // In a horizontal strip, and in a vertical one after the user moved
        // the taskbar to a side: every location inside the band's window.
        for (const StripOrientation orientation : {StripOrientation::Horizontal, StripOrientation::Vertical}) {
        SCOPED_TRACE(orientation == StripOrientation::Vertical ? "vertical" : "horizontal");
        ASSERT_EQ(S_OK, host.SetOrientation(orientation));
        PumpMessages(100);
        RECT window;
        ::GetWindowRect(host.BandWindow(), &window);
        for (LONG i = 0; i < 6; ++i) {
            ASSERT_EQ(VT_I4, children[i].vt) << i;
            const LONG id = children[i].lVal;
            EXPECT_EQ(i + 1, id);
            EXPECT_EQ(expected[i].name, Name(acc.Get(), id));
            EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, Role(acc.Get(), id));
            EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, State(acc.Get(), id)) << "no focus, no pointer, nothing pressed";
            // Where the reader says the button is, the button is.
            LONG x = 0, y = 0, w = 0, h = 0;
            ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, Child(id)));
            RECT r = tools::ButtonRect(host.BandWindow(), expected[i].button);
            ::MapWindowPoints(host.BandWindow(), nullptr, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ(r.left, x);
            EXPECT_EQ(r.top, y);
            EXPECT_EQ(r.right - r.left, w);
            EXPECT_EQ(r.bottom - r.top, h);
            EXPECT_TRUE(x >= window.left && y >= window.top && x + w <= window.right && y + h <= window.bottom) << id;
            VARIANT hit;
            ASSERT_EQ(S_OK, acc->accHitTest(x + w / 2, y + h / 2, &hit));
            EXPECT_EQ(id, hit.lVal);
            VARIANT next;
            const HRESULT nav = acc->accNavigate(NAVDIR_NEXT, Child(id), &next);
            if (id < 6)
                EXPECT_TRUE(nav == S_OK && next.vt == VT_I4 && next.lVal == id + 1) << id;
            else
                EXPECT_EQ(S_FALSE, nav);
        }
        }
        HRESULT hr = S_OK;
        Name(acc.Get(), 7, &hr);
        EXPECT_EQ(E_INVALIDARG, hr);

        ASSERT_EQ(S_OK, acc->accDoDefaultAction(Child(4)));
        EXPECT_EQ(player.WaitForLines(1, 10000), Lines{"Ctrl+Alt+B"});
        EXPECT_EQ(S_OK, host.Close());
    }
    // The client still holds the object: it answers, safely, that it is cut
    // off, and the module stays loaded until the client lets it go.
    HRESULT hr = S_OK;
    Name(acc.Get(), 1, &hr);
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, hr);
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, acc->accDoDefaultAction(Child(4)));
    const HMODULE module = ::GetModuleHandleW(L"VelmapBand.dll");
    ASSERT_NE(nullptr, module);
    const auto can_unload = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
    EXPECT_EQ(S_FALSE, can_unload());
    ::CoFreeUnusedLibraries();
    ASSERT_EQ(module, ::GetModuleHandleW(L"VelmapBand.dll"));
    acc.Reset();
    EXPECT_EQ(S_OK, can_unload());
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"VelmapBand.dll"));
    EXPECT_EQ(0, player.Stop());
    EXPECT_EQ(1u, player.Lines().size());
}

// The reader in one process, the band in bandhost in another: what a screen
// reader really meets, through the system's marshalling of IAccessible.
TEST_F(BandAccessibility, AReaderInAnotherProcessReadsAndClicks) {
    ASSERT_TRUE(StartPlayer("e2e-access-remote-player.log"));
    std::wstring command = L"\"" + WindowsPath(VELMAP_BANDHOST_EXE) + L"\" --show-ms 20000";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND band = nullptr;
    for (int waited = 0; waited < 20000 && !band; waited += 50) {
        PumpMessages(50);
        if (HWND strip = ::FindWindowW(tools::kStripClass, nullptr))
            band = ::FindWindowExW(strip, nullptr, L"VelmapUiWindow", nullptr);
    }
    ASSERT_NE(nullptr, band) << "bandhost showed no band";
    DWORD pid = 0;
    ::GetWindowThreadProcessId(band, &pid);
    EXPECT_EQ(pi.dwProcessId, pid);
    {
        ComPtr<IAccessible> acc;
        ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(ToolbarWindow(band), static_cast<DWORD>(OBJID_CLIENT),
                                                     IID_PPV_ARGS(&acc)));
        EXPECT_EQ(L"Previous", Name(acc.Get(), 1));
        EXPECT_EQ(L"Volume up", Name(acc.Get(), 6));
        EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, Role(acc.Get(), 4));
        EXPECT_EQ(S_OK, acc->accDoDefaultAction(Child(4)));
        EXPECT_EQ(player.WaitForLines(1, 10000), Lines{"Ctrl+Alt+B"});
    }
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(0, player.Stop());
}

// ---- the window in front, as a user's document: it records every key it gets ----

int g_typed = 0;

LRESULT CALLBACK DocumentProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_typed += msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_CHAR || msg == WM_SYSCHAR;
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeDocumentInFront() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DocumentProc;
    wc.lpszClassName = L"BandTestDocument";
    ::RegisterClassW(&wc);
    HWND doc = ::CreateWindowExW(0, L"BandTestDocument", L"document", WS_POPUP | WS_VISIBLE, 300, 300, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(doc);
    ::SetFocus(doc);
    PumpMessages(50);
    return doc;
}

BOOL WINAPI RefuseForeground(HWND) { return FALSE; }

// A player that takes its shortcuts only while it is in front, and a taskbar
// that does not give it the foreground: a reader's Stop reaches nobody, and
// above all does not type Ctrl+Alt+V (AltGr+V on many layouts) into the
// window in front.
TEST_F(BandAccessibility, AShortcutThePlayerCannotHearIsNotTypedIntoTheWindowInFront) {
    ASSERT_TRUE(player.Start(VELMAP_PLAYER_EXE, Artefact("e2e-access-nohotkeys-player.log"), 60000,
                             "velmoraplayerapi", "Tvelmoraplayerapi", "--no-hotkeys"));
    ASSERT_NE(nullptr, player.WaitForWindow(20000));
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    PumpMessages(100);
    ComPtr<IAccessible> acc;
    ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(ToolbarWindow(host.BandWindow()), static_cast<DWORD>(OBJID_CLIENT),
                                                 IID_PPV_ARGS(&acc)));
    const HMODULE dll = ::GetModuleHandleW(L"VelmapBand.dll");
    ASSERT_NE(nullptr, dll);
    const HWND doc = MakeDocumentInFront();
    ASSERT_EQ(doc, ::GetForegroundWindow());
    g_typed = 0;
    void* real = PatchImport(dll, "SetForegroundWindow", reinterpret_cast<void*>(&RefuseForeground));
    ASSERT_NE(nullptr, real);
    EXPECT_EQ(S_OK, acc->accDoDefaultAction(Child(3)));
    PumpMessages(300);
    PatchImport(dll, "SetForegroundWindow", real);
    EXPECT_EQ(doc, ::GetForegroundWindow());
    EXPECT_EQ(0, g_typed) << "key messages typed into the window in front";

    // The window in front does get keys that are really typed: the silence
    // above means nothing was sent.
    ::keybd_event('V', 0, 0, 0);
    ::keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
    PumpMessages(200);
    EXPECT_GT(g_typed, 0);
    ::DestroyWindow(doc);
    EXPECT_EQ(S_OK, host.Close());
    EXPECT_EQ(0, player.Stop());
    EXPECT_TRUE(player.Lines().empty());
}

std::vector<LONG> g_focus_events;
void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
    // The system's own event for the window (child 0) comes first; the
    // band's names the button.
    if (object == OBJID_CLIENT && child != CHILDID_SELF) g_focus_events.push_back(child);
}

TEST_F(BandAccessibility, TheKeyboardMovesTheFocusCueAndPressesTheFocusedButton) {
    ASSERT_TRUE(StartPlayer("e2e-access-keys-player.log"));
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    PumpMessages(100);
    const HWND band = host.BandWindow();
    ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, host.Band()->QueryInterface(IID_PPV_ARGS(&input)));
    ComPtr<IAccessible> acc;
    ASSERT_EQ(S_OK,
              ::AccessibleObjectFromWindow(ToolbarWindow(band), static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&acc)));
    g_focus_events.clear();
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                                           ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);

    const auto [black_before, white_before] = RingDots(band, BandButton::Prev);
    ASSERT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    PumpMessages(100);
    ASSERT_EQ(band, ::GetFocus());
    VARIANT focus;
    ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
    EXPECT_TRUE(focus.vt == VT_I4 && focus.lVal == 1) << "Previous takes the focus first";
    EXPECT_TRUE(State(acc.Get(), 1) & STATE_SYSTEM_FOCUSED);
    const auto [black, white] = RingDots(band, BandButton::Prev);
    EXPECT_GE(black, 6) << "no focus cue (before: " << black_before << " black)";
    EXPECT_GE(white, 6) << "no focus cue (before: " << white_before << " white)";
    tools::SavePng(tools::Magnify(tools::CaptureWindow(band), 3), win::Utf8ToWide(Artefact("band-focus.png")));

    Key(input.Get(), band, VK_RIGHT);
    Key(input.Get(), band, VK_RIGHT);
    ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
    EXPECT_EQ(3, focus.lVal) << "Right, Right: on Stop";
    EXPECT_EQ(0, RingDots(band, BandButton::Prev).second) << "the cue stayed behind";
    EXPECT_GE(RingDots(band, BandButton::Stop).second, 6);

    // Space: the pressed face while the key is down, the click on release.
    MSG down{band, WM_KEYDOWN, VK_SPACE, 1, 0, {}};
    EXPECT_EQ(S_OK, input->TranslateAcceleratorIO(&down));
    PumpMessages(50);
    EXPECT_TRUE(State(acc.Get(), 3) & STATE_SYSTEM_PRESSED);
    EXPECT_TRUE(player.Lines().empty()) << "clicked on press";
    MSG up{band, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001), 0, {}};
    EXPECT_EQ(S_OK, input->TranslateAcceleratorIO(&up));
    EXPECT_EQ(player.WaitForLines(1, 10000), Lines{"Ctrl+Alt+V"});
    EXPECT_FALSE(State(acc.Get(), 3) & STATE_SYSTEM_PRESSED);

    // The click brought the player to the front; the taskbar hands the focus
    // back, to Previous again. The ends, and no step past them.
    ASSERT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    PumpMessages(50);
    Key(input.Get(), band, VK_END);
    Key(input.Get(), band, VK_RIGHT);
    ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
    EXPECT_EQ(6, focus.lVal);
    Key(input.Get(), band, VK_HOME);
    Key(input.Get(), band, VK_LEFT);
    ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
    EXPECT_EQ(1, focus.lVal);
    MSG tab{band, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_EQ(S_FALSE, input->TranslateAcceleratorIO(&tab)) << "Tab leaves the band";

    PumpMessages(50);
    if (hook) {
        ::UnhookWinEvent(hook);
        // Wine delivers the focus events as the system does.
        EXPECT_EQ((std::vector<LONG>{1, 2, 3, 1, 6, 1}), g_focus_events);
    }

    // The focus goes elsewhere: the cue goes with it.
    ::SetFocus(host.Strip());
    PumpMessages(50);
    EXPECT_EQ(0, RingDots(band, BandButton::Prev).second);
    ASSERT_EQ(S_FALSE, acc->get_accFocus(&focus));
    EXPECT_EQ(VT_EMPTY, focus.vt);
    EXPECT_EQ(S_OK, host.Close());
    EXPECT_EQ(0, player.Stop());
    EXPECT_EQ(1u, player.Lines().size()) << "a key clicked more than once";
}

// A stdcall function, as the system calls it (a lambda would not be one on x86).
BOOL CALLBACK TakeTooltip(HWND wnd, LPARAM out) {
    wchar_t cls[64] = {};
    ::GetClassNameW(wnd, cls, 64);
    if (_wcsicmp(cls, L"tooltips_class32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(out) = wnd;
    return FALSE;
}

HWND FindTooltip() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), TakeTooltip, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ShownTip(HWND tip) {
    if (!tip || !::IsWindowVisible(tip)) return L"";
    wchar_t text[80] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.lpszText = text;
    if (!::SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) return L"";
    return text;
}

TEST_F(BandAccessibility, HoveringAButtonShowsItsNameInATooltip) {
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    PumpMessages(100);
    EXPECT_EQ(nullptr, FindTooltip()) << "made before the pointer came";

    tools::MoveMouseTo(tools::ButtonCenterOnScreen(host.BandWindow(), BandButton::Next));
    std::wstring shown;
    for (int waited = 0; waited < 5000 && shown.empty(); waited += 50) {
        PumpMessages(50);
        shown = ShownTip(FindTooltip());
    }
    EXPECT_EQ(L"Next", shown);
    const HWND tip = FindTooltip();
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(::GetAncestor(host.BandWindow(), GA_ROOT), ::GetWindow(tip, GW_OWNER)) << "not the band's tooltip";

    MovePointerAway();
    for (int waited = 0; waited < 5000 && ::IsWindowVisible(tip); waited += 50) PumpMessages(50);
    EXPECT_FALSE(::IsWindowVisible(tip));
    EXPECT_EQ(S_OK, host.Close());
    EXPECT_FALSE(::IsWindow(tip)) << "the tooltip outlived the band";
}

TEST_F(BandAccessibility, HighContrastPaintsInSystemColoursAndTheSkinComesBack) {
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    PumpMessages(100);
    const HWND band = host.BandWindow();
    const HMODULE module = ::GetModuleHandleW(L"VelmapBand.dll");
    ASSERT_NE(nullptr, module);
    g_high_contrast = false;
    g_real_spi = reinterpret_cast<decltype(g_real_spi)>(
        PatchImport(module, "SystemParametersInfoW", reinterpret_cast<void*>(&AnswerHighContrast)));
    ASSERT_NE(nullptr, g_real_spi);

    const POINT gap{104, 12};  // the panel between the transport and volume buttons
    const COLORREF skin = tools::CaptureWindow(band).Pixel(gap.x, gap.y);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), text = ::GetSysColor(COLOR_BTNTEXT);
    ASSERT_NE(face, skin);
    const auto ink_in = [&](const tools::Picture& pic, BandButton b) {
        const RECT r = tools::ButtonRect(band, b);
        int n = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) n += pic.Pixel(x, y) == text;
        return n;
    };

    struct Step {
        bool on;
        UINT message;
    };
    for (const Step s : {Step{true, WM_SETTINGCHANGE}, Step{false, WM_THEMECHANGED}, Step{true, WM_SYSCOLORCHANGE},
                         Step{false, WM_SETTINGCHANGE}}) {
        g_high_contrast = s.on;
        ::SendMessageW(band, s.message, s.message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        const tools::Picture pic = tools::CaptureWindow(band);
        EXPECT_EQ(s.on ? face : skin, pic.Pixel(gap.x, gap.y)) << "message " << s.message << " on " << s.on;
        EXPECT_EQ(s.on, ink_in(pic, BandButton::Next) > 20) << "glyph in the text colour, message " << s.message;
        if (s.on && s.message == WM_SETTINGCHANGE)
            tools::SavePng(tools::Magnify(pic, 3), win::Utf8ToWide(Artefact("band-high-contrast.png")));
    }

    // Under high contrast the focused button is framed in the highlight colour.
    g_high_contrast = true;
    ::SendMessageW(band, WM_THEMECHANGED, 0, 0);
    ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, host.Band()->QueryInterface(IID_PPV_ARGS(&input)));
    ASSERT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    PumpMessages(100);
    const RECT prev = tools::ButtonRect(band, BandButton::Prev);
    const tools::Picture focused = tools::CaptureWindow(band);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), focused.Pixel(prev.left, prev.top));
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), focused.Pixel(prev.left + 1, prev.bottom - 2));
    tools::SavePng(tools::Magnify(focused, 3), win::Utf8ToWide(Artefact("band-high-contrast-focus.png")));

    PatchImport(module, "SystemParametersInfoW", reinterpret_cast<void*>(g_real_spi));
    g_high_contrast = false;
    EXPECT_EQ(S_OK, host.Close());
}

}  // namespace
}  // namespace velmap::test
