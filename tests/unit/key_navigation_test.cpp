// Keys inside the search window carried out: the focus cycle, Enter, Escape, Ctrl+A,
// accelerators, Alt+digits, hover.
#include <gtest/gtest.h>

#include <algorithm>

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
  WindowId editor = 0;
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
    fake.controls.SetVisible({Control::VoiceCommands}, c.voxVisible);
    p.window.SetKeyboard(true);  // moving through the window with the keyboard
    fake.controls.SetValue({Control::Scope, c.scope}, 1);
    fake.controls.SetFocus({Control::Terms});
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < c.order.size(); ++i) {
      app.Press(vk::Tab);
      seen.push_back(fake.controls.FocusName());
    }
    EXPECT_EQ(seen, c.order);
    EXPECT_EQ(fake.controls.SelectedOption(Control::Scope),
              c.scope);  // focus alone selects nothing
  }
}

TEST_F(KeyNavigationTest, TabWithModifiersAlsoMovesForward) {
  for (int mask : {kMaskShift, kMaskAlt, kMaskCtrl}) {
    SCOPED_TRACE(mask);
    fake.controls.SetFocus({Control::Terms});
    app.Press(vk::Tab, mask);
    EXPECT_EQ(fake.controls.FocusName(), "DateRange(0)");
    EXPECT_EQ(fake.desktop.WindowInFront(), fake.viewWindow.SearchHwnd());
  }
}

TEST_F(KeyNavigationTest, TabBackToTheTermsSelectsOnlyWhenNothingIsSelected) {
  fake.controls.SetText({Control::Terms}, "alpha beta");
  struct Case {
    int start, length;
    std::string selected;
  };
  for (const Case& c : {Case{3, 0, "alpha beta"}, Case{6, 4, "beta"}}) {
    fake.controls.SetFocus({Control::Scope, 2});
    fake.controls.SetSelection({Control::Terms}, c.start, c.length);
    p.keys.CycleFocus();
    EXPECT_EQ(fake.controls.FocusName(), "Terms(0)");
    EXPECT_EQ(fake.controls.SelectedText({Control::Terms}), c.selected);
  }
  // Leaving the terms clears their selection.
  p.keys.CycleFocus();
  EXPECT_EQ(fake.controls.SelLength({Control::Terms}), 0);
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
    fake.log.Clear();
    int ch = c.ch;
    p.keys.HandleCharacter(ch);
    EXPECT_EQ(ch, c.after);
    EXPECT_EQ(fake.log.CountCalls("OpenAddress"), c.searched ? 1u : 0u);
    EXPECT_EQ(app.Parked(), c.parked);
  }
}

TEST_F(KeyNavigationTest, EnterOnAScopeOptionSearches) {
  fake.controls.SetFocus({Control::Scope, 3});
  app.Press(vk::Return);
  EXPECT_EQ(fake.log.CountCalls("OpenAddress"), 1u);
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);
}

// The program carries out what the form's keys decide (FormKeys) with the platform's calls.
TEST_F(KeyNavigationTest, KeysCarriedOut) {
  struct Case {
    const char* name;
    int key, mask;
    std::string focus;
    int scope, date;
    bool voiceTicked;  // the program then asks how to switch voice commands on
    std::size_t searches;
  };
  const Case cases[] = {
      {"Alt+N selects News", 'N', kMaskAlt, "Scope(4)", 4, 0, false, 0},
      {"Alt+Shift+W selects Wikipedia", 'W', kMaskAlt | kMaskShift, "Scope(9)", 9, 0, false, 0},
      {"Alt+V toggles the voice box after Videos", 'V', kMaskAlt, "VoiceCommands(0)", 2, 0, true,
       0},
      {"Alt+F searches", 'F', kMaskAlt, "Terms(0)", 0, 0, false, 1},
      {"Alt+Z does nothing", 'Z', kMaskAlt, "Scope(2)", 2, 0, false, 0},
      {"Alt+5 picks a date and keeps the focus", '5', kMaskAlt, "Scope(2)", 2, 4, false, 0},
      {"Right moves through the scopes", vk::Right, 0, "Scope(3)", 3, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    p.summoning.ShowSearchWindow();
    fake.controls.SetValue({Control::VoiceCommands}, 0);
    fake.controls.SetValue({Control::DateRange, 0}, 1);
    fake.controls.SetValue({Control::Scope, c.searches != 0 ? 0 : 2}, 1);
    fake.controls.SetFocus(c.searches != 0 ? ControlRef{Control::Terms}
                                           : ControlRef{Control::Scope, 2});
    fake.log.Clear();
    app.Press(c.key, c.mask);
    EXPECT_EQ(fake.log.CountCalls("OpenAddress"), c.searches);
    if (c.searches == 0) {
      EXPECT_EQ(fake.controls.FocusName(), c.focus);
    }
    EXPECT_EQ(fake.controls.SelectedOption(Control::Scope), c.scope);
    EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), c.date);
    const std::vector<FakeCall> sets = fake.log.Calls("SetValue");
    const bool ticked = std::ranges::any_of(sets, [](const FakeCall& call) {
      return call.args == std::vector<std::int64_t>{static_cast<int>(Control::VoiceCommands), 0, 1};
    });
    EXPECT_EQ(ticked, c.voiceTicked);
  }
}

TEST_F(KeyNavigationTest, CtrlAKeepsAPartialSelection) {
  fake.controls.SetText({Control::Terms}, "alpha beta");
  fake.controls.SetSelection({Control::Terms}, 0, 5);
  fake.controls.SetFocus({Control::DateRange, 0});
  p.keys.KeyWentUp('A', kMaskCtrl);
  EXPECT_EQ(fake.controls.SelectedText({Control::Terms}), "alpha");
  EXPECT_EQ(fake.controls.FocusName(), "Terms(0)");
}

TEST_F(KeyNavigationTest, AltDigitSelectsADateEvenWhileDatesAreDisabled) {
  app.Click({Control::Scope, 5});
  ASSERT_FALSE(fake.controls.Enabled({Control::DateRange, 2}));
  app.Press('3', kMaskAlt);
  EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), 2);
}

TEST_F(KeyNavigationTest, HoverColoursChangeOnlyWhenDifferent) {
  const ControlRef doit{Control::DoIt};
  fake.log.Clear();
  for (int i = 0; i < 3; ++i) p.keys.PointerOverDoIt();
  EXPECT_EQ(fake.controls.TextColour(doit), kHoverGreen);
  for (int i = 0; i < 3; ++i) p.keys.PointerOverBackground();
  EXPECT_EQ(fake.controls.TextColour(doit), kHeadingBlue);
  EXPECT_EQ(fake.log.CountCalls("SetTextColour"), 2u);
}

}  // namespace
}  // namespace varnel::testing
