// The deferred-code route, showing the search window and the message box.
#include <gtest/gtest.h>

#include "domain/codes.h"
#include "support/fake_program.h"

namespace varnel::testing {
namespace {

using SummoningTest = FakeProgramTest;

TEST_F(SummoningTest, DispatchTable) {
  app.Start();
  struct Case {
    Code code;
    bool shows;
    bool cycles;
  };
  const Case cases[] = {
      {kSummonMessage, true, false},
      {kCycleFocus, false, true},
      {kRunVoiceCommand, false, false},
      {kStopVoiceCommands, false, false},
      {32154683, false, false},
      {0, false, false},
      {-1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    p.winutil.HideSearchWindow();
    fake.controls.SetFocus({Control::Scope, 0});
    fake.log.Clear();
    p.ports.loop.Post(c.code);
    EXPECT_EQ(fake.log.CountCalls("SetViewTop"), 0u);  // never inside the posting call
    fake.loop.RunPending();
    EXPECT_EQ(app.OnScreen(), c.shows);
    EXPECT_EQ(fake.controls.FocusName() == "Terms(0)" && !c.shows, c.cycles);
    EXPECT_FALSE(fake.loop.Unloaded());
  }
}

TEST_F(SummoningTest, ShowMessageFromAnotherInstanceOnlyWithBothParameters) {
  app.Start();
  struct Case {
    WindowId hwnd;
    Code msg;
    std::uint32_t w, l;
    bool shows;
  };
  const WindowId box = fake.viewWindow.SearchHwnd();
  const Case cases[] = {
      {box, kSummonMessage, kSummonParam, kSummonParam, true},
      {box, kSummonMessage, kSummonParam, 0, false},
      {box, kSummonMessage, 0, kSummonParam, false},
      {box, kSummonMessage + 1, kSummonParam, kSummonParam, false},
      {box + 4, kSummonMessage, kSummonParam, kSummonParam, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "/" + std::to_string(c.l));
    p.winutil.HideSearchWindow();
    fake.log.Clear();
    p.OnWindowMessage(c.hwnd, c.msg, c.w, c.l);
    EXPECT_TRUE(app.Parked());  // the sender is answered before anything moves
    fake.loop.RunPending();
    EXPECT_EQ(app.OnScreen(), c.shows);
  }
}

TEST_F(SummoningTest, FirstShowingCentresHigherAndAppearsOnlyThere) {
  app.AddApp();
  app.Start();
  // Screen 1920 x 1080 pixels, window 599 x 580: centred top 250, raised to 188, then three
  // quarters of that.
  EXPECT_EQ(p.window.workingTop, 141);
  EXPECT_EQ(fake.viewWindow.ViewFrame().top, 141);
  // Shown while parked: the first visible position is the working one.
  const auto& log = fake.log.Entries();
  auto show = std::find_if(log.begin(), log.end(), [](auto& c) { return c.op == "ShowView"; });
  ASSERT_NE(show, log.end());
  auto lastPlace = std::find_if(std::make_reverse_iterator(show), log.rend(),
                                [](auto& c) { return c.op == "SetViewTop" || c.op == "Park"; });
  ASSERT_NE(lastPlace, log.rend());
  EXPECT_EQ(lastPlace->op, "Park");
  EXPECT_EQ(fake.log.CountCalls("DrawAsActive"), 1u);
}

TEST_F(SummoningTest, ScreenLowerThanTheWindowStillCountsAsOnScreen) {
  fake.desktop.SetScreenPixels(1024, 500);
  app.Start();
  EXPECT_GT(p.window.workingTop, 0);
  EXPECT_TRUE(app.OnScreen());
}

TEST_F(SummoningTest, ParkedWindowComesBackAtTheSameTopWithTermsSelected) {
  const WindowId editor = app.AddApp();
  app.Start();
  const int top = fake.viewWindow.ViewFrame().top;
  app.Type("alpha beta");
  app.Press(vk::Escape);
  ASSERT_TRUE(app.Parked());
  ASSERT_EQ(fake.desktop.WindowInFront(), editor);
  app.Press(vk::Slash, kMaskCtrl | kMaskAlt);
  EXPECT_EQ(fake.viewWindow.ViewFrame().top, top);
  EXPECT_EQ(fake.desktop.WindowInFront(), fake.viewWindow.SearchHwnd());
  EXPECT_EQ(fake.controls.FocusName(), "Terms(0)");
  EXPECT_EQ(fake.controls.SelectedText({Control::Terms}), "alpha beta");
}

TEST_F(SummoningTest, HistoryRule) {
  struct Case {
    const char* name;
    const char* stored;      // history in the settings file ("" = none)
    const char* lastSearch;  // what this instance last stored or showed
    const char* field;       // what the user left in the field
    const char* expected;
  };
  const Case cases[] = {
      {"same as last search", "alpha", "alpha", "edited", "edited"},
      {"written by another copy", "beta", "alpha", "edited", "beta"},
      {"no history", "", "", "edited", "edited"},
      {"differs only in case", "Alpha", "alpha", "edited", "Alpha"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder tmp2;
    FakeProgram a(tmp2.str() + "Varnel.cfg");
    a.Start();
    if (*c.stored != '\0') a.p().settings.WriteIniString("History", "SearchHistory", c.stored);
    a.p().settings.lastSearch = c.lastSearch;
    a.fake.controls.SetText({Control::Terms}, c.field);
    a.p().winutil.HideSearchWindow();
    a.p().summoning.ShowSearchWindow();
    EXPECT_EQ(a.Terms(), c.expected);
    EXPECT_EQ(a.p().settings.lastSearch, *c.stored != '\0' ? c.stored : c.lastSearch);
  }
}

TEST_F(SummoningTest, ShowMessageOnlyWhileOnScreen) {
  app.Start();
  fake.notices.messageBoxAnswers = {MessageAnswer::Cancel};
  bool openDuring = false;
  fake.notices.onMessageBox = [&](const std::string&) { openDuring = p.window.inMessageBox; };
  EXPECT_EQ(p.messages.Show("hello", kInformationOkCancel, ""), MessageAnswer::Cancel);
  EXPECT_TRUE(openDuring);
  EXPECT_FALSE(p.window.inMessageBox);
  const auto boxes = fake.log.Calls("ShowMessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Varnel: hello");

  p.winutil.HideSearchWindow();
  EXPECT_EQ(p.messages.Show("dropped", kInformationOkCancel, "Title"), MessageAnswer::NotShown);
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 1u);
}

// The control counts in UTF-16 units: a selection counted in characters would stop inside
// the last surrogate pair, and typing over it would leave half a character behind.
TEST_F(SummoningTest, HistoryIsSelectedWholeWhateverItsCharacters) {
  const std::string a254(254, 'a');
  const struct {
    const char* name;
    std::string history;
  } cases[] = {
      {"ends in an emoji", "pizza \xF0\x9F\x8D\x95"},
      {"emoji inside", "\xF0\x9F\x8D\x95 and \xF0\x9F\x98\x80 here"},
      {"combining marks", "cafe\xCC\x81 nai\xCC\x88ve"},
      {"255 characters ending in a pair", a254 + "\xF0\x9F\x8D\x95"},
      {"CJK and a pair", "\xE6\x97\xA5\xE6\x9C\xAC \xF0\xA0\x80\x8B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder tmp2;
    FakeProgram a(tmp2.str() + "Varnel.cfg");
    a.AddApp();
    a.Start();
    a.Press(vk::Escape);
    a.p().settings.WriteIniString("History", "SearchHistory", c.history);
    a.Press(vk::Slash, kMaskCtrl | kMaskAlt);
    EXPECT_EQ(a.fake.controls.SelectedText({Control::Terms}), c.history);
    a.Type("x");
    EXPECT_EQ(a.Terms(), "x");
    a.Press(vk::Return);
    const auto opened = a.fake.log.Calls("OpenAddress");
    ASSERT_FALSE(opened.empty());
    EXPECT_NE(opened.back().text.find("q=x&"), std::string::npos) << opened.back().text;
    EXPECT_EQ(a.p().settings.LoadHistory(), "x");
  }
}

TEST_F(SummoningTest, VoiceCodesWithoutAVoiceFormDoNothing) {
  app.Start();
  p.OnDeferredCode(kRunVoiceCommand);
  p.OnDeferredCode(kStopVoiceCommands);
  EXPECT_TRUE(p.voice.session == nullptr);
  EXPECT_EQ(fake.log.CountCalls("CreateSpeechService"), 0u);
}

}  // namespace
}  // namespace varnel::testing
