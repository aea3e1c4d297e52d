// The search window's search handlers and the date options' link to the scope.
#include <gtest/gtest.h>

#include "core/browser.h"
#include "domain/codes.h"
#include "support/fake_program.h"

namespace varnel::testing {
namespace {

class SearchActionsTest : public FakeProgramTest {
 protected:
  void SetUp() override {
    editor = app.AddApp();
    app.Start();
  }
  std::vector<std::string> Opened() {
    std::vector<std::string> out;
    for (const auto& c : fake.log.Calls("OpenAddress")) out.push_back(c.text);
    return out;
  }
  WindowId editor = 0;
};

TEST_F(SearchActionsTest, ScopeDecidesWhetherDatesApply) {
  for (int scope = 0; scope < 15; ++scope) {
    SCOPED_TRACE(scope);
    const bool dates = scope != 5 && scope != 6 && scope != 12;
    fake.controls.SetValue({Control::Scope, 0}, 1);
    fake.controls.SetValue({Control::DateRange, 3}, 1);
    fake.controls.SetValue({Control::Scope, scope}, 1);  // raises the click like the form runtime
    for (int d = 0; d < 6; ++d)
      EXPECT_EQ(fake.controls.Enabled({Control::DateRange, d}), dates) << d;
    EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), dates ? 3 : 0);
  }
}

TEST_F(SearchActionsTest, FocusReturnsToTheTermsUnlessUsingTheKeyboard) {
  for (bool keyboard : {false, true}) {
    SCOPED_TRACE(keyboard);
    p.window.SetKeyboard(keyboard);
    fake.controls.SetFocus({Control::Scope, 0});
    p.search.ScopeChosen(9);
    EXPECT_EQ(fake.controls.FocusName(), keyboard ? "Scope(0)" : "Terms(0)");
  }
}

TEST_F(SearchActionsTest, FocusWaitsForAltToBeReleased) {
  fake.hotkeys.SetKeyDown(vk::Alt, true);
  fake.UserKeyUp(vk::Alt);
  fake.controls.SetFocus({Control::Scope, 0});
  p.search.ScopeChosen(2);
  EXPECT_FALSE(fake.hotkeys.KeyHeldNow(vk::Alt));
  EXPECT_EQ(fake.controls.FocusName(), "Terms(0)");
}

TEST_F(SearchActionsTest, StuckAltKeyDoesNotHangTheWindow) {
  fake.hotkeys.SetKeyDown(vk::Alt, true);
  const std::uint32_t before = fake.loop.Milliseconds();
  p.search.ScopeChosen(2);
  EXPECT_EQ(fake.controls.FocusName(), "Terms(0)");
  EXPECT_LT(fake.loop.Milliseconds() - before, 10'000u);
}

TEST_F(SearchActionsTest, SearchParksFirstThenOpensTheAddress) {
  fake.controls.SetText({Control::Terms}, "  cheap flights ");
  fake.controls.SetValue({Control::Scope, 4}, 1);
  fake.controls.SetValue({Control::DateRange, 2}, 1);
  fake.log.Clear();
  p.search.SearchNow();
  ASSERT_EQ(Opened(),
            (std::vector<std::string>{"https://www.google.com/search?q=cheap%20flights&as_qdr=all"
                                      "&tbs=qdr:d,sbd:1&tbm=nws"}));
  const auto lines = fake.log.Lines();
  EXPECT_EQ(lines.front(), "Park");
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);
  EXPECT_EQ(p.settings.LoadHistory(), "cheap flights");
  EXPECT_EQ(p.settings.lastSearch, "cheap flights");
  // The controls keep what the user entered.
  EXPECT_EQ(app.Terms(), "  cheap flights ");
}

TEST_F(SearchActionsTest, NoBrowserStartedKeepsTheWindowTheTermsAndTheHistory) {
  p.settings.SaveHistory("older");
  fake.launcher.launchesStart = false;
  const struct {
    const char* name;
    std::function<void()> act;
  } cases[] = {
      {"Enter", [&] { app.Press(vk::Return); }},
      {"voice or code", [&] { p.search.SearchNow(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    p.summoning.ShowSearchWindow();
    fake.controls.SetText({Control::Terms}, "new terms");
    fake.log.Clear();
    c.act();
    EXPECT_EQ(Opened().size(), 1u);
    EXPECT_TRUE(app.OnScreen());
    EXPECT_EQ(fake.desktop.WindowInFront(), p.window.handle);
    EXPECT_EQ(app.Terms(), "new terms");
    EXPECT_EQ(p.settings.LoadHistory(), "older");
    const auto boxes = fake.log.Calls("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(kBrowserNotStarted), std::string::npos) << boxes[0].text;
  }
  // Once a browser starts, the same terms search and become the history.
  fake.launcher.launchesStart = true;
  app.Press(vk::Return);
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(p.settings.LoadHistory(), "new terms");
}

TEST_F(SearchActionsTest, EmptyTermsKeepTheHistory) {
  p.settings.SaveHistory("older");
  fake.controls.SetText({Control::Terms}, "   ");
  p.search.SearchNow();
  EXPECT_EQ(Opened(), (std::vector<std::string>{"https://www.google.com/search?q=%3F&as_qdr=all"}));
  EXPECT_EQ(p.settings.LoadHistory(), "older");
}

TEST_F(SearchActionsTest, EveryWayToStartASearch) {
  struct Case {
    const char* name;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"DO IT", [&] { app.Click({Control::DoIt}); }},
      {"Find It button", [&] { app.Click({Control::FindButton}); }},
      {"Enter", [&] { app.Press(vk::Return); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    p.summoning.ShowSearchWindow();
    fake.controls.SetText({Control::Terms}, "alpha");
    fake.controls.SetValue({Control::Scope, 0}, 1);
    fake.log.Clear();
    c.act();
    EXPECT_EQ(Opened(),
              (std::vector<std::string>{"https://www.google.com/search?q=alpha&as_qdr=all"}));
    EXPECT_TRUE(app.Parked());
  }
}

TEST_F(SearchActionsTest, DoubleClickOnTheBackgroundLaunchesTheBrowser) {
  fake.log.Clear();
  fake.UserDblClick();
  fake.loop.RunPending();
  // No browser is known here, so the launch says so while the window is on screen.
  const auto boxes = fake.log.Calls("ShowMessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("Unable to locate default browser."), std::string::npos);
  EXPECT_EQ(fake.log.CountCalls("OpenAddress"), 0u);
}

}  // namespace
}  // namespace varnel::testing
