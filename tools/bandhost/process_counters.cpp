#include "process_counters.h"

namespace velmap::tools {

namespace {

struct WindowCounter {
    DWORD pid = ::GetCurrentProcessId();
    int count = 0;

    static BOOL CALLBACK Child(HWND, LPARAM self) {
        ++reinterpret_cast<WindowCounter*>(self)->count;
        return TRUE;
    }
    static BOOL CALLBACK TopLevel(HWND wnd, LPARAM self) {
        reinterpret_cast<WindowCounter*>(self)->Add(wnd);
        return TRUE;
    }
    void Add(HWND wnd) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(wnd, &owner);
        if (owner != pid) return;
        ++count;
        ::EnumChildWindows(wnd, &Child, reinterpret_cast<LPARAM>(this));
    }
};

}  // namespace

int CountProcessWindows() {
    WindowCounter counter;
    ::EnumWindows(&WindowCounter::TopLevel, reinterpret_cast<LPARAM>(&counter));
    for (HWND w = nullptr; (w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) counter.Add(w);
    return counter.count;
}

int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR i = 1; i <= 0xFFFF; ++i)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0) ++count;
    return count;
}

SIZE_T PrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* p = nullptr; ::VirtualQuery(p, &info, sizeof info) == sizeof info;
         p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total;
}

}  // namespace velmap::tools
