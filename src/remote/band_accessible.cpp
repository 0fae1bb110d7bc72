#include "remote/band_accessible.h"

#include "win/handles.h"

#include <new>
#include <utility>

namespace velmap::remote {

namespace {

// A BSTR copy of text, or null when there is none. OLEAUT32 is loaded from
// System32 on the first answer (clients of this object have it already) and
// kept: the module itself does not import it.
BSTR Bstr(const std::wstring& text) {
    using AllocFn = BSTR(WINAPI*)(const OLECHAR*, UINT);
    static const AllocFn alloc = [] {
        HMODULE oleaut = win::load_system_library(L"oleaut32.dll");
        return oleaut ? reinterpret_cast<AllocFn>(reinterpret_cast<void*>(::GetProcAddress(oleaut, "SysAllocStringLen")))
                      : nullptr;
    }();
    return text.empty() || !alloc ? nullptr : alloc(text.data(), static_cast<UINT>(text.size()));
}

void Empty(VARIANT* v) { v->vt = VT_EMPTY; }

AccessibleCounter g_counter = nullptr;

// Every method runs inside the client's call into the host (a screen reader's
// request is answered in explorer): a C++ exception escaping it would end the
// process. Names are built as strings, a click runs the band's handlers and
// paints: any of them can throw when memory or GDI handles run short.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

class TBandAccessible final : public IAccessible {
public:
    explicit TBandAccessible(BandAccessModel& model) : model_(&model) {
        if (g_counter) g_counter(true);
    }

    void Disconnect() { model_ = nullptr; }

    // ---- IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // ---- IDispatch: clients use the IAccessible methods themselves.
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override {
        return E_NOTIMPL;
    }

    // ---- IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!parent) return E_POINTER;
            *parent = nullptr;
            if (!model_) return CO_E_OBJNOTCONNECTED;
            return model_->WindowObject(parent);
        });
    }
    STDMETHODIMP get_accChildCount(LONG* count) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!count) return E_POINTER;
            *count = 0;
            if (!model_) return CO_E_OBJNOTCONNECTED;
            *count = model_->ButtonCount();
            return S_OK;
        });
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            int id = 0;
            if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
            // The buttons are simple elements; the client area is no child of itself.
            return id == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
        });
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override {
        return Guarded([&]() -> HRESULT { return Text(child, name, [this](int id) { return model_->Name(id); }); });
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override {
        return Guarded([&]() -> HRESULT { return Absent(child, value); });
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) noexcept override {
        return Guarded([&]() -> HRESULT { return Absent(child, text); });
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!role) return E_POINTER;
            Empty(role);
            int id = 0;
            if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
            role->vt = VT_I4;
            role->lVal = id == CHILDID_SELF ? ROLE_SYSTEM_TOOLBAR : ROLE_SYSTEM_PUSHBUTTON;
            return S_OK;
        });
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!state) return E_POINTER;
            Empty(state);
            int id = 0;
            if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
            state->vt = VT_I4;
            state->lVal = static_cast<LONG>(model_->State(id));
            return S_OK;
        });
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) noexcept override {
        return Guarded([&]() -> HRESULT { return Absent(child, help); });
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (topic) *topic = 0;
            return Absent(child, file);
        });
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) noexcept override {
        return Guarded([&]() -> HRESULT { return Absent(child, keys); });
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!focus) return E_POINTER;
            Empty(focus);
            if (!model_) return CO_E_OBJNOTCONNECTED;
            const int id = model_->FocusedChild();
            if (id < 0) return S_FALSE;  // VT_EMPTY: neither the band nor a button
            focus->vt = VT_I4;
            focus->lVal = id;
            return S_OK;
        });
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!selection) return E_POINTER;
            Empty(selection);
            return model_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
        });
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) noexcept override {
        return Guarded(
            [&]() -> HRESULT { return Text(child, action, [this](int id) { return model_->DefaultAction(id); }); });
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT child) noexcept override {
        return Guarded([&]() -> HRESULT {
            int id = 0;
            if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
            // Only the focus can be given: the buttons are never selected.
            if (flags != SELFLAG_TAKEFOCUS) return flags & ~SELFLAG_VALID ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
            return model_->Focus(id) ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!left || !top || !width || !height) return E_POINTER;
            *left = *top = *width = *height = 0;
            int id = 0;
            if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
            const RECT r = model_->ScreenRect(id);
            *left = r.left;
            *top = r.top;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        });
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!end) return E_POINTER;
            Empty(end);
            int id = 0;
            if (HRESULT hr = Child(start, id); FAILED(hr)) return hr;
            const int count = model_->ButtonCount();
            int to = 0;
            switch (direction) {
                case NAVDIR_FIRSTCHILD:
                case NAVDIR_LASTCHILD:
                    if (id != CHILDID_SELF) return E_INVALIDARG;
                    to = count == 0 ? 0 : direction == NAVDIR_FIRSTCHILD ? 1 : count;
                    break;
                case NAVDIR_NEXT:
                case NAVDIR_RIGHT:
                    to = id == CHILDID_SELF || id == count ? 0 : id + 1;
                    break;
                case NAVDIR_PREVIOUS:
                case NAVDIR_LEFT:
                    to = id == CHILDID_SELF || id == 1 ? 0 : id - 1;
                    break;
                case NAVDIR_UP:
                case NAVDIR_DOWN:
                    to = 0;  // one row
                    break;
                default:
                    return E_INVALIDARG;
            }
            if (to == 0) return S_FALSE;
            end->vt = VT_I4;
            end->lVal = to;
            return S_OK;
        });
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) noexcept override {
        return Guarded([&]() -> HRESULT {
            if (!child) return E_POINTER;
            Empty(child);
            if (!model_) return CO_E_OBJNOTCONNECTED;
            const int id = model_->ChildAt({x, y});
            if (id < 0) return S_FALSE;
            child->vt = VT_I4;
            child->lVal = id;
            return S_OK;
        });
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) noexcept override {
        return Guarded([&]() -> HRESULT {
            int id = 0;
            if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
            if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
            return model_->Click(id) ? S_OK : E_FAIL;
        });
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) noexcept override {
        return Guarded([&]() -> HRESULT { return model_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED; });
    }
    STDMETHODIMP put_accValue(VARIANT, BSTR) noexcept override {
        return Guarded([&]() -> HRESULT { return model_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED; });
    }

private:
    ~TBandAccessible() {
        if (g_counter) g_counter(false);
    }

    // The child a VARIANT names; fails for a cut object or an unknown child.
    HRESULT Child(const VARIANT& v, int& id) const {
        if (!model_) return CO_E_OBJNOTCONNECTED;
        LONG value = 0;
        if (v.vt == VT_I4)
            value = v.lVal;
        else if (v.vt == VT_I2)
            value = v.iVal;
        else if (v.vt == VT_EMPTY)
            value = CHILDID_SELF;
        else
            return E_INVALIDARG;
        if (value < 0 || value > model_->ButtonCount()) return E_INVALIDARG;
        id = static_cast<int>(value);
        return S_OK;
    }

    template <typename Read>
    HRESULT Text(const VARIANT& child, BSTR* out, Read read) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        int id = 0;
        if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
        const std::wstring text = read(id);
        if (text.empty()) return DISP_E_MEMBERNOTFOUND;
        *out = Bstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    // A property the band has for no child.
    HRESULT Absent(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        int id = 0;
        if (HRESULT hr = Child(child, id); FAILED(hr)) return hr;
        return DISP_E_MEMBERNOTFOUND;
    }

    LONG refs_ = 1;
    BandAccessModel* model_;
};

}  // namespace

IAccessible* NewBandAccessible(BandAccessModel& model) { return new (std::nothrow) TBandAccessible(model); }

AccessibleCounter SetAccessibleCounter(AccessibleCounter counter) noexcept {
    const AccessibleCounter old = g_counter;
    g_counter = counter;
    return old;
}

void DisconnectBandAccessible(IAccessible* object) {
    if (!object) return;
    static_cast<TBandAccessible*>(object)->Disconnect();
    // Stubs made for other processes (each WM_GETOBJECT answer marshals one)
    // go now; their proxies then answer CO_E_OBJNOTCONNECTED.
    ::CoDisconnectObject(object, 0);
}

}  // namespace velmap::remote
