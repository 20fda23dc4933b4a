#include "link/dispatcher.h"

#include <utility>

namespace dtool {

void TQueueDispatcher::Post(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(work));
  }
  queued_.notify_all();
}

std::size_t TQueueDispatcher::RunPending() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(queue_);
  }
  for (auto& work : batch)
    if (work)
      work();
  return batch.size();
}

std::size_t TQueueDispatcher::WaitAndRun(std::chrono::milliseconds timeout) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    queued_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
  }
  return RunPending();
}

std::size_t TQueueDispatcher::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

namespace {

struct TLinkEvents {
  std::mutex mutex;
  IDispatcher* dispatcher = nullptr;
  std::function<void(std::int32_t)> onRecord;
  std::function<void(std::int32_t)> onError;
};

TLinkEvents& Events() {
  static TLinkEvents events;
  return events;
}

// Posts a call of the handler that is set when the work runs.
void PostEvent(std::function<void(std::int32_t)> TLinkEvents::*handler, std::int32_t arg) {
  TLinkEvents& ev = Events();
  std::lock_guard<std::mutex> lock(ev.mutex);
  if (ev.dispatcher == nullptr)
    return;
  ev.dispatcher->Post([handler, arg] {
    std::function<void(std::int32_t)> h;
    {
      std::lock_guard<std::mutex> lock(Events().mutex);
      h = Events().*handler;
    }
    if (h)
      h(arg);
  });
}

} // namespace

void SetLinkDispatcher(IDispatcher* dispatcher) {
  std::lock_guard<std::mutex> lock(Events().mutex);
  Events().dispatcher = dispatcher;
}

void SetLinkRecEventHandler(std::function<void(std::int32_t)> handler) {
  std::lock_guard<std::mutex> lock(Events().mutex);
  Events().onRecord = std::move(handler);
}

void SetLinkErrEventHandler(std::function<void(std::int32_t)> handler) {
  std::lock_guard<std::mutex> lock(Events().mutex);
  Events().onError = std::move(handler);
}

extern "C" {

void DTOOL_LINKCALL LinkRecEventProc(std::int32_t unused) {
  PostEvent(&TLinkEvents::onRecord, unused);
}

void DTOOL_LINKCALL LinkErrEventProc(std::int32_t port) {
  PostEvent(&TLinkEvents::onError, port);
}
}

} // namespace dtool
