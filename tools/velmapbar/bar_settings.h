// What the floating bar keeps per user: its place on each arrangement of
// monitors (under HKCU\Software\Velmap\VelmapBar) and whether it starts with
// Windows (its value under the user's Run key); and its menu.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velmap::tools {

inline constexpr wchar_t kBarSettingsKey[] = L"Software\\Velmap\\VelmapBar";
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"VelmapBar";
// The argument of a start that turns "Start with Windows" on first.
inline constexpr wchar_t kStartWithWindowsArgument[] = L"--start-with-windows";

// The bar's menu commands (WM_COMMAND identifiers).
inline constexpr UINT kCloseCommand = 1;
inline constexpr UINT kStartWithWindowsCommand = 2;
inline constexpr UINT kResetPositionCommand = 3;
inline constexpr UINT kSkinSettingsCommand = 4;

// A registered message the bar answers with its counters (wParam: one of
// BarCounter), for measuring that it stays idle; kAppBar answers 1 while the
// shell knows the bar as an appbar.
inline constexpr wchar_t kBarCountersMessage[] = L"VelmapBar.Counters";
enum BarCounter : WPARAM { kTimerTicks, kPaints, kWinEvents, kViewChanges, kAppBar };

// The place saved for an arrangement of monitors, if any; else the one place
// earlier versions kept (Left, Top) for whatever arrangement there is.
std::optional<POINT> LoadBarPosition(const std::wstring& arrangement);
bool SaveBarPosition(const std::wstring& arrangement, POINT at);
bool ForgetBarPosition(const std::wstring& arrangement);

// "Start with Windows": the Run value is present.
bool StartsWithWindows();
// Writes the Run value naming this program (quoted), or deletes it.
bool SetStartWithWindows(bool on);

// Start with Windows (checked when it does), Reset position, Settings…, Close.
HMENU CreateBarMenu();

// Starts VelmapBandSettings.exe from this program's folder (the band's skin,
// its colours, following Windows' theme); false when it cannot be started.
bool OpenSkinSettings();

}  // namespace velmap::tools
