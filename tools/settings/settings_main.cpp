// VelmapBandSettings.exe: without arguments the dialog, with them the
// command line (--list, --skin NAME, --hue N, --saturation N,
// --follow-system on|off).
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include "settings_app.h"
#include "skin/data/skin_warning.h"
#include "skin/windows/window_skinning.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
    if (argv) ::LocalFree(argv);
    // Skin images decode through WIC.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    if (args.empty() || (args.size() == 2 && args[0] == L"--screenshot")) {
        velmap::skin::EnableWindowSkinning();
        code = velmap::tools::RunDialog(instance, args.empty() ? std::wstring{} : args[1]);
        velmap::skin::DisableWindowSkinning();
    } else {
        code = velmap::tools::RunCommandLine(args);
    }
    ::CoUninitialize();
    return code;
}
