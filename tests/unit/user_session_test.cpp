// The program as a user meets it: start, summon, type, choose, search, hand off, close.
#include <gtest/gtest.h>

#include "domain/codes.h"
#include "support/fake_program.h"

namespace varnel::testing {
namespace {

using UserSession = FakeProgramTest;

TEST_F(UserSession, SearchFromAnotherApplication) {
  const WindowId editor = app.AddApp("editor.exe");
  ASSERT_EQ(app.Start(), Startup::Result::Running);
  EXPECT_TRUE(app.OnScreen());
  EXPECT_EQ(fake.desktop.WindowInFront(), fake.viewWindow.SearchHwnd());

  // Escape: out of the way, the editor in front again.
  app.Press(vk::Escape);
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);

  // Ctrl+Alt+/ in the editor brings it back, ready for typing; the editor still gets the key.
  app.Press(vk::Slash, kMaskCtrl | kMaskAlt);
  EXPECT_TRUE(app.OnScreen());
  EXPECT_EQ(fake.desktop.WindowInFront(), fake.viewWindow.SearchHwnd());
  EXPECT_EQ(fake.controls.FocusName(), "Terms(0)");
  const auto slash =
      std::find_if(fake.hotkeys.KeyRecords().begin(), fake.hotkeys.KeyRecords().end(),
                   [](const FakeKeyRecord& r) { return r.ev.vkCode == 191; });
  ASSERT_NE(slash, fake.hotkeys.KeyRecords().end());
  EXPECT_FALSE(slash->swallowed);

  app.Type("Cheap flights");
  EXPECT_EQ(app.Terms(), "Cheap flights");
  app.Press('N', kMaskAlt);  // "&News"
  EXPECT_EQ(fake.controls.SelectedOption(Control::Scope), 4);
  app.Press('3', kMaskAlt);  // "Past Day"
  EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), 2);
  app.Press(vk::Return);

  const auto opened = fake.log.Calls("OpenAddress");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].text,
            "https://www.google.com/search?q=Cheap%20flights&as_qdr=all&tbs=qdr:d,sbd:1&tbm=nws");
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);
  EXPECT_EQ(p.settings.LoadHistory(), "Cheap flights");

  // Summoned again, it holds the same terms, scope and date, with the terms selected.
  app.Press(vk::Slash, kMaskCtrl | kMaskAlt);
  EXPECT_EQ(app.Terms(), "Cheap flights");
  EXPECT_EQ(fake.controls.SelectedText({Control::Terms}), "Cheap flights");
  EXPECT_EQ(fake.controls.SelectedOption(Control::Scope), 4);
  EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), 2);

  // Tab walks the groups; the platform's own tab order never runs.
  app.Press(vk::Tab);
  EXPECT_EQ(fake.controls.FocusName(), "DateRange(0)");
  EXPECT_TRUE(p.window.Keyboard());

  // The timer keeps working in the background.
  app.Advance(3100);
  EXPECT_TRUE(app.OnScreen());
}

TEST_F(UserSession, SecondStartHandsOffToTheRunningInstance) {
  app.AddApp();
  app.Start();
  app.Press(vk::Escape);
  ASSERT_TRUE(app.Parked());

  // Another copy with the same settings file, on its own "process".
  FakeProgram second(app.cfgFile(), FakePlatform::Config{5000, 5001, 0x8000});
  second.fake.instances.instanceClaims = {InstanceClaim::Taken};  // the first copy holds it
  second.fake.processes.AddProcess(fake.OwnPid(), "varnel");
  FakeWindow running;
  running.hwnd = fake.viewWindow.SearchHwnd();
  running.pid = fake.OwnPid();
  running.thread = fake.OwnThread();
  running.className = "Varnel";
  running.onMessage = [this](Code msg, std::uint32_t wp, std::uint32_t lp) {
    fake.instances.SendPrivateMessage(fake.viewWindow.SearchHwnd(), msg, wp, lp, kHandOffTimeoutMs);
  };
  second.fake.desktop.AddWindow(running);
  const std::string cfgBefore = app.CfgText();

  EXPECT_EQ(second.program->Run(), 0);
  EXPECT_FALSE(second.fake.viewWindow.FormCreated());
  EXPECT_EQ(app.CfgText(), cfgBefore);
  EXPECT_TRUE(app.Parked());  // shown only after the sender has been answered
  fake.loop.RunPending();
  EXPECT_TRUE(app.OnScreen());
  EXPECT_EQ(fake.desktop.WindowInFront(), fake.viewWindow.SearchHwnd());
}

TEST_F(UserSession, MinimiseAndClose) {
  const WindowId editor = app.AddApp();
  EXPECT_EQ(p.Run(), 0);  // the fake's loop returns once nothing is pending
  fake.UserMinimise();
  fake.loop.RunPending();
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(fake.viewWindow.ViewState(), WindowState::Normal);
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);

  app.Press(vk::Slash, kMaskCtrl | kMaskAlt);
  fake.UserClose();
  EXPECT_EQ(fake.loop.RunUntilClosed(), 0);
  EXPECT_TRUE(fake.loop.Unloaded());
  EXPECT_TRUE(fake.hotkeys.InstalledHooks().empty());
  // With the program gone the shortcut does nothing.
  app.Press(vk::Slash, kMaskCtrl | kMaskAlt);
  EXPECT_FALSE(fake.viewWindow.FormCreated());
}

}  // namespace
}  // namespace varnel::testing
