#include "win/window_class.h"

#include <mutex>
#include <set>
#include <string>
#include <system_error>

#include "win/module.h"

namespace velmap::win {

const wchar_t* RegisterClassOnce(const wchar_t* name, WNDPROC proc, UINT style, HCURSOR cursor) {
    static std::mutex lock;
    static std::set<std::wstring> registered;
    std::lock_guard<std::mutex> guard(lock);
    if (registered.count(name)) return name;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = ThisModule();
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    if (!::RegisterClassExW(&wc)) {
        const DWORD error = ::GetLastError();
        // Left behind by an earlier load of this module: take it over when it
        // still names our procedure, else register it afresh.
        WNDCLASSEXW old{};
        old.cbSize = sizeof old;
        const bool ours = error == ERROR_CLASS_ALREADY_EXISTS && ::GetClassInfoExW(wc.hInstance, name, &old) &&
                          old.lpfnWndProc == proc;
        if (!ours &&
            !(error == ERROR_CLASS_ALREADY_EXISTS && ::UnregisterClassW(name, wc.hInstance) && ::RegisterClassExW(&wc)))
            throw std::system_error(static_cast<int>(error), std::system_category(), "cannot register a window class");
    }
    registered.insert(name);
    return name;
}

}  // namespace velmap::win
