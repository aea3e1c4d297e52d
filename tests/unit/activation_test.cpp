// Bringing a window to the front: asked once, asked again after a raise when refused, then
// lifted above the others for a moment.
#include "adapters/shared/activation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnel {
namespace {

constexpr WindowId kTarget = 7;
constexpr WindowId kOther = 3;

// A system that refuses the first `refusals` requests and records every step.
class RecordedSteps final : public ActivationSteps {
 public:
  RecordedSteps(WindowId front, int refusals) : front_(front), refusals_(refusals) {}
  WindowId InFront() override { return front_; }
  void FirstRequest(WindowId hwnd) override { Ask("first request", hwnd); }
  void Request(WindowId hwnd) override { Ask("request", hwnd); }
  void RaiseToTop(WindowId) override { steps.emplace_back("raise"); }
  void KeepAboveOthers(WindowId, bool on) override {
    steps.emplace_back(on ? "above on" : "above off");
  }
  void LetEventsRun() override { steps.emplace_back("events"); }
  std::vector<std::string> steps;

 private:
  void Ask(const char* what, WindowId hwnd) {
    steps.emplace_back(what);
    if (refusals_ > 0) {
      --refusals_;
    } else {
      front_ = hwnd;
    }
  }
  WindowId front_;
  int refusals_;
};

TEST(Activation, AskedAgainOnlyWhenRefusedThenLifted) {
  using Steps = std::vector<std::string>;
  struct Case {
    const char* name;
    WindowId front;
    int refusals;
    Lift lift;
    Steps expected;
    bool endsInFront;
  };
  const Case cases[] = {
      {"granted at once, lifted",
       kOther,
       0,
       Lift::AboveOthers,
       {"first request", "events", "above on", "events", "above off"},
       true},
      {"granted at once, in place", kOther, 0, Lift::InPlace, {"first request", "events"}, true},
      {"already in front: only lifted",
       kTarget,
       0,
       Lift::AboveOthers,
       {"events", "above on", "events", "above off"},
       true},
      {"refused once: the second request is granted",
       kOther,
       1,
       Lift::InPlace,
       {"first request", "events", "request", "raise", "events"},
       true},
      {"refused twice: asked a third time after the raise",
       kOther,
       2,
       Lift::InPlace,
       {"first request", "events", "request", "raise", "request", "events"},
       true},
      {"refused three times: still lifted, reported as not in front",
       kOther,
       3,
       Lift::AboveOthers,
       {"first request", "events", "request", "raise", "request", "events", "above on", "events",
        "above off"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedSteps steps(c.front, c.refusals);
    EXPECT_EQ(ActivateWithRetry(steps, kTarget, c.lift), c.endsInFront);
    EXPECT_EQ(steps.steps, c.expected);
  }
}

}  // namespace
}  // namespace varnel
