#include "skin/controls/control_classes.h"

#include "skin/controls/panel.h"
#include "skin/controls/speed_button.h"

namespace velmap::skin {

void RegisterSkinControlClasses() {
    static const bool done = [] {
        ui::RegisterClass<TsPanel>("TsPanel");
        ui::RegisterClass<TsSpeedButton>("TsSpeedButton");
        return true;
    }();
    (void)done;
}

}  // namespace velmap::skin
