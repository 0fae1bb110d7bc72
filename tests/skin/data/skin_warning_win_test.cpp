// The default warning of the Windows build is a real message box: watch for
// it with a thread-local window hook, read it, and press OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "skin/data/skin_warning.h"

namespace velmap {
namespace {

struct Seen {
    std::string caption, text;
    bool warningIcon = false;
    bool okOnly = false;
};
Seen g_seen;
HHOOK g_hook = nullptr;

BOOL CALLBACK FindChildren(HWND child, LPARAM) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        const HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        g_seen.warningIcon = g_seen.warningIcon || icon == LoadIconA(nullptr, IDI_WARNING);
    } else if (lstrcmpiA(cls, "Static") == 0 && text[0]) {
        g_seen.text = text;
    }
    return TRUE;
}

HWND g_box = nullptr;

// Runs inside the message box's modal loop, once the box is set up.
void CALLBACK InspectBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    char caption[256] = {};
    GetWindowTextA(g_box, caption, sizeof caption);
    g_seen.caption = caption;
    EnumChildWindows(g_box, FindChildren, 0);
    g_seen.okOnly = GetDlgItem(g_box, IDOK) != nullptr && GetDlgItem(g_box, IDCANCEL) == nullptr &&
                    GetDlgItem(g_box, IDYES) == nullptr;
    PostMessageA(g_box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && !g_box) {
        g_box = reinterpret_cast<HWND>(wparam);
        SetTimer(nullptr, 0, 50, InspectBox);
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

TEST(SkinWarning, WindowsBuildShowsAWarningMessageBoxWithOk) {
    SetSkinWarningHook({});  // the default
    g_hook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    ShowSkinWarning("Loaded data is not a packed skin file", "Warning");
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(g_seen.caption, "Warning");
    EXPECT_EQ(g_seen.text, "Loaded data is not a packed skin file");
    EXPECT_TRUE(g_seen.okOnly);
    EXPECT_TRUE(g_seen.warningIcon);
}

}  // namespace
}  // namespace velmap
