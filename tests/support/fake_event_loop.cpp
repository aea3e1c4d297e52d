#include "support/fake_event_loop.h"

#include <stdexcept>

namespace varnel {
namespace {

// More events than any test queues: the program keeps queueing events for ever.
constexpr int kEventsThatNeverSettle = 100000;

}  // namespace

void FakeEventLoop::SearchWindowCreated(WindowId hwnd) {
  searchWindow_ = hwnd;
  unloaded_ = false;
}

void FakeEventLoop::SearchWindowDestroyed() {
  searchWindow_ = 0;
  timerInterval_ = 0;
  unloaded_ = true;
}

void FakeEventLoop::Sleep(std::uint32_t ms) {
  log_.Record("Sleep", {ms});
  tick_ += ms;
  if (onSleep) {
    onSleep();
  }
}

void FakeEventLoop::QueueEvent(const std::string& what, std::function<void()> fn) {
  queue_.push_back({what, std::move(fn)});
}

void FakeEventLoop::QueueTimerTick() {
  QueueEvent("OnTimer", [this] {
    if (sink_ != nullptr && searchWindow_ != 0) {
      sink_->OnTimer();
    }
  });
}

void FakeEventLoop::QueueDueTimer() {
  if (!autoTimer || timerInterval_ == 0 || searchWindow_ == 0) {
    return;
  }
  if (static_cast<std::int32_t>(tick_ - timerDue_) < 0) {
    return;
  }
  // Elapsed intervals coalesce into one tick, as platform timers do.
  timerDue_ = tick_ + timerInterval_;
  QueueTimerTick();
}

void FakeEventLoop::RunOne() {
  Pending p = std::move(queue_.front());
  queue_.pop_front();
  log_.Record("event", {}, p.what);
  if (p.fn) {
    p.fn();
  }
}

void FakeEventLoop::RunPendingEvents() {
  log_.Record("RunPendingEvents");
  QueueDueTimer();
  const std::size_t n = queue_.size();
  for (std::size_t i = 0; i < n && !queue_.empty(); ++i) {
    RunOne();
  }
}

int FakeEventLoop::RunPending() {
  int ran = 0;
  QueueDueTimer();
  while (!queue_.empty()) {
    if (++ran > kEventsThatNeverSettle) {
      throw std::runtime_error("FakeEventLoop: events never settle");
    }
    RunOne();
    QueueDueTimer();
  }
  return ran;
}

void FakeEventLoop::Post(Code code) {
  log_.Record("Post", {code});
  // Codes go to the search window while there is one, else to the thread, as on Windows: a
  // code posted to a window that is gone before it runs is lost with it.
  const WindowId target = searchWindow_;
  QueueEvent("OnDeferredCode " + std::to_string(code), [this, code, target] {
    const bool lost = target != 0 && searchWindow_ != target;
    if (sink_ != nullptr && !lost) {
      sink_->OnDeferredCode(code);
    }
  });
}

void FakeEventLoop::StartTimer(std::uint32_t intervalMs) {
  log_.Record("StartTimer", {intervalMs});
  timerInterval_ = intervalMs;
  timerDue_ = tick_ + intervalMs;
}

int FakeEventLoop::RunUntilClosed() {
  log_.Record("RunUntilClosed");
  while (!unloaded_ && !queue_.empty()) {
    RunOne();
    QueueDueTimer();
  }
  return 0;
}

}  // namespace varnel
