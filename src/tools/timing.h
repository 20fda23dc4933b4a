#pragma once
// Timers and the stopwatch.
#include <cstdint>
#include <functional>

namespace dtool {

// The little a timer must offer for RestartTimer; the user interface wraps its timers.
class ITimer {
public:
  virtual ~ITimer() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual int Interval() const = 0;
  virtual void SetInterval(int ms) = 0;
};

// Restarts the timer's countdown without changing whether it is enabled.
void RestartTimer(ITimer& timer);

// Milliseconds of the system tick counter, wrapping at 2^32.
std::uint32_t TickCount();

// A stopwatch over the tick counter. The tick source can be replaced for tests.
class Tstoppuhr {
public:
  using TickSource = std::function<std::uint32_t()>;
  explicit Tstoppuhr(TickSource ticks = TickCount) : ticks_(std::move(ticks)) {}
  void Start() { start_ = ticks_(); }
  // Milliseconds since Start, correct across one wrap of the counter.
  std::uint32_t Elapsed() const { return ticks_() - start_; }

private:
  TickSource ticks_;
  std::uint32_t start_ = 0;
};

} // namespace dtool
