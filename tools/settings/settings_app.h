// VelmapBandSettings: the user's skin choice, from a dialog or a command line.
// Both show the band's own form (its internal skin, its description) through
// the engine, and store the choice through the one module that owns it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "remote/band_form.h"
#include "skin/manager/skin_choice.h"

namespace velmap::tools {

// A band form for the settings: made in parent, not following the stored
// choice by itself (the settings decide what it shows). Freed with Free().
remote::TBandForm* MakeSettingsForm(HWND parent);

// Shows choice in form; "" or why the skin cannot be shown (the form then
// shows the internal skin). The warning a refused skin raises is taken into
// the reason instead of a box.
std::string ShowChoice(remote::TBandForm& form, const skin::SkinChoice& choice);

// The command line (arguments after the program's name); the exit code.
int RunCommandLine(const std::vector<std::wstring>& args);

// The dialog; the exit code. screenshot: write the dialog's picture there and
// close it (for the README and the tests), empty for a normal run.
int RunDialog(HINSTANCE instance, const std::wstring& screenshot);

}  // namespace velmap::tools
