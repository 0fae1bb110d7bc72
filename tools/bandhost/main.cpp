// bandhost: a taskbar-like host for desk bands.
//
//   bandhost --list                       the members of the desk-band category
//   bandhost [--name NAME | --clsid {..}] [--vertical] [--dpi N] [--log FILE]
//            [--show-ms MS] [--demo DIR]
//
// Finds the band as the shell does (through the desk-band category, by the
// name of its class key, "&Velmora Player" unless told otherwise), creates it
// by its class identifier, sites it in a strip window along the bottom of the
// screen (or the left, --vertical) and logs every call and answer to standard
// output (and FILE). It shows the band for MS milliseconds (default: until the
// strip is closed), or runs the demo: the real mouse over each button, a click
// on each, screenshots in DIR. --dpi runs the host at that density (the
// system's setting for this run only). Exit code 0 when every call succeeded.
#include "band_demo.h"
#include "band_site.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
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
};

int Usage() {
    std::fprintf(stderr,
                 "usage: bandhost --list | [--name NAME | --clsid {GUID}] [--vertical] [--dpi N] [--log FILE] "
                 "[--show-ms MS] [--demo DIR]\n");
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
    if (FAILED(host.Create(clsid)) || FAILED(host.Show())) return 1;
    int code = 0;
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
