// The event loop: posted codes arrive later, in order, one handler at a time; the clock moves
// forward across a sleep.
#include <cstdint>
#include <string>

#include "contract/contract.h"

namespace varnel::contract {
namespace {

constexpr std::uint32_t kSleepMs = 40;
constexpr int kSleeps = 3;

std::string Listed(const std::vector<Code>& codes) {
  std::string s;
  for (Code c : codes) {
    s += (s.empty() ? "" : " ") + std::to_string(c);
  }
  return "[" + s + "]";
}

void PostedCodesArriveLaterInOrder(Subject& s, Check& check) {
  EventLoop& loop = s.ports.loop;
  Recorder& events = s.events;
  events.codes.clear();
  // Before any search window exists (the real systems run this case first), and with
  // values across the whole range: codes share their number space with window messages.
  const std::vector<Code> sent{1, -5, INT32_MAX, INT32_MIN};
  for (Code c : sent) {
    loop.Post(c);
  }
  check.Expect(events.codes.empty(), "Post returns before the code is delivered");
  s.driver.RunUntil([&] { return events.codes.size() >= sent.size(); });
  check.Expect(events.codes == sent,
               "codes arrive in the order posted, unchanged: " + Listed(events.codes));
  loop.RunPendingEvents();
  check.Expect(events.codes.size() == sent.size(), "each code arrives once");
}

void CodesPostedInAHandlerWaitForItsEnd(Subject& s, Check& check) {
  EventLoop& loop = s.ports.loop;
  Recorder& events = s.events;
  events.codes.clear();
  events.nested = false;
  bool deliveredInside = false;
  events.onCode = [&](Code c) {
    if (c == 1) {
      loop.Post(2);
      loop.Post(3);
      deliveredInside = events.codes.size() > 1;
    }
  };
  loop.Post(1);
  s.driver.RunUntil([&] { return events.codes.size() >= 3; });
  events.onCode = nullptr;
  check.Expect(!deliveredInside && !events.nested,
               "a code posted by a handler is not delivered inside that handler");
  check.Expect(events.codes == std::vector<Code>{1, 2, 3},
               "it arrives after the handler, in order: " + Listed(events.codes));
}

void YieldInsideAHandlerRunsPendingCodes(Subject& s, Check& check) {
  EventLoop& loop = s.ports.loop;
  Recorder& events = s.events;
  events.codes.clear();
  std::size_t seenByYield = 0;
  bool yielded = false;
  events.onCode = [&](Code c) {
    if (c == 1 && !yielded) {
      yielded = true;
      loop.Post(2);
      for (int i = 0; i < 100 && events.codes.size() < 2; ++i) {
        loop.RunPendingEvents();
        if (events.codes.size() < 2) {
          loop.Sleep(1);
        }
      }
      seenByYield = events.codes.size();
    }
  };
  loop.Post(1);
  s.driver.RunUntil([&] { return events.codes.size() >= 2; });
  events.onCode = nullptr;
  check.Expect(seenByYield == 2,
               "RunPendingEvents inside a handler delivers a code posted before it");
  check.Expect(events.codes == std::vector<Code>{1, 2}, "each once: " + Listed(events.codes));
}

void ClockMovesForwardAcrossSleep(Subject& s, Check& check) {
  EventLoop& loop = s.ports.loop;
  std::uint32_t before = loop.Milliseconds();
  bool forward = true;
  std::uint32_t total = 0;
  for (int i = 0; i < kSleeps; ++i) {
    loop.Sleep(kSleepMs);
    const std::uint32_t now = loop.Milliseconds();
    // Differences, not values: the count wraps at 2^32.
    const std::uint32_t elapsed = now - before;
    forward = forward && elapsed > 0 && elapsed < UINT32_MAX / 2;
    total += elapsed;
    before = now;
  }
  check.Expect(forward, "Milliseconds moves forward across every Sleep");
  // A coarse system tick may round one sleep down, never all of them by half.
  check.Expect(total >= kSleeps * kSleepMs / 2, "it counts milliseconds: " + std::to_string(total) +
                                                    " after " + std::to_string(kSleeps * kSleepMs) +
                                                    " ms of sleep");
}

}  // namespace

std::vector<Case> EventLoopContract() {
  return {
      {"EventLoop", "PostedCodesArriveLaterInOrder", PostedCodesArriveLaterInOrder},
      {"EventLoop", "CodesPostedInAHandlerWaitForItsEnd", CodesPostedInAHandlerWaitForItsEnd},
      {"EventLoop", "YieldInsideAHandlerRunsPendingCodes", YieldInsideAHandlerRunsPendingCodes},
      {"EventLoop", "ClockMovesForwardAcrossSleep", ClockMovesForwardAcrossSleep},
  };
}

}  // namespace varnel::contract
