// The generic class factory: makes objects of one class, keeps the server's
// factory count, and writes the class's generic registry entries.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <string>

namespace velmap::com {

class TComObject;
class TComServer;
class TComObjectFactory;

enum class Instancing { Internal = 0, SingleInstance = 1, MultiInstance = 2 };
enum class ThreadingModel { Single = 0, Apartment = 1, Free = 2, Both = 3, Neutral = 4 };

// Makes an object of the factory's class. Returns null when memory runs out;
// may throw when construction fails.
using ObjectCreator = TComObject* (*)(TComObjectFactory& factory, IUnknown* controller);

template <typename T>
TComObject* CreateComObject(TComObjectFactory& factory, IUnknown* controller) {
    return new (std::nothrow) T(factory, controller);
}

// Flags of the creation-error message box: OK button, stop icon, set foreground.
inline constexpr UINT kCreationErrorBoxFlags = MB_OK | MB_ICONSTOP | MB_SETFOREGROUND;
static_assert(kCreationErrorBoxFlags == 0x10010);

// The text of the creation-error box: a full stop is added when the message
// does not end in one (or in a character that sorts before it).
std::wstring CreationErrorText(std::wstring message);

class TComObjectFactory : public IClassFactory {
public:
    // Adds itself to the front of the class manager's list; lives until the
    // server destroys it at module end.
    TComObjectFactory(TComServer& server, ObjectCreator creator, REFCLSID clsid, std::wstring class_name,
                      std::wstring description, Instancing instancing,
                      ThreadingModel threading_model = ThreadingModel::Single);
    virtual ~TComObjectFactory();
    TComObjectFactory(const TComObjectFactory&) = delete;
    TComObjectFactory& operator=(const TComObjectFactory&) = delete;

    // IUnknown: the references count in the server's factory count.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override;
    STDMETHODIMP LockServer(BOOL lock) noexcept override;

    // Writes (true) or removes (false) the class's registry entries. The generic
    // entries: the class key with the description, the server key with the module
    // path, the threading model, the ProgID. Throws EComError on failure.
    virtual void ApplyRegistration(bool do_register);

    TComServer& ComServer() const noexcept { return server_; }
    REFCLSID ClassID() const noexcept { return clsid_; }
    const std::wstring& ClassName() const noexcept { return class_name_; }
    const std::wstring& Description() const noexcept { return description_; }
    REFIID ErrorIID() const noexcept { return error_iid_; }
    Instancing GetInstancing() const noexcept { return instancing_; }
    ThreadingModel GetThreadingModel() const noexcept { return threading_model_; }
    bool ShowErrors() const noexcept { return show_errors_; }
    void SetShowErrors(bool show) noexcept { show_errors_ = show; }
    // Server name + "." + class name; empty when the class name is.
    std::wstring ProgID() const;

protected:
    // Reports a creation error (to the debugger's output, never a box).
    // Virtual so that tests can watch it.
    virtual void ShowCreationError(const std::wstring& text, const wchar_t* caption, UINT flags);

private:
    friend class TComClassManager;

    TComObjectFactory* next_ = nullptr;
    TComServer& server_;
    ObjectCreator creator_;
    CLSID clsid_;
    std::wstring class_name_;
    std::wstring description_;
    IID error_iid_;
    Instancing instancing_;
    DWORD registration_cookie_ = static_cast<DWORD>(-1);  // a DLL never registers its classes
    bool show_errors_ = true;
    ThreadingModel threading_model_;
};

}  // namespace velmap::com
