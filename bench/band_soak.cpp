// The band's soak under Wine, run by hand (not a test: it takes minutes).
// 1. CYCLES create/show/close/release cycles of the band in one host: the
//    host's windows, GDI objects and private bytes before, every tenth of the
//    way and after.
// 2. SECONDS of hover fades and clicks with the real mouse against the
//    stand-in player: every button hovered, left, clicked in turn; the same
//    counters sampled each minute, and every click's shortcut checked against
//    what the player heard, in order (counted from the end of the first round,
//    which makes the faces each button keeps).
// The band is registered for the run and unregistered after it.
//
//   band_soak.exe [CYCLES [SECONDS]]     (defaults 1000 and 600)
#include "band_site.h"
#include "player_process.h"
#include "pointer.h"
#include "process_counters.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace velmap::tools;

namespace {

// Private bytes move by a page or two with the heap's own bookkeeping; a leak
// of anything the band makes per cycle or per click shows far beyond this.
constexpr long long kPrivateSlackKb = 256;

struct Counts {
    int windows;
    int gdi;
    long long private_kb;
};

Counts Sample() {
    return {CountProcessWindows(), CountGdiObjects(), static_cast<long long>(PrivateBytes() / 1024)};
}

void Print(const char* when, const Counts& c, const Counts& base) {
    std::printf("  %-18s windows %4d (%+d)  GDI objects %5d (%+d)  private %8lld KB (%+lld KB)\n", when, c.windows,
                c.windows - base.windows, c.gdi, c.gdi - base.gdi, c.private_kb, c.private_kb - base.private_kb);
    std::fflush(stdout);
}

const char* Shortcut(BandButton b) {
    switch (b) {
        case BandButton::Prev: return "Ctrl+Alt+Z";
        case BandButton::PlayPause: return nullptr;  // X and C in turn
        case BandButton::Stop: return "Ctrl+Alt+V";
        case BandButton::Next: return "Ctrl+Alt+B";
        case BandButton::VolDown: return "Ctrl+Alt+A";
        case BandButton::VolUp: return "Ctrl+Alt+Q";
    }
    return nullptr;
}

std::string Beside(const char* file) {
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, n < MAX_PATH ? n : 0);
    return path.substr(0, path.find_last_of("\\/") + 1) + file;
}

bool Cycles(const CLSID& clsid, int cycles) {
    CallLog log;
    const auto cycle = [&] {
        BandHost host(log, StripOrientation::Horizontal);
        const bool ok = SUCCEEDED(host.Create(clsid)) && SUCCEEDED(host.Show());
        PumpMessages(0);
        host.Close();
        log.Clear();
        return ok;
    };
    for (int i = 0; i < 20; ++i) cycle();  // caches and heaps settle
    const Counts base = Sample();
    std::printf("%d create/show/close cycles in one host\n", cycles);
    Print("before", base, base);
    const DWORD start = ::GetTickCount();
    int failed = 0;
    for (int i = 1; i <= cycles; ++i) {
        if (!cycle()) ++failed;
        if (i % (cycles / 10 > 0 ? cycles / 10 : 1) == 0) Print(("after " + std::to_string(i)).c_str(), Sample(), base);
    }
    const Counts end = Sample();
    std::printf("  %d cycles in %.1f s, %d failed; growth: windows %+d, GDI %+d, private %+lld KB\n", cycles,
                (::GetTickCount() - start) / 1000.0, failed, end.windows - base.windows, end.gdi - base.gdi,
                end.private_kb - base.private_kb);
    return failed == 0 && end.windows == base.windows && end.gdi == base.gdi &&
           end.private_kb - base.private_kb <= kPrivateSlackKb;
}

bool HoverAndClick(const CLSID& clsid, int seconds) {
    PlayerProcess player;
    const std::string player_log = Beside("band_soak_player.log");
    if (!player.Start(Beside("player-standin.exe"), player_log, (seconds + 120) * 1000) ||
        !player.WaitForWindow(20000)) {
        std::fprintf(stderr, "band_soak: the stand-in player did not start\n");
        return false;
    }
    CallLog log;
    BandHost host(log, StripOrientation::Horizontal);
    if (FAILED(host.Create(clsid)) || FAILED(host.Show())) return false;
    PumpMessages(300);
    const POINT away{::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 3};
    std::vector<std::string> expected;
    bool play = true;
    int hovers = 0;
    // One round: every button hovered (fade in), left (fade out), clicked.
    const auto round = [&] {
        for (BandButton b : kBandButtons) {
            const POINT at = ButtonCenterOnScreen(host.BandWindow(), b);
            MoveMouseTo(at);
            PumpMessages(250);
            MoveMouseTo(away);
            PumpMessages(250);
            MoveMouseTo(at);
            PumpMessages(150);
            LeftButton(true);
            PumpMessages(60);
            LeftButton(false);
            PumpMessages(150);
            ++hovers;
            const char* s = Shortcut(b);
            expected.push_back(s ? s : (play ? "Ctrl+Alt+X" : "Ctrl+Alt+C"));
            if (!s) play = !play;
        }
        MoveMouseTo(away);
        PumpMessages(550);  // two clicks on one spot stay two clicks
    };
    // The first round makes what stays for the band's life (the faces each
    // button caches for its hot and pressed looks): the baseline follows it.
    round();
    const Counts base = Sample();
    std::printf("%d s of hover fades and clicks against the stand-in player\n", seconds);
    Print("after one round", base, base);
    const DWORD start = ::GetTickCount();
    DWORD next_sample = 60000;
    while (::GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        round();
        if (::GetTickCount() - start >= next_sample) {
            Print(("after " + std::to_string(next_sample / 60000) + " min").c_str(), Sample(), base);
            next_sample += 60000;
        }
    }
    const auto heard = player.WaitForLines(expected.size(), 20000);
    std::size_t in_order = 0;
    while (in_order < expected.size() && in_order < heard.size() && heard[in_order] == expected[in_order]) ++in_order;
    const Counts end = Sample();
    Print("end", end, base);
    std::printf("  %d hovers, %zu clicks, %zu shortcuts heard, %zu in order before the first difference\n", hovers,
                expected.size(), heard.size(), in_order);
    host.Close();
    player.Stop();
    return in_order == expected.size() && heard.size() == expected.size() && end.windows == base.windows &&
           end.gdi == base.gdi && end.private_kb - base.private_kb <= kPrivateSlackKb;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 600;
    if (argc > 3 || cycles < 0 || seconds < 0) {
        std::fprintf(stderr, "usage: band_soak [CYCLES [SECONDS]]\n");
        return 2;
    }
    ::SetProcessDPIAware();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string dll_path = Beside("VelmapBand.dll");
    HMODULE dll = ::LoadLibraryA(dll_path.c_str());
    auto call = [&dll](const char* name) {
        auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
        return fn ? fn() : E_FAIL;
    };
    if (!dll || FAILED(call("DllRegisterServer"))) {
        std::fprintf(stderr, "band_soak: cannot register %s\n", dll_path.c_str());
        return 1;
    }
    ::FreeLibrary(dll);
    CallLog log;
    CLSID clsid{};
    bool found = false;
    for (const BandClass& b : EnumerateDeskBands(log))
        if (b.name == L"&Velmora Player") clsid = b.clsid, found = true;
    bool ok = found;
    if (found && cycles > 0) ok = Cycles(clsid, cycles) && ok;
    if (found && seconds > 0) ok = HoverAndClick(clsid, seconds) && ok;
    std::printf("soak: %s\n", ok ? "no growth, every shortcut heard" : "FAILED");

    dll = ::LoadLibraryA(dll_path.c_str());
    if (dll) {
        call("DllUnregisterServer");
        ::FreeLibrary(dll);
    }
    ::CoFreeUnusedLibraries();
    ::CoUninitialize();
    return ok ? 0 : 1;
}
