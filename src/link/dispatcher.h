#pragma once
// Hands work from the link libraries' threads to the user-interface thread. The libraries
// call back from their own threads; nothing of the program may be touched there, so the
// callbacks only post their work to a dispatcher, which runs it on its own thread.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "link/analoglink.h"
#include "link/linkcommon.h"

namespace dtool {

class IDispatcher {
public:
  virtual ~IDispatcher() = default;
  // Queues the work for the dispatcher's thread; may be called from any thread.
  virtual void Post(std::function<void()> work) = 0;
};

// A dispatcher whose thread is whoever calls RunPending: for tests and programs without a
// window. The user interface has its own, which queues to its event loop.
class TQueueDispatcher : public IDispatcher {
public:
  void Post(std::function<void()> work) override;
  // Runs the work queued so far, in order; returns how many items ran.
  std::size_t RunPending();
  // Waits until work is queued or the timeout ends, then runs what is queued.
  std::size_t WaitAndRun(std::chrono::milliseconds timeout);
  std::size_t Pending() const;

private:
  mutable std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> queue_;
};

// The link callbacks. Register LinkRecEventProc and LinkErrEventProc with the libraries; each
// call posts the handler set here to the dispatcher set here. The handler is looked up when
// the work runs, so a handler removed in the meantime is not called. Without a dispatcher,
// callbacks are dropped.
void SetLinkDispatcher(IDispatcher* dispatcher);
void SetLinkRecEventHandler(std::function<void(std::int32_t)> handler);
void SetLinkErrEventHandler(std::function<void(std::int32_t port)> handler);

extern "C" {
void DTOOL_LINKCALL LinkRecEventProc(std::int32_t unused);
void DTOOL_LINKCALL LinkErrEventProc(std::int32_t port);
}

} // namespace dtool
