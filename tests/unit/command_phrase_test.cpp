// `varnel --command PHRASE`: matching the phrase, handing it to the running instance, and
// the instance carrying it out like a recognition.
#include "core/command_phrase.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sstream>

#include "voice_test_support.h"

namespace varnel::testing {
namespace {

using Strings = std::vector<std::string>;

struct MatchCase {
  std::string phrase;
  std::int32_t id;  // -1: no match
  Strings list;
};

TEST(CommandPhrase, MatchesSpokenForms) {
  const std::vector<MatchCase> cases{
      {"Page Down", 10, {"Page Down"}},
      {"next page", 10, {"Next Page"}},
      {"  NEXT    Page ", 10, {"Next Page"}},
      {"Tab 3", 16, {"3"}},
      {"tab three", 16, {"3"}},
      {"Back Tab 12", 17, {"12"}},
      {"back tab twelve", 17, {"12"}},
      {"Select Next twenty-five", 19, {"25"}},
      {"select previous twenty one", 20, {"21"}},
      {"Find It", 2, {"Find It"}},
      {"find", 2, {"Find"}},
      {"URL Box", 36, {"URL Box"}},
      {"Varnel", 24, {}},
      {"Menu", 0, {}},
      {"History", 39, {}},
      {"Tab", -1, {}},
      {"Tab 0", -1, {}},
      {"Tab 26", -1, {}},
      {"Tab 003", -1, {}},
      {"Tab three please", -1, {}},
      {"Back Tab", -1, {}},
      {"Page", -1, {}},
      {"", -1, {}},
      {"   ", -1, {}},
      {"Close It now", -1, {}},
  };
  for (const auto& c : cases) {
    const auto r = MatchCommandPhrase(c.phrase);
    if (c.id < 0) {
      EXPECT_FALSE(r.has_value()) << '"' << c.phrase << '"';
      continue;
    }
    ASSERT_TRUE(r.has_value()) << '"' << c.phrase << '"';
    EXPECT_EQ(r->id, c.id) << c.phrase;
    EXPECT_EQ(r->listResults, c.list) << c.phrase;
  }
}

TEST(CommandPhrase, EveryRegisteredFormMatchesItsCommand) {
  for (int n = 1; n <= 25; ++n) {
    const auto r = MatchCommandPhrase("Tab " + std::to_string(n));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->listResults, Strings{std::to_string(n)});
  }
}

struct HandOffCase {
  const char* name;
  std::string phrase;
  bool record;  // the settings file names the window
  std::string className;
  std::string exe;
  bool answers;
  int status;
  bool delivered;
};

class HandOffTest : public ::testing::TestWithParam<HandOffCase> {};

TEST_P(HandOffTest, DeliversOnlyToARunningVarnel) {
  const HandOffCase& c = GetParam();
  TempFolder tmp;
  const std::string cfg = tmp.str() + "Varnel.cfg";
  FakePlatform fake;
  fake.processes.AddProcess(7001, c.exe);
  FakeWindow w;
  w.pid = 7001;
  w.className = c.className;
  w.answers = c.answers;
  std::vector<std::string> received;
  w.onCommandPhrase = [&](const std::string& phrase) { received.push_back(phrase); };
  const WindowId hwnd = fake.desktop.AddWindow(w);
  if (c.record) WriteFile(cfg, "[Application]\r\nAppHwnd=" + std::to_string(hwnd) + "\r\n");

  std::ostringstream err;
  EXPECT_EQ(HandOffCommandPhrase(fake.instances, fake.processes, fake.desktop, cfg, c.phrase, err),
            c.status);
  EXPECT_EQ(received, c.delivered ? Strings{c.phrase} : Strings{});
  EXPECT_EQ(err.str().empty(), c.status == 0);
  if (c.status != 0) {
    EXPECT_EQ(err.str().back(), '\n');
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandOffTest,
    ::testing::Values(
        HandOffCase{"Delivered", "Page Down", true, "Varnel", "varnel", true, 0, true},
        HandOffCase{"WindowsName", "tab 4", true, "Varnel", "Varnel.exe", true, 0, true},
        HandOffCase{"UnknownPhrase", "Launch Rockets", true, "Varnel", "varnel", true, 2, false},
        HandOffCase{"NothingRecorded", "Page Down", false, "Varnel", "varnel", true, 1, false},
        HandOffCase{"HandleReused", "Page Down", true, "EditorFrame", "varnel", true, 1, false},
        HandOffCase{"OtherProgram", "Page Down", true, "Varnel", "notvarnel", true, 1, false},
        HandOffCase{"NoAnswer", "Page Down", true, "Varnel", "varnel", false, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandPhraseHandOff, StaleHandleIsNoInstance) {
  TempFolder tmp;
  const std::string cfg = tmp.str() + "Varnel.cfg";
  WriteFile(cfg, "[Application]\r\nAppHwnd=123456\r\n");
  FakePlatform fake;
  std::ostringstream err;
  EXPECT_EQ(HandOffCommandPhrase(fake.instances, fake.processes, fake.desktop, cfg, "Go Home", err),
            1);
  EXPECT_EQ(fake.log.CountCalls("SendCommandPhrase"), 0U);
}

// The running instance is found without the settings file too (one that cannot be written
// holds no record); the foreground right goes with the command; an instance with more rights
// refuses it, and the message says how to get through.
TEST(CommandPhraseHandOff, ReachesThePublishedInstance) {
  struct Case {
    const char* name;
    bool record;
    bool published;
    bool moreRights;
    int status;
    const char* says;  // in the message, when one is expected
  };
  const Case cases[] = {
      {"published, no record", false, true, false, 0, ""},
      {"recorded only", true, false, false, 0, ""},
      {"elevated", true, true, true, 1, "elevated"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder tmp;
    const std::string cfg = tmp.str() + "Varnel.cfg";
    FakePlatform fake;
    fake.processes.AddProcess(7001, "varnel");
    FakeWindow w;
    w.pid = 7001;
    w.className = "Varnel";
    w.answers = !c.moreRights;  // the system drops the message on its way up
    std::vector<std::string> received;
    w.onCommandPhrase = [&](const std::string& phrase) { received.push_back(phrase); };
    const WindowId hwnd = fake.desktop.AddWindow(w);
    if (c.record) WriteFile(cfg, "[Application]\r\nAppHwnd=" + std::to_string(hwnd) + "\r\n");
    if (c.published) fake.instances.publishedWindow = hwnd;
    if (c.moreRights) fake.instances.moreRightsProcesses.insert(7001);

    std::ostringstream err;
    EXPECT_EQ(
        HandOffCommandPhrase(fake.instances, fake.processes, fake.desktop, cfg, "Page Down", err),
        c.status);
    EXPECT_EQ(received.size(), c.status == 0 ? 1U : 0U);
    EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    const auto& log = fake.log.Entries();
    const auto grant = std::find_if(log.begin(), log.end(), [](const FakeCall& l) {
      return l.op == "GrantForeground" && l.args == std::vector<std::int64_t>{7001};
    });
    const auto send = std::find_if(log.begin(), log.end(),
                                   [](const FakeCall& l) { return l.op == "SendCommandPhrase"; });
    ASSERT_NE(send, log.end());
    EXPECT_LT(grant, send);
  }
}

class PhraseTest : public VoiceTest {};

TEST_F(PhraseTest, RunsWithoutARecogniserAndLaterRegistersTheSameForm) {
  p.OnCommandPhrase("next page");
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), Strings{"34"});
  EXPECT_EQ(fake.log.CountCalls("CreateSpeechService"), 0U);
  ASSERT_NE(p.voice.session, nullptr);
  EXPECT_FALSE(p.voice.active);

  fake.processes.AddProcess(7000, "natspeak.exe");
  p.voice.SetVoiceCommands(true);
  EXPECT_TRUE(p.voice.active);
  EXPECT_EQ(script->created, 1);
  EXPECT_EQ(script->CallsOf("AddCommand").size(), 40U);
}

TEST_F(PhraseTest, BehavesLikeARecognition) {
  PutOnScreen();
  p.window.SetKeyboard(true);
  p.OnCommandPhrase("Cancel");
  EXPECT_EQ(Chords(), Strings{"27"});  // inside the event
  EXPECT_FALSE(p.window.Keyboard());

  fake.log.Clear();
  p.OnCommandPhrase("NEXT TAB");
  EXPECT_TRUE(fake.viewWindow.Parked());
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), Strings{"Ctrl+9"});

  fake.log.Clear();
  p.OnCommandPhrase("back tab 2");
  fake.loop.RunPending();
  EXPECT_EQ(Chords(), (Strings{"Shift+9", "Shift+9"}));
}

TEST_F(PhraseTest, UnknownPhraseDoesNothing) {
  p.OnCommandPhrase("open the pod bay doors");
  fake.loop.RunPending();
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_TRUE(Chords().empty());
}

TEST_F(PhraseTest, UsesTheRegisteredFormWhenVoiceIsOn) {
  fake.processes.AddProcess(7000, "natspeak.exe");
  p.voice.SetVoiceCommands(true);
  VoiceCommandSession* form = p.voice.session.get();
  fake.loop.RunPending();
  fake.log.Clear();
  p.OnCommandPhrase("Find Next");
  fake.loop.RunPending();
  EXPECT_EQ(p.voice.session.get(), form);
  EXPECT_EQ(Chords(), (Strings{"32", "8", "13"}));
}

}  // namespace
}  // namespace varnel::testing
