// Window classes registered once, and the one binding rule.
#include "win/window_class.h"

#include <gtest/gtest.h>

#include <vector>

#include "win/module.h"

namespace velmap::win {
namespace {

struct Seen {
    std::vector<UINT> messages;  // what reached the object
};

LRESULT CALLBACK RecordingProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (Seen* seen = BoundObject<Seen>(wnd, msg, lp)) seen->messages.push_back(msg);
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

TEST(WindowClass, RegisteredOnceAndBoundFromTheFirstMessageToTheLast) {
    const wchar_t* name = RegisterClassOnce(L"VelmapTestWindow", &RecordingProc);
    EXPECT_EQ(RegisterClassOnce(L"VelmapTestWindow", &RecordingProc), name);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetClassInfoExW(ThisModule(), name, &info));
    EXPECT_EQ(info.lpfnWndProc, &RecordingProc);

    Seen seen;
    HWND wnd = ::CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), &seen);
    ASSERT_NE(wnd, nullptr);
    ASSERT_FALSE(seen.messages.empty());
    EXPECT_EQ(seen.messages.front(), static_cast<UINT>(WM_NCCREATE));
    ::DestroyWindow(wnd);
    EXPECT_EQ(seen.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

}  // namespace
}  // namespace velmap::win
