#include "band/band_object.h"

#include "band/band_clsid.h"
#include "com/error.h"
#include "com/object_factory.h"
#include "com/server.h"
#include "remote/band_form.h"

#include <shlguid.h>

namespace velmap::band {

namespace {

using com::Guarded;

// IPersistStream is answered with the IPersistStreamInit part: its slots are
// IPersistStream's, in the same order, with InitNew after them. A host that
// keeps its bands across restarts (OleSaveToStream / OleLoadFromStream) asks
// for IPersistStream.
constexpr com::InterfaceEntry PersistStreamEntry() {
    return {&IID_IPersistStream, [](com::TComObject* object) -> IUnknown* {
                return static_cast<IPersistStreamInit*>(static_cast<TOrvexBand*>(object));
            }};
}

// What the band answers; IOleWindow and IDockingWindow are reachable only
// through IDeskBand.
const com::InterfaceEntry band_entries[] = {
    com::ComInterface<IInputObject, TOrvexBand>(),    com::ComInterface<IContextMenu, TOrvexBand>(),
    com::ComInterface<IObjectWithSite, TOrvexBand>(), com::ComInterface<IPersistStreamInit, TOrvexBand>(),
    PersistStreamEntry(),                             com::ComInterface<IPersist, TOrvexBand>(),
    com::ComInterface<IDeskBand, TOrvexBand>(),
};

// The site's browser, asked for under the browser application's service.
constexpr GUID kWebBrowserAppService = com::ParseGuid("{0002DF05-0000-0000-C000-000000000046}");

// Density changes reaching the band's window.
//
// The contract with a host: when the density the band is shown at changes
// (display scale changed, the taskbar moved to a monitor of another
// density), WM_DPICHANGED_AFTERPARENT reaches the band's window (the system
// sends it to child windows of per-monitor aware hosts), or WM_DPICHANGED
// where a host forwards its own. The band reads the new density from the
// message when it carries one (WM_DPICHANGED: wParam, HIWORD the vertical
// density; a host may pass it the same way with WM_DPICHANGED_AFTERPARENT,
// whose wParam the system leaves 0), else from its window
// (GetDpiForWindow, where the system has it). It then scales its form as a
// form made at that density, repaints once, and tells the site through its
// command target (Exec CGID_DeskBand, DBID_BANDINFOCHANGED), so that the
// host asks GetBandInfo again. A density equal to the current one changes
// nothing and tells nobody.
constexpr UINT kWmDpiChanged = 0x02E0;             // WM_DPICHANGED
constexpr UINT kWmDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT

int DensityOfMessage(HWND wnd, WPARAM wparam) {
    if (const int carried = HIWORD(wparam); carried > 0) return carried;
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return get_dpi_for_window && wnd ? static_cast<int>(get_dpi_for_window(wnd)) : 0;
}

}  // namespace

std::span<const com::InterfaceEntry> TOrvexBand::InterfaceEntries() { return band_entries; }

TOrvexBand::TOrvexBand(com::TComObjectFactory& factory, IUnknown* controller) : ComClass(factory, controller) {}

TOrvexBand::~TOrvexBand() {
    // A host that never called CloseDW: the form, its timers and the hook go
    // now, while this module is certainly still loaded.
    DestroyForm();
}

IUnknown* TOrvexBand::Identity() noexcept { return Controller() ? Controller() : NonDelegatingUnknown(); }

// ---- the form ----------------------------------------------------------------------

void TOrvexBand::CreateForm() {
    remote::TBandForm* form = remote::TBandForm::Create(parent_window_);
    form_ = form;
    // A live form keeps the module loaded, whoever holds the band.
    Factory()->ComServer().CountObject(true);
    form->Browser = browser_;
    saved_window_proc_ = form->WindowProc;
    form->WindowProc = [this](ui::TMessage& msg) { FormWindowProc(msg); };
    // Asked in the vertical mode before the window existed: a column from
    // the start. Should that fail, the row stays and the next question
    // tries again.
    if (vertical_) {
        try {
            form->SetVertical(true);
        } catch (...) {
        }
    }
}

void TOrvexBand::DestroyForm() noexcept {
    remote::TBandForm* form = form_;
    if (!form) return;
    form_ = nullptr;
    // Unhooked before anything is torn down: destroying the children sends
    // WM_PARENTNOTIFY, which must not reach the site from a dying form.
    form->WindowProc = std::move(saved_window_proc_);
    saved_window_proc_ = nullptr;
    try {
        form->Free();
    } catch (...) {
        // Nothing may leave a COM method; the window is gone either way.
    }
    Factory()->ComServer().CountObject(false);
}

void TOrvexBand::FormWindowProc(ui::TMessage& msg) {
    // The site's answer may close or release the band: keep what is needed.
    ui::TWndMethod saved = saved_window_proc_;
    if (msg.Msg == WM_PARENTNOTIFY) {
        const std::weak_ptr<void> life = form_ ? form_->Life() : std::weak_ptr<void>{};
        has_focus_ = true;
        NotifyFocus(true);
        if (life.expired()) return;  // the form went meanwhile
    }
    if ((msg.Msg == kWmDpiChanged || msg.Msg == kWmDpiChangedAfterParent) && form_) {
        const int ppi = DensityOfMessage(form_->Handle(), msg.WParam);
        msg.Result = 0;
        if (ppi > 0 && form_->SetDensity(ppi)) NotifyBandInfoChanged();
        return;
    }
    if (saved) saved(msg);
}

void TOrvexBand::NotifyBandInfoChanged() noexcept {
    if (!command_target_) return;
    Microsoft::WRL::ComPtr<IOleCommandTarget> target = command_target_;
    target->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr);
}

void TOrvexBand::NotifyFocus(bool focus) noexcept {
    if (!focus_site_) return;
    Microsoft::WRL::ComPtr<IInputObjectSite> site = focus_site_;
    site->OnFocusChangeIS(Identity(), focus ? -1 : 0);
}

// ---- IOleWindow, IDockingWindow, IDeskBand ----------------------------------------

STDMETHODIMP TOrvexBand::GetWindow(HWND* wnd) noexcept {
    if (!wnd) return E_POINTER;
    *wnd = nullptr;
    return Guarded(E_FAIL, [&]() -> HRESULT {
        if (!form_) {
            // Without the site's window the form would become a top-level
            // window of its own: refuse instead.
            if (!parent_window_ || !::IsWindow(parent_window_)) return E_FAIL;
            CreateForm();
        }
        *wnd = form_->Handle();
        return S_OK;
    });
}

STDMETHODIMP TOrvexBand::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP TOrvexBand::ShowDW(BOOL show) noexcept {
    has_focus_ = show != FALSE;
    NotifyFocus(has_focus_);
    return S_OK;
}

STDMETHODIMP TOrvexBand::CloseDW(DWORD) noexcept {
    DestroyForm();
    return S_OK;
}

STDMETHODIMP TOrvexBand::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP TOrvexBand::GetBandInfo(DWORD band_id, DWORD view_mode, DESKBANDINFO* info) noexcept {
    if (!info) return E_INVALIDARG;
    band_id_ = band_id;
    // A taskbar at the left or right edge asks in the vertical mode, again
    // after every move to another edge: the band lays itself out for that
    // bar now, and answers along the bar in x and across it in y. Floating
    // and transparent modes leave the layout as it is.
    vertical_ = (view_mode & DBIF_VIEWMODE_VERTICAL) != 0;
    // Before the form exists the site still learns the size it will have:
    // the stored size through the very scaling the form will get (a column
    // is as long as the row is wide, and as thick as the row is high).
    int w = 0, h = 0;
    const HRESULT hr = Guarded(E_FAIL, [&]() -> HRESULT {
        SIZE size;
        if (form_) {
            form_->SetVertical(vertical_);
            size = form_->AlongAndAcross();
        } else {
            size = remote::TBandForm::SizeAt(remote::WindowPixelsPerInch(parent_window_));
        }
        w = size.cx;
        h = size.cy;
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = {w, h};
    if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = {h, w};
    if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {1, 1};
    if (info->dwMask & DBIM_ACTUAL) info->ptActual = {w, h};
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_NORMAL;
    info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);  // the site's own background
    return S_OK;
}

// ---- IInputObject -------------------------------------------------------------------

STDMETHODIMP TOrvexBand::UIActivateIO(BOOL activate, MSG*) noexcept {
    has_focus_ = activate != FALSE;
    if (activate && form_) {
        HWND wnd = form_->HandleAllocated() ? form_->Handle() : nullptr;
        // The form has no control that takes the focus: the form window does.
        if (wnd && ::GetFocus() != wnd) ::SetFocus(wnd);
    }
    return S_OK;
}

STDMETHODIMP TOrvexBand::HasFocusIO() noexcept { return has_focus_ ? S_OK : S_FALSE; }

STDMETHODIMP TOrvexBand::TranslateAcceleratorIO(MSG* msg) noexcept {
    if (!msg) return E_POINTER;
    if (msg->wParam == VK_TAB) return S_FALSE;  // the site moves the focus on
    ::TranslateMessage(msg);
    ::DispatchMessageA(msg);
    return S_OK;
}

// ---- IContextMenu -------------------------------------------------------------------

STDMETHODIMP TOrvexBand::QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) noexcept {
    menu_item_count_ = 0;
    return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
}

STDMETHODIMP TOrvexBand::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    if (!info) return E_INVALIDARG;
    const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
    if (HIWORD(verb) != 0) return E_FAIL;
    return static_cast<int>(LOWORD(verb)) <= menu_item_count_ - 1 ? S_OK : E_FAIL;
}

STDMETHODIMP TOrvexBand::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) noexcept { return S_OK; }

// ---- IObjectWithSite ----------------------------------------------------------------

void TOrvexBand::ReleaseSite() noexcept {
    focus_site_.Reset();
    command_target_.Reset();
    browser_.Reset();
    parent_window_ = nullptr;
}

STDMETHODIMP TOrvexBand::SetSite(IUnknown* site) noexcept {
    return Guarded(E_FAIL, [&]() -> HRESULT {
        if (!site) {
            // The site lets go of the band: the band lets go of the site.
            ReleaseSite();
            return S_OK;
        }
        focus_site_.Reset();
        site->QueryInterface(IID_PPV_ARGS(&focus_site_));
        Microsoft::WRL::ComPtr<IOleWindow> window;
        parent_window_ = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&window))) && window) {
            HWND parent = nullptr;
            if (SUCCEEDED(window->GetWindow(&parent))) parent_window_ = parent;
        }
        command_target_.Reset();
        site->QueryInterface(IID_PPV_ARGS(&command_target_));
        browser_.Reset();
        if (command_target_) {
            Microsoft::WRL::ComPtr<IServiceProvider> services;
            if (SUCCEEDED(command_target_.As(&services)) && services)
                services->QueryService(kWebBrowserAppService, IID_PPV_ARGS(&browser_));
        }
        return S_OK;
    });
}

STDMETHODIMP TOrvexBand::GetSite(REFIID, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_FAIL;
}

// ---- IPersist, IPersistStreamInit ---------------------------------------------------

STDMETHODIMP TOrvexBand::GetClassID(CLSID* clsid) noexcept {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_VelmapBand;
    return S_OK;
}

STDMETHODIMP TOrvexBand::IsDirty() noexcept { return S_FALSE; }
STDMETHODIMP TOrvexBand::Load(IStream*) noexcept { return S_OK; }
STDMETHODIMP TOrvexBand::Save(IStream*, BOOL) noexcept { return S_OK; }
STDMETHODIMP TOrvexBand::GetSizeMax(ULARGE_INTEGER*) noexcept { return E_NOTIMPL; }
STDMETHODIMP TOrvexBand::InitNew() noexcept { return E_NOTIMPL; }

}  // namespace velmap::band
