// Every file we ship carries the project's version and its own name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace velmap::test {
namespace {

struct Shipped {
    const char* path;
    const wchar_t* file_name;
    DWORD file_type;
};

std::wstring StringValue(const std::vector<char>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) return {};
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(VersionInfo, EveryShippedFileCarriesTheProjectVersion) {
    const Shipped files[] = {
        {VELMAP_BAND_DLL, L"VelmapBand.dll", VFT_DLL},
        {VELMAP_BANDHOST_EXE, L"bandhost.exe", VFT_APP},
        {VELMAP_BAR_EXE, L"VelmapBar.exe", VFT_APP},
        {VELMAP_SKINPACK_EXE, L"skinpack.exe", VFT_APP},
    };
    const std::wstring version = L"" VELMAP_VERSION_W;
    for (const Shipped& f : files) {
        SCOPED_TRACE(f.path);
        const DWORD size = ::GetFileVersionInfoSizeA(f.path, nullptr);
        ASSERT_NE(0u, size);
        std::vector<char> block(size);
        ASSERT_TRUE(::GetFileVersionInfoA(f.path, 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
        EXPECT_EQ(MAKELONG(VELMAP_VERSION_MINOR, VELMAP_VERSION_MAJOR), fixed->dwFileVersionMS);
        EXPECT_EQ(MAKELONG(0, VELMAP_VERSION_PATCH), fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
        EXPECT_EQ(f.file_type, fixed->dwFileType);

        EXPECT_EQ(version, StringValue(block, L"FileVersion"));
        EXPECT_EQ(version, StringValue(block, L"ProductVersion"));
        EXPECT_EQ(L"VelmapBand", StringValue(block, L"ProductName"));
        EXPECT_EQ(f.file_name, StringValue(block, L"OriginalFilename"));
        EXPECT_FALSE(StringValue(block, L"FileDescription").empty());
    }
}

}  // namespace
}  // namespace velmap::test
