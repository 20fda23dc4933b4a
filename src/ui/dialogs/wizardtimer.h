#pragma once
// The timer of a wizard that repeats a step on the instrument. The wizards run on the event
// loop's timers; a test gives a wizard a timer that it drives with the bench's clock.
#include <functional>
#include <memory>

#include "tools/timing.h"

namespace dtool {

class IWizardTimer : public ITimer {
public:
  // Runs at every expiry while the timer is enabled.
  virtual void SetOnTimer(std::function<void()> handler) = 0;
};

// Makes a wizard's timer; an empty source stands for the event loop's timers.
using TWizardTimerSource = std::function<std::unique_ptr<IWizardTimer>()>;

// A timer of the event loop, disabled, or one from the source when it has one.
std::unique_ptr<IWizardTimer> NewWizardTimer(const TWizardTimerSource& source = {});

} // namespace dtool
