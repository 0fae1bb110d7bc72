// Where the floating bar sits: docked just above the taskbar's notification
// area unless the user has dragged it somewhere, remembered per user.
#pragma once

#include <windows.h>

#include <optional>

namespace velmap::tools {

inline constexpr wchar_t kBarSettingsKey[] = L"Software\\Velmap\\VelmapBar";
inline constexpr wchar_t kBarTitle[] = L"VelmapBar";

// Right-aligned on the notification area and just above it; without one, the
// work area's bottom-right corner. Always kept inside the work area.
POINT DockedPosition(SIZE bar, const RECT& work_area, const std::optional<RECT>& notification_area);

// The taskbar's notification area on the screen, when there is a taskbar.
std::optional<RECT> NotificationArea();

// The position saved under HKCU, if any, and only while a monitor still shows
// the whole bar there (a monitor unplugged since must not hide it).
std::optional<POINT> LoadBarPosition(SIZE bar);
bool SaveBarPosition(POINT at);

}  // namespace velmap::tools
