// Registration with the speech service, its failure and loss, and how recognitions are
// taken in and carried out.
#include "core/voice_command_session.h"

#include <gtest/gtest.h>

#include "voice_test_support.h"

namespace varnel::testing {
namespace {

using Strings = std::vector<std::string>;
const std::string kNul(1, '\0');

class VoxFormTest : public VoiceTest {
 protected:
  void Load() {
    p.voice.StartSession();
    fake.loop.RunPending();
    fake.log.Clear();
  }
  void Say(std::int32_t id, Strings list = {}) { script->Recognize(id, "", std::move(list)); }
};

TEST_F(VoxFormTest, RegistersFortyCommandsAndSevenLists) {
  p.voice.StartSession();
  ASSERT_TRUE(p.voice.active);
  const auto& calls = script->calls;
  ASSERT_GE(calls.size(), 3U);
  EXPECT_EQ(calls[0], (SpeechCall{"Register", {}}));
  EXPECT_EQ(calls[1], (SpeechCall{"CreateMenu", {"Varnel", "Pellar", "9"}}));
  std::string numbers;
  for (int i = 1; i <= 25; ++i) numbers += std::to_string(i) + kNul;
  EXPECT_EQ(calls[2], (SpeechCall{"SetList", {"Number", "25", numbers}}));
  EXPECT_EQ(calls.back(), (SpeechCall{"SetActive", {"1"}}));

  const auto lists = script->CallsOf("SetList");
  const std::vector<SpeechCall> expectedLists{
      {"SetList", {"Number", "25", numbers}},
      {"SetList", {"Find", "2", "Find" + kNul + "Find It" + kNul}},
      {"SetList", {"Page Down", "2", "Page Down" + kNul + "Next Page" + kNul}},
      {"SetList", {"Page Up", "2", "Page Up" + kNul + "Previous Page" + kNul}},
      {"SetList", {"Highlight", "2", "Highlight" + kNul + "Select All" + kNul}},
      {"SetList", {"Copy Sel", "2", "Copy Sel" + kNul + "Copy Select" + kNul}},
      {"SetList", {"Omni Box", "2", "Omni Box" + kNul + "URL Box" + kNul}}};
  EXPECT_EQ(lists, expectedLists);

  const auto added = script->CallsOf("AddCommand");
  ASSERT_EQ(added.size(), 40U);
  for (int id = 0; id < 40; ++id) {
    EXPECT_EQ(added[id].args[0], std::to_string(id));
    EXPECT_EQ(added[id].args[2], "Varnel");
  }
  EXPECT_EQ(added[2].args[1], "<Find>");
  EXPECT_EQ(added[16].args[1], "Tab <Number>");
  EXPECT_EQ(added[36].args[1], "<Omni Box>");
  EXPECT_EQ(added[24].args[1], "Varnel");
  // An alternatives list is set right before the command that uses it.
  const auto it = std::find(calls.begin(), calls.end(), expectedLists[2]);
  ASSERT_NE(it, calls.end());
  EXPECT_EQ(*(it + 1), (SpeechCall{"AddCommand", {"10", "<Page Down>", "Varnel"}}));
  EXPECT_EQ(fake.notices.mousePointer, Pointer::Normal);
}

TEST_F(VoxFormTest, UnloadTakesEverythingDownInOrder) {
  Load();
  fake.controls.ControlAt({Control::VoiceCommands})->value = 1;
  script->calls.clear();
  p.voice.StopSession();
  Strings ops;
  for (const auto& c : script->calls) ops.push_back(c.op + (c.args.empty() ? "" : " " + c.args[0]));
  Strings expected{"Unregister", "SetActive 0"};
  for (int id = 39; id >= 0; --id) expected.push_back("RemoveCommand " + std::to_string(id));
  expected.insert(expected.end(), {"ReleaseMenu", "Destroyed"});
  EXPECT_EQ(ops, expected);
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
}

struct FailureCase {
  const char* name;
  std::optional<SpeechError> createError;
  const char* failOp;
  int nth;
  SpeechError error;
  std::string detail;  // "" = the sentence alone
  bool menuMade;
};

class RegistrationFailureTest : public VoxFormTest,
                                public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RegistrationFailureTest, ReportsAndUnloads) {
  const FailureCase& c = GetParam();
  script->createError = c.createError;
  if (c.failOp[0] != '\0') script->FailOn(c.failOp, c.error, c.nth);
  PutOnScreen();
  std::vector<std::string> shown;
  fake.notices.onMessageBox = [&](const std::string& text) { shown.push_back(text); };

  p.voice.StartSession();
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(fake.notices.mousePointer, Pointer::Normal);
  std::string message = "Voice commands require Dragon NaturallySpeaking to be installed.";
  if (!c.detail.empty()) message += "\r\n\r\nError: " + c.detail;
  EXPECT_EQ(shown, Strings{message});
  ASSERT_EQ(fake.log.Calls("ShowMessageBox").size(), 1U);
  EXPECT_EQ(fake.log.Calls("ShowMessageBox")[0].args[1],
            static_cast<int>(MessageIcon::Information));
  EXPECT_EQ(Posted(kStopVoiceCommands), 1U);

  fake.loop.RunPending();
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_FALSE(p.voice.active);
  // Whatever was created is released again.
  if (!c.createError) {
    EXPECT_EQ(script->calls.back().op, "Destroyed");
    EXPECT_EQ(script->CallsOf("RemoveCommand").size(), c.menuMade ? 40U : 0U);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RegistrationFailureTest,
    ::testing::Values(
        FailureCase{"NoTextFor429",
                    SpeechError{429, ""},
                    "",
                    0,
                    {},
                    "ActiveX component can't create object",
                    false},
        FailureCase{"ServiceText",
                    SpeechError{-5, "Connection refused"},
                    "",
                    0,
                    {},
                    "Connection refused",
                    false},
        FailureCase{"NoErrorNumber",
                    SpeechError{0, ""},
                    "",
                    0,
                    {},
                    "ActiveX component can't create object",
                    false},
        FailureCase{"RegisterFails",
                    std::nullopt,
                    "Register",
                    1,
                    {7, "Out of memory"},
                    "Out of memory",
                    false},
        FailureCase{"FifthCommandFails",
                    std::nullopt,
                    "AddCommand",
                    5,
                    {5, "Invalid procedure call or argument"},
                    "Invalid procedure call or argument",
                    true},
        FailureCase{
            "ErrorZeroGivesSentenceAlone", std::nullopt, "SetActive", 1, {0, "ignored"}, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoxFormTest, FailureOffScreenShowsNothingButStillUnloads) {
  script->createError = SpeechError{429, ""};
  p.voice.StartSession();
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 0U);
  fake.loop.RunPending();
  EXPECT_EQ(p.voice.session, nullptr);
}

TEST(VoxFailureText, LineNumberFollowsTheErrorText) {
  EXPECT_EQ(RegistrationFailureText("R", {91, "Object variable not set"}, 12),
            "Voice commands require R to be installed.\r\n\r\nError: Object variable not set  "
            "(Line=12)");
  EXPECT_EQ(RegistrationFailureText("R", {0, "x"}, 12),
            "Voice commands require R to be installed.");
  EXPECT_EQ(RegistrationFailureText("R", {100, "not running", "Start R."}, 0), "Start R.");
}

TEST_F(VoxFormTest, CancelAndDeleteGoOutInsideTheEvent) {
  Load();
  for (const auto& [id, vk] : {std::pair{5, std::string("27")}, std::pair{6, std::string("46")}}) {
    fake.log.Clear();
    Say(id);
    EXPECT_EQ(Chords(), Strings{vk});
    EXPECT_EQ(Posted(kRunVoiceCommand), 0U);
  }
}

TEST_F(VoxFormTest, OtherCommandsWaitForThePostedCode) {
  Load();
  Say(31);
  EXPECT_TRUE(Chords().empty());
  EXPECT_EQ(Posted(kRunVoiceCommand), 1U);
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), Strings{"Ctrl+9"});
}

TEST_F(VoxFormTest, BrowserCommandHidesTheWindowBeforeItsKeys) {
  Load();
  PutOnScreen();
  Say(31);
  EXPECT_TRUE(fake.viewWindow.Parked());  // hidden inside the event
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), Strings{"Ctrl+9"});
  const auto& log = fake.log.Entries();
  std::size_t parked = log.size(), firstKey = log.size();
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (log[i].op == "Park" && parked == log.size()) parked = i;
    if (log[i].op == "SentKey" && firstKey == log.size()) firstKey = i;
  }
  EXPECT_LT(parked, firstKey);
}

TEST_F(VoxFormTest, NonBrowserCommandLeavesTheWindowUp) {
  Load();
  PutOnScreen();
  Say(10);
  fake.loop.RunPending();
  EXPECT_EQ(fake.viewWindow.ViewFrame().top, kOnScreenTop);
  EXPECT_EQ(Chords(), Strings{"34"});
}

TEST_F(VoxFormTest, EachRecognitionRunsOnceEvenWhenTheyArriveTogether) {
  Load();
  Say(10);
  Say(31);
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), (Strings{"34", "Ctrl+9"}));
}

TEST_F(VoxFormTest, FindNextPrimesOnceUntilSearchDocument) {
  Load();
  const std::vector<std::pair<int, Strings>> steps{
      {14, {"32", "8", "13"}}, {14, {"114"}}, {9, {"Ctrl+70", "46"}}, {14, {"32", "8", "13"}}};
  for (const auto& [id, keys] : steps) {
    fake.log.Clear();
    Say(id);
    fake.loop.RunPending();
    EXPECT_EQ(Chords(), keys) << "command " << id;
  }
}

TEST_F(VoxFormTest, FindNextStartsUnprimedAfterReload) {
  Load();
  Say(14);
  fake.loop.RunPending();
  p.voice.StopSession();
  Load();
  Say(14);
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), (Strings{"32", "8", "13"}));
}

TEST_F(VoxFormTest, DoItOnlyWhenTheFocusStayedPut) {
  Load();
  Say(1);
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), Strings{"13"});

  // Heard while another program had the focus; by the time it runs the terms field has it.
  fake.log.Clear();
  PutOnScreen();
  Say(1);
  fake.desktop.UserActivate(p.window.handle);
  ASSERT_TRUE(fake.controls.SetFocus({Control::Terms}));
  ASSERT_NE(fake.desktop.FocusedWindow(), 0U);
  fake.loop.RunPending();
  EXPECT_TRUE(Chords().empty());
}

TEST_F(VoxFormTest, HideItMinimisesAnyOtherWindow) {
  Load();
  const WindowId editor = app.AddApp();
  Say(3);
  fake.loop.RunPending();
  const auto shown = fake.log.Calls("ChangeWindowState");
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown[0].args,
            (std::vector<std::int64_t>{editor, static_cast<int>(WindowChange::Minimise)}));
}

TEST_F(VoxFormTest, SnapBackOnScreenHidesTheWindow) {
  Load();
  PutOnScreen();
  Say(23);
  fake.loop.RunPending();
  EXPECT_TRUE(fake.viewWindow.Parked());
}

TEST_F(VoxFormTest, FindItOffScreenDoesNothing) {
  Load();
  Say(2, {"Find It"});
  fake.loop.RunPending();
  EXPECT_TRUE(Chords().empty());
  EXPECT_EQ(fake.log.CountCalls("OpenAddress"), 0U);
}

TEST_F(VoxFormTest, UnknownIdIsIgnored) {
  Load();
  for (std::int32_t id : {-1, 40, 65536 + 40}) Say(id);
  fake.loop.RunPending();
  EXPECT_TRUE(Chords().empty());
  EXPECT_EQ(Posted(kRunVoiceCommand), 0U);
}

TEST_F(VoxFormTest, RecognitionsClearKeyboardUse) {
  Load();
  p.window.SetKeyboard(true);
  Say(10);
  EXPECT_FALSE(p.window.Keyboard());
  p.window.SetKeyboard(true);
  script->Other("eHow");
  EXPECT_FALSE(p.window.Keyboard());
  EXPECT_EQ(Posted(kRunVoiceCommand), 1U);
}

TEST_F(VoxFormTest, LostServiceSwitchesOffQuietly) {
  PutOnScreen();
  Load();
  fake.controls.ControlAt({Control::VoiceCommands})->value = 1;
  script->calls.clear();
  script->Lose();
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
  EXPECT_EQ(fake.controls.Text({Control::Message}), kOptionsHint);
  fake.loop.RunPending();
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 0U);
  // Nothing is asked of a service that is gone; it is only released.
  EXPECT_EQ(script->calls, (std::vector<SpeechCall>{{"Destroyed", {}}}));
}

TEST_F(VoxFormTest, ServiceLostWhileRegisteringEndsQuietly) {
  PutOnScreen();
  fake.processes.AddProcess(7000, "natspeak.exe");
  // The first yield comes before Register; the loss arrives at the second.
  fake.loop.QueueEvent("first yield",
                       [this] { fake.loop.QueueEvent("lost", [this] { script->Lose(); }); });
  p.voice.SetVoiceCommands(true);
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(script->CallsOf("AddCommand").size(), 0U);
  fake.loop.RunPending();
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 0U);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
  EXPECT_EQ(fake.controls.Text({Control::Message}), kOptionsHint);
}

// The message line and the tray say while the recogniser sleeps, and a showing of the window
// says it again; once the commands stop, by the user or by a lost service, the sleep is
// forgotten.
TEST_F(VoxFormTest, TheMessageLineSaysWhileTheCommandsSleep) {
  struct Case {
    const char* name;
    std::vector<std::string> steps;  // sleep, wake, lose, stop
    std::string line;                // the message line after the steps
    std::string nextShowing;         // what the next showing puts there
    bool trayAsleep;                 // what the tray shows
  } cases[] = {
      {"asleep", {"sleep"}, kVoiceAsleepText, kVoiceAsleepText, true},
      {"woken", {"sleep", "wake"}, kVoiceActiveText, kOptionsHint, false},
      {"told twice", {"sleep", "sleep"}, kVoiceAsleepText, kVoiceAsleepText, true},
      {"lost asleep", {"sleep", "lose"}, kOptionsHint, kOptionsHint, false},
      {"switched off asleep", {"sleep", "stop"}, kOptionsHint, kOptionsHint, false},
  };
  fake.processes.AddProcess(7000, "natspeak.exe");
  fake.tray.trayHost = true;
  p.tray.Show();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PutOnScreen();
    p.voice.SetVoiceCommands(true);
    fake.loop.RunPending();
    ASSERT_TRUE(p.voice.active);
    for (const auto& step : c.steps) {
      if (step == "sleep" || step == "wake") {
        script->Sleep(step == "sleep");
      } else if (step == "lose") {
        script->Lose();
      } else {
        p.voice.SetVoiceCommands(false);
      }
      fake.loop.RunPending();
    }
    EXPECT_EQ(fake.controls.Text({Control::Message}), c.line);
    EXPECT_EQ(p.messages.LineText(), c.nextShowing);
    EXPECT_EQ(fake.tray.trayState.voiceAsleep, c.trayAsleep);
    p.voice.SetVoiceCommands(false);
    fake.loop.RunPending();
  }
}

// Switched on by the user, the commands are wanted now: a recogniser put to sleep is woken.
// At start-up, and when the registration failed, its sleep is left alone.
TEST_F(VoxFormTest, SwitchedOnByTheUserTheRecogniserIsWoken) {
  struct Case {
    const char* name;
    bool atStart;
    bool registrationFails;
    bool woken;
  } cases[] = {
      {"by the user", false, false, true},
      {"at start-up", true, false, false},
      {"registration failed", false, true, false},
  };
  PutOnScreen();
  fake.processes.AddProcess(7000, "natspeak.exe");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    script->calls.clear();
    if (c.registrationFails) {
      script->FailOn("Register", SpeechError{.number = 1, .text = "no"});
    }
    if (c.atStart) {
      p.voice.SwitchOnAtStart();
    } else {
      p.voice.SetVoiceCommands(true);
    }
    fake.loop.RunPending();
    const auto wakes = script->CallsOf("Wake");
    EXPECT_EQ(wakes.size(), c.woken ? 1U : 0U);
    if (c.woken) {
      // After the commands are live, so that they fire once it wakes.
      ASSERT_FALSE(script->CallsOf("SetActive").empty());
      EXPECT_EQ(script->calls.back().op, "Wake");
    }
    p.voice.SetVoiceCommands(false);
    fake.loop.RunPending();
  }
}

TEST_F(VoxFormTest, ASleepToldWhileRegisteringStaysOnTheLine) {
  PutOnScreen();
  fake.processes.AddProcess(7000, "natspeak.exe");
  // The first yield comes before Register; the state arrives at the second.
  fake.loop.QueueEvent("first yield",
                       [this] { fake.loop.QueueEvent("asleep", [this] { script->Sleep(true); }); });
  p.voice.SetVoiceCommands(true);
  ASSERT_TRUE(p.voice.active);
  EXPECT_EQ(fake.controls.Text({Control::Message}), kVoiceAsleepText);
}

TEST_F(VoxFormTest, ASettingsProblemNotYetReadStaysOverTheSleep) {
  PutOnScreen();
  Load();
  p.settings.problem = FileProblem::Unreadable;
  p.messages.ShowSettingsProblem();
  const std::string problem = fake.controls.Text({Control::Message});
  ASSERT_NE(problem, kOptionsHint);
  script->Sleep(true);
  EXPECT_EQ(fake.controls.Text({Control::Message}), problem);
  // Once read, the next showing says the commands sleep.
  EXPECT_EQ(p.messages.LineText(), kVoiceAsleepText);
}

TEST_F(VoxFormTest, UnloadDuringARepeatingCommandIsSafe) {
  Load();
  Say(16, {"4"});
  bool unloaded = false;
  // The first pause yields; the form goes while its command is still running.
  fake.loop.QueueEvent("after post", [&] {
    fake.loop.QueueEvent("unload", [&] {
      p.voice.StopSession();
      unloaded = true;
    });
  });
  fake.loop.RunPending();
  EXPECT_TRUE(unloaded);
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_TRUE(AllKeysUp());
  EXPECT_EQ(Chords(), (Strings{"9", "9", "9", "9"}));
}

TEST(VoxListNumber, ReadsTheLeadingNumber) {
  const std::vector<std::pair<std::string, int>> cases{
      {"3", 3},   {"25", 25}, {"", 0},   {"three", 0}, {" 7", 7},   {"4x", 4},
      {"2.5", 2}, {"3.5", 4}, {"-3", 0}, {"0", 0},     {"1000", 25}};
  for (const auto& [text, n] : cases) EXPECT_EQ(ListNumber(text), n) << '"' << text << '"';
}

TEST(VoxCountSubstrings, CountsWithoutOverlap) {
  struct Case {
    std::string text, find;
    LetterCase letterCase;
    std::int32_t count;
  };
  const std::vector<Case> cases{
      {"Find" + kNul + "Find It" + kNul, kNul, LetterCase::Exact, 2},
      {"Find" + kNul, "", LetterCase::Exact, 0},
      {"a,,", ",", LetterCase::Exact, 2},
      {"aaaa", "aa", LetterCase::Exact, 2},
      {"FIND find", "find", LetterCase::Exact, 1},
      {"FIND find", "find", LetterCase::Ignored, 2},
      {"", "x", LetterCase::Exact, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountSubstrings(c.text, c.find, c.letterCase), c.count) << c.text;
  }
  EXPECT_EQ(CountSubstrings(std::string(300000, ','), ",", LetterCase::Exact), 100000);
}

}  // namespace
}  // namespace varnel::testing
