#pragma once
// The link dispatcher of the user interface: work posted from the link libraries' threads runs
// on the user-interface thread, queued to its event loop.
#include "link/dispatcher.h"

namespace dtool {

class TQtDispatcher : public IDispatcher {
public:
  void Post(std::function<void()> work) override;
};

} // namespace dtool
