// The band under failing system calls. The band DLL is loaded as shipped, its
// import table rewritten (injector.h), and each scenario is run in a host like
// the taskbar's with one call failing, once or from that call on:
//
//   create   create, site, show, paint
//   hover    the same, a button hovered and left (its fade runs)
//   click    the same, two buttons clicked (the stand-in player hears them)
//   close    a clean band closed (CloseDW, SetSite(NULL), Release) with the fault
//   access   a screen reader's client asks the band's accessible object every
//            question (name, role, state, location, hit test, navigate) of the
//            toolbar and each button, gives a button the focus, and presses
//            Stop and Next through it
//
// After the scenario the faults stop and the same band must still paint (never
// one flat colour) and reach the player with a click; it is closed, a second,
// clean band is made, shown, painted and closed in the same load of the DLL;
// then the DLL must agree to unload and unload, and the process must hold what
// it held before: windows, GDI objects, the C runtime blocks and hooks the DLL
// took, private bytes. No message box may appear.
//
// The driver runs the cases in child processes of its own (so that a crash or
// hang is seen, counted and the run goes on after it), with a deadline on every
// case, and prints a table by import.
//
//   band_faults campaign [--sample] [--cases FILE] [--scenario NAME]... [--minutes M]
//   band_faults list                  the DLL's imports and how each is treated
//   band_faults case SCENARIO IMPORT N once|from [PNG]  one case in this process
//                                     (PNG: the band as it is after the fault)
#include "band_site.h"
#include "injector.h"
#include "process_counters.h"
#include "screenshot.h"
#include "player_process.h"
#include "pointer.h"

#include "band/band_clsid.h"

#include <objbase.h>
#include <oleacc.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace velmap;
using namespace velmap::tools;
using faults::Mode;

namespace {

// ---- where things are ---------------------------------------------------------------

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string SelfPath() {
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    return std::string(self, n < MAX_PATH ? n : 0);
}

std::string Beside(const std::string& file) {
    const std::string self = SelfPath();
    return self.substr(0, self.find_last_of("\\/") + 1) + file;
}

std::string DllPath() { return Beside("VelmapBand.dll"); }

// ---- the scenarios ------------------------------------------------------------------

enum class Scenario { Create, Hover, Click, Close, Access };
constexpr Scenario kScenarios[] = {Scenario::Create, Scenario::Hover, Scenario::Click, Scenario::Close,
                                   Scenario::Access};

const char* ScenarioName(Scenario s) {
    switch (s) {
        case Scenario::Create: return "create";
        case Scenario::Hover: return "hover";
        case Scenario::Click: return "click";
        case Scenario::Close: return "close";
        case Scenario::Access: return "access";
    }
    return "?";
}

bool ParseScenario(const std::string& text, Scenario& out) {
    for (Scenario s : kScenarios)
        if (text == ScenarioName(s)) return out = s, true;
    return false;
}

struct Case {
    Scenario scenario = Scenario::Create;
    int import = -1;  // -1: nothing fails (a counting run)
    long n = 0;
    Mode mode = Mode::Once;
};

std::string CaseText(const Case& c) {
    if (c.import < 0) return std::string(ScenarioName(c.scenario)) + " (clean)";
    return std::string(ScenarioName(c.scenario)) + " " + faults::WrapperName(c.import) + " " + std::to_string(c.n) +
           (c.mode == Mode::Once ? " once" : " from");
}

// A visible dialog box of this process: the band must never show one. The
// watcher closes it, so that a box is a failure and not a hang.
volatile LONG g_boxes = 0;

BOOL CALLBACK CloseBox(HWND wnd, LPARAM) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    wchar_t cls[16] = {};
    ::GetClassNameW(wnd, cls, 16);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(wnd) && std::wstring(cls) == L"#32770") {
        ::InterlockedIncrement(&g_boxes);
        ::PostMessageW(wnd, WM_COMMAND, IDOK, 0);
        ::PostMessageW(wnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

DWORD WINAPI BoxWatcher(void*) {
    for (;;) {
        ::EnumWindows(&CloseBox, 0);
        ::Sleep(50);
    }
}

// The deepest window under a point of the band window's client area, and the
// point in its coordinates: where the system would send the mouse.
HWND WindowAt(HWND band, POINT& pt) {
    HWND wnd = band;
    for (;;) {
        HWND child = ::ChildWindowFromPointEx(wnd, pt, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == wnd) return wnd;
        ::MapWindowPoints(wnd, child, &pt, 1);
        wnd = child;
    }
}

void PostMouse(HWND band, BandButton b, UINT msg) {
    const RECT r = ButtonRect(band, b);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND target = WindowAt(band, pt);
    const WPARAM keys = msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
    ::PostMessageW(target, msg, keys, MAKELPARAM(pt.x, pt.y));
}

void Hover(HWND band, BandButton b) {
    PostMouse(band, b, WM_MOUSEMOVE);
    PumpMessages(80);
    PostMouse(band, b, WM_MOUSELEAVE);
    PumpMessages(80);
}

void Click(HWND band, BandButton b) {
    PostMouse(band, b, WM_MOUSEMOVE);
    PostMouse(band, b, WM_LBUTTONDOWN);
    PumpMessages(10);
    PostMouse(band, b, WM_LBUTTONUP);
    PumpMessages(10);
    PostMouse(band, b, WM_MOUSELEAVE);
    PumpMessages(10);
}

// A screen reader's client on the band's toolbar, the client object of the
// window its buttons sit in. Every answer may be a failure; none may end the
// process.
void Access(HWND band) {
    const RECT r = ButtonRect(band, BandButton::Prev);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    IAccessible* acc = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(WindowAt(band, pt), static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&acc))) ||
        !acc)
        return;
    for (LONG id = 0; id <= 6; ++id) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = id;
        BSTR text = nullptr;
        if (SUCCEEDED(acc->get_accName(child, &text))) ::SysFreeString(text);
        text = nullptr;
        if (SUCCEEDED(acc->get_accDefaultAction(child, &text))) ::SysFreeString(text);
        VARIANT v{};
        acc->get_accRole(child, &v);
        acc->get_accState(child, &v);
        LONG x = 0, y = 0, w = 0, h = 0;
        if (SUCCEEDED(acc->accLocation(&x, &y, &w, &h, child))) acc->accHitTest(x + w / 2, y + h / 2, &v);
        acc->accNavigate(id == 0 ? NAVDIR_FIRSTCHILD : NAVDIR_NEXT, child, &v);
    }
    VARIANT button{};
    button.vt = VT_I4;
    button.lVal = 2;
    acc->accSelect(SELFLAG_TAKEFOCUS, button);
    PumpMessages(10);
    for (LONG id : {3L, 4L}) {  // Stop, then Next: what the click scenario presses
        button.lVal = id;
        acc->accDoDefaultAction(button);
        PumpMessages(30);
    }
    acc->Release();
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The band's window painted afresh and captured: one flat colour is a band
// that did not paint.
bool PaintsSomething(HWND band) {
    ::RedrawWindow(band, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(20);
    const Picture p = CaptureWindow(band);
    if (p.width <= 0 || p.height <= 0) return false;
    const COLORREF first = p.Pixel(0, 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.Pixel(x, y) != first) return true;
    return false;
}

struct Sample {
    int windows;
    int gdi;
    long long private_kb;
};

Sample Take() { return {CountProcessWindows(), CountGdiObjects(), static_cast<long long>(PrivateBytes() / 1024)}; }

// Private bytes move with the heaps' own bookkeeping; what the band holds per
// band is counted exactly through the C runtime's blocks.
constexpr long long kPrivateSlackKb = 512;

struct Outcome {
    std::vector<std::string> problems;
    bool dll_stayed = false;
    bool unreached = false;
    void Add(const std::string& p) { problems.push_back(p); }
};

class Runner {
public:
    explicit Runner(std::string player_log) : player_log_(std::move(player_log)) {}
    // The band as the probe finds it, three times its size, as PNG.
    void SetShot(std::wstring path) { shot_ = std::move(path); }

    // One case: returns what went wrong (nothing: it passed). Counts of the
    // wrapped imports' calls are left in the injector.
    Outcome Run(const Case& c) {
        Outcome out;
        const LONG boxes_before = g_boxes;
        const Sample before = Take();
        faults::ClearTracking();
        HMODULE dll = ::LoadLibraryW(Widen(DllPath()).c_str());
        if (!dll) {
            out.Add("cannot load the DLL");
            return out;
        }
        const std::vector<std::string> unknown = faults::Patch(dll);
        if (!unknown.empty()) {
            for (const std::string& u : unknown) std::fprintf(stderr, "import not classified: %s\n", u.c_str());
            std::fflush(stderr);
            std::exit(4);
        }
        auto get_class = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(::GetProcAddress(dll, "DllGetClassObject")));
        auto can_unload =
            reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(dll, "DllCanUnloadNow")));

        faults::ClearCounts();
        faults::SetTarget(c.import, c.n, c.mode);
        const bool arm_build = c.scenario != Scenario::Close;
        faults::SetArmed(arm_build);
        {
            CallLog log;
            BandHost host(log, StripOrientation::Horizontal);
            HWND band = Build(get_class, host, out);
            if (band) {
                if (c.scenario == Scenario::Hover) Hover(band, BandButton::Next);
                if (c.scenario == Scenario::Click) {
                    Click(band, BandButton::Stop);
                    PumpMessages(30);
                    Click(band, BandButton::Next);
                }
                if (c.scenario == Scenario::Access) Access(band);
                faults::SetArmed(false);
                Probe(band, out);
            }
            faults::SetArmed(true);
            host.Close();
            faults::SetArmed(false);
            CheckLog(log, out);
        }
        // A second band in the same load of the DLL, with nothing failing.
        {
            CallLog log;
            BandHost host(log, StripOrientation::Horizontal);
            HWND band = Build(get_class, host, out);
            if (!band)
                out.Add("a later band cannot be made");
            else if (!PaintsSomething(band))
                out.Add("a later band paints one flat colour");
            host.Close();
            CheckLog(log, out);
        }
        PumpMessages(0);
        const HRESULT unload = can_unload ? can_unload() : E_FAIL;
        if (unload != S_OK) out.Add("DllCanUnloadNow -> " + HResultText(unload));
        ::CoFreeUnusedLibraries();
        ::FreeLibrary(dll);
        if (::GetModuleHandleW(Widen(DllPath()).c_str())) {
            out.Add("the DLL stays loaded");
            out.dll_stayed = true;
        }
        const Sample after = Take();
        if (after.windows != before.windows)
            out.Add("windows " + std::to_string(before.windows) + " -> " + std::to_string(after.windows));
        if (after.gdi != before.gdi)
            out.Add("GDI objects " + std::to_string(before.gdi) + " -> " + std::to_string(after.gdi));
        if (after.private_kb - before.private_kb > kPrivateSlackKb)
            out.Add("private bytes +" + std::to_string(after.private_kb - before.private_kb) + " KB");
        if (const std::size_t n = faults::LiveBlocks(); n > 0)
            out.Add(std::to_string(n) + " C runtime blocks not freed");
        if (const std::size_t n = faults::LiveHooks(); n > 0) out.Add(std::to_string(n) + " hooks not removed");
        if (g_boxes != boxes_before) out.Add("a message box");
        // Paints and fades vary with timing: a run may make fewer calls than
        // the clean one counted. Such a case tested nothing; it is reported,
        // not failed.
        out.unreached = c.import >= 0 && faults::Failures() == 0;
        return out;
    }

private:
    // Creates and shows a band in the host; its window, or null where it could
    // not be made (an honest failure is fine; S_OK without a window is not).
    HWND Build(HRESULT(WINAPI* get_class)(REFCLSID, REFIID, void**), BandHost& host, Outcome& out) {
        if (!get_class) return nullptr;
        IClassFactory* factory = nullptr;
        HRESULT hr = get_class(band::CLSID_VelmapBand, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        if (FAILED(hr) || !factory) return nullptr;
        hr = host.Create(factory);
        factory->Release();
        if (FAILED(hr)) return nullptr;
        hr = host.Show();
        HWND band = host.BandWindow();
        if (SUCCEEDED(hr) && !(band && ::IsWindow(band))) out.Add("Show succeeded without a window");
        if (FAILED(hr)) return nullptr;
        PumpMessages(20);
        return band;
    }

    // The band as it is after the faults stopped: it paints, and a click
    // reaches the player.
    void Probe(HWND band, Outcome& out) {
        if (!PaintsSomething(band)) out.Add("the band paints one flat colour");
        if (!shot_.empty() && !SavePng(Magnify(CaptureWindow(band), 3), shot_)) out.Add("cannot write the picture");
        const std::vector<std::string> before = ReadLines(player_log_);
        Click(band, BandButton::Prev);
        const DWORD start = ::GetTickCount();
        std::vector<std::string> heard;
        do {
            PumpMessages(10);
            heard = ReadLines(player_log_);
            if (heard.size() > before.size() && heard.back() == "Ctrl+Alt+Z") break;
        } while (::GetTickCount() - start < 5000);
        if (heard.size() <= before.size() || heard.back() != "Ctrl+Alt+Z")
            out.Add("a click after the fault does not reach the player");
    }

    // Every answer the host logged is an HRESULT the band gave; GetWindow may
    // fail only with E_FAIL or E_OUTOFMEMORY.
    static void CheckLog(const CallLog& log, Outcome& out) {
        for (const std::string& line : log.Lines()) {
            if (line.rfind("GetWindow -> ", 0) == 0 && line != "GetWindow -> S_OK" && line != "GetWindow -> E_FAIL" &&
                line != "GetWindow -> E_OUTOFMEMORY")
                out.Add(line);
        }
    }

    std::string player_log_;
    std::wstring shot_;
};

// ---- the player's check of a click scenario --------------------------------------------

// The shortcuts heard while a click case ran: those of the clicks that went
// through, in order (Stop, Next, then the probe's Prev), nothing else.
bool HeardInOrder(const std::vector<std::string>& heard) {
    static const std::vector<std::string> expected = {"Ctrl+Alt+V", "Ctrl+Alt+B", "Ctrl+Alt+Z"};
    std::size_t at = 0;
    for (const std::string& h : heard) {
        while (at < expected.size() && expected[at] != h) ++at;
        if (at == expected.size()) return false;
        ++at;
    }
    return true;
}

// ---- child: runs cases, reports progress ------------------------------------------------

constexpr std::size_t kCasesPerChild = 400;

LONG WINAPI Crashed(EXCEPTION_POINTERS* info) {
    std::printf("crash 0x%08lX\n", static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The system makes some objects once per process, the first time they are
// asked for, and keeps them: the pens and brushes of the system colours that
// edges and frame controls are drawn with (the band's plain look). They are
// made here, before any count, so that a case is not blamed for them.
void WarmSystemCaches() {
    for (int i = 0; i <= COLOR_MENUBAR; ++i) ::GetSysColorBrush(i);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    const UINT edges[] = {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP, BDR_RAISEDINNER, BDR_SUNKENOUTER};
    for (UINT edge : edges) {
        RECT r{0, 0, 32, 32};
        ::DrawEdge(dc, &r, edge, BF_RECT | BF_MIDDLE);
        r = {0, 0, 32, 32};
        ::DrawEdge(dc, &r, edge, BF_RECT | BF_SOFT | BF_FLAT);
    }
    for (UINT state : {0u, static_cast<UINT>(DFCS_PUSHED), static_cast<UINT>(DFCS_INACTIVE)}) {
        RECT r{0, 0, 32, 32};
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | state);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

void StartChild() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(&Crashed);
    _set_error_mode(_OUT_TO_STDERR);
    ::SetProcessDPIAware();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::CreateThread(nullptr, 0, &BoxWatcher, nullptr, 0, nullptr);
    WarmSystemCaches();
}

bool ReadCases(const std::string& path, std::vector<Case>& cases) {
    std::ifstream in(path);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string scenario, import, mode;
        Case c;
        if (!(words >> scenario >> import >> c.n >> mode) || !ParseScenario(scenario, c.scenario)) return false;
        c.import = import == "-" ? -1 : faults::WrapperId(import);
        if (import != "-" && c.import < 0) return false;
        c.mode = mode == "from" ? Mode::FromOn : Mode::Once;
        cases.push_back(c);
    }
    return true;
}

// child CASES PROGRESS PLAYER_LOG FIRST: runs the cases from FIRST on,
// writing "begin I" and "end I ok|FAIL ..." (and for a clean case the calls of
// each import) to PROGRESS.
int ChildMain(const std::string& cases_path, const std::string& progress_path, const std::string& player_log,
              std::size_t first) {
    StartChild();
    std::vector<Case> cases;
    if (!ReadCases(cases_path, cases)) return 2;
    FILE* progress = std::fopen(progress_path.c_str(), "a");
    if (!progress) return 2;
    Runner runner(player_log);
    // One clean round first: what a process makes once (the system's own
    // caches, the codecs) is made before anything is compared.
    runner.Run({Scenario::Click, -1, 0, Mode::Once});
    runner.Run({Scenario::Access, -1, 0, Mode::Once});
    for (std::size_t i = first; i < cases.size(); ++i) {
        const Case& c = cases[i];
        std::fprintf(progress, "begin %zu\n", i);
        std::fflush(progress);
        const std::size_t heard_before = ReadLines(player_log).size();
        Outcome out = runner.Run(c);
        if (c.scenario == Scenario::Click || c.scenario == Scenario::Access) {
            std::vector<std::string> heard = ReadLines(player_log);
            heard.erase(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(std::min(heard_before, heard.size())));
            if (!HeardInOrder(heard)) {
                std::string all;
                for (const std::string& h : heard) all += " " + h;
                out.Add("the player heard:" + all);
            }
        }
        if (c.import < 0) {
            for (int id = 0; id < faults::WrapperCount(); ++id)
                if (faults::Calls(id) > 0)
                    std::fprintf(progress, "calls %s %s %ld\n", ScenarioName(c.scenario), faults::WrapperName(id),
                                 faults::Calls(id));
        }
        std::string text;
        for (const std::string& p : out.problems) text += (text.empty() ? "" : "; ") + p;
        std::fprintf(progress, "end %zu %s%s\n", i,
                     !out.problems.empty() ? "FAIL " : out.unreached ? "unreached" : "ok", text.c_str());
        std::fflush(progress);
        if (out.dll_stayed) break;  // the next case needs a fresh load: a new process
        // Every load of the DLL keeps a thread-local-storage index of its
        // threads library for good (the process has 1088): a new process
        // long before they run out.
        if (i + 1 - first >= kCasesPerChild) break;
    }
    std::fclose(progress);
    return 0;
}

// ---- driver -------------------------------------------------------------------------------

struct Verdict {
    enum Kind { Ok, Failed, Crashed, Hung, NotRun, Unreached } kind = NotRun;
    std::string text;
};

struct ImportRow {
    long calls = 0;  // over the scenarios
    int runs = 0, crashes = 0, hangs = 0, leaks = 0, failures = 0;
};

bool IsLeak(const std::string& text) {
    for (const char* word : {"windows ", "GDI objects", "private bytes", "blocks not freed", "hooks not removed",
                             "stays loaded", "DllCanUnloadNow"})
        if (text.find(word) != std::string::npos) return true;
    return false;
}

class Driver {
public:
    Driver(std::string work, std::string player_log, DWORD case_deadline_ms)
        : work_(std::move(work)), player_log_(std::move(player_log)), deadline_(case_deadline_ms) {}
    // After this many milliseconds no further case starts (0: no limit).
    void SetTimeLimit(ULONGLONG ms) { stop_at_ = ms ? ::GetTickCount64() + ms : 0; }

    // Runs CASES in children; one verdict per case.
    std::vector<Verdict> Run(const std::vector<Case>& cases, std::vector<std::string>* calls_lines = nullptr) {
        std::vector<Verdict> verdicts(cases.size());
        const std::string cases_path = work_ + "\\cases.txt";
        {
            std::ofstream out(cases_path, std::ios::trunc);
            for (const Case& c : cases)
                out << ScenarioName(c.scenario) << ' ' << (c.import < 0 ? "-" : faults::WrapperName(c.import)) << ' '
                    << c.n << ' ' << (c.mode == Mode::Once ? "once" : "from") << '\n';
        }
        std::size_t next = 0;
        int child_no = 0;
        while (next < cases.size() && !TimeUp()) {
            const std::string progress = work_ + "\\progress-" + std::to_string(++child_no) + ".txt";
            ::DeleteFileA(progress.c_str());
            std::string cmd = "\"" + SelfPath() + "\" child \"" + cases_path + "\" \"" + progress + "\" \"" +
                              player_log_ + "\" " + std::to_string(next);
            STARTUPINFOA si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            std::vector<char> buf(cmd.begin(), cmd.end());
            buf.push_back('\0');
            if (!::CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
                std::fprintf(stderr, "cannot start a child\n");
                std::exit(2);
            }
            ::CloseHandle(pi.hThread);
            std::size_t seen = 0;
            DWORD last_change = ::GetTickCount();
            bool hung = false, stopped = false;
            for (;;) {
                const bool exited = ::WaitForSingleObject(pi.hProcess, 200) == WAIT_OBJECT_0;
                const std::vector<std::string> lines = ReadLines(progress);
                if (lines.size() != seen) {
                    seen = lines.size();
                    last_change = ::GetTickCount();
                }
                if (exited) break;
                if (TimeUp()) {
                    // The case under way is dropped, not counted.
                    ::TerminateProcess(pi.hProcess, 8);
                    ::WaitForSingleObject(pi.hProcess, 10000);
                    stopped = true;
                    break;
                }
                // The first case waits for the child's clean round too.
                if (::GetTickCount() - last_change > deadline_ * (seen == 0 ? 3 : 1)) {
                    ::TerminateProcess(pi.hProcess, 9);
                    ::WaitForSingleObject(pi.hProcess, 10000);
                    hung = true;
                    break;
                }
            }
            DWORD code = 0;
            ::GetExitCodeProcess(pi.hProcess, &code);
            ::CloseHandle(pi.hProcess);
            if (code == 4) {
                std::fprintf(stderr, "the DLL has imports the injector does not know: see `band_faults list`\n");
                std::exit(2);
            }
            // What the child reported.
            long open = -1;
            std::size_t resume = next;
            for (const std::string& line : ReadLines(progress)) {
                std::istringstream words(line);
                std::string tag;
                words >> tag;
                if (tag == "begin") {
                    words >> open;
                } else if (tag == "end") {
                    std::size_t i = 0;
                    std::string status;
                    words >> i >> status;
                    std::string rest;
                    std::getline(words, rest);
                    verdicts[i] = {status == "ok"          ? Verdict::Ok
                                   : status == "unreached" ? Verdict::Unreached
                                                           : Verdict::Failed,
                                   rest};
                    open = -1;
                    resume = i + 1;
                } else if (tag == "calls" && calls_lines) {
                    calls_lines->push_back(line);
                }
            }
            if (stopped) break;
            if (open >= 0) {
                verdicts[static_cast<std::size_t>(open)] = {hung ? Verdict::Hung : Verdict::Crashed,
                                                            hung ? " no progress within the deadline"
                                                                 : " exit code " + std::to_string(code)};
                resume = static_cast<std::size_t>(open) + 1;
            } else if (resume == next) {
                // The child died before its first case: count it against that case.
                verdicts[next] = {hung ? Verdict::Hung : Verdict::Crashed,
                                  " the child ended before the case (exit code " + std::to_string(code) + ")"};
                resume = next + 1;
            }
            next = resume;
        }
        return verdicts;
    }

private:
    bool TimeUp() const { return stop_at_ && ::GetTickCount64() >= stop_at_; }

    std::string work_;
    std::string player_log_;
    DWORD deadline_;
    ULONGLONG stop_at_ = 0;
};

std::string WorkFolder() {
    const std::string dir = Beside("faults");
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

// The DLL's imports the injector does not know; each listed with how it is
// treated when `print` is set.
int UnknownImports(bool print) {
    HMODULE dll = ::LoadLibraryW(Widen(DllPath()).c_str());
    if (!dll) return -1;
    int unknown = 0;
    for (const faults::ImportSlot& s : faults::ReadImports(dll)) {
        const faults::ImportInfo* info = nullptr;
        for (const faults::ImportInfo& k : faults::KnownImports())
            if (s.name == k.name) info = &k;
        if (!info) ++unknown;
        if (print || !info)
            std::printf("%-24s %-32s %s\n", s.dll.c_str(), s.name.c_str(),
                        !info ? "NOT CLASSIFIED" : info->wrapped ? (info->can_fail ? info->how : "watched") : info->how);
    }
    ::FreeLibrary(dll);
    return unknown;
}

int Campaign(int argc, char** argv) {
    bool sample = false;
    std::set<std::string> only;
    std::string cases_file;
    double minutes = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sample") sample = true;
        else if (a == "--minutes" && i + 1 < argc) minutes = std::atof(argv[++i]);
        else if (a == "--scenario" && i + 1 < argc) only.insert(argv[++i]);
        else if (a == "--cases" && i + 1 < argc) cases_file = argv[++i];
        else {
            std::fprintf(stderr, "unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    // Refused before the player starts, so nothing is left running.
    if (UnknownImports(false) != 0) {
        std::fprintf(stderr, "the DLL has imports the injector does not know: see `band_faults list`\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string work = WorkFolder();
    const std::string player_log = work + "\\player.log";
    PlayerProcess player;
    if (!player.Start(Beside("player-standin.exe"), player_log, 24 * 3600 * 1000) || !player.WaitForWindow(30000)) {
        std::fprintf(stderr, "the stand-in player did not start\n");
        return 2;
    }
    Driver driver(work, player_log, 30000);

    // 1. How often each scenario calls each import, with nothing failing.
    std::vector<Scenario> scenarios;
    for (Scenario s : kScenarios)
        if (only.empty() || only.count(ScenarioName(s))) scenarios.push_back(s);
    std::vector<Case> counting;
    for (Scenario s : scenarios) counting.push_back({s, -1, 0, Mode::Once});
    std::vector<std::string> calls_lines;
    const std::vector<Verdict> clean = driver.Run(counting, &calls_lines);
    for (std::size_t i = 0; i < clean.size(); ++i)
        if (clean[i].kind != Verdict::Ok) {
            std::fprintf(stderr, "the clean %s run failed:%s\n", ScenarioName(counting[i].scenario),
                         clean[i].text.c_str());
            return 1;
        }
    std::map<std::pair<std::string, int>, long> counts;  // (scenario, import) -> calls
    for (const std::string& line : calls_lines) {
        std::istringstream words(line);
        std::string tag, scenario, name;
        long n = 0;
        words >> tag >> scenario >> name >> n;
        counts[{scenario, faults::WrapperId(name)}] = n;
    }

    // 2. The cases: every call of every import that can fail, once and from
    // there on (the sample: the first and the last call).
    std::vector<Case> cases;
    if (cases_file.empty() || sample) {
        for (Scenario s : scenarios)
            for (int id = 0; id < faults::WrapperCount(); ++id) {
                if (!faults::WrapperCanFail(id)) continue;
                const long total = counts[{ScenarioName(s), id}];
                for (long n = 1; n <= total; ++n) {
                    if (sample && n != 1 && n != total) continue;
                    cases.push_back({s, id, n, Mode::Once});
                    if (!sample || n == 1) cases.push_back({s, id, n, Mode::FromOn});
                }
            }
    }
    if (!cases_file.empty()) {
        // Lines "SCENARIO IMPORT N|last once|from"; # starts a comment.
        std::ifstream in(cases_file);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", cases_file.c_str());
            return 2;
        }
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line);
            std::string scenario, import, n, mode;
            Case c;
            if (!(words >> scenario >> import >> n >> mode) || !ParseScenario(scenario, c.scenario) ||
                (c.import = faults::WrapperId(import)) < 0) {
                std::fprintf(stderr, "bad case line: %s\n", line.c_str());
                return 2;
            }
            if (!only.empty() && !only.count(scenario)) continue;
            const long total = counts[{scenario, c.import}];
            c.n = n == "last" ? total : std::atol(n.c_str());
            if (c.n < 1 || c.n > total) {
                std::fprintf(stderr, "case %s: the scenario makes %ld calls of %s\n", line.c_str(), total,
                             import.c_str());
                return 1;
            }
            c.mode = mode == "from" ? Mode::FromOn : Mode::Once;
            cases.push_back(c);
        }
    }
    // Call sites in order of their call number: a run cut short by --minutes
    // has still reached every import at its first calls.
    std::stable_sort(cases.begin(), cases.end(), [](const Case& a, const Case& b) { return a.n < b.n; });
    std::printf("%zu cases in %zu scenarios\n", cases.size(), scenarios.size());
    std::fflush(stdout);
    driver.SetTimeLimit(static_cast<ULONGLONG>(minutes * 60000));
    const std::vector<Verdict> verdicts = driver.Run(cases);

    // 3. The table.
    std::map<std::string, ImportRow> rows;
    std::set<std::pair<std::string, long>> sites;
    for (const auto& [key, n] : counts)
        if (n > 0 && faults::WrapperCanFail(key.second)) rows[faults::WrapperName(key.second)].calls += n;
    int crashes = 0, hangs = 0, leaks = 0, failures = 0;
    std::size_t runs = 0, unreached = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        if (verdicts[i].kind == Verdict::NotRun) continue;
        ++runs;
        ImportRow& row = rows[faults::WrapperName(c.import)];
        ++row.runs;
        sites.insert({std::string(ScenarioName(c.scenario)) + faults::WrapperName(c.import), c.n});
        const Verdict& v = verdicts[i];
        if (v.kind == Verdict::Unreached) ++unreached;
        if (v.kind == Verdict::Ok || v.kind == Verdict::Unreached) continue;
        std::printf("FAILED %s:%s\n", CaseText(c).c_str(), v.text.c_str());
        if (v.kind == Verdict::Crashed) ++row.crashes, ++crashes;
        else if (v.kind == Verdict::Hung) ++row.hangs, ++hangs;
        else if (IsLeak(v.text)) ++row.leaks, ++leaks;
        else ++row.failures, ++failures;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n%-28s %7s %6s %8s %6s %6s %9s\n", "import", "calls", "runs", "crashes", "hangs", "leaks", "other");
    int imports = 0;
    for (const auto& [name, r] : rows) {
        if (r.runs == 0) continue;
        ++imports;
        std::printf("%-28s %7ld %6d %8d %6d %6d %9d\n", name.c_str(), r.calls, r.runs, r.crashes, r.hangs, r.leaks,
                    r.failures);
    }
    std::printf("\n%zu runs, %d imports, %zu call sites (scenario, import, call), %d crashes, %d hangs, %d leaks, "
                "%d other failures, %.0f s\n",
                runs, imports, sites.size(), crashes, hangs, leaks, failures, seconds);
    if (unreached)
        std::printf("%zu runs made fewer calls of their import than the clean run (timing): nothing failed in them\n",
                    unreached);
    if (runs < cases.size()) std::printf("%zu of %zu cases not run: the time given was up\n", cases.size() - runs, cases.size());
    std::printf("%d passed, %d failed\n", static_cast<int>(runs - unreached) - crashes - hangs - leaks - failures,
                crashes + hangs + leaks + failures);
    player.Stop();
    return crashes + hangs + leaks + failures == 0 ? 0 : 1;
}

int List() {
    const int unknown = UnknownImports(true);
    return unknown < 0 ? 2 : unknown == 0 ? 0 : 1;
}

int OneCase(int argc, char** argv) {
    if (argc != 6 && argc != 7) return 2;
    Case c;
    if (!ParseScenario(argv[2], c.scenario)) return 2;
    c.import = std::string(argv[3]) == "-" ? -1 : faults::WrapperId(argv[3]);  // "-": nothing fails
    if (c.import < 0 && std::string(argv[3]) != "-") return 2;
    c.n = std::atol(argv[4]);
    c.mode = std::string(argv[5]) == "from" ? Mode::FromOn : Mode::Once;
    StartChild();
    const std::string player_log = WorkFolder() + "\\player-one.log";
    PlayerProcess player;
    player.Start(Beside("player-standin.exe"), player_log, 600000);
    player.WaitForWindow(30000);
    Runner runner(player_log);
    runner.Run({Scenario::Click, -1, 0, Mode::Once});
    runner.Run({Scenario::Access, -1, 0, Mode::Once});
    if (argc == 7) runner.SetShot(Widen(argv[6]));
    const Outcome out = runner.Run(c);
    std::printf("%s: %s\n", CaseText(c).c_str(), out.problems.empty() ? "ok" : "FAILED");
    for (const std::string& p : out.problems) std::printf("  %s\n", p.c_str());
    return out.problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "child" && argc == 6) return ChildMain(argv[2], argv[3], argv[4], std::strtoul(argv[5], nullptr, 10));
    if (command == "campaign") return Campaign(argc, argv);
    if (command == "list") return List();
    if (command == "case") return OneCase(argc, argv);
    std::fprintf(stderr,
                 "usage: band_faults campaign [--sample] [--cases FILE] [--scenario NAME]... [--minutes M]\n"
                 "       band_faults list\n"
                 "       band_faults case SCENARIO IMPORT N once|from [PNG]\n");
    return 2;
}
