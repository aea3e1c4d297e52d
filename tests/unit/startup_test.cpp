// Start-up: becoming the running instance or handing off to one.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "domain/codes.h"
#include "support/fake_program.h"
#include "support/fake_speech.h"

namespace varnel::testing {
namespace {

constexpr ProcessId kOtherPid = 7777;

class StartupTest : public FakeProgramTest {
 protected:
  // A window of another process, as a recorded handle may name after a restart.
  WindowId AddForeign(const std::string& cls, const std::string& exe, bool answers = true) {
    fake.processes.AddProcess(kOtherPid, exe);
    FakeWindow w;
    w.pid = kOtherPid;
    w.className = cls;
    w.answers = answers;
    w.onMessage = [this](Code msg, std::uint32_t wp, std::uint32_t lp) {
      received.push_back({msg, static_cast<std::int64_t>(wp), static_cast<std::int64_t>(lp)});
    };
    return fake.desktop.AddWindow(w);
  }
  void Record(const std::string& value) {
    WriteFile(app.cfgFile(), "[Application]\r\nAppHwnd=" + value + "\r\n");
  }
  std::string RecordedHwnd() { return p.settings.ReadIniString("Application", "AppHwnd", "", 64); }

  std::vector<std::vector<std::int64_t>> received;
};

TEST_F(StartupTest, WithoutSettingsFileBecomesTheRunningInstance) {
  app.AddApp();
  EXPECT_EQ(app.Start(), Startup::Result::Running);
  EXPECT_EQ(p.settings.file, app.cfgFile());
  ASSERT_TRUE(fake.viewWindow.FormCreated());
  EXPECT_EQ(p.window.handle, fake.viewWindow.SearchHwnd());
  EXPECT_EQ(RecordedHwnd(), std::to_string(fake.viewWindow.SearchHwnd()));
  EXPECT_TRUE(app.OnScreen());
  EXPECT_EQ(fake.desktop.WindowInFront(), fake.viewWindow.SearchHwnd());
  EXPECT_NE(p.hook.handle, 0u);
  EXPECT_EQ(fake.hotkeys.InstalledHooks().size(), 1u);
  EXPECT_TRUE(p.voice.keySender != nullptr);
  EXPECT_EQ(fake.notices.mousePointer, Pointer::Normal);
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 0u);
}

// Every recorded value that does not name a live Varnel search window starts a new instance
// and records the new handle; nothing is sent to a window that is not ours.
TEST(StartupRecordedHandle, NotARunningVarnelStartsANewInstance) {
  auto foreign = [](FakePlatform& f, const char* cls, const char* exe) {
    f.processes.AddProcess(kOtherPid, exe);
    FakeWindow w;
    w.pid = kOtherPid;
    w.className = cls;
    return std::to_string(f.desktop.AddWindow(w));
  };
  struct Case {
    const char* name;
    std::function<std::string(FakePlatform&)> record;
  };
  const Case cases[] = {
      {"zero", [](FakePlatform&) { return std::string("0"); }},
      {"garbage", [](FakePlatform&) { return std::string("not a number"); }},
      {"negative", [](FakePlatform&) { return std::string("-12"); }},
      {"closed window",
       [](FakePlatform& f) {
         const WindowId h = f.desktop.AddWindow({});
         f.desktop.CloseWindow(h);
         return std::to_string(h);
       }},
      {"foreign window", [&](FakePlatform& f) { return foreign(f, "Notepad", "notepad.exe"); }},
      {"Varnel class in another program",
       [&](FakePlatform& f) { return foreign(f, "Varnel", "varnelish.exe"); }},
      {"Varnel window of an unknown process",
       [&](FakePlatform& f) {
         FakeWindow w;
         w.pid = 0;
         w.className = "Varnel";
         return std::to_string(f.desktop.AddWindow(w));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder tmp;
    FakeProgram fresh(tmp.str() + "Varnel.cfg");
    WriteFile(fresh.cfgFile(), "[Application]\r\nAppHwnd=" + c.record(fresh.fake) + "\r\n");
    EXPECT_EQ(fresh.Start(), Startup::Result::Running);
    EXPECT_EQ(fresh.fake.log.CountCalls("SendPrivateMessage"), 0u);
    ASSERT_TRUE(fresh.fake.viewWindow.FormCreated());
    EXPECT_EQ(fresh.p().settings.ReadIniString("Application", "AppHwnd", "", 64),
              std::to_string(fresh.fake.viewWindow.SearchHwnd()));
  }
}

TEST_F(StartupTest, LiveVarnelWindowGetsTheHandOffAndThisStartEnds) {
  struct Case {
    const char* exe;
    const char* cls;
  };
  for (const Case& c :
       {Case{"Varnel.exe", "Varnel"}, Case{"varnel", "VARNEL"}, Case{"VARNEL.EXE", "varnel"}}) {
    SCOPED_TRACE(c.exe);
    TempFolder tmp2;
    FakeProgram second(tmp2.str() + "Varnel.cfg");
    second.fake.processes.AddProcess(kOtherPid, c.exe);
    int messages = 0;
    FakeWindow w;
    w.pid = kOtherPid;
    w.className = c.cls;
    w.onMessage = [&](Code msg, std::uint32_t wp, std::uint32_t lp) {
      EXPECT_EQ(msg, kSummonMessage);
      EXPECT_EQ(wp, kSummonParam);
      EXPECT_EQ(lp, kSummonParam);
      ++messages;
    };
    const WindowId running = second.fake.desktop.AddWindow(w);
    second.fake.instances.instanceClaims = {InstanceClaim::Taken};
    const std::string before = "[Application]\r\nAppHwnd=" + std::to_string(running) + "\r\n";
    WriteFile(second.cfgFile(), before);

    EXPECT_EQ(second.Start(), Startup::Result::HandedOff);
    EXPECT_EQ(messages, 1);
    const auto sends = second.fake.log.Calls("SendPrivateMessage");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].args.back(), kHandOffTimeoutMs);
    EXPECT_FALSE(second.fake.viewWindow.FormCreated());
    EXPECT_EQ(second.fake.log.CountCalls("CreateSearchWindow"), 0u);
    EXPECT_EQ(second.fake.log.CountCalls("InstallKeyHook"), 0u);
    EXPECT_EQ(second.CfgText(), before);
    EXPECT_EQ(second.fake.notices.mousePointer, Pointer::Normal);
    EXPECT_TRUE(second.p().voice.keySender == nullptr);
  }
}

// Where the system cannot tell who is first, the settings file's record decides.
TEST_F(StartupTest, WithoutAClaimAnUnansweredHandOffStartsANewInstance) {
  fake.instances.instanceClaims = {InstanceClaim::Unavailable};
  const WindowId hung = AddForeign("Varnel", "varnel", /*answers=*/false);
  Record(std::to_string(hung));
  EXPECT_EQ(app.Start(), Startup::Result::Running);
  EXPECT_EQ(fake.log.CountCalls("SendPrivateMessage"), 1u);
  EXPECT_TRUE(received.empty());
  ASSERT_TRUE(fake.viewWindow.FormCreated());
  EXPECT_EQ(RecordedHwnd(), std::to_string(fake.viewWindow.SearchHwnd()));
}

// The claim of the single instance decides who is first, whatever the settings file says;
// a start that finds the claim taken hands off to the holder's published window, waiting for
// it while the holder is still coming up, and never becomes a second instance.
TEST(StartupClaim, TheClaimDecidesWhoRuns) {
  enum class Record { Nothing, Live, Hung };
  struct Case {
    const char* name;
    std::deque<InstanceClaim> claims;
    Record record;             // what the settings file names
    bool published;            // the holder's window is published
    int publishedAfterSleeps;  // ... only after this many waits (0: from the start)
    bool answers;
    Startup::Result result;
  };
  using C = InstanceClaim;
  using R = Startup::Result;
  const Case cases[] = {
      {"first despite a live record", {C::First}, Record::Live, false, 0, true, R::Running},
      {"taken, published, no record", {C::Taken}, Record::Nothing, true, 0, true, R::HandedOff},
      {"taken, published late", {C::Taken}, Record::Nothing, true, 3, true, R::HandedOff},
      {"taken, only the record", {C::Taken}, Record::Live, false, 0, true, R::HandedOff},
      {"taken, the holder ends meanwhile",
       {C::Taken, C::Taken, C::First},
       Record::Nothing,
       false,
       0,
       true,
       R::Running},
      {"taken, nothing published", {C::Taken}, Record::Nothing, false, 0, true, R::NoAnswer},
      {"taken, the holder does not answer", {C::Taken}, Record::Hung, true, 0, false, R::NoAnswer},
      {"unavailable, live record", {C::Unavailable}, Record::Live, false, 0, true, R::HandedOff},
      {"unavailable, hung record", {C::Unavailable}, Record::Hung, false, 0, false, R::Running},
      {"unavailable, no record", {C::Unavailable}, Record::Nothing, false, 0, true, R::Running},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder tmp;
    FakeProgram start(tmp.str() + "Varnel.cfg");
    FakePlatform& f = start.fake;
    f.instances.instanceClaims = c.claims;
    f.processes.AddProcess(kOtherPid, "varnel");
    int shows = 0;
    FakeWindow w;
    w.pid = kOtherPid;
    w.className = "Varnel";
    w.answers = c.answers;
    w.onMessage = [&](Code msg, std::uint32_t wp, std::uint32_t lp) {
      shows += msg == kSummonMessage && wp == kSummonParam && lp == kSummonParam ? 1 : 0;
    };
    const WindowId holder = f.desktop.AddWindow(w);
    if (c.record != Record::Nothing) {
      WriteFile(start.cfgFile(), "[Application]\r\nAppHwnd=" + std::to_string(holder) + "\r\n");
    }
    const std::string before = start.CfgText();
    int sleeps = 0;
    if (c.published && c.publishedAfterSleeps == 0) {
      f.instances.publishedWindow = holder;
    }
    f.loop.onSleep = [&] {
      if (c.published && ++sleeps == c.publishedAfterSleeps) {
        f.instances.publishedWindow = holder;
      }
    };

    EXPECT_EQ(start.Start(), c.result);
    if (c.result == R::Running) {
      ASSERT_TRUE(f.viewWindow.FormCreated());
      EXPECT_EQ(f.instances.publishedWindow, f.viewWindow.SearchHwnd());
      EXPECT_EQ(shows, 0);
      EXPECT_EQ(f.hotkeys.InstalledHooks().size(), 1u);
      continue;
    }
    // No second instance: no window, no hook, the settings file as it was.
    EXPECT_FALSE(f.viewWindow.FormCreated());
    EXPECT_EQ(f.log.CountCalls("InstallKeyHook"), 0u);
    EXPECT_EQ(f.log.CountCalls("PublishInstanceWindow"), 0u);
    EXPECT_EQ(start.CfgText(), before);
    EXPECT_EQ(shows, c.result == R::HandedOff ? 1 : 0);
    if (c.result == R::HandedOff) {
      // The foreground right goes to the holder before the message that summons it.
      const auto& log = f.log.Entries();
      const auto grant = std::find_if(log.begin(), log.end(), [](const FakeCall& l) {
        return l.op == "GrantForeground" && l.args == std::vector<std::int64_t>{kOtherPid};
      });
      const auto send = std::find_if(
          log.begin(), log.end(), [](const FakeCall& l) { return l.op == "SendPrivateMessage"; });
      EXPECT_LT(grant, send);
    }
  }
}

TEST_F(StartupTest, RunningRecogniserSwitchesVoiceCommandsOnWithoutAsking) {
  auto script = std::make_shared<SpeechScript>();
  fake.speech.speechFactory = [script](SpeechError& e) { return script->Create(e); };
  fake.processes.AddProcess(4321, "natspeak.exe");
  app.Start();
  EXPECT_TRUE(p.voice.active);
  EXPECT_EQ(fake.log.CountCalls("ShowMessageBox"), 0u);
  // The handle is on record before the voice commands start.
  const auto& log = fake.log.Entries();
  auto hookAt = std::find_if(log.begin(), log.end(),
                             [](const FakeCall& c) { return c.op == "InstallKeyHook"; });
  auto speechAt = std::find_if(log.begin(), log.end(),
                               [](const FakeCall& c) { return c.op == "CreateSpeechService"; });
  EXPECT_LT(hookAt, speechAt);
}

TEST_F(StartupTest, CreateSendKeyMakesOneObject) {
  p.startup.CreateKeySender();
  KeySender* first = p.voice.keySender.get();
  p.startup.CreateKeySender();
  EXPECT_EQ(p.voice.keySender.get(), first);
}

}  // namespace
}  // namespace varnel::testing
