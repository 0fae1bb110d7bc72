// COM classes that exist only for the tests: they reach the server machinery
// through the same paths as the band does.
#pragma once

#include "com/object.h"
#include "com/object_factory.h"
#include "com/server.h"
#include "com/guid.h"

#include <oleidl.h>

#include <string>
#include <vector>

namespace velmap::test {

struct test_class_ids {
    CLSID object;    // TTestObject, apartment threaded, with a class name (ProgID)
    CLSID sub;       // TTestSubObject, single threaded, no class name
    CLSID failing;   // Initialize throws
    CLSID throwing;  // the constructor throws
    CLSID internal;  // internal instancing: never registered
};

// Two sets, so that the test program and the test server DLL never share keys.
inline constexpr test_class_ids kProgramIds{
    com::ParseGuid("{3C1D7A40-5E2B-4F6A-9B1C-0D2E3F405161}"), com::ParseGuid("{3C1D7A41-5E2B-4F6A-9B1C-0D2E3F405161}"),
    com::ParseGuid("{3C1D7A42-5E2B-4F6A-9B1C-0D2E3F405161}"), com::ParseGuid("{3C1D7A43-5E2B-4F6A-9B1C-0D2E3F405161}"),
    com::ParseGuid("{3C1D7A44-5E2B-4F6A-9B1C-0D2E3F405161}"),
};
inline constexpr test_class_ids kDllIds{
    com::ParseGuid("{8E0F52B0-1A7C-4D39-A6E4-7B5C9D0E1F20}"), com::ParseGuid("{8E0F52B1-1A7C-4D39-A6E4-7B5C9D0E1F20}"),
    com::ParseGuid("{8E0F52B2-1A7C-4D39-A6E4-7B5C9D0E1F20}"), com::ParseGuid("{8E0F52B3-1A7C-4D39-A6E4-7B5C9D0E1F20}"),
    com::ParseGuid("{8E0F52B4-1A7C-4D39-A6E4-7B5C9D0E1F20}"),
};

// Counters of the module the classes live in.
struct test_class_stats {
    int initialized = 0;
    int destroyed = 0;
};
test_class_stats& stats();

class TTestObject : public com::ComClass<TTestObject, com::TComObject, IPersist> {
public:
    TTestObject(com::TComObjectFactory& factory, IUnknown* controller);
    ~TTestObject() override;
    static std::span<const com::InterfaceEntry> InterfaceEntries();

    void Initialize() override;
    STDMETHODIMP GetClassID(CLSID* clsid) noexcept override;

    // The last object made in this module, for tests that need the C++ object.
    static TTestObject* last_created;
};

// Adds IOleWindow to TTestObject: lookups find IPersist in the base's table.
class TTestSubObject : public com::ComClass<TTestSubObject, TTestObject, IOleWindow> {
public:
    using ComClass::ComClass;
    static std::span<const com::InterfaceEntry> InterfaceEntries();

    STDMETHODIMP GetWindow(HWND* wnd) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
};

class TFailingObject : public TTestObject {
public:
    using TTestObject::TTestObject;
    void Initialize() override;
};

class TThrowingObject : public TTestObject {
public:
    TThrowingObject(com::TComObjectFactory& factory, IUnknown* controller);
};

// Records the creation-error boxes instead of showing them.
class TRecordingFactory : public com::TComObjectFactory {
public:
    using TComObjectFactory::TComObjectFactory;
    struct box {
        std::wstring text;
        std::wstring caption;
        UINT flags;
    };
    std::vector<box> boxes;
    std::string next_failure = "The test object cannot be made";

protected:
    void ShowCreationError(const std::wstring& text, const wchar_t* caption, UINT flags) override {
        boxes.push_back({text, caption, flags});
    }
};

// Makes the five test factories on the server; they add themselves to the class manager.
void CreateTestFactories(com::TComServer& server, const test_class_ids& ids);

// The factory for a class identifier (test program side).
TRecordingFactory* TestFactory(REFCLSID clsid);

}  // namespace velmap::test
