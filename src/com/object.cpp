#include "com/object.h"

#include "com/object_factory.h"
#include "com/server.h"
#include "com/module.h"

#include <objbase.h>

namespace velmap::com {

namespace {

// Added to the count of an object destroyed while references remain, so that
// the references the disconnect gives back cannot destroy it a second time.
constexpr LONG kDestroyingBias = 0x20000000;

const InterfaceEntry base_entries[] = {
    {&IID_IUnknown, [](TComObject* o) -> IUnknown* { return o->NonDelegatingUnknown(); }},
    ComInterface<ISupportErrorInfo, TComObject>(),
};

}  // namespace

const InterfaceTable& TComObject::ClassInterfaces() {
    static const InterfaceTable table{nullptr, base_entries};
    return table;
}

TComObject::TComObject(TComObjectFactory& factory, IUnknown* controller) : controller_(controller), factory_(&factory) {
    if (!not_counted_) factory.ComServer().CountObject(true);
}

TComObject::~TComObject() {
    if (ComUninitializing()) return;
    if (factory_ && !not_counted_) factory_->ComServer().CountObject(false);
    if (constructed_ && ref_count_ > 0) {
        ::InterlockedExchangeAdd(&ref_count_, kDestroyingBias);
        ::CoDisconnectObject(static_cast<ISupportErrorInfo*>(this), 0);
    }
}

void TComObject::CompleteConstruction() {
    Initialize();
    constructed_ = true;
    ::InterlockedDecrement(&ref_count_);
}

void TComObject::AbandonConstruction() noexcept {
    ref_count_ = 0;
    delete this;
}

STDMETHODIMP TComObject::QueryInterface(REFIID iid, void** out) noexcept {
    return controller_ ? controller_->QueryInterface(iid, out) : ObjQueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) TComObject::AddRef() noexcept { return controller_ ? controller_->AddRef() : ObjAddRef(); }

STDMETHODIMP_(ULONG) TComObject::Release() noexcept { return controller_ ? controller_->Release() : ObjRelease(); }

STDMETHODIMP TComObject::InterfaceSupportsErrorInfo(REFIID iid) noexcept { return FindInterface(iid) ? S_OK : S_FALSE; }

ULONG TComObject::ObjAddRef() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&ref_count_)); }

HRESULT TComObject::ObjQueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    const InterfaceEntry* entry = FindInterface(iid);
    if (!entry) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    IUnknown* itf = entry->get(this);
    itf->AddRef();  // through the interface: an aggregated object counts in its controller
    *out = itf;
    return S_OK;
}

ULONG TComObject::ObjRelease() noexcept {
    const LONG count = ::InterlockedDecrement(&ref_count_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

const InterfaceEntry* TComObject::FindInterface(REFIID iid) const noexcept {
    for (const InterfaceTable* table = &GetInterfaceTable(); table; table = table->base)
        for (const InterfaceEntry& entry : table->entries)
            if (::IsEqualIID(*entry.iid, iid)) return &entry;
    return nullptr;
}

}  // namespace velmap::com
