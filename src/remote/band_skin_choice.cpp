#include "remote/band_skin_choice.h"

#include <cwchar>

#include "remote/band_form.h"
#include "win/module.h"

namespace velmap::remote {

struct TBandSkinChoice::Hook {
    TBandSkinChoice* owner = nullptr;
    ui::TWndMethod saved;
};

TBandSkinChoice::TBandSkinChoice(TBandForm& form) : form_(form) {
    message_ = ::RegisterWindowMessageW(kSkinChoiceChangedMessage);
    hook_ = std::make_shared<Hook>(Hook{this, form.WindowProc});
    form.WindowProc = [hook = hook_](ui::TMessage& m) {
        if (hook->owner)
            hook->owner->FormProc(m);
        else if (hook->saved)
            hook->saved(m);
    };
    if (message_ && form.HandleAllocated()) watch_ = std::make_unique<skin::SkinChoiceWatch>(form.Handle(), message_);
    // Only a stored choice changes anything: without one (and nothing shown
    // yet) Follow looks at no folder.
    Follow();
}

TBandSkinChoice::~TBandSkinChoice() {
    watch_.reset();
    if (hook_) hook_->owner = nullptr;
}

void TBandSkinChoice::FormProc(ui::TMessage& m) {
    const ui::TWndMethod saved = hook_->saved;
    if (m.Msg == message_ && message_) {
        if (watch_) watch_->Rearm(m.WParam);
        Follow();
        m.Result = 0;
        return;
    }
    const bool colour_set = m.Msg == WM_SETTINGCHANGE && m.LParam &&
                            std::wcscmp(reinterpret_cast<const wchar_t*>(m.LParam), L"ImmersiveColorSet") == 0;
    const auto life = form_.Life();
    if (saved) saved(m);
    if (colour_set && !life.expired()) Follow();
}

void TBandSkinChoice::Follow() {
    skin::TsSkinManager* manager = form_.SkinManager;
    if (!manager) return;
    try {
        std::optional<skin::SkinChoice> choice = skin::ReadSkinChoice();
        // A choice removed after one was shown: back to the internal skin.
        if (!choice && !shown_) return;
        if (!choice) choice.emplace();
        const bool light = choice->FollowSystem && skin::SystemUsesLightTheme();
        const Shown wanted{skin::SkinToShow(*choice, light), choice->HueOffset, choice->Saturation};
        if (shown_ == wanted) return;
        shown_ = wanted;
        if (!folders_) folders_ = skin::ChoosableSkinFolders(win::ThisModule());
        std::string error;
        if (!skin::ApplySkinChoice(*manager, *choice, *folders_, light, error))
            ::OutputDebugStringA(("VelmapBand: " + error + "; the internal skin is shown\n").c_str());
    } catch (const std::exception& e) {
        ::OutputDebugStringA((std::string("VelmapBand: the skin choice failed: ") + e.what() + "\n").c_str());
    } catch (...) {
        ::OutputDebugStringA("VelmapBand: the skin choice failed\n");
    }
}

}  // namespace velmap::remote
