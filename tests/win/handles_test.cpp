// The handle owners close what they own, and only that.
#include "win/handles.h"

#include <gtest/gtest.h>

namespace velmap::win {
namespace {

TEST(Handles, AFindHandleEndsItsSearchWithItsOwner) {
    wchar_t dir[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(dir, MAX_PATH), 0u);
    WIN32_FIND_DATAW fd;
    HANDLE raw = INVALID_HANDLE_VALUE;
    {
        unique_find find(::FindFirstFileW((std::wstring(dir) + L"\\*").c_str(), &fd));
        ASSERT_TRUE(find);
        raw = find.get();
        EXPECT_TRUE(::FindNextFileW(raw, &fd));
    }
    ::SetLastError(0);
    EXPECT_FALSE(::FindNextFileW(raw, &fd));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(unique_find(INVALID_HANDLE_VALUE));
}

}  // namespace
}  // namespace velmap::win
