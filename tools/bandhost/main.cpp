// bandhost: a taskbar-like host for desk bands.
//
//   bandhost --list                       the members of the desk-band category
//   bandhost [--name NAME | --clsid {..}] [--vertical] [--dpi N] [--log FILE]
//            [--show-ms MS] [--demo DIR] [--dpi-change N] [--shots DIR] [--restart]
//            [--hold-until FILE] [--user-classes] [--switch-orientation]
//
// Finds the band as the shell does (through the desk-band category, by the
// name of its class key, "&Velmora Player" unless told otherwise), creates it
// by its class identifier, sites it in a strip window along the bottom of the
// screen (or the left, --vertical: a strip 62 pixels thick at 96 dpi, the
// band's window as wide) and logs every call and answer to standard
// output (and FILE). It shows the band for MS milliseconds (default: until the
// strip is closed), or runs the demo: the real mouse over each button, a click
// on each, screenshots in DIR. --dpi runs the host at that density (the
// system's setting for this run only). --dpi-change N changes the band's
// density to N once it is shown, as the system does when the display scale
// changes (WM_DPICHANGED_AFTERPARENT to the band's window, the density in
// wParam since the system cannot change this process's density), and logs
// the window's size after the site has asked GetBandInfo again. --shots DIR
// writes the band as shown (and after the change) to DIR/band-<N>dpi.png and
// logs a checksum of its pixels. --restart plays a restart of the shell once
// the band is shown: the band is saved with OleSaveToStream into
// HKCU\Software\Velmap\bandhost\Bands (value Band0), torn down (CloseDW,
// SetSite(NULL), Release, CoFreeUnusedLibraries), and every band saved there
// is made again with OleLoadFromStream and sited anew; a saved band that
// cannot be made is logged and skipped. --hold-until FILE shows the band until
// FILE exists, then goes on (the demo, if asked): the band stays loaded while
// a test updates it. --user-classes makes the band as the shell does from one
// user's registration (HKCU\Software\Classes, where the merged class view of
// some systems does not look): its server DLL's DllGetClassObject.
// --switch-orientation moves the shown band's strip to the other kind of edge and back, as a user dragging the
// taskbar does (the band is asked GetBandInfo in the new view mode), and logs
// the band's window, its paints and (with --shots) its picture each time.
// Exit code 0 when every call succeeded.
#include "band_demo.h"
#include "band_site.h"
#include "screenshot.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <vector>
#include <optional>
#include <string>

using namespace velmap::tools;

namespace {

struct Options {
    bool list = false;
    std::wstring name = L"&Velmora Player";
    std::optional<CLSID> clsid;
    StripOrientation orientation = StripOrientation::Horizontal;
    int dpi = 0;
    std::wstring log;
    long show_ms = -1;
    std::wstring demo_dir;
    std::wstring ready_event;  // set by a parent that changed the density for us
    int dpi_change = 0;
    std::wstring shots_dir;
    bool restart = false;
    std::wstring hold_until;
    bool user_classes = false;
    bool switch_orientation = false;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: bandhost --list | [--name NAME | --clsid {GUID}] [--vertical] [--dpi N] [--log FILE] "
                 "[--show-ms MS] [--demo DIR] [--dpi-change N] [--shots DIR] [--restart] [--hold-until FILE] "
                 "[--user-classes] [--switch-orientation]\n");
    return 2;
}

std::optional<Options> Parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == L"--list") {
            o.list = true;
        } else if (a == L"--vertical") {
            o.orientation = StripOrientation::Vertical;
        } else if (a == L"--name" && has_value) {
            o.name = argv[++i];
        } else if (a == L"--clsid" && has_value) {
            CLSID id;
            if (FAILED(::CLSIDFromString(argv[++i], &id))) return std::nullopt;
            o.clsid = id;
        } else if (a == L"--dpi" && has_value) {
            o.dpi = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
            if (o.dpi < 48 || o.dpi > 480) return std::nullopt;
        } else if (a == L"--log" && has_value) {
            o.log = argv[++i];
        } else if (a == L"--show-ms" && has_value) {
            o.show_ms = std::wcstol(argv[++i], nullptr, 10);
        } else if (a == L"--demo" && has_value) {
            o.demo_dir = argv[++i];
        } else if (a == L"--dpi-change" && has_value) {
            o.dpi_change = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
            if (o.dpi_change < 48 || o.dpi_change > 480) return std::nullopt;
        } else if (a == L"--hold-until" && has_value) {
            o.hold_until = argv[++i];
        } else if (a == L"--user-classes") {
            o.user_classes = true;
        } else if (a == L"--restart") {
            o.restart = true;
        } else if (a == L"--switch-orientation") {
            o.switch_orientation = true;
        } else if (a == L"--shots" && has_value) {
            o.shots_dir = argv[++i];
        } else if (a == L"--ready-event" && has_value) {
            o.ready_event = argv[++i];
        } else {
            return std::nullopt;
        }
    }
    return o;
}

int SystemDpi() {
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi;
}

// The system reads its density when a process starts: set it for one child
// run of this program, and put the old setting back once the child is up.
int RunAtDensity(int dpi) {
    constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return 1;
    DWORD old = 0, size = sizeof old, type = 0;
    const bool had = ::RegQueryValueExW(key, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old), &size) ==
                         ERROR_SUCCESS &&
                     type == REG_DWORD;
    const DWORD value = static_cast<DWORD>(dpi);
    ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);

    wchar_t event_name[64];
    std::swprintf(event_name, 64, L"bandhost-dpi-ready-%lu", ::GetCurrentProcessId());
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, event_name);
    std::wstring command = ::GetCommandLineW();
    command += L" --ready-event ";
    command += event_name;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    int code = 1;
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        HANDLE waits[] = {ready, pi.hProcess};
        ::WaitForMultipleObjects(2, waits, FALSE, 30000);
        if (had)
            ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old), sizeof old);
        else
            ::RegDeleteValueW(key, L"LogPixels");
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD exit_code = 1;
        ::GetExitCodeProcess(pi.hProcess, &exit_code);
        code = static_cast<int>(exit_code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    } else if (had) {
        ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old), sizeof old);
    } else {
        ::RegDeleteValueW(key, L"LogPixels");
    }
    ::CloseHandle(ready);
    ::RegCloseKey(key);
    return code;
}

// The band as shown: its window's size, a checksum of its pixels (FNV-1a),
// and with a folder, the picture as DIR/band-<ppi>dpi.png.
void LogPicture(BandHost& host, const std::wstring& dir, int ppi, CallLog& log, const wchar_t* suffix = L"") {
    PumpMessages(300);  // the paints and the site's answers settle
    RECT r{};
    ::GetWindowRect(host.BandWindow(), &r);
    const Picture picture = CaptureWindow(host.BandWindow());
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : picture.bgr) hash = (hash ^ b) * 16777619u;
    log.Write("band window %ldx%ld, picture %dx%d checksum %08X", r.right - r.left, r.bottom - r.top, picture.width,
              picture.height, static_cast<unsigned>(hash));
    if (dir.empty()) return;
    const std::wstring path = dir + L"\\band-" + std::to_wstring(ppi) + L"dpi" + suffix + L".png";
    if (!SavePng(picture, path)) log.Write("cannot write the picture");
}

// WM_PAINT per window of this thread, queued or sent, while a hook is in.
std::map<HWND, int> g_paints;
LRESULT CALLBACK CountQueuedPaints(int code, WPARAM wp, LPARAM lp) {
    const auto* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && msg->message == WM_PAINT) ++g_paints[msg->hwnd];
    return ::CallNextHookEx(nullptr, code, wp, lp);
}
LRESULT CALLBACK CountSentPaints(int code, WPARAM wp, LPARAM lp) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && msg->message == WM_PAINT) ++g_paints[msg->hwnd];
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

// How often the band's window and the windows inside it painted.
void LogPaints(HWND band, CallLog& log) {
    int windows = 0, most = 0, total = 0;
    for (const auto& [wnd, count] : g_paints) {
        if (wnd != band && !::IsChild(band, wnd)) continue;
        ++windows;
        most = std::max(most, count);
        total += count;
    }
    log.Write("paints after the change: %d window(s), %d paint(s), at most %d a window, the band's window %d",
              windows, total, most, g_paints.count(band) ? g_paints[band] : 0);
}

// The file of the module that serves the band (found by its first method).
std::wstring BandModulePath(IDeskBand* band) {
    HMODULE module = nullptr;
    void* method = **reinterpret_cast<void***>(band);
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(method), &module))
        return {};
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(module, path, MAX_PATH);
    return n ? std::wstring(path, n) : std::wstring();
}

// What the shell does across a restart of its own: save, tear down, make the
// bands again from what was saved, site them.
bool Restart(BandHost& host, std::vector<std::unique_ptr<BandHost>>& more, const Options& o, CallLog& log) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSavedBandsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        log.Write("restart: cannot open the saved bands' key");
        return false;
    }
    const std::wstring module = BandModulePath(host.Band());
    bool ok = SUCCEEDED(host.SaveTo(key, L"Band0"));
    log.Write("restart: tearing the band down");
    if (FAILED(host.Close())) ok = false;
    ::CoFreeUnusedLibraries();
    log.Write("CoFreeUnusedLibraries: the band's module is %s",
              !module.empty() && ::GetModuleHandleW(module.c_str()) ? "still loaded" : "unloaded");
    std::vector<SavedBand> bands = LoadSavedBands(key, log);
    // This host's life ends with the run: what it saved goes, and the keys it
    // made when nothing else is left in them.
    ::RegDeleteValueW(key, L"Band0");
    ::RegCloseKey(key);
    for (const wchar_t* made : {kSavedBandsKey, L"Software\\Velmap\\bandhost", L"Software\\Velmap"}) {
        HKEY k = nullptr;
        DWORD subkeys = 1, values = 1;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, made, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) continue;
        ::RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr);
        ::RegCloseKey(k);
        if (subkeys == 0 && values == 0) ::RegDeleteKeyW(HKEY_CURRENT_USER, made);
    }
    if (bands.empty()) {
        log.Write("restart: no band came back");
        return false;
    }
    for (std::size_t i = 0; i < bands.size(); ++i) {
        BandHost& target = i == 0 ? host : *more.emplace_back(std::make_unique<BandHost>(log, o.orientation));
        target.Adopt(bands[i].band);
        if (FAILED(target.Show())) ok = false;
    }
    log.Write("restart: %u band(s) back", static_cast<unsigned>(bands.size()));
    return ok;
}

// The band's class factory from its DLL as one user registered it.
HRESULT UserClassFactory(REFCLSID clsid, IClassFactory** factory, CallLog& log) {
    wchar_t text[40];
    ::StringFromGUID2(clsid, text, 40);
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + text + L"\\InprocServer32";
    wchar_t path[MAX_PATH];
    DWORD bytes = sizeof path;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &bytes) != ERROR_SUCCESS) {
        log.Write("no server of this user's registration");
        return REGDB_E_CLASSNOTREG;
    }
    HMODULE module = ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);  // kept for the run
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = module ? reinterpret_cast<GetClassObjectFn>(
                                  reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")))
                            : nullptr;
    const HRESULT hr = get ? get(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory)) : E_FAIL;
    log.Write("DllGetClassObject of %ls -> 0x%08lX", path, static_cast<unsigned long>(hr));
    return hr;
}

void HoldUntil(const std::wstring& file) {
    while (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) PumpMessages(100);
}

int RunHost(const Options& o, CallLog& log) {
    if (o.list) {
        const auto bands = EnumerateDeskBands(log);
        return bands.empty() ? 1 : 0;
    }
    CLSID clsid{};
    if (o.clsid) {
        clsid = *o.clsid;
    } else {
        bool found = false;
        for (const BandClass& band : EnumerateDeskBands(log)) {
            if (band.name == o.name) {
                clsid = band.clsid;
                found = true;
                break;
            }
        }
        if (!found) {
            log.Write("no desk band is registered under that name");
            return 1;
        }
    }
    log.Write("density %d dpi, strip %s", SystemDpi(),
              o.orientation == StripOrientation::Vertical ? "vertical" : "horizontal");
    BandHost host(log, o.orientation);
    if (o.user_classes) {
        IClassFactory* factory = nullptr;
        const bool made = SUCCEEDED(UserClassFactory(clsid, &factory, log)) && SUCCEEDED(host.Create(factory));
        if (factory) factory->Release();
        if (!made || FAILED(host.Show())) return 1;
    } else if (FAILED(host.Create(clsid)) || FAILED(host.Show())) {
        return 1;
    }
    if (!o.hold_until.empty()) HoldUntil(o.hold_until);
    int code = 0;
    std::vector<std::unique_ptr<BandHost>> more;  // further bands a restart brought back
    if (o.dpi_change || !o.shots_dir.empty()) LogPicture(host, o.shots_dir, SystemDpi(), log);
    if (o.restart) {
        if (!Restart(host, more, o, log)) code = 1;
        if (host.Band()) LogPicture(host, o.shots_dir, SystemDpi(), log, L"-restarted");
        log.Write("restart: shown");
    }
    if (o.dpi_change) {
        log.Write("density change to %d dpi: WM_DPICHANGED_AFTERPARENT", o.dpi_change);
        const int changes = host.Site().BandInfoChanges();
        g_paints.clear();
        HHOOK queued = ::SetWindowsHookExW(WH_GETMESSAGE, CountQueuedPaints, nullptr, ::GetCurrentThreadId());
        HHOOK sent = ::SetWindowsHookExW(WH_CALLWNDPROC, CountSentPaints, nullptr, ::GetCurrentThreadId());
        ::SendMessageW(host.BandWindow(), 0x02E3 /* WM_DPICHANGED_AFTERPARENT */, MAKEWPARAM(o.dpi_change, o.dpi_change), 0);
        PumpMessages(300);
        ::UnhookWindowsHookEx(queued);
        ::UnhookWindowsHookEx(sent);
        LogPaints(host.BandWindow(), log);
        if (host.Site().BandInfoChanges() == changes && o.dpi_change != SystemDpi()) {
            log.Write("the band did not tell its site");
            code = 1;
        }
        LogPicture(host, o.shots_dir, o.dpi_change, log);
    }
    if (o.switch_orientation) {
        const bool started_vertical = host.Orientation() == StripOrientation::Vertical;
        if (o.shots_dir.empty() && !o.dpi_change) LogPicture(host, o.shots_dir, SystemDpi(), log);
        for (const bool vertical : {!started_vertical, started_vertical}) {
            log.Write("orientation change to %s", vertical ? "vertical" : "horizontal");
            g_paints.clear();
            HHOOK queued = ::SetWindowsHookExW(WH_GETMESSAGE, CountQueuedPaints, nullptr, ::GetCurrentThreadId());
            HHOOK sent = ::SetWindowsHookExW(WH_CALLWNDPROC, CountSentPaints, nullptr, ::GetCurrentThreadId());
            if (FAILED(host.SetOrientation(vertical ? StripOrientation::Vertical : StripOrientation::Horizontal)))
                code = 1;
            PumpMessages(300);
            ::UnhookWindowsHookEx(queued);
            ::UnhookWindowsHookEx(sent);
            LogPaints(host.BandWindow(), log);
            // The same form laid out anew, not a new one.
            HWND now = nullptr;
            host.Band()->GetWindow(&now);
            log.Write("the band's window: %s", now == host.BandWindow() ? "the same" : "another");
            if (now != host.BandWindow()) code = 1;
            LogPicture(host, o.shots_dir, SystemDpi(), log, vertical ? L"-vertical" : L"-horizontal");
        }
    }
    if (!o.demo_dir.empty()) {
        code = RunDemo(host, o.demo_dir) ? 0 : 1;
    } else if (o.show_ms >= 0) {
        PumpMessages(static_cast<DWORD>(o.show_ms));
    } else {
        MSG msg;
        while (::IsWindow(host.Strip()) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    for (auto& other : more)
        if (FAILED(other->Close())) code = 1;
    return FAILED(host.Close()) ? 1 : code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const auto options = Parse(argc, argv);
    if (!options) return Usage();
    if (options->dpi && options->ready_event.empty()) {
        // Density is per process and taken from the system: ask it first.
        ::SetProcessDPIAware();
        if (SystemDpi() != options->dpi) return RunAtDensity(options->dpi);
    }
    ::SetProcessDPIAware();
    if (!options->ready_event.empty()) {
        SystemDpi();  // the density is read now: the parent may restore the setting
        if (HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, options->ready_event.c_str())) {
            ::SetEvent(ready);
            ::CloseHandle(ready);
        }
    }

    CallLog log;
    log.SetEcho(stdout);
    FILE* file = nullptr;
    if (!options->log.empty()) {
        file = _wfopen(options->log.c_str(), L"w");
        if (!file) {
            std::fprintf(stderr, "bandhost: cannot write the log\n");
            return 2;
        }
        log.SetEcho(file);
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int code = RunHost(*options, log);
    ::CoFreeUnusedLibraries();
    ::CoUninitialize();
    if (file) {
        for (const auto& line : log.Lines()) std::printf("%s\n", line.c_str());
        std::fclose(file);
    }
    return code;
}
