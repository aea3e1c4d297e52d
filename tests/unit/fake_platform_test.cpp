// The in-memory platform behaves like the system the logic is written against.
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include "domain/window_design.h"

namespace varnel {
namespace {

TEST(FakePlatform, ActivationStacksAndRefusesAsConfigured) {
  FakePlatform fake;
  Hwnd a = fake.AddWindow({});
  Hwnd b = fake.AddWindow({});
  Hwnd c = fake.AddWindow({});
  EXPECT_EQ(fake.ZOrder(), (std::vector<Hwnd>{c, b, a}));
  fake.PlaceBelow(c, a);
  EXPECT_EQ(fake.ZOrder(), (std::vector<Hwnd>{b, a, c}));
  fake.UserActivate(a);
  fake.refuseForeground = 1;
  EXPECT_FALSE(fake.Activate(b, Lift::InPlace));
  EXPECT_EQ(fake.WindowInFront(), a);
  EXPECT_TRUE(fake.Activate(b, Lift::AboveOthers));
  EXPECT_EQ(fake.WindowInFront(), b);
  EXPECT_EQ(fake.ZOrder().front(), b);
  fake.refuseForeground = 1;
  EXPECT_TRUE(fake.Activate(b, Lift::InPlace)) << "the window in front is never refused";
}

TEST(FakePlatform, UsLayout) {
  FakePlatform fake;
  struct Case {
    char ch;
    std::int16_t scan;
  };
  for (auto c : {Case{'a', 'A'}, Case{'A', 0x141}, Case{'1', '1'}, Case{'!', 0x131},
                 Case{'/', 0xBF}, Case{'?', 0x1BF}, Case{' ', 0x20}, Case{'\r', 0x0D}}) {
    EXPECT_EQ(fake.KeyForCharacter(c.ch), c.scan) << c.ch;
  }
  EXPECT_EQ(fake.TranslateKeyCode('A', 0), 0x1Eu);
  EXPECT_EQ(fake.TranslateKeyCode('A', 2), static_cast<std::uint32_t>('A'));
  for (std::uint32_t key : {0x25u, 0x24u, 0x22u, 0x2Eu})
    EXPECT_EQ(fake.TranslateKeyCode(key, 2), 0u);
  EXPECT_EQ(fake.TranslateKeyCode(0x22, 0), 0x51u);
}

TEST(FakePlatform, OptionGroupsAreExclusive) {
  FakePlatform fake;
  fake.CreateSearchWindow(SearchWindowDesign());
  fake.SetValue({Control::DateRange, 3}, 1);
  EXPECT_EQ(fake.SelectedOption(Control::DateRange), 3);
  EXPECT_EQ(fake.SelectedOption(Control::Scope), 0);
  EXPECT_EQ(fake.Value({Control::DateRange, 0}), 0);
}

TEST(FakePlatform, ClockWraps) {
  FakePlatform fake;
  fake.SetTick(0xFFFFFFF0u);
  fake.Sleep(0x20);
  EXPECT_EQ(fake.Milliseconds(), 0x10u);
}

}  // namespace
}  // namespace varnel

#include <functional>

#include "domain/codes.h"
#include "support/fake_program.h"

namespace varnel::testing {
namespace {

TEST_F(FakeProgramTest, FixtureBuildsAProgramWithItsOwnSettingsFile) {
  EXPECT_EQ(fake.EnvironmentVariable("VARNEL_CFG"), app.cfgFile());
  Hwnd editor = app.AddApp();
  EXPECT_EQ(fake.WindowInFront(), editor);
  app.Advance(10);
  EXPECT_FALSE(fake.Unloaded());
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
         fake.SetEnabled({Control::DateRange, 1}, false);
       },
       {Control::DateRange, 1},
       false},
      {"hidden check box",
       [&] { fake.SetVisible({Control::VoiceCommands}, false); },
       {Control::VoiceCommands},
       false},
      {"label", [] {}, {Control::DoIt}, false},
      {"option in a hidden container",
       [&] { fake.SetVisible({Control::DatePanel}, false); },
       {Control::DateRange, 0},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.setup();
    fake.SetFocus({Control::Terms});
    EXPECT_EQ(fake.SetFocus(c.target), c.ok);
    EXPECT_EQ(fake.FocusedControl() == c.target, c.ok);
  }
}

TEST_F(FakeProgramTest, CheckBoxClicksOnlyOnChangeAndCodesDieWithTheWindow) {
  app.Start();
  fake.ClearLog();
  fake.SetValue({Control::VoiceCommands}, 0);  // unchanged: no click, so no voice switching
  EXPECT_EQ(fake.CountCalls("CreateSpeechService"), 0u);

  fake.UserClose();
  fake.RunPending();
  fake.Post(kSummonMessage);
  fake.RunPending();
  EXPECT_FALSE(fake.FormCreated());
}

TEST_F(FakeProgramTest, TimerTicksCoalesceAndInjectedKeysReachTheHook) {
  app.Start();
  fake.ClearLog();
  fake.AdvanceTime(10 * 1500);
  fake.RunPending();
  EXPECT_EQ(fake.CountCalls("event"), 1u);  // one tick for the whole stretch

  fake.KeybdEvent(vk::Slash, 0x35, 0);
  EXPECT_FALSE(fake.KeyHeldNow(vk::Slash));  // not before the loop runs
  fake.RunPending();
  ASSERT_FALSE(fake.KeyRecords().empty());
  EXPECT_TRUE(fake.KeyRecords().back().hookCalled);
  EXPECT_NE(fake.KeyRecords().back().ev.flags & 0x10, 0u);
  EXPECT_TRUE(fake.KeyHeldNow(vk::Slash));
}

}  // namespace
}  // namespace varnel::testing
