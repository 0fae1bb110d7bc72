#include "com/object_factory.h"

#include "com/class_manager.h"
#include "com/error.h"
#include "com/object.h"
#include "com/registry.h"
#include "com/server.h"
#include "com/guid.h"

#include <objbase.h>

#include <new>

namespace velmap::com {

namespace {

constexpr wchar_t kCreationErrorCaption[] = L"Error";

const wchar_t* ThreadingModelName(ThreadingModel model) {
    switch (model) {
        case ThreadingModel::Apartment:
            return L"Apartment";
        case ThreadingModel::Free:
            return L"Free";
        case ThreadingModel::Both:
            return L"Both";
        case ThreadingModel::Neutral:
            return L"Neutral";
        case ThreadingModel::Single:
            break;
    }
    return nullptr;
}

}  // namespace

std::wstring CreationErrorText(std::wstring message) {
    if (!message.empty() && message.back() > L'.') message.push_back(L'.');
    return message;
}

TComObjectFactory::TComObjectFactory(TComServer& server, ObjectCreator creator, REFCLSID clsid, std::wstring class_name,
                                     std::wstring description, Instancing instancing, ThreadingModel threading_model)
    : server_(server),
      creator_(creator),
      clsid_(clsid),
      class_name_(std::move(class_name)),
      description_(std::move(description)),
      error_iid_(IID_IUnknown),
      instancing_(instancing),
      threading_model_(threading_model) {
    ComClassManager().AddFactory(this);
}

TComObjectFactory::~TComObjectFactory() {
    if (registration_cookie_ != static_cast<DWORD>(-1)) ::CoRevokeClassObject(registration_cookie_);
    if (TComClassManager* manager = ExistingComClassManager()) manager->RemoveFactory(this);
}

STDMETHODIMP TComObjectFactory::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The factory itself lives until module end; only the server's count moves.
STDMETHODIMP_(ULONG) TComObjectFactory::AddRef() noexcept { return static_cast<ULONG>(server_.CountFactory(true)); }

STDMETHODIMP_(ULONG) TComObjectFactory::Release() noexcept { return static_cast<ULONG>(server_.CountFactory(false)); }

STDMETHODIMP TComObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !::IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;

    TComObject* object = nullptr;
    bool failed = false;
    std::wstring message;
    try {
        object = creator_(*this, outer);
        if (!object) throw std::bad_alloc();
        object->CompleteConstruction();
    } catch (...) {
        failed = true;
        try {
            message = CurrentErrorMessage();
        } catch (...) {
        }
        if (object) object->AbandonConstruction();
    }
    if (failed) {
        if (show_errors_) {
            try {
                ShowCreationError(CreationErrorText(std::move(message)), kCreationErrorCaption, kCreationErrorBoxFlags);
            } catch (...) {
            }
        }
        return E_UNEXPECTED;
    }

    const HRESULT hr = object->ObjQueryInterface(iid, out);
    if (object->RefCount() == 0) delete object;  // nobody holds it: the query failed
    return hr;
}

STDMETHODIMP TComObjectFactory::LockServer(BOOL lock) noexcept {
    const HRESULT hr = ::CoLockObjectExternal(static_cast<IClassFactory*>(this), lock, TRUE);
    server_.CountObject(lock != FALSE);
    return hr;
}

std::wstring TComObjectFactory::ProgID() const {
    if (class_name_.empty()) return {};
    return server_.ServerName() + L"." + class_name_;
}

void TComObjectFactory::ApplyRegistration(bool do_register) {
    const std::wstring clsid = GuidToString(clsid_);
    const std::wstring class_key = L"CLSID\\" + clsid;
    const std::wstring server_key = class_key + (server_.IsInprocServer() ? L"\\InprocServer32" : L"\\LocalServer32");
    const std::wstring prog_id = ProgID();

    if (do_register) {
        CreateRegKey(class_key, L"", description_);
        const std::wstring path = RegistryModulePath(server_.ServerFileName());
        if (path.empty()) throw EComError("Error creating system registry entry");
        CreateRegKey(server_key, L"", path);
        if (const wchar_t* model = ThreadingModelName(threading_model_); model && server_.IsInprocServer())
            CreateRegKey(server_key, L"ThreadingModel", model);
        if (!prog_id.empty()) {
            CreateRegKey(prog_id, L"", description_);
            CreateRegKey(prog_id + L"\\Clsid", L"", clsid);
            CreateRegKey(class_key + L"\\ProgID", L"", prog_id);
        }
        return;
    }
    if (!prog_id.empty()) {
        DeleteRegKey(class_key + L"\\ProgID");
        DeleteRegKey(prog_id + L"\\Clsid");
        DeleteRegKey(prog_id);
    }
    DeleteRegKey(server_key);
    DeleteRegKey(class_key);  // fails while others' subkeys remain; that is fine
}

// An in-process server lives in someone else's process (the shell's, for a
// band): a modal box there would hold the host's caller until someone clicks
// it. The message goes to the debugger's output instead.
void TComObjectFactory::ShowCreationError(const std::wstring& text, const wchar_t* caption, UINT) {
    const std::wstring line = std::wstring(caption) + L": " + text + L"\n";
    ::OutputDebugStringW(line.c_str());
}

}  // namespace velmap::com
