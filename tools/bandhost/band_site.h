// The host side of a desk band, as a taskbar plays it: finds bands through the
// desk-band category, creates one by its class identifier, sites it in a strip
// window (IOleWindow, IInputObjectSite, IOleCommandTarget, IServiceProvider)
// and logs every call it makes and every answer it gets.
#pragma once

#include <docobj.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlobj.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace velmap::tools {

// Every line the host logs, kept in order and echoed to a stream when set.
class CallLog {
public:
    void Write(const char* format, ...);
    const std::vector<std::string>& Lines() const { return lines_; }
    void SetEcho(FILE* echo) { echo_ = echo; }
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
    FILE* echo_ = nullptr;
};

// "S_OK", "E_FAIL", ... or the value in hexadecimal.
std::string HResultText(HRESULT hr);
std::string GuidText(REFGUID guid);

// A member of the desk-band category and its class key's default value.
struct BandClass {
    CLSID clsid;
    std::wstring name;
};
// The category's members as the system's category manager lists them.
std::vector<BandClass> EnumerateDeskBands(CallLog& log);

// The site object: the strip's window, focus notifications, no commands and
// no services (a taskbar offers no browser).
class BandSite final : public IOleWindow, public IInputObjectSite, public IOleCommandTarget, public IServiceProvider {
public:
    BandSite(HWND strip, CallLog& log) : strip_(strip), log_(log) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* wnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IInputObjectSite
    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL focus) override;
    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* cmds, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD opt, VARIANT* in, VARIANT* out) override;
    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;

    // References held on the site besides the host's own.
    LONG RefCount() const { return refs_; }
    int FocusChanges() const { return focus_changes_; }
    BOOL LastFocus() const { return last_focus_; }
    IUnknown* LastFocusObject() const { return last_object_; }
    // Without a window the site answers GetWindow with E_FAIL.
    void SetWindow(HWND strip) { strip_ = strip; }
    // Run when the band says its size information changed (Exec with
    // CGID_DeskBand, DBID_BANDINFOCHANGED), as a taskbar asks again.
    void SetOnBandInfoChanged(std::function<void()> handler) { on_band_info_changed_ = std::move(handler); }
    int BandInfoChanges() const { return band_info_changes_; }

private:
    volatile LONG refs_ = 1;
    HWND strip_;
    CallLog& log_;
    int focus_changes_ = 0;
    BOOL last_focus_ = FALSE;
    IUnknown* last_object_ = nullptr;  // compared only, never called
    std::function<void()> on_band_info_changed_;
    int band_info_changes_ = 0;
};

enum class StripOrientation { Horizontal, Vertical };

// One band in one strip window.
class BandHost {
public:
    BandHost(CallLog& log, StripOrientation orientation);
    ~BandHost();
    BandHost(const BandHost&) = delete;
    BandHost& operator=(const BandHost&) = delete;

    // CoCreateInstance for IDeskBand.
    HRESULT Create(REFCLSID clsid);
    // The same through a class object the caller got itself (a DLL it loaded).
    HRESULT Create(IClassFactory* factory);
    // SetSite, GetBandInfo, GetWindow, GetBandInfo again, places the band
    // window in the strip, shows both, ShowDW(TRUE).
    HRESULT Show();
    // ShowDW(FALSE), CloseDW, SetSite(NULL), and lets go of the band.
    HRESULT Close();

    // Keeps the band as a taskbar keeps its toolbars: OleSaveToStream into
    // the REG_BINARY value name of key.
    HRESULT SaveTo(HKEY key, const wchar_t* name);
    // A band made elsewhere (OleLoadFromStream), to be sited by Show.
    void Adopt(Microsoft::WRL::ComPtr<IDeskBand> band) { band_ = std::move(band); }

    // GetBandInfo with the given mask, logged; the record as the band left it.
    HRESULT QueryBandInfo(DWORD mask, DESKBANDINFO& info);
    // What a taskbar does when the band's size information changed: asks
    // GetBandInfo again and places the band by the answer.
    HRESULT Requery();
    // The strip moved to a horizontal or a vertical edge; a shown band is
    // asked again in the new view mode and placed by the answer.
    // A host that places the band itself passes place = false and asks
    // again in its own time.
    HRESULT SetOrientation(StripOrientation orientation, bool place = true);
    // How thick a vertical strip is at the screen's density.
    static int StripThickness();

    IDeskBand* Band() const { return band_.Get(); }
    BandSite& Site() { return *site_; }
    HWND Strip() const { return strip_; }
    HWND BandWindow() const { return band_window_; }
    StripOrientation Orientation() const { return orientation_; }
    CallLog& Log() { return log_; }

private:
    void Place(const DESKBANDINFO& info);

    CallLog& log_;
    StripOrientation orientation_;
    HWND strip_ = nullptr;
    BandSite* site_ = nullptr;
    Microsoft::WRL::ComPtr<IDeskBand> band_;
    HWND band_window_ = nullptr;
};

// Where bandhost keeps its bands across a restart (under HKEY_CURRENT_USER).
inline constexpr wchar_t kSavedBandsKey[] = L"Software\\Velmap\\bandhost\\Bands";

// A band made again from its saved stream, and the value it came from.
struct SavedBand {
    std::wstring name;
    Microsoft::WRL::ComPtr<IDeskBand> band;
};
// Every band saved under key, in value order, made again with
// OleLoadFromStream. A stream that cannot be loaded (its class is not
// registered, say) is logged and skipped.
std::vector<SavedBand> LoadSavedBands(HKEY key, CallLog& log);

// The window class of the strip that holds the band.
inline constexpr wchar_t kStripClass[] = L"VelmapBandHostStrip";

// The strip's margin around the band, in pixels.
inline constexpr int kStripMargin = 4;
// A vertical strip's thickness at 96 pixels per inch (a taskbar's at the
// left or right edge); the band's window is as wide.
inline constexpr int kVerticalStripThickness = 62;

// Runs the thread's messages for ms milliseconds (checking the time between
// messages, so a fast timer cannot keep it inside).
void PumpMessages(DWORD ms);

}  // namespace velmap::tools
