#include "test_classes.h"

#include "com/class_manager.h"
#include "com/error.h"

#include <stdexcept>

namespace velmap::test {

test_class_stats& stats() {
    static test_class_stats s;
    return s;
}

TTestObject* TTestObject::last_created = nullptr;

TTestObject::TTestObject(com::TComObjectFactory& factory, IUnknown* controller) : ComClass(factory, controller) {
    last_created = this;
}

TTestObject::~TTestObject() {
    ++stats().destroyed;
    if (last_created == this) last_created = nullptr;
}

std::span<const com::InterfaceEntry> TTestObject::InterfaceEntries() {
    static constexpr com::InterfaceEntry entries[] = {
        com::ComInterface<IPersist, TTestObject>(),
    };
    return entries;
}

void TTestObject::Initialize() { ++stats().initialized; }

STDMETHODIMP TTestObject::GetClassID(CLSID* clsid) noexcept {
    if (!clsid) return E_POINTER;
    *clsid = Factory()->ClassID();
    return S_OK;
}

std::span<const com::InterfaceEntry> TTestSubObject::InterfaceEntries() {
    static constexpr com::InterfaceEntry entries[] = {
        com::ComInterface<IOleWindow, TTestSubObject>(),
    };
    return entries;
}

STDMETHODIMP TTestSubObject::GetWindow(HWND* wnd) noexcept {
    if (!wnd) return E_POINTER;
    *wnd = ::GetDesktopWindow();
    return S_OK;
}

void TFailingObject::Initialize() {
    TTestObject::Initialize();
    throw com::EComError(static_cast<TRecordingFactory*>(Factory())->next_failure);
}

TThrowingObject::TThrowingObject(com::TComObjectFactory& factory, IUnknown* controller)
    : TTestObject(factory, controller) {
    throw std::runtime_error("Constructor failed");
}

void CreateTestFactories(com::TComServer& server, const test_class_ids& ids) {
    using com::Instancing;
    using com::ThreadingModel;
    new TRecordingFactory(server, com::CreateComObject<TTestObject>, ids.object, L"TestObject", L"Velmap test object",
                          Instancing::MultiInstance, ThreadingModel::Apartment);
    new TRecordingFactory(server, com::CreateComObject<TTestSubObject>, ids.sub, L"", L"Velmap test sub-object",
                          Instancing::MultiInstance, ThreadingModel::Single);
    new TRecordingFactory(server, com::CreateComObject<TFailingObject>, ids.failing, L"", L"Velmap failing object",
                          Instancing::MultiInstance, ThreadingModel::Apartment);
    new TRecordingFactory(server, com::CreateComObject<TThrowingObject>, ids.throwing, L"", L"Velmap throwing object",
                          Instancing::MultiInstance, ThreadingModel::Apartment);
    new TRecordingFactory(server, com::CreateComObject<TTestObject>, ids.internal, L"", L"Velmap internal object",
                          Instancing::Internal, ThreadingModel::Apartment);
}

TRecordingFactory* TestFactory(REFCLSID clsid) {
    return static_cast<TRecordingFactory*>(com::ComClassManager().GetFactoryFromClassID(clsid));
}

}  // namespace velmap::test
