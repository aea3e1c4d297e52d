// The in-memory fakes behave like the systems the logic is written against, each on its own
// and wired together.
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "domain/window_design.h"

namespace varnel {
namespace {

constexpr WindowId kFirstHwnd = 0x1000;
constexpr Code kMessage = 7;
constexpr std::uint32_t kTimeoutMs = 100;

TEST(FakeDesktop, ActivationStacksAndRefusesAsConfigured) {
  FakeLog log;
  FakeEventLoop loop(log);
  FakeDesktop desktop(log, loop, kFirstHwnd);
  WindowId a = desktop.AddWindow({});
  WindowId b = desktop.AddWindow({});
  WindowId c = desktop.AddWindow({});
  EXPECT_EQ(desktop.ZOrder(), (std::vector<WindowId>{c, b, a}));
  desktop.PlaceBelow(c, a);
  EXPECT_EQ(desktop.ZOrder(), (std::vector<WindowId>{b, a, c}));
  desktop.UserActivate(a);
  desktop.refuseForeground = 1;
  EXPECT_FALSE(desktop.Activate(b, Lift::InPlace));
  EXPECT_EQ(desktop.WindowInFront(), a);
  EXPECT_TRUE(desktop.Activate(b, Lift::AboveOthers));
  EXPECT_EQ(desktop.WindowInFront(), b);
  EXPECT_EQ(desktop.ZOrder().front(), b);
  desktop.refuseForeground = 1;
  EXPECT_TRUE(desktop.Activate(b, Lift::InPlace)) << "the window in front is never refused";
}

TEST(FakeKeyboardLayout, UsLayout) {
  FakeKeyboardLayout layout;
  struct Case {
    char ch;
    std::uint32_t vk;
    int mods;
  };
  for (auto c :
       {Case{'a', 'A', 0}, Case{'A', 'A', kMaskShift}, Case{'1', '1', 0},
        Case{'!', '1', kMaskShift}, Case{'/', vk::Slash, 0}, Case{'?', vk::Slash, kMaskShift},
        Case{' ', vk::Space, 0}, Case{'\r', vk::Return, 0}}) {
    const std::optional<KeyPlace> key = layout.KeyToType(c.ch);
    ASSERT_TRUE(key.has_value()) << c.ch;
    EXPECT_EQ(key->vk, c.vk) << c.ch;
    EXPECT_EQ(key->mods, c.mods) << c.ch;
  }
  EXPECT_EQ(layout.ScanCodeOf('A'), 0x1Eu);
  EXPECT_EQ(layout.CharacterOf('A'), U'A');
  for (std::uint32_t key : {vk::Left, vk::Home, vk::PageDown, vk::Delete}) {
    EXPECT_EQ(layout.CharacterOf(key), 0u);
  }
  EXPECT_EQ(layout.ScanCodeOf(vk::PageDown), 0x51u);
}

TEST(FakePlatform, OptionGroupsAreExclusive) {
  FakePlatform fake;
  fake.viewWindow.CreateSearchWindow(SearchWindowDesign());
  fake.controls.SetValue({Control::DateRange, 3}, 1);
  EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), 3);
  EXPECT_EQ(fake.controls.SelectedOption(Control::Scope), 0);
  EXPECT_EQ(fake.controls.Value({Control::DateRange, 0}), 0);
}

TEST(FakeEventLoop, ClockWraps) {
  FakeLog log;
  FakeEventLoop loop(log);
  loop.SetTick(0xFFFFFFF0u);
  loop.Sleep(0x20);
  EXPECT_EQ(loop.Milliseconds(), 0x10u);
}

// What reaches the program, in order.
class Heard final : public PlatformEvents {
 public:
  std::vector<std::string> events;
  void OnDeferredCode(Code code) override { Add("code " + std::to_string(code)); }
  void OnWindowMessage(WindowId, Code msg, std::uint32_t, std::uint32_t) override {
    Add("message " + std::to_string(msg));
  }
  void OnCommandPhrase(const std::string& phrase) override { Add("phrase " + phrase); }
  void OnTimer() override { Add("timer"); }
  KeyVerdict OnGlobalKey(const KeyEvent&) override {
    Add("hook");
    return KeyVerdict::PassOn;
  }
  void OnViewResized() override {}
  void OnDeactivate() override { Add("deactivate"); }
  void OnViewClosed() override {}
  bool OnCloseRequest() override { return true; }
  void OnTrayEntry(TrayEntry) override {}
  void OnCharacterTyped(int& ch) override { Add("press " + std::to_string(ch)); }
  bool OnKeyDown(int key, int, bool) override {
    Add("down " + std::to_string(key));
    return false;
  }
  void OnKeyUp(int, int) override {}
  void OnPointerOver(ControlRef) override {}
  void OnBackgroundDoubleClick() override {}
  void OnClick(ControlRef) override {}

 private:
  void Add(std::string e) { events.push_back(std::move(e)); }
};

TEST(FakeWiring, WhatReachesTheSearchWindowThroughTheOtherPorts) {
  const KeyEvent keyA{.vkCode = 'A'};
  struct Case {
    const char* name;
    std::function<void(FakePlatform&, WindowId box, WindowId other)> act;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"a message to the window",
       [](FakePlatform& f, WindowId box, WindowId) {
         EXPECT_TRUE(f.instances.SendPrivateMessage(box, kMessage, 0, 0, kTimeoutMs));
       },
       {"message 7"}},
      {"a message to a window that does not answer waits it out",
       [](FakePlatform& f, WindowId, WindowId other) {
         f.desktop.Window(other)->answers = false;
         const std::uint32_t before = f.loop.Milliseconds();
         EXPECT_FALSE(f.instances.SendPrivateMessage(other, kMessage, 0, 0, kTimeoutMs));
         EXPECT_EQ(f.loop.Milliseconds() - before, kTimeoutMs);
       },
       {}},
      {"a phrase to the window",
       [](FakePlatform& f, WindowId box, WindowId) {
         EXPECT_TRUE(f.instances.SendCommandPhrase(box, "Go Home", kTimeoutMs));
       },
       {"phrase Go Home"}},
      {"a key while it is in front goes through the hook to the focused text box",
       [&](FakePlatform& f, WindowId, WindowId) {
         f.hotkeys.InstallKeyHook();
         f.hotkeys.FeedKey(keyA);
         EXPECT_EQ(f.controls.Text({Control::Terms}), "a");
       },
       {"hook", "down 65", "press 97"}},
      {"a key while another window is in front",
       [&](FakePlatform& f, WindowId, WindowId other) {
         f.desktop.UserActivate(other);
         f.hotkeys.FeedKey(keyA);
         EXPECT_EQ(f.desktop.FocusedWindow(), 0u) << "the focus is the window in front's";
       },
       {}},
      {"the front moving away",
       [](FakePlatform& f, WindowId, WindowId other) {
         f.desktop.UserActivate(other);
         f.loop.RunPending();
       },
       {"deactivate"}},
      {"a code posted to the window, lost with it",
       [](FakePlatform& f, WindowId, WindowId) {
         f.loop.Post(kMessage);
         f.viewWindow.DestroySearchWindow();
         f.loop.RunPending();
         EXPECT_TRUE(f.loop.Unloaded());
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    Heard heard;
    fake.loop.SetEventSink(&heard);
    const WindowId other = fake.desktop.AddWindow({});
    const WindowId box = fake.viewWindow.CreateSearchWindow(SearchWindowDesign());
    fake.viewWindow.ShowView();
    fake.desktop.UserActivate(box);
    ASSERT_TRUE(fake.controls.SetFocus({Control::Terms}));
    EXPECT_EQ(fake.desktop.FocusedWindow(), fake.controls.ControlWindow({Control::Terms}));
    heard.events.clear();
    c.act(fake, box, other);
    EXPECT_EQ(heard.events, c.heard);
    fake.loop.SetEventSink(nullptr);
  }
}

}  // namespace
}  // namespace varnel

#include <functional>

#include "domain/codes.h"
#include "support/fake_program.h"

namespace varnel::testing {
namespace {

TEST_F(FakeProgramTest, FixtureBuildsAProgramWithItsOwnSettingsFile) {
  EXPECT_EQ(fake.paths.EnvironmentVariable("VARNEL_CFG"), app.cfgFile());
  WindowId editor = app.AddApp();
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);
  app.Advance(10);
  EXPECT_FALSE(fake.loop.Unloaded());
}

}  // namespace
}  // namespace varnel::testing

namespace varnel::testing {
namespace {

TEST_F(FakeProgramTest, FocusOnlyGoesToControlsThatCanTakeIt) {
  app.Start();
  struct Case {
    const char* name;
    std::function<void()> setup;
    ControlRef target;
    bool ok;
  };
  const Case cases[] = {
      {"enabled option", [] {}, {Control::DateRange, 1}, true},
      {"disabled option",
       [&] {
         fake.controls.SetEnabled({Control::DateRange, 1}, false);
       },
       {Control::DateRange, 1},
       false},
      {"hidden check box",
       [&] { fake.controls.SetVisible({Control::VoiceCommands}, false); },
       {Control::VoiceCommands},
       false},
      {"label", [] {}, {Control::DoIt}, false},
      {"option in a hidden container",
       [&] { fake.controls.SetVisible({Control::DatePanel}, false); },
       {Control::DateRange, 0},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.setup();
    fake.controls.SetFocus({Control::Terms});
    EXPECT_EQ(fake.controls.SetFocus(c.target), c.ok);
    EXPECT_EQ(fake.controls.FocusedControl() == c.target, c.ok);
  }
}

TEST_F(FakeProgramTest, CheckBoxClicksOnlyOnChangeAndCodesDieWithTheWindow) {
  app.Start();
  fake.log.Clear();
  fake.controls.SetValue({Control::VoiceCommands},
                         0);  // unchanged: no click, so no voice switching
  EXPECT_EQ(fake.log.CountCalls("CreateSpeechService"), 0u);

  fake.UserClose();
  fake.loop.RunPending();
  fake.loop.Post(kSummonMessage);
  fake.loop.RunPending();
  EXPECT_FALSE(fake.viewWindow.FormCreated());
}

TEST_F(FakeProgramTest, TimerTicksCoalesceAndInjectedKeysReachTheHook) {
  app.Start();
  fake.log.Clear();
  fake.loop.AdvanceTime(10 * 1500);
  fake.loop.RunPending();
  EXPECT_EQ(fake.log.CountCalls("event"), 1u);  // one tick for the whole stretch

  fake.injector.SendKey(KeyInput{vk::Slash, 0x35});
  EXPECT_FALSE(fake.hotkeys.KeyHeldNow(vk::Slash));  // not before the loop runs
  fake.loop.RunPending();
  ASSERT_FALSE(fake.hotkeys.KeyRecords().empty());
  EXPECT_TRUE(fake.hotkeys.KeyRecords().back().hookCalled);
  EXPECT_TRUE(fake.hotkeys.KeyRecords().back().ev.injected);
  EXPECT_TRUE(fake.hotkeys.KeyHeldNow(vk::Slash));
}

}  // namespace
}  // namespace varnel::testing
