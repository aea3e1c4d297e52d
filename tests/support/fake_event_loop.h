// The event loop: a clock that moves only when told, and a queue of events that runs when a
// test (or the program, by yielding) runs it. Every port's fake delivers through it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "ports/event_loop.h"
#include "ports/events.h"
#include "ports/windows.h"
#include "support/fake_log.h"

namespace varnel {

class FakeEventLoop final : public EventLoop {
 public:
  explicit FakeEventLoop(FakeLog& log) : log_(log) {}

  PlatformEvents* Sink() const { return sink_; }
  void SetTick(std::uint32_t tick) { tick_ = tick; }
  void AdvanceTime(std::uint32_t ms) { tick_ += ms; }
  // Runs pending events until none is left (and due timer ticks); returns how many ran.
  int RunPending();
  std::size_t PendingCount() const { return queue_.size(); }
  void QueueEvent(const std::string& what, std::function<void()> fn);
  void QueueTimerTick();
  bool autoTimer = true;  // the search window's timer ticks when its interval has passed
  std::uint32_t TimerInterval() const { return timerInterval_; }
  // Runs at every Sleep: the world changing while the program waits.
  std::function<void()> onSleep;

  // The search window, as the view tells it: codes go to it while it exists and are lost
  // with it, its timer stops with it, and RunUntilClosed ends when it is unloaded.
  void SearchWindowCreated(WindowId hwnd);
  void SearchWindowDestroyed();
  bool Unloaded() const { return unloaded_; }

  void SetEventSink(PlatformEvents* sink) override { sink_ = sink; }
  std::uint32_t Milliseconds() override { return tick_; }
  void Sleep(std::uint32_t ms) override;
  void RunPendingEvents() override;
  void Post(Code code) override;
  void StartTimer(std::uint32_t intervalMs) override;
  int RunUntilClosed() override;

 private:
  struct Pending {
    std::string what;
    std::function<void()> fn;
  };
  void RunOne();
  void QueueDueTimer();

  FakeLog& log_;
  PlatformEvents* sink_ = nullptr;
  std::uint32_t tick_ = 1'000'000;
  std::deque<Pending> queue_;
  std::uint32_t timerInterval_ = 0;
  std::uint32_t timerDue_ = 0;
  WindowId searchWindow_ = 0;
  bool unloaded_ = false;
};

}  // namespace varnel
