// Starts the stand-in player in its own process and reads what it received.
// Shared by the end-to-end tests and the demo.
#pragma once

#include <windows.h>

#include "win/handles.h"

#include <fstream>
#include <string>
#include <vector>

namespace velmap::tools {

class PlayerProcess {
public:
    PlayerProcess() = default;
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;
    ~PlayerProcess() { Stop(); }

    // Starts EXE with LOG; with a title or class other than the player's the
    // window holds the hotkeys but cannot be found as the player.
    bool Start(const std::string& exe, const std::string& log, DWORD timeout_ms,
               const std::string& title = "velmoraplayerapi", const std::string& class_name = "Tvelmoraplayerapi",
               const std::string& more_args = "") {
        log_ = log;
        title_ = title;
        class_ = class_name;
        DeleteFileA(log.c_str());
        std::string cmd = "\"" + exe + "\" \"" + log + "\" " + std::to_string(timeout_ms) + " --title \"" + title +
                          "\" --class \"" + class_name + "\"" +
                          (more_args.empty() ? "" : " " + more_args);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::vector<char> buf(cmd.begin(), cmd.end());
        buf.push_back('\0');
        if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
        win::unique_handle_t thread(pi.hThread);
        process_.reset(pi.hProcess);
        return true;
    }

    // Waits until the window with the player's class and our title exists,
    // which the stand-in guarantees only once its hotkeys are registered.
    HWND WaitForWindow(DWORD ms) const {
        const DWORD start = GetTickCount();
        do {
            if (HWND w = FindWindowA(class_.c_str(), title_.c_str())) return w;
            if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return nullptr;
            Sleep(20);
        } while (GetTickCount() - start < ms);
        return nullptr;
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    // Waits until the log holds at least n lines, at most ms milliseconds.
    std::vector<std::string> WaitForLines(size_t n, DWORD ms) const {
        const DWORD start = GetTickCount();
        for (;;) {
            auto lines = Lines();
            if (lines.size() >= n || GetTickCount() - start >= ms) return lines;
            Sleep(20);
        }
    }

    // Closes the window and waits for the process; returns its exit code, or
    // -1 when it had to be terminated or never ran.
    int Stop() {
        if (!process_) return -1;
        if (HWND w = FindWindowA(class_.c_str(), title_.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);
        int code = -1;
        if (WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0) {
            DWORD c = 0;
            if (GetExitCodeProcess(process_.get(), &c)) code = static_cast<int>(c);
        } else {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
        return code;
    }

private:
    win::unique_handle_t process_;
    std::string log_;
    std::string title_;
    std::string class_;
};

}  // namespace velmap::tools
