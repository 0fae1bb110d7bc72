// Stand-in for the media player: a top-level window with the player's class
// and title that takes the seven Ctrl+Alt shortcuts as system hotkeys and
// writes one line per hotkey it receives to a log file.
//
//   player-standin.exe LOGFILE [TIMEOUT_MS] [--title TITLE] [--class CLASS] [--no-hotkeys]
//
// With --no-hotkeys it is a player that takes its shortcuts only while it is
// in front: it holds no hotkey, so its log stays empty.
// With another title or class it is an impostor: a program that holds the
// same shortcuts but is not the player. The title is set only after every hotkey is registered, so a window found
// by class and title is ready to receive. It exits on WM_CLOSE or when the
// timeout (default 60000 ms) runs out; exit code 3 when a hotkey could not be
// registered, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kClassName[] = "Tvelmoraplayerapi";
constexpr char kTitle[] = "velmoraplayerapi";
constexpr char kLetters[] = {'Z', 'X', 'C', 'V', 'B', 'A', 'Q'};
constexpr UINT_PTR kTimeoutTimer = 1;

FILE* g_log = nullptr;

std::string DescribeHotkey(UINT modifiers, UINT vk) {
    std::string s;
    if (modifiers & MOD_CONTROL) s += "Ctrl+";
    if (modifiers & MOD_SHIFT) s += "Shift+";
    if (modifiers & MOD_ALT) s += "Alt+";
    if (modifiers & MOD_WIN) s += "Win+";
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        s += static_cast<char>(vk);
    } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "VK_%02X", vk);
        s += buf;
    }
    return s;
}

LRESULT CALLBACK PlayerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_HOTKEY: {
            const std::string line = DescribeHotkey(LOWORD(lp), HIWORD(lp));
            if (g_log) {
                std::fprintf(g_log, "%s\n", line.c_str());
                std::fflush(g_log);
            }
            return 0;
        }
        case WM_TIMER:
            if (wp == kTimeoutTimer) DestroyWindow(wnd);
            return 0;
        case WM_CLOSE:
            DestroyWindow(wnd);
            return 0;
        case WM_DESTROY:
            for (int id = 1; id <= static_cast<int>(sizeof kLetters); ++id) UnregisterHotKey(wnd, id);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* log_path = nullptr;
    const char* title = kTitle;
    const char* class_name = kClassName;
    unsigned long timeout_ms = 60000;
    bool hotkeys = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            title = argv[++i];
        } else if (std::strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            class_name = argv[++i];
        } else if (std::strcmp(argv[i], "--no-hotkeys") == 0) {
            hotkeys = false;
        } else if (!log_path) {
            log_path = argv[i];
        } else {
            char* end = nullptr;
            timeout_ms = std::strtoul(argv[i], &end, 10);
            if (!end || *end) {
                std::fprintf(stderr, "player-standin: bad timeout '%s'\n", argv[i]);
                return 2;
            }
        }
    }
    if (!log_path) {
        std::fprintf(stderr, "usage: player-standin LOGFILE [TIMEOUT_MS] [--title TITLE] [--class CLASS] [--no-hotkeys]\n");
        return 2;
    }
    g_log = std::fopen(log_path, "w");
    if (!g_log) {
        std::fprintf(stderr, "player-standin: cannot write '%s'\n", log_path);
        return 2;
    }

    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlayerProc;
    wc.hInstance = inst;
    wc.lpszClassName = class_name;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    if (!RegisterClassA(&wc)) {
        std::fprintf(stderr, "player-standin: cannot register the window class (error %lu)\n", GetLastError());
        return 1;
    }
    HWND wnd = CreateWindowExA(0, class_name, "", WS_OVERLAPPEDWINDOW, 40, 40, 320, 120, nullptr, nullptr, inst,
                               nullptr);
    if (!wnd) {
        std::fprintf(stderr, "player-standin: cannot create the window (error %lu)\n", GetLastError());
        return 1;
    }

    int failed = 0;
    for (int i = 0; hotkeys && i < static_cast<int>(sizeof kLetters); ++i) {
        if (!RegisterHotKey(wnd, i + 1, MOD_CONTROL | MOD_ALT, static_cast<UINT>(kLetters[i]))) {
            std::fprintf(stderr, "player-standin: cannot register Ctrl+Alt+%c (error %lu)\n", kLetters[i],
                         GetLastError());
            ++failed;
        }
    }
    SetWindowTextA(wnd, title);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    SetTimer(wnd, kTimeoutTimer, timeout_ms, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    std::fclose(g_log);
    return failed ? 3 : 0;
}
