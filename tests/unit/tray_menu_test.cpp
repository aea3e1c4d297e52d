// The tray icon: each menu entry's effect, closing with and without a tray, start at login.
#include "core/tray_menu.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "core/cli.h"
#include "domain/codes.h"
#include "support/fake_program.h"
#include "support/fake_speech.h"

namespace varnel::testing {
namespace {

constexpr int kCtrlAlt = 2 | 4;

class TrayTest : public FakeProgramTest {
 protected:
  TrayTest() {
    // No recogniser process: the voice commands stay off at start, and switching them on
    // while the window is parked asks nothing.
    fake.speech.speechFactory = [s = script](SpeechError& e) { return s->Create(e); };
  }

  // Start-up as Run does it, then the window dismissed.
  void Start(bool trayHost) {
    fake.tray.trayHost = trayHost;
    editor = app.AddApp();
    app.Start();
    p.tray.Show();
    app.Press(vk::Escape);
  }

  void Summon() { app.Press(vk::Slash, kCtrlAlt); }

  void Choose(TrayEntry entry) {
    fake.tray.UserChoose(entry);
    fake.loop.RunPending();
  }

  bool Running() { return p.window.loaded && !fake.loop.Unloaded(); }

  std::shared_ptr<SpeechScript> script = std::make_shared<SpeechScript>();
  WindowId editor = 0;
};

TEST_F(TrayTest, IconShownWithTheCurrentChecksOnlyWhereATrayHostIs) {
  fake.tray.startAtLogin = true;
  Start(true);
  EXPECT_TRUE(p.tray.Present());
  EXPECT_TRUE(fake.tray.TrayShown());
  EXPECT_EQ(fake.tray.trayState, (TrayState{.voiceCommands = false, .startAtLogin = true}));
}

TEST_F(TrayTest, NoTrayHostNoIcon) {
  Start(false);
  EXPECT_FALSE(p.tray.Present());
  EXPECT_FALSE(fake.tray.TrayShown());
  // Choices cannot arrive, and the checks are never pushed to a missing icon.
  p.voice.SetVoiceCommands(true);
  EXPECT_EQ(fake.log.CountCalls("SetTrayState"), 0u);
}

struct EntryCase {
  const char* name;
  TrayEntry entry;
  int times;  // chosen this often
  std::function<void(TrayTest&, FakeProgram&)> check;
};

class TrayEntryTest : public TrayTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(TrayEntryTest, Effect) {
  const EntryCase& c = GetParam();
  Start(true);
  ASSERT_TRUE(app.Parked());
  for (int i = 0; i < c.times; ++i) Choose(c.entry);
  c.check(*this, app);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, TrayEntryTest,
    ::testing::Values(EntryCase{"SearchSummonsTheWindow", TrayEntry::Search, 1,
                                [](TrayTest&, FakeProgram& a) {
                                  EXPECT_TRUE(a.OnScreen());
                                  EXPECT_EQ(a.fake.desktop.WindowInFront(),
                                            a.fake.viewWindow.SearchHwnd());
                                }},
                      EntryCase{"VoiceCommandsOn", TrayEntry::VoiceCommands, 1,
                                [](TrayTest&, FakeProgram& a) {
                                  EXPECT_TRUE(a.p().voice.active);
                                  EXPECT_EQ(a.fake.controls.Value({Control::VoiceCommands}),
                                            1);  // the window's box agrees
                                  EXPECT_TRUE(a.fake.tray.trayState.voiceCommands);
                                }},
                      EntryCase{"VoiceCommandsOnThenOff", TrayEntry::VoiceCommands, 2,
                                [](TrayTest&, FakeProgram& a) {
                                  EXPECT_FALSE(a.p().voice.active);
                                  EXPECT_EQ(a.fake.controls.Value({Control::VoiceCommands}), 0);
                                  EXPECT_FALSE(a.fake.tray.trayState.voiceCommands);
                                }},
                      EntryCase{"StartAtLoginOn", TrayEntry::StartAtLogin, 1,
                                [](TrayTest&, FakeProgram& a) {
                                  EXPECT_TRUE(a.fake.tray.startAtLogin);
                                  EXPECT_TRUE(a.fake.tray.trayState.startAtLogin);
                                }},
                      EntryCase{"StartAtLoginOnThenOff", TrayEntry::StartAtLogin, 2,
                                [](TrayTest&, FakeProgram& a) {
                                  EXPECT_FALSE(a.fake.tray.startAtLogin);
                                  EXPECT_FALSE(a.fake.tray.trayState.startAtLogin);
                                  EXPECT_EQ(a.fake.log.CountCalls("ShowMessageBox"), 0u);
                                }},
                      EntryCase{"AboutTellsTheVersionEvenWhileParked", TrayEntry::About, 1,
                                [](TrayTest&, FakeProgram& a) {
                                  const auto boxes = a.fake.log.Calls("ShowMessageBox");
                                  ASSERT_EQ(boxes.size(), 1u);
                                  EXPECT_NE(boxes[0].text.find(kAboutTitle), std::string::npos);
                                  EXPECT_NE(boxes[0].text.find(std::string("Varnel ") + kVersion),
                                            std::string::npos);
                                  EXPECT_TRUE(a.Parked());
                                  EXPECT_FALSE(a.p().window.inMessageBox);
                                }},
                      EntryCase{"QuitEndsTheProgram", TrayEntry::Quit, 1,
                                [](TrayTest&, FakeProgram& a) {
                                  EXPECT_FALSE(a.p().window.loaded);
                                  EXPECT_FALSE(a.fake.viewWindow.FormCreated());
                                  EXPECT_TRUE(a.fake.hotkeys.InstalledHooks().empty());
                                  EXPECT_FALSE(a.fake.tray.TrayShown());
                                  EXPECT_FALSE(a.p().tray.Present());
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayTest, QuitTurnsTheVoiceCommandsOff) {
  Start(true);
  Choose(TrayEntry::VoiceCommands);
  ASSERT_TRUE(p.voice.active);
  Choose(TrayEntry::Quit);
  EXPECT_FALSE(p.voice.active);
  EXPECT_EQ(p.voice.session, nullptr);
  EXPECT_FALSE(fake.tray.TrayShown());
}

TEST_F(TrayTest, WindowCheckBoxUpdatesTheMenu) {
  Start(true);
  Summon();  // Ctrl+Alt+/
  ASSERT_TRUE(app.OnScreen());
  app.Click({Control::VoiceCommands});
  EXPECT_TRUE(p.voice.active);
  EXPECT_TRUE(fake.tray.trayState.voiceCommands);
  app.Click({Control::VoiceCommands});
  EXPECT_FALSE(p.voice.active);
  EXPECT_FALSE(fake.tray.trayState.voiceCommands);
}

struct CloseCase {
  const char* name;
  bool trayHost;
  bool onScreen;
  bool ends;
};

class CloseTest : public TrayTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, HidesWithATrayEndsWithout) {
  const CloseCase& c = GetParam();
  Start(c.trayHost);
  if (c.onScreen) Summon();
  ASSERT_EQ(app.OnScreen(), c.onScreen);
  fake.UserClose();
  fake.loop.RunPending();
  EXPECT_EQ(Running(), !c.ends);
  EXPECT_EQ(fake.hotkeys.InstalledHooks().empty(), c.ends);
  if (!c.ends) {
    // Dismissed as Escape dismisses it: parked, the application in front again.
    EXPECT_TRUE(app.Parked());
    EXPECT_EQ(fake.desktop.WindowInFront(), editor);
    // The hot key still brings it back.
    Summon();
    EXPECT_TRUE(app.OnScreen());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CloseTest,
                         ::testing::Values(CloseCase{"TrayOnScreen", true, true, false},
                                           CloseCase{"TrayParked", true, false, false},
                                           CloseCase{"NoTrayOnScreen", false, true, true},
                                           CloseCase{"NoTrayParked", false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayTest, StartAtLoginFailureIsToldAndChangesNothing) {
  Start(true);
  fake.tray.startAtLoginFails = true;
  Choose(TrayEntry::StartAtLogin);
  EXPECT_FALSE(fake.tray.startAtLogin);
  EXPECT_FALSE(fake.tray.trayState.startAtLogin);
  const auto boxes = fake.log.Calls("ShowMessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(kStartAtLoginFailed), std::string::npos);
}

}  // namespace
}  // namespace varnel::testing
