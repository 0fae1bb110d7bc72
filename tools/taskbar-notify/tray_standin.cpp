// Stand-in for the taskbar's desk-band object (CLSID_TrayDeskBand), for tests
// on systems that have none: an in-process server that appends one line per
// ITrayDeskBand call to the file named by VELMAP_TRAY_STANDIN_LOG
// ("DeskBandRegistrationChanged", "ShowDeskBand {CLSID}", ...) and answers
// S_OK. A test registers it under the taskbar's class identifier.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <new>

namespace {

constexpr CLSID kTrayDeskBand = {0xE6442437, 0x6C68, 0x4F52, {0x94, 0xDD, 0x2C, 0xFE, 0xD2, 0x67, 0xEF, 0xB9}};
constexpr IID kITrayDeskBand = {0x6D67E846, 0x5B9C, 0x4DB8, {0x9C, 0xBC, 0xDD, 0xE1, 0x2F, 0x42, 0x54, 0xF1}};

LONG g_objects = 0;

void Log(const char* call, const CLSID* clsid) {
    wchar_t path[MAX_PATH];
    if (!::GetEnvironmentVariableW(L"VELMAP_TRAY_STANDIN_LOG", path, MAX_PATH)) return;
    FILE* file = _wfopen(path, L"a");
    if (!file) return;
    if (clsid) {
        wchar_t text[40];
        ::StringFromGUID2(*clsid, text, 40);
        std::fprintf(file, "%s %ls\n", call, text);
    } else {
        std::fprintf(file, "%s\n", call);
    }
    std::fclose(file);
}

struct ITrayDeskBandCalls : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ShowDeskBand(REFCLSID clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideDeskBand(REFCLSID clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsDeskBandShown(REFCLSID clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeskBandRegistrationChanged() = 0;
};

class Tray final : public ITrayDeskBandCalls {
public:
    Tray() { ::InterlockedIncrement(&g_objects); }
    ~Tray() { ::InterlockedDecrement(&g_objects); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != kITrayDeskBand) return E_NOINTERFACE;
        *out = static_cast<ITrayDeskBandCalls*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = ::InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP ShowDeskBand(REFCLSID clsid) override {
        Log("ShowDeskBand", &clsid);
        return S_OK;
    }
    STDMETHODIMP HideDeskBand(REFCLSID clsid) override {
        Log("HideDeskBand", &clsid);
        return S_OK;
    }
    STDMETHODIMP IsDeskBandShown(REFCLSID clsid) override {
        Log("IsDeskBandShown", &clsid);
        return S_FALSE;
    }
    STDMETHODIMP DeskBandRegistrationChanged() override {
        Log("DeskBandRegistrationChanged", nullptr);
        return S_OK;
    }

private:
    LONG refs_ = 1;
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Tray* tray = new (std::nothrow) Tray;
        if (!tray) return E_OUTOFMEMORY;
        const HRESULT hr = tray->QueryInterface(iid, out);
        tray->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != kTrayDeskBand) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }
