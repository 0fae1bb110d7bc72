// The server machinery linked into the test program: objects, factories,
// the class manager, the exports and registration, with the test classes.
#include "com/class_manager.h"
#include "com/object.h"
#include "com/object_factory.h"
#include "com/server.h"
#include "com/guid.h"
#include "com/module.h"
#include "test_classes.h"
#include "test_registry.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <stdexcept>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID*);
STDAPI DllCanUnloadNow();
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();

namespace velmap::test {
namespace {

void ProgramUnitInitialize() {
    com::ComServer()->SetServerName(L"VelmapComTestExe");
    CreateTestFactories(*com::ComServer(), kProgramIds);
}
com::ModuleUnit program_unit{ProgramUnitInitialize, nullptr};
com::ModuleUnit* const program_units[] = {&com::ComObjectSupport(), &com::ComServerSupport(), &program_unit};

// The test program plays the module: its units start before the tests and end after them.
class ComModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(S_OK, ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        com::ModuleStart(program_units);
    }
    void TearDown() override {
        com::ModuleEnd(program_units);
        ::CoUninitialize();
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new ComModuleEnvironment);

LONG ServerObjectCount() { return com::ComServer()->ObjectCount(); }

// The program's own server, not a system DLL's entry point of the same name.
bool ExportsAreOurs() {
    HMODULE owner = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&DllGetClassObject), &owner);
    return owner == ::GetModuleHandleW(nullptr);
}

ComPtr<IClassFactory> FactoryFor(REFCLSID clsid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())));
    if (!factory) throw std::runtime_error("no factory");  // ends the test, not the program
    return factory;
}

// ---- module units -----------------------------------------------------------

std::vector<std::string> unit_log;

TEST(ModuleUnits, EachUnitStartsAndEndsOnceInDependencyOrder) {
    unit_log.clear();
    com::ModuleUnit a{[] { unit_log.push_back("init a"); }, [] { unit_log.push_back("fini a"); }};
    com::ModuleUnit b{[] { unit_log.push_back("init b"); }, [] { unit_log.push_back("fini b"); }};
    com::ModuleUnit* const units[] = {&a, &b};

    com::ModuleStart(units);
    com::ModuleStart(units);  // a second start is only counted
    EXPECT_EQ((std::vector<std::string>{"init a", "init b"}), unit_log);
    com::ModuleEnd(units);  // balances the second start
    EXPECT_EQ(2u, unit_log.size());
    com::ModuleEnd(units);
    EXPECT_EQ((std::vector<std::string>{"init a", "init b", "fini b", "fini a"}), unit_log);
}

TEST(ModuleUnits, TheServerAndItsFactoriesExistOnceWhileTheModuleRuns) {
    ASSERT_NE(nullptr, com::ComServer());
    EXPECT_TRUE(com::ComServer()->IsInprocServer());
    EXPECT_TRUE(com::ComServer()->UIInteractive());
    EXPECT_EQ(5u, com::ComClassManager().FactoryCountInList());
    com::InitializeUnit(program_unit);  // already initialised: makes no second set of factories
    com::FinalizeUnit(program_unit);
    EXPECT_EQ(5u, com::ComClassManager().FactoryCountInList());
}

TEST(ModuleUnits, StartModeComesFromTheHostsSwitches) {
    using com::StartMode;
    EXPECT_EQ(StartMode::Normal, com::StartModeFromCommandLine(L"explorer.exe"));
    EXPECT_EQ(StartMode::Automation, com::StartModeFromCommandLine(L"host.exe /automation"));
    EXPECT_EQ(StartMode::Automation, com::StartModeFromCommandLine(L"host.exe -Embedding"));
    EXPECT_EQ(StartMode::RegServer, com::StartModeFromCommandLine(L"host.exe  /REGSERVER "));
    EXPECT_EQ(StartMode::UnregServer, com::StartModeFromCommandLine(L"host.exe -unregserver"));
    EXPECT_EQ(StartMode::Normal, com::StartModeFromCommandLine(L"host.exe /regserverx regserver"));
    EXPECT_EQ(StartMode::Normal, com::StartModeFromCommandLine(nullptr));
}

// ---- class identifiers --------------------------------------------------------

TEST(Guids, ParsedAtCompileTimeLikeTheSystemParsesThem) {
    constexpr GUID parsed = com::ParseGuid("{00021492-0000-0000-C000-000000000046}");
    CLSID system{};
    ASSERT_EQ(S_OK, ::CLSIDFromString(L"{00021492-0000-0000-C000-000000000046}", &system));
    EXPECT_TRUE(::IsEqualGUID(parsed, system));
    EXPECT_TRUE(::IsEqualGUID(com::ParseGuid("3c1d7a40-5e2b-4f6a-9b1c-0d2e3f405161"), kProgramIds.object));
    EXPECT_EQ(L"{3C1D7A40-5E2B-4F6A-9B1C-0D2E3F405161}", com::GuidToString(kProgramIds.object));
}

// ---- objects -------------------------------------------------------------------

TEST(ComObject, AnInterfaceEntryTakesItsIidFromItsType) {
    constexpr auto window = com::ComInterface<IOleWindow, TTestSubObject>();
    constexpr auto persist = com::ComInterface<IPersist, TTestObject>();
    EXPECT_TRUE(IsEqualIID(*window.iid, IID_IOleWindow));
    EXPECT_TRUE(IsEqualIID(*persist.iid, IID_IPersist));
}

TEST(ComObject, LooksUpInterfacesInItsClassThenItsBases) {
    const LONG before = ServerObjectCount();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, FactoryFor(kProgramIds.sub)->CreateInstance(nullptr, IID_IUnknown, &unknown));
    EXPECT_EQ(before + 1, ServerObjectCount());

    ComPtr<IOleWindow> window;             // the class's own table
    ComPtr<IPersist> persist;              // the base class's table
    ComPtr<ISupportErrorInfo> error_info;  // the object base's table
    EXPECT_EQ(S_OK, unknown.As(&window));
    EXPECT_EQ(S_OK, unknown.As(&persist));
    EXPECT_EQ(S_OK, unknown.As(&error_info));
    CLSID clsid{};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(::IsEqualGUID(kProgramIds.sub, clsid));
    HWND wnd = nullptr;
    EXPECT_EQ(S_OK, window->GetWindow(&wnd));

    // Every interface leads back to the same identity.
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, window->QueryInterface(IID_IUnknown, &identity));
    EXPECT_EQ(unknown.Get(), identity.Get());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, persist->QueryInterface(IID_IDispatch, &none));
    EXPECT_EQ(nullptr, none);

    EXPECT_EQ(S_OK, error_info->InterfaceSupportsErrorInfo(IID_IOleWindow));
    EXPECT_EQ(S_OK, error_info->InterfaceSupportsErrorInfo(IID_IPersist));
    EXPECT_EQ(S_OK, error_info->InterfaceSupportsErrorInfo(IID_ISupportErrorInfo));
    EXPECT_EQ(S_FALSE, error_info->InterfaceSupportsErrorInfo(IID_IDispatch));

    window.Reset();
    persist.Reset();
    error_info.Reset();
    identity.Reset();
    unknown.Reset();
    EXPECT_EQ(before, ServerObjectCount());
}

TEST(ComObject, BaseClassObjectsDoNotAnswerTheDerivedClassesInterfaces) {
    ComPtr<IPersist> persist;
    ASSERT_EQ(S_OK, FactoryFor(kProgramIds.object)->CreateInstance(nullptr, IID_IPersist, &persist));
    ComPtr<IOleWindow> window;
    EXPECT_EQ(E_NOINTERFACE, persist.As(&window));
    ComPtr<ISupportErrorInfo> error_info;
    ASSERT_EQ(S_OK, persist.As(&error_info));
    EXPECT_EQ(S_FALSE, error_info->InterfaceSupportsErrorInfo(IID_IOleWindow));
}

TEST(ComObject, FirstQueryHandsOutTheFirstReferenceAndTheLastReleaseDestroys) {
    const int initialized = stats().initialized;
    const int destroyed = stats().destroyed;
    IPersist* persist = nullptr;
    ASSERT_EQ(
        S_OK,
        FactoryFor(kProgramIds.object)->CreateInstance(nullptr, IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(initialized + 1, stats().initialized);  // the hook ran once
    ASSERT_NE(nullptr, TTestObject::last_created);
    EXPECT_EQ(1, TTestObject::last_created->RefCount());
    EXPECT_EQ(2u, persist->AddRef());
    EXPECT_EQ(1u, persist->Release());
    EXPECT_EQ(destroyed, stats().destroyed);
    EXPECT_EQ(0u, persist->Release());
    EXPECT_EQ(destroyed + 1, stats().destroyed);
}

// A plain outer object that aggregates a test object and adds IOleWindow of its own.
class Outer : public IOleWindow {
public:
    ULONG refs = 1;
    ComPtr<IUnknown> inner;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
            AddRef();
            return S_OK;
        }
        if (inner) return inner->QueryInterface(iid, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack
    STDMETHODIMP GetWindow(HWND* wnd) override {
        *wnd = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

TEST(ComObject, AggregatedObjectDelegatesToItsOuterObject) {
    const LONG before = ServerObjectCount();
    Outer outer;
    ASSERT_EQ(S_OK, FactoryFor(kProgramIds.object)->CreateInstance(&outer, IID_IUnknown, &outer.inner));
    TTestObject* object = TTestObject::last_created;
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(&outer, object->Controller());
    EXPECT_EQ(1, object->RefCount());  // the outer's one reference to the inner unknown

    IPersist* persist = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(2u, outer.refs);         // the reference went to the outer object
    EXPECT_EQ(1, object->RefCount());  // not to the inner one

    // The inner's interfaces answer with the outer's identity and interfaces.
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IOleWindow*>(&outer)), identity);
    identity->Release();
    IOleWindow* window = nullptr;
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)));
    EXPECT_EQ(static_cast<IOleWindow*>(&outer), window);
    window->Release();

    persist->Release();
    EXPECT_EQ(1u, outer.refs);
    outer.inner.Reset();
    EXPECT_EQ(before, ServerObjectCount());
}

TEST(ComObject, DestroyedWhileReferencedIsDisconnectedFromItsClientsOnce) {
    const LONG before = ServerObjectCount();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, FactoryFor(kProgramIds.object)->CreateInstance(nullptr, IID_IUnknown, &unknown));
    TTestObject* object = TTestObject::last_created;

    ComPtr<IStream> first, second;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &first));
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &second));
    ASSERT_EQ(S_OK,
              ::CoMarshalInterface(first.Get(), IID_IUnknown, unknown.Get(), MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL));
    ASSERT_EQ(S_OK, ::CoMarshalInterface(second.Get(), IID_IUnknown, unknown.Get(), MSHCTX_INPROC, nullptr,
                                         MSHLFLAGS_NORMAL));
    const LARGE_INTEGER start{};
    ComPtr<IUnknown> client;
    first->Seek(start, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, ::CoUnmarshalInterface(first.Get(), IID_IUnknown, &client));
    client.Reset();

    // Its owner destroys it although the system and this test still hold references.
    unknown.Detach();
    delete object;
    EXPECT_EQ(before, ServerObjectCount());  // counted down once, not again by the disconnect's releases

    second->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(::CoUnmarshalInterface(second.Get(), IID_IUnknown, &client)));
}

// ---- the factory -----------------------------------------------------------------

TEST(ComObjectFactory, CreateInstanceRefusesBadArgumentsWithoutMakingAnObject) {
    ComPtr<IClassFactory> factory = FactoryFor(kProgramIds.object);
    const LONG before = ServerObjectCount();
    const int initialized = stats().initialized;

    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));

    Outer outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(initialized, stats().initialized);

    // An interface the class lacks: the object is made, then destroyed.
    const int destroyed = stats().destroyed;
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IOleWindow, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(destroyed + 1, stats().destroyed);
    EXPECT_EQ(before, ServerObjectCount());
}

TEST(ComObjectFactory, FailedConstructionShowsTheErrorAndReturnsUnexpected) {
    TRecordingFactory* failing = TestFactory(kProgramIds.failing);
    TRecordingFactory* throwing = TestFactory(kProgramIds.throwing);
    ASSERT_TRUE(failing && throwing);
    failing->boxes.clear();
    throwing->boxes.clear();
    const LONG before = ServerObjectCount();
    const int destroyed = stats().destroyed;

    void* out = reinterpret_cast<void*>(1);
    failing->next_failure = "The test object cannot be made";
    EXPECT_EQ(E_UNEXPECTED, failing->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    failing->next_failure = "Broken!";  // '!' sorts before '.': no full stop added
    EXPECT_EQ(E_UNEXPECTED, failing->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(E_UNEXPECTED, throwing->CreateInstance(nullptr, IID_IUnknown, &out));

    ASSERT_EQ(2u, failing->boxes.size());
    EXPECT_EQ(L"The test object cannot be made.", failing->boxes[0].text);
    EXPECT_EQ(0x10010u, failing->boxes[0].flags);
    EXPECT_FALSE(failing->boxes[0].caption.empty());
    EXPECT_EQ(L"Broken!", failing->boxes[1].text);
    ASSERT_EQ(1u, throwing->boxes.size());
    EXPECT_EQ(L"Constructor failed.", throwing->boxes[0].text);

    // Nothing is left alive, and no object is counted.
    EXPECT_EQ(before, ServerObjectCount());
    EXPECT_EQ(destroyed + 3, stats().destroyed);

    failing->SetShowErrors(false);
    EXPECT_EQ(E_UNEXPECTED, failing->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(2u, failing->boxes.size());
    failing->SetShowErrors(true);
}

TEST(ComObjectFactory, ErrorTextGetsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(L"", com::CreationErrorText(L""));
    EXPECT_EQ(L"Done.", com::CreationErrorText(L"Done."));
    EXPECT_EQ(L"Done.", com::CreationErrorText(L"Done"));
    EXPECT_EQ(L"Code 42.", com::CreationErrorText(L"Code 42"));
    EXPECT_EQ(L"(see above)", com::CreationErrorText(L"(see above)"));
    EXPECT_EQ(L"trailing ", com::CreationErrorText(L"trailing "));
}

TEST(ComObjectFactory, ReferencesAndLocksCountInTheServer) {
    com::TComServer* server = com::ComServer();
    const LONG factories = server->FactoryCount();
    const LONG objects = server->ObjectCount();
    {
        ComPtr<IClassFactory> factory = FactoryFor(kProgramIds.object);
        EXPECT_EQ(factories + 1, server->FactoryCount());
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());

        ASSERT_EQ(S_OK, factory->LockServer(TRUE));
        EXPECT_EQ(objects + 1, server->ObjectCount());
        ASSERT_EQ(S_OK, factory->LockServer(FALSE));
        EXPECT_EQ(objects, server->ObjectCount());
    }
    EXPECT_EQ(factories, server->FactoryCount());
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(Exports, GetClassObjectFindsTheFactoryByClassIdentifier) {
    ASSERT_TRUE(ExportsAreOurs());
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(IID_IDispatch, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, DllGetClassObject(kProgramIds.object, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, DllGetClassObject(kProgramIds.object, IID_IClassFactory, nullptr));

    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, DllGetClassObject(kProgramIds.object, IID_IUnknown, &unknown));
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, unknown.As(&factory));
    EXPECT_EQ(static_cast<IClassFactory*>(TestFactory(kProgramIds.object)), factory.Get());
}

// ---- registration ----------------------------------------------------------------

class Registration : public ::testing::Test {
protected:
    const std::wstring object_key = L"CLSID\\" + com::GuidToString(kProgramIds.object);
    const std::wstring sub_key = L"CLSID\\" + com::GuidToString(kProgramIds.sub);
    const std::wstring internal_key = L"CLSID\\" + com::GuidToString(kProgramIds.internal);
    const std::wstring prog_id = L"VelmapComTestExe.TestObject";

    void SetUp() override { ASSERT_EQ(S_OK, DllUnregisterServer()); }
    void TearDown() override { DllUnregisterServer(); }

    std::map<std::wstring, std::wstring> state() {
        std::map<std::wstring, std::wstring> all;
        for (const std::wstring* key : {&object_key, &sub_key, &internal_key, &prog_id})
            DumpKey(HKEY_CLASSES_ROOT, *key, all);
        return all;
    }
};

std::wstring ThisProgramPath() {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return std::wstring(path, n);
}

TEST_F(Registration, WritesTheGenericEntriesOfEveryFactoryThatIsNotInternal) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    EXPECT_TRUE(com::ComServer()->LastRegistration());

    EXPECT_EQ(L"Velmap test object", ReadString(HKEY_CLASSES_ROOT, object_key, nullptr));
    EXPECT_EQ(ThisProgramPath(), ReadString(HKEY_CLASSES_ROOT, object_key + L"\\InprocServer32", nullptr));
    EXPECT_EQ(L"Apartment", ReadString(HKEY_CLASSES_ROOT, object_key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(prog_id, ReadString(HKEY_CLASSES_ROOT, object_key + L"\\ProgID", nullptr));
    EXPECT_EQ(L"Velmap test object", ReadString(HKEY_CLASSES_ROOT, prog_id, nullptr));
    EXPECT_EQ(com::GuidToString(kProgramIds.object), ReadString(HKEY_CLASSES_ROOT, prog_id + L"\\Clsid", nullptr));

    // Single threaded, no class name: neither a threading model nor a ProgID.
    EXPECT_EQ(L"Velmap test sub-object", ReadString(HKEY_CLASSES_ROOT, sub_key, nullptr));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, sub_key + L"\\InprocServer32"));
    EXPECT_EQ(std::nullopt, ReadString(HKEY_CLASSES_ROOT, sub_key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, sub_key + L"\\ProgID"));

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, internal_key));
}

TEST_F(Registration, RegisteringTwiceEqualsOnceAndUnregisteringRemovesEverything) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    const auto once = state();
    ASSERT_EQ(S_OK, DllRegisterServer());
    EXPECT_EQ(once, state());

    ASSERT_EQ(S_OK, DllUnregisterServer());
    EXPECT_FALSE(com::ComServer()->LastRegistration());
    EXPECT_TRUE(state().empty());
    EXPECT_EQ(S_OK, DllUnregisterServer());  // nothing registered: still fine
}

TEST_F(Registration, UnregisteringLeavesAClassKeyThatOthersExtended) {
    ASSERT_EQ(S_OK, DllRegisterServer());
    HKEY extra = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT, (object_key + L"\\Extra").c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &extra, nullptr));
    ::RegCloseKey(extra);
    EXPECT_EQ(S_OK, DllUnregisterServer());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, object_key + L"\\InprocServer32"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, object_key + L"\\Extra"));
    ::RegDeleteKeyW(HKEY_CLASSES_ROOT, (object_key + L"\\Extra").c_str());
    ::RegDeleteKeyW(HKEY_CLASSES_ROOT, object_key.c_str());
}

TEST_F(Registration, ARegistryFailureEndsRegistrationWithEFail) {
    // A volatile class key cannot take the non-volatile server key below it.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT, sub_key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ::RegCloseKey(key);
    EXPECT_EQ(E_FAIL, DllRegisterServer());
    // What was written before the failure stays.
    EXPECT_EQ(L"Velmap test sub-object", ReadString(HKEY_CLASSES_ROOT, sub_key, nullptr));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, sub_key + L"\\InprocServer32"));
}

TEST_F(Registration, ATypeLibraryHeldByTheServerIsRegisteredWithItsClasses) {
    // The program carries a type library of its own, as a server DLL carries its.
    constexpr GUID libid = com::ParseGuid("{3C1D7A4F-5E2B-4F6A-9B1C-0D2E3F405161}");
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, ::LoadTypeLibEx(ThisProgramPath().c_str(), REGKIND_NONE, &lib));
    const std::wstring key = L"TypeLib\\" + com::GuidToString(libid);

    com::ComServer()->SetTypeLib(lib.Get());
    EXPECT_EQ(S_OK, DllRegisterServer());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\1.0"));
#ifdef _WIN64
    const wchar_t* const platform = L"\\1.0\\0\\win64";
#else
    const wchar_t* const platform = L"\\1.0\\0\\win32";
#endif
    EXPECT_EQ(ThisProgramPath(), ReadString(HKEY_CLASSES_ROOT, key + platform, nullptr));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, object_key));
    EXPECT_EQ(S_OK, DllUnregisterServer());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\1.0"));
    EXPECT_EQ(S_OK, DllUnregisterServer());  // not registered: still fine
    com::ComServer()->SetTypeLib(nullptr);
}

}  // namespace
}  // namespace velmap::test
