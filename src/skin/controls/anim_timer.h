// The cross-fade of a skinned control from its old face to its new one: a
// framework timer that every 10 ms shows one more blend of the two images,
// and stops itself when the new face is reached.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/controls/common_data.h"
#include "skin/paint/pixel_ops.h"
#include "ui/timer.h"

namespace velmap::skin {

// Longest fade a section may ask for, in steps of 10 ms: a larger value
// would keep a timer running in the host for minutes.
inline constexpr int kMaxFadeSteps = 100;
inline constexpr unsigned kFadeInterval = 10;

// Share of the old face (of 255) in frame `step` of `steps`.
constexpr std::uint8_t FadeWeight(int step, int steps) { return paint::LimitToByte(255 - step * 256 / steps); }

// Steps of a fade for a section's FADINGITERATIONS; a press or release fades
// in half of them.
constexpr int FadeStepCount(int iterations, bool half) {
    const int steps = iterations < 0 ? 0 : iterations > kMaxFadeSteps ? kMaxFadeSteps : iterations;
    return half ? steps / 2 : steps;
}

class TsAnimTimer : public ui::TTimer {
public:
    TsAnimTimer();
    ~TsAnimTimer() override;

    // Binds the timer to the faded control's state: 10 ms, `steps` steps.
    void Prepare(TsCommonData& state, int steps);
    // True once the fade is over (it then tells its control to stop it).
    bool Finished();
    // Shows the frame of FadeStep and moves on by one.
    void Step();
    // One tick, as the system timer gives it.
    void Tick() { Timer(); }
    // Frees the timer; from inside its own tick, once that tick has returned.
    void Dispose();

    TsCommonData* OwnerState = nullptr;
    ui::TBitmap StartImage;  // the old face
    ui::TBitmap FrameImage;  // the frame on show
    int FadeStep = 0;
    int FadeSteps = 0;
    bool StepRunning = false;

    // Process-wide: when set, new timers never start a system timer and are
    // driven by Tick alone (tests step fades frame by frame this way).
    static void SetManualTicks(bool manual);
    static bool ManualTicks();
    // Fade timers alive in the process.
    static int LiveCount();

    std::string ClassName() const override { return "TsAnimTimer"; }

protected:
    void Timer() override;

private:
    bool HostGone() const;

    std::weak_ptr<void> host_life_;
    bool in_tick_ = false;
    bool dispose_after_tick_ = false;
};

}  // namespace velmap::skin
