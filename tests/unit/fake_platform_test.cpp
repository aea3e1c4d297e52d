// The in-memory platform behaves like the system the logic is written against.
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include "domain/window_design.h"

namespace varnel {
namespace {

TEST(FakePlatform, ActivationStacksAndRefusesAsConfigured) {
  FakePlatform fake;
  Hwnd a = fake.desktop.AddWindow({});
  Hwnd b = fake.desktop.AddWindow({});
  Hwnd c = fake.desktop.AddWindow({});
  EXPECT_EQ(fake.desktop.ZOrder(), (std::vector<Hwnd>{c, b, a}));
  fake.desktop.PlaceBelow(c, a);
  EXPECT_EQ(fake.desktop.ZOrder(), (std::vector<Hwnd>{b, a, c}));
  fake.desktop.UserActivate(a);
  fake.desktop.refuseForeground = 1;
  EXPECT_FALSE(fake.desktop.Activate(b, Lift::InPlace));
  EXPECT_EQ(fake.desktop.WindowInFront(), a);
  EXPECT_TRUE(fake.desktop.Activate(b, Lift::AboveOthers));
  EXPECT_EQ(fake.desktop.WindowInFront(), b);
  EXPECT_EQ(fake.desktop.ZOrder().front(), b);
  fake.desktop.refuseForeground = 1;
  EXPECT_TRUE(fake.desktop.Activate(b, Lift::InPlace)) << "the window in front is never refused";
}

TEST(FakePlatform, UsLayout) {
  FakePlatform fake;
  struct Case {
    char ch;
    std::int16_t scan;
  };
  for (auto c : {Case{'a', 'A'}, Case{'A', 0x141}, Case{'1', '1'}, Case{'!', 0x131},
                 Case{'/', 0xBF}, Case{'?', 0x1BF}, Case{' ', 0x20}, Case{'\r', 0x0D}}) {
    EXPECT_EQ(fake.layout.KeyForCharacter(c.ch), c.scan) << c.ch;
  }
  EXPECT_EQ(fake.layout.TranslateKeyCode('A', 0), 0x1Eu);
  EXPECT_EQ(fake.layout.TranslateKeyCode('A', 2), static_cast<std::uint32_t>('A'));
  for (std::uint32_t key : {0x25u, 0x24u, 0x22u, 0x2Eu})
    EXPECT_EQ(fake.layout.TranslateKeyCode(key, 2), 0u);
  EXPECT_EQ(fake.layout.TranslateKeyCode(0x22, 0), 0x51u);
}

TEST(FakePlatform, OptionGroupsAreExclusive) {
  FakePlatform fake;
  fake.view.CreateSearchWindow(SearchWindowDesign());
  fake.view.SetValue({Control::DateRange, 3}, 1);
  EXPECT_EQ(fake.view.SelectedOption(Control::DateRange), 3);
  EXPECT_EQ(fake.view.SelectedOption(Control::Scope), 0);
  EXPECT_EQ(fake.view.Value({Control::DateRange, 0}), 0);
}

TEST(FakePlatform, ClockWraps) {
  FakePlatform fake;
  fake.loop.SetTick(0xFFFFFFF0u);
  fake.loop.Sleep(0x20);
  EXPECT_EQ(fake.loop.Milliseconds(), 0x10u);
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
  Hwnd editor = app.AddApp();
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
         fake.view.SetEnabled({Control::DateRange, 1}, false);
       },
       {Control::DateRange, 1},
       false},
      {"hidden check box",
       [&] { fake.view.SetVisible({Control::VoiceCommands}, false); },
       {Control::VoiceCommands},
       false},
      {"label", [] {}, {Control::DoIt}, false},
      {"option in a hidden container",
       [&] { fake.view.SetVisible({Control::DatePanel}, false); },
       {Control::DateRange, 0},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.setup();
    fake.view.SetFocus({Control::Terms});
    EXPECT_EQ(fake.view.SetFocus(c.target), c.ok);
    EXPECT_EQ(fake.view.FocusedControl() == c.target, c.ok);
  }
}

TEST_F(FakeProgramTest, CheckBoxClicksOnlyOnChangeAndCodesDieWithTheWindow) {
  app.Start();
  fake.log.Clear();
  fake.view.SetValue({Control::VoiceCommands}, 0);  // unchanged: no click, so no voice switching
  EXPECT_EQ(fake.log.CountCalls("CreateSpeechService"), 0u);

  fake.UserClose();
  fake.loop.RunPending();
  fake.loop.Post(kSummonMessage);
  fake.loop.RunPending();
  EXPECT_FALSE(fake.view.FormCreated());
}

TEST_F(FakeProgramTest, TimerTicksCoalesceAndInjectedKeysReachTheHook) {
  app.Start();
  fake.log.Clear();
  fake.loop.AdvanceTime(10 * 1500);
  fake.loop.RunPending();
  EXPECT_EQ(fake.log.CountCalls("event"), 1u);  // one tick for the whole stretch

  fake.injector.KeybdEvent(vk::Slash, 0x35, 0);
  EXPECT_FALSE(fake.hotkeys.KeyHeldNow(vk::Slash));  // not before the loop runs
  fake.loop.RunPending();
  ASSERT_FALSE(fake.hotkeys.KeyRecords().empty());
  EXPECT_TRUE(fake.hotkeys.KeyRecords().back().hookCalled);
  EXPECT_NE(fake.hotkeys.KeyRecords().back().ev.flags & 0x10, 0u);
  EXPECT_TRUE(fake.hotkeys.KeyHeldNow(vk::Slash));
}

}  // namespace
}  // namespace varnel::testing
