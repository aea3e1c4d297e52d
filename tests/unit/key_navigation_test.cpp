// Keys inside the search window: the focus cycle, Enter, Escape, Ctrl+A, Alt+digits, hover.
#include <gtest/gtest.h>

#include "domain/codes.h"
#include "support/fake_program.h"

namespace varnel::testing {
namespace {

class KeyNavigationTest : public FakeProgramTest {
 protected:
  void SetUp() override {
    editor = app.AddApp();
    app.Start();
  }
  Hwnd editor = 0;
};

TEST_F(KeyNavigationTest, FocusCycle) {
  struct Case {
    const char* name;
    bool voxVisible;
    int scope;  // 5 disables the dates
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {"all groups", true, 0, {"DateRange(0)", "VoiceCommands(0)", "Scope(0)", "Terms(0)"}},
      {"voice check box hidden", false, 0, {"DateRange(0)", "Scope(0)", "Terms(0)"}},
      {"dates disabled", true, 5, {"VoiceCommands(0)", "Scope(0)", "Terms(0)"}},
      {"dates disabled, check box hidden", false, 5, {"Scope(0)", "Terms(0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake.SetVisible({Control::VoiceCommands}, c.voxVisible);
    p.window.SetKeyboard(true);  // moving through the window with the keyboard
    fake.SetValue({Control::Scope, c.scope}, 1);
    fake.SetFocus({Control::Terms});
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < c.order.size(); ++i) {
      app.Press(vk::Tab);
      seen.push_back(fake.FocusName());
    }
    EXPECT_EQ(seen, c.order);
    EXPECT_EQ(fake.SelectedOption(Control::Scope), c.scope);  // focus alone selects nothing
  }
}

TEST_F(KeyNavigationTest, TabWithModifiersAlsoMovesForward) {
  for (int mask : {kMaskShift, kMaskAlt, kMaskCtrl}) {
    SCOPED_TRACE(mask);
    fake.SetFocus({Control::Terms});
    app.Press(vk::Tab, mask);
    EXPECT_EQ(fake.FocusName(), "DateRange(0)");
    EXPECT_EQ(fake.WindowInFront(), fake.SearchHwnd());
  }
}

TEST_F(KeyNavigationTest, TabBackToTheTermsSelectsOnlyWhenNothingIsSelected) {
  fake.SetText({Control::Terms}, "alpha beta");
  struct Case {
    int start, length;
    std::string selected;
  };
  for (const Case& c : {Case{3, 0, "alpha beta"}, Case{6, 4, "beta"}}) {
    fake.SetFocus({Control::Scope, 2});
    fake.SetSelection({Control::Terms}, c.start, c.length);
    p.keys.CycleFocus();
    EXPECT_EQ(fake.FocusName(), "Terms(0)");
    EXPECT_EQ(fake.SelectedText({Control::Terms}), c.selected);
  }
  // Leaving the terms clears their selection.
  p.keys.CycleFocus();
  EXPECT_EQ(fake.SelLength({Control::Terms}), 0);
}

TEST_F(KeyNavigationTest, KeyPress) {
  struct Case {
    int ch;
    int after;
    bool searched;
    bool parked;
  };
  for (const Case& c : {Case{13, 0, true, true}, Case{27, 0, false, true},
                        Case{'a', 'a', false, false}, Case{9, 9, false, false}}) {
    SCOPED_TRACE(c.ch);
    p.summoning.ShowSearchWindow();
    fake.ClearLog();
    int ch = c.ch;
    p.keys.HandleCharacter(ch);
    EXPECT_EQ(ch, c.after);
    EXPECT_EQ(fake.CountCalls("OpenAddress"), c.searched ? 1u : 0u);
    EXPECT_EQ(app.Parked(), c.parked);
  }
}

TEST_F(KeyNavigationTest, EnterOnAScopeOptionSearches) {
  fake.SetFocus({Control::Scope, 3});
  app.Press(vk::Return);
  EXPECT_EQ(fake.CountCalls("OpenAddress"), 1u);
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(fake.WindowInFront(), editor);
}

TEST_F(KeyNavigationTest, KeyUp) {
  struct Case {
    const char* name;
    int key, mask;
    int date;         // expected date option afterwards
    bool selectsAll;  // Ctrl+A
  };
  const Case cases[] = {
      {"Alt+1", '1', kMaskAlt, 0, false},
      {"Alt+3", '3', kMaskAlt, 2, false},
      {"Alt+6", '6', kMaskAlt, 5, false},
      {"Alt+7", '7', kMaskAlt, 4, false},
      {"Ctrl+Alt+3", '3', kMaskCtrl | kMaskAlt, 4, false},
      {"plain 3", '3', 0, 4, false},
      {"Ctrl+A", 'A', kMaskCtrl, 4, true},
      {"Ctrl+Shift+A", 'A', kMaskCtrl | kMaskShift, 4, false},
      {"Alt+A", 'A', kMaskAlt, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake.SetValue({Control::DateRange, 4}, 1);
    fake.SetText({Control::Terms}, "alpha");
    fake.SetFocus({Control::Scope, 0});
    p.keys.KeyWentUp(c.key, c.mask);
    EXPECT_EQ(fake.SelectedOption(Control::DateRange), c.date);
    EXPECT_EQ(fake.SelLength({Control::Terms}), c.selectsAll ? 5 : 0);
    EXPECT_EQ(fake.FocusName(), c.selectsAll ? "Terms(0)" : "Scope(0)");
  }
}

// People and voice tools often let go of the modifier first: the chord still counts.
TEST_F(KeyNavigationTest, ChordsActWhicheverKeyIsLetGoFirst) {
  struct Case {
    const char* name;
    int key, downMask, upMask;
    int date;
    bool selectsAll;
  };
  const Case cases[] = {
      {"Alt+3, Alt let go first", '3', kMaskAlt, 0, 2, false},
      {"Alt+3, 3 let go first", '3', kMaskAlt, kMaskAlt, 2, false},
      {"Alt+6, Alt let go first", '6', kMaskAlt, 0, 5, false},
      {"Ctrl+A, Ctrl let go first", 'A', kMaskCtrl, 0, 4, true},
      {"3 then Alt, 3 let go first", '3', 0, kMaskAlt, 2, false},
      {"plain 3", '3', 0, 0, 4, false},
      {"Ctrl+Alt+3, both let go first", '3', kMaskCtrl | kMaskAlt, 0, 4, false},
      {"Alt+7", '7', kMaskAlt, 0, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake.SetValue({Control::DateRange, 4}, 1);
    fake.SetText({Control::Terms}, "alpha");
    fake.SetSelection({Control::Terms}, 0, 0);
    fake.SetFocus({Control::Scope, 0});
    p.keys.KeyWentDown(c.key, c.downMask);
    p.keys.KeyWentUp(c.key, c.upMask);
    EXPECT_EQ(fake.SelectedOption(Control::DateRange), c.date);
    EXPECT_EQ(fake.SelLength({Control::Terms}), c.selectsAll ? 5 : 0);
  }
  // A chord acts once: the next plain press of the key is plain.
  fake.SetValue({Control::DateRange, 4}, 1);
  p.keys.KeyWentDown('2', kMaskAlt);
  p.keys.KeyWentUp('2', 0);
  fake.SetValue({Control::DateRange, 4}, 1);
  p.keys.KeyWentDown('2', 0);
  p.keys.KeyWentUp('2', 0);
  EXPECT_EQ(fake.SelectedOption(Control::DateRange), 4);
}

TEST_F(KeyNavigationTest, CtrlAKeepsAPartialSelection) {
  fake.SetText({Control::Terms}, "alpha beta");
  fake.SetSelection({Control::Terms}, 0, 5);
  fake.SetFocus({Control::DateRange, 0});
  p.keys.KeyWentUp('A', kMaskCtrl);
  EXPECT_EQ(fake.SelectedText({Control::Terms}), "alpha");
  EXPECT_EQ(fake.FocusName(), "Terms(0)");
}

TEST_F(KeyNavigationTest, AltDigitSelectsADateEvenWhileDatesAreDisabled) {
  app.Click({Control::Scope, 5});
  ASSERT_FALSE(fake.Enabled({Control::DateRange, 2}));
  app.Press('3', kMaskAlt);
  EXPECT_EQ(fake.SelectedOption(Control::DateRange), 2);
}

TEST_F(KeyNavigationTest, HoverColoursChangeOnlyWhenDifferent) {
  const ControlRef doit{Control::DoIt};
  fake.ClearLog();
  for (int i = 0; i < 3; ++i) p.keys.PointerOverDoIt();
  EXPECT_EQ(fake.TextColour(doit), kHoverGreen);
  for (int i = 0; i < 3; ++i) p.keys.PointerOverBackground();
  EXPECT_EQ(fake.TextColour(doit), kHeadingBlue);
  EXPECT_EQ(fake.CountCalls("SetTextColour"), 2u);
}

}  // namespace
}  // namespace varnel::testing
