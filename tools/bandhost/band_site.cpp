#include "band_site.h"

#include <comcat.h>
#include <objbase.h>

#include <algorithm>
#include <cstdarg>

namespace velmap::tools {

namespace {

// The strip paints itself in a dark taskbar grey; the band sits on it.
LRESULT CALLBACK StripProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(wnd, &r);
        HBRUSH brush = ::CreateSolidBrush(RGB(0x20, 0x24, 0x2C));
        ::FillRect(reinterpret_cast<HDC>(wp), &r, brush);
        ::DeleteObject(brush);
        return 1;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

void RegisterStripClass() {
    static const bool done = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = StripProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = kStripClass;
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)done;
}

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s.push_back(c < 128 ? static_cast<char>(c) : '?');
    return s;
}

std::wstring ClassName(REFCLSID clsid) {
    wchar_t text[40];
    ::StringFromGUID2(clsid, text, 40);
    wchar_t name[256];
    DWORD bytes = sizeof name;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + text).c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                       name, &bytes) != ERROR_SUCCESS)
        return {};
    return name;
}

}  // namespace

void CallLog::Write(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    lines_.emplace_back(buffer);
    if (echo_) {
        std::fprintf(echo_, "%s\n", buffer);
        std::fflush(echo_);
    }
}

std::string HResultText(HRESULT hr) {
    switch (hr) {
        case S_OK:
            return "S_OK";
        case S_FALSE:
            return "S_FALSE";
        case E_FAIL:
            return "E_FAIL";
        case E_NOTIMPL:
            return "E_NOTIMPL";
        case E_NOINTERFACE:
            return "E_NOINTERFACE";
        case E_POINTER:
            return "E_POINTER";
        case E_INVALIDARG:
            return "E_INVALIDARG";
        case E_UNEXPECTED:
            return "E_UNEXPECTED";
        case E_OUTOFMEMORY:
            return "E_OUTOFMEMORY";
        case REGDB_E_CLASSNOTREG:
            return "REGDB_E_CLASSNOTREG";
        case CLASS_E_CLASSNOTAVAILABLE:
            return "CLASS_E_CLASSNOTAVAILABLE";
        default:
            break;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string GuidText(REFGUID guid) {
    wchar_t text[40];
    ::StringFromGUID2(guid, text, 40);
    return Narrow(text);
}

std::vector<BandClass> EnumerateDeskBands(CallLog& log) {
    std::vector<BandClass> bands;
    Microsoft::WRL::ComPtr<ICatInformation> categories;
    HRESULT hr = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&categories));
    log.Write("CoCreateInstance(StdComponentCategoriesMgr) -> %s", HResultText(hr).c_str());
    if (FAILED(hr)) return bands;
    CATID desk_band = CATID_DeskBand;
    Microsoft::WRL::ComPtr<IEnumGUID> members;
    hr = categories->EnumClassesOfCategories(1, &desk_band, static_cast<ULONG>(-1), nullptr, &members);
    log.Write("EnumClassesOfCategories(%s) -> %s", GuidText(desk_band).c_str(), HResultText(hr).c_str());
    if (FAILED(hr) || !members) return bands;
    CLSID clsid;
    ULONG fetched = 0;
    while (members->Next(1, &clsid, &fetched) == S_OK && fetched == 1) {
        bands.push_back({clsid, ClassName(clsid)});
        log.Write("  member %s \"%s\"", GuidText(clsid).c_str(), Narrow(bands.back().name).c_str());
    }
    return bands;
}

// ---- the site ---------------------------------------------------------------------

STDMETHODIMP BandSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleWindow) {
        *out = static_cast<IOleWindow*>(this);
    } else if (iid == IID_IInputObjectSite) {
        *out = static_cast<IInputObjectSite*>(this);
    } else if (iid == IID_IOleCommandTarget) {
        *out = static_cast<IOleCommandTarget*>(this);
    } else if (iid == IID_IServiceProvider) {
        *out = static_cast<IServiceProvider*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BandSite::Release() {
    const LONG n = ::InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP BandSite::GetWindow(HWND* wnd) {
    if (!wnd) return E_POINTER;
    *wnd = strip_;
    log_.Write("site: GetWindow -> %s", strip_ ? "S_OK" : "E_FAIL");
    return strip_ ? S_OK : E_FAIL;
}

STDMETHODIMP BandSite::OnFocusChangeIS(IUnknown* object, BOOL focus) {
    ++focus_changes_;
    last_focus_ = focus;
    last_object_ = object;
    log_.Write("site: OnFocusChangeIS(focus=%d)", static_cast<int>(focus));
    return S_OK;
}

STDMETHODIMP BandSite::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) {
    log_.Write("site: QueryStatus -> OLECMDERR_E_UNKNOWNGROUP");
    return OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP BandSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT*, VARIANT*) {
    if (group && ::IsEqualGUID(*group, CGID_DeskBand) && id == DBID_BANDINFOCHANGED) {
        ++band_info_changes_;
        log_.Write("site: Exec(CGID_DeskBand, DBID_BANDINFOCHANGED) -> S_OK");
        if (on_band_info_changed_) on_band_info_changed_();
        return S_OK;
    }
    log_.Write("site: Exec(%lu) -> OLECMDERR_E_UNKNOWNGROUP", static_cast<unsigned long>(id));
    return OLECMDERR_E_UNKNOWNGROUP;
}

STDMETHODIMP BandSite::QueryService(REFGUID service, REFIID iid, void** out) {
    if (out) *out = nullptr;
    log_.Write("site: QueryService(%s, %s) -> E_NOINTERFACE", GuidText(service).c_str(), GuidText(iid).c_str());
    return E_NOINTERFACE;
}

// ---- the host ---------------------------------------------------------------------

BandHost::BandHost(CallLog& log, StripOrientation orientation) : log_(log), orientation_(orientation) {
    RegisterStripClass();
    strip_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kStripClass, L"band strip", WS_POPUP | WS_CLIPCHILDREN,
                               0, 0, 100, 40, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    site_ = new BandSite(strip_, log_);
    site_->SetOnBandInfoChanged([this] { Requery(); });
}

BandHost::~BandHost() {
    Close();
    site_->Release();
    if (strip_) ::DestroyWindow(strip_);
}

HRESULT BandHost::Create(REFCLSID clsid) {
    band_.Reset();
    const HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&band_));
    log_.Write("CoCreateInstance(%s, IDeskBand) -> %s", GuidText(clsid).c_str(), HResultText(hr).c_str());
    return hr;
}

HRESULT BandHost::Create(IClassFactory* factory) {
    band_.Reset();
    const HRESULT hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&band_));
    log_.Write("CreateInstance(IDeskBand) -> %s", HResultText(hr).c_str());
    return hr;
}

HRESULT BandHost::QueryBandInfo(DWORD mask, DESKBANDINFO& info) {
    info.dwMask = mask;
    const DWORD mode = orientation_ == StripOrientation::Vertical ? DBIF_VIEWMODE_VERTICAL : DBIF_VIEWMODE_NORMAL;
    const HRESULT hr = band_->GetBandInfo(0, mode, &info);
    log_.Write(
        "GetBandInfo(0, %s, mask=0x%02lX) -> %s min=%ldx%ld max=%ldx%ld integral=%ldx%ld actual=%ldx%ld "
        "modeflags=0x%lX mask=0x%02lX",
        mode == DBIF_VIEWMODE_VERTICAL ? "vertical" : "horizontal", static_cast<unsigned long>(mask),
        HResultText(hr).c_str(), info.ptMinSize.x, info.ptMinSize.y, info.ptMaxSize.x, info.ptMaxSize.y,
        info.ptIntegral.x, info.ptIntegral.y, info.ptActual.x, info.ptActual.y,
        static_cast<unsigned long>(info.dwModeFlags), static_cast<unsigned long>(info.dwMask));
    return hr;
}

int BandHost::StripThickness() {
    HDC dc = ::GetDC(nullptr);
    const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    return ::MulDiv(kVerticalStripThickness, dpi > 0 ? dpi : 96, 96);
}

void BandHost::Place(const DESKBANDINFO& info) {
    const int screen_w = ::GetSystemMetrics(SM_CXSCREEN), screen_h = ::GetSystemMetrics(SM_CYSCREEN);
    RECT strip;
    RECT band;
    if (orientation_ == StripOrientation::Horizontal) {
        const int w = info.ptActual.x, h = info.ptActual.y;
        strip = {0, screen_h - h - 2 * kStripMargin, screen_w / 2, screen_h};
        band = {kStripMargin, kStripMargin, kStripMargin + w, kStripMargin + h};
    } else {
        // A vertical bar: the answer's x is the length along it, and the
        // band's window is as wide as the strip is thick.
        const int length = info.ptActual.x, thickness = StripThickness();
        strip = {0, 0, thickness, std::max<LONG>(screen_h / 2, length + 2 * kStripMargin)};
        band = {0, kStripMargin, thickness, kStripMargin + length};
    }
    ::SetWindowPos(strip_, HWND_TOPMOST, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::SetWindowPos(band_window_, nullptr, band.left, band.top, band.right - band.left, band.bottom - band.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(band_window_, SW_SHOWNA);
    log_.Write("placed %s: strip %ldx%ld at (%ld,%ld), band %ldx%ld at (%ld,%ld)",
               orientation_ == StripOrientation::Vertical ? "vertically" : "horizontally", strip.right - strip.left,
               strip.bottom - strip.top, strip.left, strip.top, band.right - band.left, band.bottom - band.top,
               band.left, band.top);
}

HRESULT BandHost::SetOrientation(StripOrientation orientation, bool place) {
    orientation_ = orientation;
    if (!place) return S_OK;
    // The user dragged the taskbar to another edge: the taskbar asks its
    // bands again, in the new mode, and places them by the answer.
    return band_ && band_window_ ? Requery() : S_OK;
}

HRESULT BandHost::Show() {
    if (!band_) return E_UNEXPECTED;
    Microsoft::WRL::ComPtr<IObjectWithSite> with_site;
    HRESULT hr = band_.As(&with_site);
    log_.Write("QueryInterface(IObjectWithSite) -> %s", HResultText(hr).c_str());
    if (FAILED(hr)) return hr;
    hr = with_site->SetSite(static_cast<IOleWindow*>(site_));
    log_.Write("SetSite(site) -> %s", HResultText(hr).c_str());
    if (FAILED(hr)) return hr;
    // A taskbar learns the band's size before it asks for the window.
    DESKBANDINFO early{};
    hr = QueryBandInfo(DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_MODEFLAGS, early);
    if (FAILED(hr)) return hr;
    hr = band_->GetWindow(&band_window_);
    log_.Write("GetWindow -> %s", HResultText(hr).c_str());
    if (FAILED(hr) || !band_window_) return FAILED(hr) ? hr : E_FAIL;
    DESKBANDINFO info{};
    hr = QueryBandInfo(
        DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR, info);
    if (FAILED(hr)) return hr;
    Place(info);
    hr = band_->ShowDW(TRUE);
    log_.Write("ShowDW(TRUE) -> %s", HResultText(hr).c_str());
    return hr;
}

HRESULT BandHost::Requery() {
    if (!band_ || !band_window_) return E_UNEXPECTED;
    DESKBANDINFO info{};
    const HRESULT hr = QueryBandInfo(
        DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR, info);
    if (SUCCEEDED(hr)) Place(info);
    return hr;
}

HRESULT BandHost::Close() {
    if (!band_) return S_FALSE;
    HRESULT hr = band_->ShowDW(FALSE);
    log_.Write("ShowDW(FALSE) -> %s", HResultText(hr).c_str());
    hr = band_->CloseDW(0);
    log_.Write("CloseDW -> %s", HResultText(hr).c_str());
    band_window_ = nullptr;
    Microsoft::WRL::ComPtr<IObjectWithSite> with_site;
    if (SUCCEEDED(band_.As(&with_site))) {
        const HRESULT site_hr = with_site->SetSite(nullptr);
        log_.Write("SetSite(NULL) -> %s", HResultText(site_hr).c_str());
    }
    with_site.Reset();
    const ULONG left = band_.Reset();
    log_.Write("Release -> %lu", static_cast<unsigned long>(left));
    return hr;
}

HRESULT BandHost::SaveTo(HKEY key, const wchar_t* name) {
    if (!band_) return E_UNEXPECTED;
    Microsoft::WRL::ComPtr<IPersistStream> persist;
    HRESULT hr = band_.As(&persist);
    log_.Write("QueryInterface(IPersistStream) -> %s", HResultText(hr).c_str());
    if (FAILED(hr)) return hr;
    Microsoft::WRL::ComPtr<IStream> stream;
    hr = ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    hr = ::OleSaveToStream(persist.Get(), stream.Get());
    ULARGE_INTEGER end{};
    if (SUCCEEDED(hr)) hr = stream->Seek({}, STREAM_SEEK_CUR, &end);
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(hr)) hr = ::GetHGlobalFromStream(stream.Get(), &memory);
    if (SUCCEEDED(hr)) {
        const void* bytes = ::GlobalLock(memory);
        const LSTATUS status = ::RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(bytes),
                                                static_cast<DWORD>(end.QuadPart));
        ::GlobalUnlock(memory);
        if (status != ERROR_SUCCESS) hr = HRESULT_FROM_WIN32(status);
    }
    log_.Write("OleSaveToStream -> %s, %lu bytes kept as %s", HResultText(hr).c_str(),
               static_cast<unsigned long>(end.QuadPart), Narrow(name).c_str());
    return hr;
}

std::vector<SavedBand> LoadSavedBands(HKEY key, CallLog& log) {
    std::vector<std::pair<std::wstring, std::vector<BYTE>>> values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD name_length = 256, type = 0, size = 0;
        if (::RegEnumValueW(key, i, name, &name_length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        if (type != REG_BINARY || size > (1u << 20)) continue;
        std::vector<BYTE> bytes(size);
        name_length = 256;
        if (::RegEnumValueW(key, i, name, &name_length, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
            continue;
        bytes.resize(size);
        values.emplace_back(name, std::move(bytes));
    }
    std::sort(values.begin(), values.end());
    std::vector<SavedBand> bands;
    for (const auto& [name, bytes] : values) {
        Microsoft::WRL::ComPtr<IStream> stream;
        if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) continue;
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        CLSID clsid{};
        stream->Seek({}, STREAM_SEEK_SET, nullptr);
        ::ReadClassStm(stream.Get(), &clsid);
        stream->Seek({}, STREAM_SEEK_SET, nullptr);
        Microsoft::WRL::ComPtr<IDeskBand> band;
        const HRESULT hr = ::OleLoadFromStream(stream.Get(), IID_PPV_ARGS(&band));
        if (FAILED(hr) || !band) {
            log.Write("restore %s: OleLoadFromStream(%s) -> %s: skipped", Narrow(name).c_str(), GuidText(clsid).c_str(),
                      HResultText(FAILED(hr) ? hr : E_NOINTERFACE).c_str());
            continue;
        }
        log.Write("restore %s: OleLoadFromStream(%s) -> S_OK", Narrow(name).c_str(), GuidText(clsid).c_str());
        bands.push_back({name, std::move(band)});
    }
    return bands;
}

void PumpMessages(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            if (::GetTickCount() - start >= ms) return;
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

}  // namespace velmap::tools
