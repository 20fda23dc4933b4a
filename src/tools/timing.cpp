#include "tools/timing.h"

#include <chrono>

namespace dtool {

void RestartTimer(ITimer& timer) {
  const bool enabled = timer.Enabled();
  const int interval = timer.Interval();
  timer.SetInterval(0);
  timer.SetInterval(interval);
  timer.SetEnabled(enabled);
}

std::uint32_t TickCount() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

} // namespace dtool
