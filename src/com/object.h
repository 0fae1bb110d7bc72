// The base of every COM object of the module: reference counting, aggregation,
// interface lookup through per-class tables, and the server's object count.
#pragma once

#include <oaidl.h>
#include <unknwn.h>
#include <windows.h>

#include <span>

namespace velmap::com {

class TComObject;
class TComObjectFactory;

struct InterfaceEntry {
    const IID* iid;
    IUnknown* (*get)(TComObject* object);
};

// One class's interfaces; lookups continue in the base class's table.
struct InterfaceTable {
    const InterfaceTable* base;
    std::span<const InterfaceEntry> entries;
};

// An entry answering Interface's IID with the Interface part of an object of
// class Class. The IID comes from the type, so the two cannot drift apart.
template <typename Interface, typename Class>
constexpr InterfaceEntry ComInterface() {
    return {&__uuidof(Interface),
            [](TComObject* object) -> IUnknown* { return static_cast<Interface*>(static_cast<Class*>(object)); }};
}

class TComObject : public ISupportErrorInfo {
public:
    // Counts the object in the server; the reference count stays 1 until the
    // factory has run Initialize, so the first query hands out the first reference.
    TComObject(TComObjectFactory& factory, IUnknown* controller);
    virtual ~TComObject();
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    // IUnknown of every interface but the IUnknown entry: the controller's when
    // aggregated, else the object's own.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // ISupportErrorInfo: S_OK for every interface the class answers.
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

    // Called once after construction; may throw to fail the creation.
    virtual void Initialize() {}
    // The non-delegating trio, which the IUnknown entry uses.
    virtual ULONG ObjAddRef() noexcept;
    virtual HRESULT ObjQueryInterface(REFIID iid, void** out) noexcept;
    virtual ULONG ObjRelease() noexcept;

    IUnknown* Controller() const noexcept { return controller_; }
    TComObjectFactory* Factory() const noexcept { return factory_; }
    LONG RefCount() const noexcept { return ref_count_; }
    // The object's identity when it is not aggregated.
    IUnknown* NonDelegatingUnknown() noexcept { return &inner_; }

    // The entry for iid in the class's table or its bases', or null.
    const InterfaceEntry* FindInterface(REFIID iid) const noexcept;

    static const InterfaceTable& ClassInterfaces();

protected:
    virtual const InterfaceTable& GetInterfaceTable() const { return ClassInterfaces(); }

private:
    friend class TComObjectFactory;

    // The factory's side of construction: run the hook, then hand the creation
    // reference back. AbandonConstruction destroys an object whose hook failed.
    void CompleteConstruction();
    void AbandonConstruction() noexcept;

    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(TComObject& owner) noexcept : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override {
            return owner_.ObjQueryInterface(iid, out);
        }
        STDMETHODIMP_(ULONG) AddRef() noexcept override { return owner_.ObjAddRef(); }
        STDMETHODIMP_(ULONG) Release() noexcept override { return owner_.ObjRelease(); }

    private:
        TComObject& owner_;
    };

    InnerUnknown inner_{*this};
    IUnknown* controller_;  // not counted: the outer object owns us
    TComObjectFactory* factory_;
    bool not_counted_ = false;
    bool constructed_ = false;
    volatile LONG ref_count_ = 1;
};

// Base for a concrete class: Derived adds Interfaces to Base and supplies
// `static std::span<const InterfaceEntry> InterfaceEntries()`. The IUnknown
// methods of all the added interfaces go to the object's delegating trio.
template <typename Derived, typename Base, typename... Interfaces>
class ComClass : public Base, public Interfaces... {
public:
    using Base::Base;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override {
        return TComObject::QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return TComObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() noexcept override { return TComObject::Release(); }

    static const InterfaceTable& ClassInterfaces() {
        static const InterfaceTable table{&Base::ClassInterfaces(), Derived::InterfaceEntries()};
        return table;
    }

protected:
    const InterfaceTable& GetInterfaceTable() const override { return ClassInterfaces(); }
};

}  // namespace velmap::com
