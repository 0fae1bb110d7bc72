// The server DLL itself: loaded with LoadLibrary and called through its exports,
// and loaded and unloaded by the COM runtime.
#include "com/error.h"
#include "com/guid.h"
#include "test_classes.h"
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

const std::wstring test_dll = WindowsPath(VELMAP_TEST_SERVER_DLL);
constexpr wchar_t kTestDllName[] = L"velmap_com_testserver.dll";

class ComDll : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};

// ---- the test server DLL through its exports --------------------------------------

TEST_F(ComDll, GetClassObjectAnswersKnownClassesOnly) {
    ServerDll dll(test_dll);
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
    ServerDll dll(test_dll);
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

    wchar_t ShortPath[MAX_PATH];
    const DWORD n = ::GetShortPathNameW(copy.c_str(), ShortPath, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_EQ(std::wstring::npos, std::wstring(ShortPath).find(L' '));  // the volume has short names

    const std::wstring server_key = L"CLSID\\" + com::GuidToString(kDllIds.object) + L"\\InprocServer32";
    {
        ServerDll dll(copy);
        ASSERT_TRUE(dll.complete());
        ASSERT_EQ(S_OK, dll.register_server());
        const auto registered = ReadString(HKEY_CLASSES_ROOT, server_key, nullptr);
        ASSERT_TRUE(registered.has_value());
        EXPECT_EQ(0, ::lstrcmpiW(ShortPath, registered->c_str())) << *registered;
        EXPECT_EQ(S_OK, dll.unregister_server());
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, server_key));
    }
    ::DeleteFileW(copy.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// ---- through the COM runtime ------------------------------------------------------

TEST_F(ComDll, TheRuntimeCreatesObjectsAndUnloadsTheServerOnlyWhenItAllows) {
    {
        ServerDll dll(test_dll);
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

    ServerDll dll(test_dll);
    ASSERT_TRUE(dll.complete());
    EXPECT_EQ(S_OK, dll.unregister_server());
}

}  // namespace
}  // namespace velmap::test
