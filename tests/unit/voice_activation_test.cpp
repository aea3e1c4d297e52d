// Switching the voice commands on and off: the prompt, the check box and the label.
#include "core/voice_activation.h"

#include <gtest/gtest.h>

#include "voice_test_support.h"

namespace varnel::testing {
namespace {

const char* const kPrompt =
    "Please make sure Dragon NaturallySpeaking is running and then hit OK to activate Varnel "
    "extended voice commands.";

struct OnCase {
  const char* name;
  bool running;
  bool onScreen;
  MessageAnswer answer;
  bool prompted;
  bool attempted;
  bool active;
};

class SwitchOnTest : public VoiceTest, public ::testing::WithParamInterface<OnCase> {};

TEST_P(SwitchOnTest, PromptsOnlyWhenNeeded) {
  const OnCase& c = GetParam();
  if (c.running) fake.processes.AddProcess(7000, "natspeak.exe");
  if (c.onScreen) PutOnScreen();
  fake.notices.messageBoxAnswers.push_back(c.answer);
  std::vector<std::string> shown;
  fake.notices.onMessageBox = [&](const std::string& text) { shown.push_back(text); };

  p.voice.SetVoiceCommands(true);
  fake.loop.RunPending();

  EXPECT_EQ(shown, c.prompted ? std::vector<std::string>{kPrompt} : std::vector<std::string>{});
  if (c.prompted) {
    EXPECT_EQ(fake.log.Calls("ShowMessageBox")[0].args[0],
              static_cast<int>(MessageButtons::OkCancel));
    EXPECT_EQ(fake.log.Calls("ShowMessageBox")[0].args[1],
              static_cast<int>(MessageIcon::Information));
  }
  EXPECT_EQ(script->created, c.attempted ? 1 : 0);
  EXPECT_EQ(p.voice.active, c.active);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), c.active ? 1 : 0);
  EXPECT_EQ(fake.controls.Text({Control::Message}), c.active ? kVoiceActiveText : kOptionsHint);
  EXPECT_EQ(p.voice.session != nullptr, c.active);
  EXPECT_GT(fake.log.CountCalls("RaiseView"), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SwitchOnTest,
    ::testing::Values(
        OnCase{"Running", true, true, MessageAnswer::Ok, false, true, true},
        OnCase{"NotRunningCancel", false, true, MessageAnswer::Cancel, true, false, false},
        OnCase{"NotRunningOk", false, true, MessageAnswer::Ok, true, true, true},
        OnCase{"NotRunningOffScreen", false, false, MessageAnswer::Cancel, false, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoiceTest, SwitchingToTheCurrentStateChangesNothing) {
  fake.processes.AddProcess(7000, "natspeak.exe");
  p.voice.SetVoiceCommands(false);
  EXPECT_EQ(fake.log.CountCalls("SetValue") + fake.log.CountCalls("SetText"), 0U);

  p.voice.SetVoiceCommands(true);
  ASSERT_TRUE(p.voice.active);
  fake.log.Clear();
  p.voice.SetVoiceCommands(true);
  EXPECT_EQ(fake.log.CountCalls("SetValue") + fake.log.CountCalls("SetText"), 0U);
  EXPECT_EQ(script->created, 1);
}

TEST_F(VoiceTest, TwoClicksSwitchOnThenOff) {
  fake.processes.AddProcess(7000, "natspeak.exe");
  PutOnScreen();
  app.Click({Control::VoiceCommands});
  EXPECT_TRUE(p.voice.active);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 1);
  app.Click({Control::VoiceCommands});
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
  EXPECT_EQ(fake.controls.Text({Control::Message}), kOptionsHint);
  EXPECT_EQ(script->created, 1);
  EXPECT_EQ(script->CallsOf("Unregister").size(), 1U);
  EXPECT_EQ(p.voice.session, nullptr);
}

TEST_F(VoiceTest, FailedRegistrationPutsTheBoxBack) {
  fake.processes.AddProcess(7000, "natspeak.exe");
  script->createError = SpeechError{429, ""};
  PutOnScreen();
  app.Click({Control::VoiceCommands});
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 1U);
  EXPECT_EQ(p.voice.session, nullptr);
}

// At start-up a failure is said in the message line, never in a box that would take the focus;
// the user's own click still gets the box. The service's advice is the text either way, and
// the next attempt clears it.
TEST_F(VoiceTest, AFailureAtStartIsSaidInTheWindow) {
  fake.processes.AddProcess(7000, "natspeak.exe");
  script->createError = SpeechError{100, "not running", "Start it with: recogniser &"};
  PutOnScreen();
  p.voice.SwitchOnAtStart();
  fake.loop.RunPending();
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 0U);
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
  EXPECT_EQ(fake.controls.Text({Control::Message}), "Start it with: recogniser &");

  std::vector<std::string> shown;
  fake.notices.onMessageBox = [&](const std::string& text) { shown.push_back(text); };
  app.Click({Control::VoiceCommands});
  fake.loop.RunPending();
  EXPECT_EQ(shown, std::vector<std::string>{"Start it with: recogniser &"});
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);

  script->createError.reset();
  app.Click({Control::VoiceCommands});
  EXPECT_TRUE(p.voice.active);
  EXPECT_EQ(fake.controls.Text({Control::Message}), kVoiceActiveText);
}

TEST_F(VoiceTest, RecogniserFoundByItsProcessName) {
  EXPECT_EQ(p.voice.RecogniserRunning(), 0U);
  fake.processes.AddProcess(7123, "NATSPEAK.EXE");
  EXPECT_EQ(p.voice.RecogniserRunning(), 7123U);
}

}  // namespace
}  // namespace varnel::testing
