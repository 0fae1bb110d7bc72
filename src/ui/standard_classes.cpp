// The framework's classes that stored descriptions may name.
#include "ui/cool_bar.h"
#include "ui/panel.h"
#include "ui/speed_button.h"
#include "ui/timer.h"

namespace velmap::ui {

void RegisterStandardClasses() {
    static const bool done = [] {
        RegisterClass<TPanel>("TPanel");
        RegisterClass<TSpeedButton>("TSpeedButton");
        RegisterClass<TCoolBar>("TCoolBar");
        RegisterClass<TTimer>("TTimer");
        return true;
    }();
    (void)done;
}

}  // namespace velmap::ui
