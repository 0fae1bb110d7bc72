// The band DLL as a file: its type library resource and its four exports.
#include "band/band_clsid.h"
#include "com/guid.h"
#include "server_dll.h"
#include "test_registry.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace velmap::test {
namespace {

const std::wstring band_dll = WindowsPath(VELMAP_BAND_DLL);

class BandDll : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(BandDll, BandTypeLibraryResourceDescribesTheBandLibrary) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, ::LoadTypeLibEx(band_dll.c_str(), REGKIND_NONE, &lib));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
    EXPECT_TRUE(::IsEqualGUID(band::CLSID_VelmapBand, attr->guid));
    EXPECT_EQ(SYS_WIN32, attr->syskind);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    EXPECT_EQ(0u, attr->lcid);
    lib->ReleaseTLibAttr(attr);

    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(S_OK, lib->GetDocumentation(-1, &name, &help, nullptr, nullptr));
    EXPECT_STREQ(L"VelmapBand", name);
    EXPECT_STREQ(L"VelmapBand Library", help);
    ::SysFreeString(name);
    ::SysFreeString(help);
    EXPECT_EQ(0u, lib->GetTypeInfoCount());
}

TEST_F(BandDll, BandDllServesItsExportsAndNeverRegistersItsTypeLibrary) {
    EXPECT_EQ(L"{55DB46B0-2A2A-472F-A75D-AF802C60D8EF}", com::GuidToString(band::CLSID_VelmapBand));
    ServerDll dll(band_dll);
    ASSERT_TRUE(dll.complete());
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.get_class_object(IID_IDispatch, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, dll.can_unload_now());

    const std::wstring typelib_key = L"TypeLib\\" + com::GuidToString(band::CLSID_VelmapBand);
    ASSERT_EQ(S_OK, dll.register_server());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, typelib_key));
    EXPECT_EQ(S_OK, dll.unregister_server());
}

}  // namespace
}  // namespace velmap::test
