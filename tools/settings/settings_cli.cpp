#include <cstdio>
#include <cwchar>

#include "settings_app.h"
#include "skin/data/skin_warning.h"
#include "win/module.h"
#include "win/strings.h"

namespace velmap::tools {

namespace {

// Console output of a windowed program: the handles it was given, else the
// console of the program that started it.
void Print(const std::string& text, bool error) {
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE out = ::GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) {
        if (::AttachConsole(ATTACH_PARENT_PROCESS)) out = ::GetStdHandle(which);
    }
    if (!out || out == INVALID_HANDLE_VALUE) return;
    const std::string line = text + "\r\n";
    DWORD written = 0;
    ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int Fail(const std::string& text, int code = 1) {
    Print("VelmapBandSettings: " + text, true);
    return code;
}

constexpr char kUsage[] =
    "usage: VelmapBandSettings [--list] [--skin NAME] [--hue N] [--saturation N] [--follow-system on|off]\n"
    "  --list               the skins to choose from, the internal one first\n"
    "  --skin NAME          show that skin (\"\" for the internal skin)\n"
    "  --hue N              shift the skin's hues by N degrees (-360 to 360)\n"
    "  --saturation N       change its saturation by N (-100 to 100)\n"
    "  --follow-system on   the light or dark skin by Windows' taskbar theme\n"
    "Each sets the value for the current user and tells every running band.";

bool ParseInt(const std::wstring& text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    wchar_t* end = nullptr;
    const long v = std::wcstol(text.c_str(), &end, 10);
    if (!end || *end != L'\0') return false;
    value = static_cast<int>(v);
    return true;
}

// A hidden window for the band form the command line loads skins into.
class HiddenParent {
public:
    HiddenParent()
        : wnd_(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 40, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr)) {}
    ~HiddenParent() {
        if (wnd_) ::DestroyWindow(wnd_);
    }
    HWND get() const { return wnd_; }

private:
    HWND wnd_;
};

}  // namespace

remote::TBandForm* MakeSettingsForm(HWND parent) {
    remote::TBandForm* form = remote::TBandForm::Create(parent);
    form->StopFollowingSkinChoice();
    return form;
}

std::string ShowChoice(remote::TBandForm& form, const skin::SkinChoice& choice) {
    std::string warning;
    const SkinWarningHook previous = SetSkinWarningHook([&](const std::string& text, const std::string&) {
        warning = text;
    });
    std::string error;
    bool ok = false;
    try {
        ok = skin::ApplySkinChoice(*form.SkinManager, choice, skin::ChoosableSkinFolders(win::ThisModule()),
                                   skin::SystemUsesLightTheme(), error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    SetSkinWarningHook(previous);
    if (ok) return {};
    return warning.empty() ? error : error + " (" + warning + ")";
}

int RunCommandLine(const std::vector<std::wstring>& args) {
    bool list = false, any = false;
    skin::SkinChoice choice = skin::ReadSkinChoice().value_or(skin::SkinChoice{});
    std::string skin_name;
    bool skin_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == L"--list") {
            list = true;
        } else if (a == L"--help" || a == L"-h" || a == L"/?") {
            Print(kUsage, false);
            return 0;
        } else if (a == L"--skin" && has_value) {
            try {
                skin_name = win::WideToUtf8(args[++i]);
            } catch (const win::EncodingError&) {
                return Fail("the skin name is not valid text");
            }
            skin_given = any = true;
        } else if ((a == L"--hue" || a == L"--saturation") && has_value) {
            int v = 0;
            if (!ParseInt(args[++i], v)) return Fail(win::WideToUtf8(a) + " takes a whole number");
            (a == L"--hue" ? choice.HueOffset : choice.Saturation) = v;
            any = true;
        } else if (a == L"--follow-system" && has_value && (args[i + 1] == L"on" || args[i + 1] == L"off")) {
            choice.FollowSystem = args[++i] == L"on";
            any = true;
        } else {
            return Fail("unknown or incomplete argument \"" + win::WideToUtf8(a) + "\"\n" + kUsage, 2);
        }
    }
    if (skin_given) choice.Skin = skin_name;
    if (const std::string why = skin::CheckSkinChoice(choice); !why.empty()) return Fail(why);

    HiddenParent parent;
    if (!parent.get()) return Fail("no window could be made");
    remote::TBandForm* form = nullptr;
    try {
        form = MakeSettingsForm(parent.get());
    } catch (const std::exception& e) {
        return Fail(std::string("the band's form cannot be made: ") + e.what());
    }
    int code = 0;
    const auto folders = skin::ChoosableSkinFolders(win::ThisModule());
    const std::vector<std::string> names = skin::ListChoosableSkins(*form->SkinManager, folders);
    if (list)
        for (const auto& n : names) Print(n, false);
    if (any) {
        // A skin is chosen only when it is there and can be shown.
        const bool internal = choice.Skin.empty() || choice.Skin == names.front();
        std::string error;
        if (skin_given && !internal && !skin::FindSkin(folders, choice.Skin)) {
            code = Fail("unknown skin \"" + choice.Skin + "\" (VelmapBandSettings --list names them)");
        } else if (const std::string why = ShowChoice(*form, choice); !why.empty()) {
            code = Fail(why);
        } else if (!skin::WriteSkinChoice(choice, error)) {
            code = Fail(error);
        }
    }
    form->Free();
    return code;
}

}  // namespace velmap::tools
