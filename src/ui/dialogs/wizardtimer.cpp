#include "ui/dialogs/wizardtimer.h"

#include <QTimer>

namespace dtool {

namespace {

class TQtWizardTimer : public IWizardTimer {
public:
  TQtWizardTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (handler_)
        handler_();
    });
  }
  bool Enabled() const override { return timer_.isActive(); }
  // Enabling a running timer leaves its countdown alone.
  void SetEnabled(bool enabled) override {
    if (!enabled)
      timer_.stop();
    else if (!timer_.isActive())
      timer_.start();
  }
  int Interval() const override { return timer_.interval(); }
  // A running timer starts its countdown afresh.
  void SetInterval(int ms) override { timer_.setInterval(ms); }
  void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
  QTimer timer_;
  std::function<void()> handler_;
};

} // namespace

std::unique_ptr<IWizardTimer> NewWizardTimer(const TWizardTimerSource& source) {
  if (source)
    if (std::unique_ptr<IWizardTimer> timer = source())
      return timer;
  return std::make_unique<TQtWizardTimer>();
}

} // namespace dtool
