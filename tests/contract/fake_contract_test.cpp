// The ports' contracts on the in-memory fake that the unit tests use: a fresh fake per case.
#include "support/fake_platform.h"

#include "contract/gtest_check.h"

namespace varnel::contract {
namespace {

constexpr int kEnoughRounds = 100;
constexpr ProcessId kOtherProgram = 9000;

class FakeDriver final : public Driver {
 public:
  explicit FakeDriver(FakePlatform& fake) : fake_(fake) {}
  bool RunUntil(const std::function<bool()>& done) override {
    for (int i = 0; i < kEnoughRounds && !done(); ++i) {
      fake_.loop.RunPending();
    }
    return done();
  }
  WindowId MakeWindow() override {
    FakeWindow w;
    w.pid = kOtherProgram;
    return fake_.desktop.AddWindow(w);
  }
  void DestroyWindow(WindowId hwnd) override { fake_.desktop.CloseWindow(hwnd); }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    if (value.empty()) {
      fake_.paths.environment.erase(name);
    } else {
      fake_.paths.environment[name] = value;
    }
  }
  ProcessId OwnProcess() override { return fake_.OwnPid(); }

 private:
  FakePlatform& fake_;
};

void RunOnFake(const Case& c) {
  FakePlatform fake;
  Recorder events;
  fake.loop.SetEventSink(&events);
  FakeDriver driver(fake);
  Subject subject{fake.AllPorts(), events, driver};
  GtestCheck check;
  c.run(subject, check);
  fake.loop.SetEventSink(nullptr);
}

}  // namespace
}  // namespace varnel::contract

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  varnel::contract::RegisterContracts(varnel::contract::RunOnFake);
  return RUN_ALL_TESTS();
}
