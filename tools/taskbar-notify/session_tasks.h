// The installer's requests to the signed-in user's session (see session_tasks.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmap::tools {

// Exit code of CloseBars when bars were running and have ended: the
// installer starts the bar again afterwards.
inline constexpr int kClosedBars = 10;

// Asks every floating bar of this desktop to close and waits for their
// processes: 0 none was running, kClosedBars all ended, 1 one did not in time.
int CloseBars(DWORD timeout_ms);

// Starts FILE with ARGS as the signed-in user: from an elevated process
// through the desktop's shell, else directly. 0 started; 2 the shell could
// not be asked (nothing started, and the reason printed); 1 failed.
int StartAsUser(const std::wstring& file, const std::wstring& args);

// The Restart Manager closes and restarts every program holding FILES (the
// taskbar, for the band's DLL), restoring its windows. 0 done or nothing to
// do, 1 failed.
int RestartHolders(const std::vector<std::wstring>& files);

}  // namespace velmap::tools
