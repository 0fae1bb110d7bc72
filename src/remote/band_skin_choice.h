// The band follows the user's skin choice: at start when one is stored (none
// stored: the band stays exactly as built, no folder is read), and live when
// it changes or Windows switches the taskbar between light and dark.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "skin/manager/skin_choice.h"
#include "ui/control.h"

namespace velmap::remote {

class TBandForm;

// The registered message the choice's watch posts to the band's window.
inline constexpr wchar_t kSkinChoiceChangedMessage[] = L"VelmapBand.SkinChoiceChanged";

class TBandSkinChoice {
public:
    // Hooks the form's window procedure; the form's window must exist.
    explicit TBandSkinChoice(TBandForm& form);
    ~TBandSkinChoice();
    TBandSkinChoice(const TBandSkinChoice&) = delete;
    TBandSkinChoice& operator=(const TBandSkinChoice&) = delete;

    // Reads the stored choice and puts it in force if it differs from what
    // the band shows. A skin that cannot be shown leaves the internal skin and
    // is reported to the debugger's output, never in a box.
    void Follow();

private:
    struct Hook;
    struct Shown {
        std::string Skin;
        int HueOffset = 0;
        int Saturation = 0;
        bool operator==(const Shown&) const = default;
    };
    void FormProc(ui::TMessage& m);

    TBandForm& form_;
    UINT message_ = 0;
    std::shared_ptr<Hook> hook_;
    std::unique_ptr<skin::SkinChoiceWatch> watch_;
    std::optional<skin::SkinFolders> folders_;  // worked out at the first choice
    std::optional<Shown> shown_;                // none: as built
};

}  // namespace velmap::remote
