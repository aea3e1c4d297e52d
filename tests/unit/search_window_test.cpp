// The search window's load, resize, deactivate and unload.
#include <gtest/gtest.h>

#include <memory>

#include "domain/codes.h"
#include "support/fake_program.h"
#include "support/fake_speech.h"

namespace varnel::testing {
namespace {

using SearchWindowTest = FakeProgramTest;

TEST_F(SearchWindowTest, LoadsAsDesigned) {
  const WindowId editor = app.AddApp();
  p.window.EnsureLoaded();
  ASSERT_TRUE(fake.viewWindow.FormCreated());
  EXPECT_EQ(p.window.handle, fake.viewWindow.SearchHwnd());
  EXPECT_FALSE(p.window.Keyboard());
  EXPECT_EQ(fake.controls.Text({Control::Terms}), "");
  EXPECT_EQ(fake.controls.SelectedOption(Control::Scope), 0);
  EXPECT_EQ(fake.controls.SelectedOption(Control::DateRange), 0);
  EXPECT_EQ(fake.controls.Value({Control::VoiceCommands}), 0);
  EXPECT_EQ(fake.controls.Text({Control::Message}), kOptionsHint);
  EXPECT_EQ(fake.controls.TabStopCount(), 0);
  EXPECT_EQ(fake.loop.TimerInterval(), 1500u);
  // Loaded behind the application in front, not over it.
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);
  EXPECT_EQ(fake.desktop.WindowBelow(editor), fake.viewWindow.SearchHwnd());
  EXPECT_EQ(fake.desktop.Window(fake.viewWindow.SearchHwnd())->owner, fake.desktop.DesktopRoot());
  // Hourglass while loading, default afterwards.
  const auto pointers = fake.log.Calls("SetMousePointer");
  ASSERT_EQ(pointers.size(), 2u);
  EXPECT_EQ(pointers[0].args[0], static_cast<int>(Pointer::Busy));
  EXPECT_EQ(pointers[1].args[0], static_cast<int>(Pointer::Normal));

  // One pixel below each date option.
  const int expected[] = {8, 27, 46, 65, 84, 103};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(fake.controls.ControlTop({Control::DateKey, i}), expected[i]) << i;

  // A second reference loads nothing again.
  p.window.EnsureLoaded();
  EXPECT_EQ(fake.log.CountCalls("CreateSearchWindow"), 1u);
}

TEST_F(SearchWindowTest, MinimisingParksInsteadOfStayingMinimised) {
  const WindowId editor = app.AddApp();
  app.Start();
  ASSERT_TRUE(app.OnScreen());
  fake.UserMinimise();
  fake.loop.RunPending();
  EXPECT_EQ(fake.viewWindow.ViewState(), WindowState::Normal);
  EXPECT_TRUE(app.Parked());
  EXPECT_EQ(fake.desktop.WindowInFront(), editor);
}

TEST_F(SearchWindowTest, OtherResizesLeaveTheWindowAlone) {
  app.Start();
  const int top = fake.viewWindow.ViewFrame().top;
  fake.viewWindow.SetViewState(WindowState::Maximised);
  EXPECT_EQ(fake.viewWindow.ViewState(), WindowState::Maximised);
  EXPECT_EQ(fake.viewWindow.ViewFrame().top, top);
}

TEST_F(SearchWindowTest, DeactivationClearsKeyboardAndRenewsTheHook) {
  app.Start();
  p.window.SetKeyboard(true);
  const HookHandle before = p.hook.handle;
  fake.UserDeactivate();
  fake.loop.RunPending();
  EXPECT_FALSE(p.window.Keyboard());
  EXPECT_NE(p.hook.handle, 0u);
  EXPECT_NE(p.hook.handle, before);
  EXPECT_EQ(fake.hotkeys.InstalledHooks().size(), 1u);
  EXPECT_TRUE(app.OnScreen());  // losing the activation does not dismiss the window
}

TEST_F(SearchWindowTest, CloseRemovesHookAndKeystrokeObjectThenTheWindow) {
  app.Start();
  const std::string recorded = app.CfgText();
  fake.log.Clear();
  fake.UserClose();
  fake.loop.RunPending();
  EXPECT_TRUE(fake.loop.Unloaded());
  EXPECT_FALSE(fake.viewWindow.FormCreated());
  EXPECT_FALSE(p.window.loaded);
  EXPECT_TRUE(fake.hotkeys.InstalledHooks().empty());
  EXPECT_EQ(p.hook.handle, 0u);
  EXPECT_TRUE(p.voice.keySender == nullptr);
  const auto lines = fake.log.Lines();
  auto at = [&](const std::string& op) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const std::string& l) { return l.rfind(op, 0) == 0; });
  };
  EXPECT_LT(at("RemoveKeyHook"), at("DestroySearchWindow"));
  EXPECT_EQ(fake.log.CountCalls("CreateSpeechService"), 0u);  // voice off: not touched
  // The stale handle stays on record; the next start sees it as absent.
  EXPECT_EQ(app.CfgText(), recorded);
}

TEST_F(SearchWindowTest, CloseWithVoiceCommandsOnUnregistersThem) {
  auto script = std::make_shared<SpeechScript>();
  fake.speech.speechFactory = [script](SpeechError& e) { return script->Create(e); };
  fake.processes.AddProcess(4321, "natspeak.exe");
  app.Start();
  ASSERT_TRUE(p.voice.active);
  fake.UserClose();
  fake.loop.RunPending();
  EXPECT_FALSE(p.voice.active);
  EXPECT_TRUE(p.voice.session == nullptr);
  EXPECT_FALSE(script->Live());
}

TEST_F(SearchWindowTest, NothingComesBackAfterClose) {
  app.Start();
  fake.UserClose();
  fake.loop.RunPending();
  p.summoning.ShowSearchWindow();
  EXPECT_FALSE(fake.viewWindow.FormCreated());
  EXPECT_EQ(fake.log.CountCalls("CreateSearchWindow"), 1u);
}

}  // namespace
}  // namespace varnel::testing
