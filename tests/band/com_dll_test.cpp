// The DLLs themselves: loaded with LoadLibrary and called through their exports,
// and a test server DLL loaded and unloaded by the COM runtime.
#include "band/band_clsid.h"
#include "band/com_error.h"
#include "band/guid.h"
#include "test_classes.h"
#include "test_registry.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace velmap::test {
namespace {

std::wstring windows_path(const char* path) {
    std::wstring out = com::widen(path);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

const std::wstring band_dll = windows_path(VELMAP_BAND_DLL);
const std::wstring test_dll = windows_path(VELMAP_TEST_SERVER_DLL);
constexpr wchar_t kTestDllName[] = L"velmap_com_testserver.dll";

// A DLL loaded for one test, with its four exports.
struct server_dll {
    explicit server_dll(const std::wstring& path) : module(::LoadLibraryW(path.c_str())) {
        if (!module) return;
        get_class_object = reinterpret_cast<decltype(get_class_object)>(::GetProcAddress(module, "DllGetClassObject"));
        can_unload_now = reinterpret_cast<decltype(can_unload_now)>(::GetProcAddress(module, "DllCanUnloadNow"));
        register_server = reinterpret_cast<decltype(register_server)>(::GetProcAddress(module, "DllRegisterServer"));
        unregister_server =
            reinterpret_cast<decltype(unregister_server)>(::GetProcAddress(module, "DllUnregisterServer"));
    }
    ~server_dll() {
        if (module) ::FreeLibrary(module);
    }
    server_dll(const server_dll&) = delete;
    server_dll& operator=(const server_dll&) = delete;
    bool complete() const { return module && get_class_object && can_unload_now && register_server && unregister_server; }

    HMODULE module;
    HRESULT(WINAPI* get_class_object)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* can_unload_now)() = nullptr;
    HRESULT(WINAPI* register_server)() = nullptr;
    HRESULT(WINAPI* unregister_server)() = nullptr;
};

class ComDll : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};

// ---- the band DLL ------------------------------------------------------------------

TEST_F(ComDll, BandTypeLibraryResourceDescribesTheBandLibrary) {
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

TEST_F(ComDll, BandDllServesItsExportsAndNeverRegistersItsTypeLibrary) {
    EXPECT_EQ(L"{55DB46B0-2A2A-472F-A75D-AF802C60D8EF}", com::guid_to_string(band::CLSID_VelmapBand));
    server_dll dll(band_dll);
    ASSERT_TRUE(dll.complete());
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.get_class_object(IID_IDispatch, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, dll.can_unload_now());

    const std::wstring typelib_key = L"TypeLib\\" + com::guid_to_string(band::CLSID_VelmapBand);
    ASSERT_EQ(S_OK, dll.register_server());
    EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, typelib_key));
    EXPECT_EQ(S_OK, dll.unregister_server());
}

// ---- the test server DLL through its exports --------------------------------------

TEST_F(ComDll, GetClassObjectAnswersKnownClassesOnly) {
    server_dll dll(test_dll);
    ASSERT_TRUE(dll.complete());
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, dll.get_class_object(kDllIds.object, IID_IClassFactory, &factory));
    EXPECT_NE(nullptr, factory.Get());

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.get_class_object(kProgramIds.object, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, dll.get_class_object(kDllIds.object, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
}

TEST_F(ComDll, CanUnloadOnlyWhenNoObjectLockOrFactoryReferenceRemains) {
    server_dll dll(test_dll);
    ASSERT_TRUE(dll.complete());
    EXPECT_EQ(S_OK, dll.can_unload_now());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.get_class_object(kDllIds.object, IID_IClassFactory, &factory));
    EXPECT_EQ(S_FALSE, dll.can_unload_now());  // a factory reference

    ComPtr<IPersist> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPersist, &object));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, dll.can_unload_now());  // an object and a lock

    object.Reset();
    EXPECT_EQ(S_FALSE, dll.can_unload_now());  // the lock

    ASSERT_EQ(S_OK, dll.get_class_object(kDllIds.object, IID_IClassFactory, &factory));
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, dll.can_unload_now());  // the factory reference again
    factory.Reset();
    EXPECT_EQ(S_OK, dll.can_unload_now());
}

TEST_F(ComDll, AModulePathWithABlankIsRegisteredInItsShortForm) {
    // A copy of the test server in a folder and under a name with blanks.
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, temp));
    const std::wstring folder = std::wstring(temp) + L"velmap com test";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\com test server.dll";
    ASSERT_TRUE(::CopyFileW(test_dll.c_str(), copy.c_str(), FALSE));

    wchar_t short_path[MAX_PATH];
    const DWORD n = ::GetShortPathNameW(copy.c_str(), short_path, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_EQ(std::wstring::npos, std::wstring(short_path).find(L' '));  // the volume has short names

    const std::wstring server_key = L"CLSID\\" + com::guid_to_string(kDllIds.object) + L"\\InprocServer32";
    {
        server_dll dll(copy);
        ASSERT_TRUE(dll.complete());
        ASSERT_EQ(S_OK, dll.register_server());
        const auto registered = read_string(HKEY_CLASSES_ROOT, server_key, nullptr);
        ASSERT_TRUE(registered.has_value());
        EXPECT_EQ(0, ::lstrcmpiW(short_path, registered->c_str())) << *registered;
        EXPECT_EQ(S_OK, dll.unregister_server());
        EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, server_key));
    }
    ::DeleteFileW(copy.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// ---- through the COM runtime ------------------------------------------------------

TEST_F(ComDll, TheRuntimeCreatesObjectsAndUnloadsTheServerOnlyWhenItAllows) {
    {
        server_dll dll(test_dll);
        ASSERT_TRUE(dll.complete());
        ASSERT_EQ(S_OK, dll.register_server());
    }
    ASSERT_EQ(nullptr, ::GetModuleHandleW(kTestDllName));

    ComPtr<IPersist> object;
    ASSERT_EQ(S_OK, ::CoCreateInstance(kDllIds.object, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)));
    CLSID clsid{};
    EXPECT_EQ(S_OK, object->GetClassID(&clsid));
    EXPECT_TRUE(::IsEqualGUID(kDllIds.object, clsid));
    EXPECT_NE(nullptr, ::GetModuleHandleW(kTestDllName));

    ::CoFreeUnusedLibraries();
    EXPECT_NE(nullptr, ::GetModuleHandleW(kTestDllName)) << "unloaded while an object lives";
    object.Reset();
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(nullptr, ::GetModuleHandleW(kTestDllName)) << "kept although nothing lives";

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, ::CoGetClassObject(kDllIds.object, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)));
    ::CoFreeUnusedLibraries();
    EXPECT_NE(nullptr, ::GetModuleHandleW(kTestDllName)) << "unloaded while its factory is held";
    factory.Reset();
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(nullptr, ::GetModuleHandleW(kTestDllName));

    server_dll dll(test_dll);
    ASSERT_TRUE(dll.complete());
    EXPECT_EQ(S_OK, dll.unregister_server());
}

}  // namespace
}  // namespace velmap::test
