// The desk band object the shell's band site talks to: it owns one band form
// as its window, reports the form's size, and keeps the site told about focus.
#pragma once

#include "com/object.h"
#include "ui/component.h"
#include "ui/control.h"

#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>
#include <shlobj.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>

namespace velmap::remote {
class TBandForm;
}

namespace velmap::band {

class TOrvexBand final : public com::ComClass<TOrvexBand, com::TComObject, IDeskBand, IInputObject, IContextMenu,
                                              IObjectWithSite, IPersistStreamInit> {
public:
    TOrvexBand(com::TComObjectFactory& factory, IUnknown* controller);
    ~TOrvexBand() override;

    static std::span<const com::InterfaceEntry> InterfaceEntries();

    // IOleWindow part of IDeskBand
    STDMETHODIMP GetWindow(HWND* wnd) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter_mode) noexcept override;
    // IDockingWindow part
    STDMETHODIMP ShowDW(BOOL show) noexcept override;
    STDMETHODIMP CloseDW(DWORD reserved) noexcept override;
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) noexcept override;
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD band_id, DWORD view_mode, DESKBANDINFO* info) noexcept override;
    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* msg) noexcept override;
    STDMETHODIMP HasFocusIO() noexcept override;
    STDMETHODIMP TranslateAcceleratorIO(MSG* msg) noexcept override;
    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name, UINT size) noexcept override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override;
    STDMETHODIMP GetSite(REFIID iid, void** out) noexcept override;
    // IPersist / IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) noexcept override;
    STDMETHODIMP IsDirty() noexcept override;
    STDMETHODIMP Load(IStream* stream) noexcept override;
    STDMETHODIMP Save(IStream* stream, BOOL clear_dirty) noexcept override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override;
    STDMETHODIMP InitNew() noexcept override;

private:
    void CreateForm();
    // Takes the hook off the form's window procedure, then frees the form.
    void DestroyForm() noexcept;
    void ReleaseSite() noexcept;
    void FormWindowProc(ui::TMessage& msg);
    void NotifyFocus(bool focus) noexcept;
    void NotifyBandInfoChanged() noexcept;
    IUnknown* Identity() noexcept;

    int menu_item_count_ = 0;
    bool has_focus_ = false;
    DWORD band_id_ = 0;
    bool vertical_ = false;  // the view mode the site last asked in
    ui::TWndMethod saved_window_proc_;
    HWND parent_window_ = nullptr;
    Microsoft::WRL::ComPtr<IInputObjectSite> focus_site_;
    Microsoft::WRL::ComPtr<IOleCommandTarget> command_target_;
    remote::TBandForm* form_ = nullptr;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
};

}  // namespace velmap::band
