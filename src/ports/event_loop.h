// The user-interface thread's event loop: time, waiting, deferred work and the window's timer.
// Calls that let other events run before they return say so ("yields").
#pragma once

#include <cstdint>
#include "domain/codes.h"

namespace varnel {

class PlatformEvents;  // ports/events.h

class EventLoop {
 public:
  // Where every system event goes, from any port; nullptr drops them.
  virtual void SetEventSink(PlatformEvents* sink) = 0;
  virtual std::uint32_t Milliseconds() = 0;  // ms since system start, wraps at 2^32
  virtual void Sleep(std::uint32_t ms) = 0;
  virtual void RunPendingEvents() = 0;  // yields: runs the events pending now, once
  // Deferred to OnDeferredCode after the current event; may be called from the hook.
  virtual void Post(Code code) = 0;
  virtual void StartTimer(std::uint32_t intervalMs) = 0;  // the search window's timer
  virtual int RunUntilClosed() = 0;  // until the search window is unloaded; exit status

 protected:
  ~EventLoop() = default;
};

}  // namespace varnel
