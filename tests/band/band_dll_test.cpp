// The band DLL as a file: its type library resource and its four exports.
#include "band/band_clsid.h"
#include "com/guid.h"
#include "server_dll.h"
#include "test_registry.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <map>
#include <string>
#include <vector>

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

// One user's registration (regsvr32 /n /i:user) writes exactly the image of
// the all-users one, under that user's classes and settings, and touches
// nothing of the machine's; an unknown argument touches nothing at all.
TEST_F(BandDll, PerUserRegistrationWritesTheAllUsersImageUnderTheUsersKeys) {
    using InstallFn = HRESULT(WINAPI*)(BOOL, LPCWSTR);
    ServerDll dll(band_dll);
    ASSERT_TRUE(dll.complete());
    const auto install = reinterpret_cast<InstallFn>(::GetProcAddress(dll.module, "DllInstall"));
    ASSERT_NE(nullptr, install);
    const std::wstring clsid = com::GuidToString(band::CLSID_VelmapBand);
    const std::wstring toolbar = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
    auto image = [&](HKEY settings) {
        std::map<std::wstring, std::wstring> out;
        HKEY classes = nullptr;
        if (::RegOpenKeyExW(settings, L"Software\\Classes", 0, KEY_READ, &classes) == ERROR_SUCCESS) {
            DumpKey(classes, L"CLSID\\" + clsid, out);
            ::RegCloseKey(classes);
        }
        if (auto value = ReadString(settings, toolbar, clsid.c_str())) out[L"toolbar"] = *value;
        return out;
    };

    ASSERT_EQ(S_OK, dll.register_server());
    const auto all_users = image(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(S_OK, dll.unregister_server());
    ASSERT_TRUE(image(HKEY_LOCAL_MACHINE).empty());
    EXPECT_EQ(1u, all_users.count(L"toolbar"));
    EXPECT_EQ(1u, all_users.count(L"CLSID\\" + clsid + L"\\Implemented Categories\\{00021492-0000-0000-C000-000000000046}"));

    for (const wchar_t* bad : {L"users", L"user ", L"/i"}) EXPECT_EQ(E_INVALIDARG, install(TRUE, bad));
    EXPECT_TRUE(image(HKEY_CURRENT_USER).empty());
    ASSERT_EQ(S_OK, install(TRUE, L"User"));
    EXPECT_EQ(all_users, image(HKEY_CURRENT_USER));
    EXPECT_TRUE(image(HKEY_LOCAL_MACHINE).empty());
    ASSERT_EQ(S_OK, install(FALSE, L"user"));
    EXPECT_TRUE(image(HKEY_CURRENT_USER).empty());

    ASSERT_EQ(S_OK, install(TRUE, nullptr));  // no argument: for all users
    EXPECT_EQ(all_users, image(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(image(HKEY_CURRENT_USER).empty());
    ASSERT_EQ(S_OK, install(FALSE, L"machine"));
    EXPECT_TRUE(image(HKEY_LOCAL_MACHINE).empty());
}

// The shell loads and frees the band's DLL again and again over a session
// (each time the toolbar is shown after its object was freed). A load may keep
// nothing of the process for good: a thread-local slot taken per load and
// never given back ran the process out of slots after about a thousand loads,
// and the threads library's record of the thread that unloads it (its event,
// a duplicate of the thread's handle) stayed behind at every unload.
TEST_F(BandDll, LoadingCreatingAndFreeingTheBandKeepsNoThreadLocalSlotNorHandle) {
    auto cycle = [] {
        ServerDll dll(band_dll);
        ASSERT_TRUE(dll.complete());
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, dll.get_class_object(band::CLSID_VelmapBand, IID_PPV_ARGS(&factory)));
        ComPtr<IUnknown> band;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&band)));
        band.Reset();
        factory.Reset();
        ASSERT_EQ(S_OK, dll.can_unload_now());
    };
    // How many slots the process has left.
    auto free_slots = [] {
        std::vector<DWORD> taken;
        for (DWORD slot; (slot = ::TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(slot);
        for (DWORD slot : taken) ::TlsFree(slot);
        return taken.size();
    };
    // The process's handles, probed one value at a time (GetProcessHandleCount
    // is not to be trusted everywhere: Wine answers 0).
    auto handles = [] {
        int n = 0;
        for (ULONG_PTR h = 4; h < 0x10000; h += 4) {
            DWORD flags = 0;
            n += ::GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags) != FALSE;
        }
        return n;
    };
    const int empty = handles();
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(empty + 1, handles()) << "the probe does not see a new handle";
    ::CloseHandle(event);

    cycle();  // whatever the process itself makes once
    const size_t slots_before = free_slots();
    const int handles_before = handles();
    constexpr int kCycles = 5;
    for (int i = 0; i < kCycles; ++i) cycle();
    EXPECT_EQ(slots_before, free_slots());
    // The unloading thread's record is let go; what stays is the threads
    // library's own, made once per load: two semaphores of a lock of its
    // static data that it never destroys.
    constexpr int kHandlesKeptPerLoad = 2;
    EXPECT_LE(handles() - handles_before, kCycles * kHandlesKeptPerLoad);
    EXPECT_EQ(nullptr, ::GetModuleHandleW(band_dll.c_str()));
}

}  // namespace
}  // namespace velmap::test
