#include "bar_placement.h"

#include <algorithm>
#include <cstdint>

namespace velmap::tools {

POINT DockedPosition(SIZE bar, const RECT& work_area, const std::optional<RECT>& notification_area) {
    LONG right = work_area.right, bottom = work_area.bottom;
    if (notification_area) {
        right = notification_area->right;
        bottom = notification_area->top;
    }
    POINT at{right - bar.cx, bottom - bar.cy};
    at.x = std::clamp(at.x, work_area.left, std::max(work_area.left, work_area.right - bar.cx));
    at.y = std::clamp(at.y, work_area.top, std::max(work_area.top, work_area.bottom - bar.cy));
    return at;
}

std::optional<RECT> NotificationArea() {
    HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    HWND notify = tray ? ::FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr) : nullptr;
    RECT r;
    if (!notify || !::IsWindowVisible(notify) || !::GetWindowRect(notify, &r) || ::IsRectEmpty(&r))
        return std::nullopt;
    return r;
}

namespace {

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof value, type = 0;
    return ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof value;
}

}  // namespace

std::optional<POINT> LoadBarPosition(SIZE bar) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kBarSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD x = 0, y = 0;
    const bool read = ReadDword(key, L"Left", x) && ReadDword(key, L"Top", y);
    ::RegCloseKey(key);
    if (!read) return std::nullopt;
    const POINT at{static_cast<LONG>(static_cast<std::int32_t>(x)), static_cast<LONG>(static_cast<std::int32_t>(y))};
    const RECT r{at.x, at.y, at.x + bar.cx, at.y + bar.cy};
    HMONITOR monitor = ::MonitorFromRect(&r, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) return std::nullopt;
    RECT inside;
    if (!::IntersectRect(&inside, &r, &info.rcMonitor) || !::EqualRect(&inside, &r)) return std::nullopt;
    return at;
}

bool SaveBarPosition(POINT at) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBarSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD x = static_cast<DWORD>(at.x), y = static_cast<DWORD>(at.y);
    const bool ok = ::RegSetValueExW(key, L"Left", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&x), sizeof x) ==
                        ERROR_SUCCESS &&
                    ::RegSetValueExW(key, L"Top", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&y), sizeof y) ==
                        ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

}  // namespace velmap::tools
