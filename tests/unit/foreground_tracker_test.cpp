#include "core/foreground_tracker.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/program.h"
#include "domain/codes.h"
#include "domain/window_design.h"
#include "support/fake_platform.h"

namespace varnel {
namespace {

const ControlRef kTerms{Control::Terms, 0};
const ControlRef kVox{Control::VoiceCommands, 0};
const ControlRef kScope{Control::Scope, 2};

struct TrackDesk {
  FakePlatform pf;
  Program p{pf.AllPorts()};
  WindowId box = 0;

  TrackDesk() {
    pf.processes.SetProcesses({{10, "System"}, {pf.OwnPid(), "varnel"}});
    box = pf.viewWindow.CreateSearchWindow(SearchWindowDesign());
    p.window.handle = box;
    p.window.loaded = true;
    pf.viewWindow.ShowView();
    pf.viewWindow.SetViewTop(96);
  }
  WindowId App(ThreadId thread, bool caption = true, bool visible = true) {
    FakeWindow w;
    w.thread = thread;
    w.pid = thread + 1000;
    w.caption = caption;
    w.visible = visible;
    return pf.desktop.AddWindow(w);
  }
  // The user brings a window forward and the timer ticks.
  void Front(WindowId h) {
    pf.desktop.UserActivate(h);
    p.tracker.FollowForeground();
  }
  WindowId Pellar() {
    pf.processes.AddProcess(60, "Pellar.exe");
    FakeWindow w;
    w.pid = 60;
    w.className = "ThunderRT6MDIForm";
    return pf.desktop.AddWindow(w);
  }
};

TEST(ForegroundTracking, RemembersTheLastTwoApplications) {
  struct Case {
    const char* name;
    std::vector<std::string> sequence;
    std::string last, prev;
  };
  const Case cases[] = {
      {"first window is both", {"A"}, "A", "A"},
      {"two applications", {"A", "B"}, "B", "A"},
      {"three applications", {"A", "B", "C"}, "C", "B"},
      {"a dialog of the same thread changes nothing", {"A", "Adlg"}, "A", "A"},
      {"a second thread counts as a new application", {"A", "A2"}, "A2", "A"},
      {"the search window and the desktop change nothing", {"A", "B", "box", "desk"}, "B", "A"},
      {"back and forth", {"A", "B", "A"}, "A", "B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackDesk d;
    std::map<std::string, WindowId> w{{"A", d.App(11)},
                                      {"Adlg", d.App(11)},
                                      {"A2", d.App(12)},
                                      {"B", d.App(22)},
                                      {"C", d.App(33)},
                                      {"box", d.box},
                                      {"desk", d.pf.desktop.DesktopRoot()}};
    for (const std::string& name : c.sequence) {
      d.Front(w[name]);
    }
    EXPECT_EQ(d.p.tracker.lastApp, w[c.last]);
    EXPECT_EQ(d.p.tracker.previousApp, w[c.prev]);
  }
}

TEST(ForegroundTracking, SnapBackHandsTheForegroundBack) {
  {
    SCOPED_TRACE("two applications");
    TrackDesk d;
    const WindowId a = d.App(11);
    const WindowId b = d.App(22);
    d.Front(a);
    d.Front(b);
    d.p.tracker.SnapBack();
    EXPECT_EQ(d.pf.desktop.WindowInFront(), a);
  }
  {
    SCOPED_TRACE("three applications");
    TrackDesk d;
    const WindowId a = d.App(11);
    const WindowId b = d.App(22);
    const WindowId c = d.App(33);
    d.Front(a);
    d.Front(b);
    d.Front(c);
    d.p.tracker.SnapBack();
    EXPECT_EQ(d.pf.desktop.WindowInFront(), b);
  }
  {
    SCOPED_TRACE("minimised target is restored");
    TrackDesk d;
    const WindowId a = d.App(11);
    const WindowId b = d.App(22);
    d.Front(a);
    d.Front(b);
    d.pf.desktop.Window(a)->minimised = true;
    d.p.tracker.SnapBack();
    EXPECT_FALSE(d.pf.desktop.Window(a)->minimised);
    EXPECT_EQ(d.pf.desktop.WindowInFront(), a);
  }
}

TEST(ForegroundTracking, SnapBackWalksDownWhenThePreviousWindowIsUnusable) {
  enum class Why { OnlyOneSeen, Closed, Hidden };
  for (Why why : {Why::OnlyOneSeen, Why::Closed, Why::Hidden}) {
    SCOPED_TRACE(static_cast<int>(why));
    TrackDesk d;
    const WindowId captioned = d.App(44);
    d.App(55, false, true);  // no caption
    d.App(66, true, false);  // hidden
    const WindowId a = d.App(11);
    const WindowId b = d.App(22);
    d.Front(a);
    if (why != Why::OnlyOneSeen) {
      d.Front(b);
      if (why == Why::Closed) {
        d.pf.desktop.CloseWindow(a);
      } else {
        d.pf.desktop.Window(a)->visible = false;
      }
    }
    d.p.tracker.SnapBack();
    if (why == Why::OnlyOneSeen) {
      // b sits between but was never in front; the walk takes the first captioned window.
      EXPECT_EQ(d.pf.desktop.WindowInFront(), b);
    } else {
      EXPECT_EQ(d.pf.desktop.WindowInFront(), captioned);
    }
  }
}

TEST(ForegroundTracking, SnapBackWalkStopsAfter250Steps) {
  struct Case {
    int hiddenBetween;
    bool pellarRunning;
    const char* expect;  // "deep", "pellar" or "none"
  };
  for (const Case& c : {Case{249, false, "deep"}, Case{250, false, "none"},
                        Case{250, true, "pellar"}, Case{0, true, "deep"}}) {
    SCOPED_TRACE(c.hiddenBetween);
    TrackDesk d;
    const WindowId pellar = c.pellarRunning ? d.Pellar() : 0;
    if (c.pellarRunning) {
      d.pf.desktop.Window(pellar)->visible = false;  // not reachable by the walk
    }
    const WindowId deep = d.App(44);
    for (int i = 0; i < c.hiddenBetween; ++i) {
      d.App(100 + i, true, false);
    }
    const WindowId a = d.App(11);
    d.Front(a);
    d.p.tracker.SnapBack();
    const std::string expect = c.expect;
    const WindowId want = expect == "deep" ? deep : expect == "pellar" ? pellar : a;
    EXPECT_EQ(d.pf.desktop.WindowInFront(), want);
    if (expect == "none") {
      EXPECT_EQ(d.pf.log.CountCalls("Activate"), 0u);
    }
  }
}

TEST(ForegroundTracking, SnapBackNeverPicksTheParkedSearchWindow) {
  TrackDesk d;
  const WindowId other = d.App(44);
  d.pf.desktop.UserActivate(d.box);
  const WindowId a = d.App(11);
  d.Front(a);
  d.pf.viewWindow.Park();
  ASSERT_EQ(d.pf.desktop.WindowBelow(a), d.box);
  d.p.tracker.SnapBack();
  EXPECT_EQ(d.pf.desktop.WindowInFront(), other);
}

TEST(ForegroundTracking, ActivationActionsRunOncePerActivation) {
  TrackDesk d;
  const WindowId a = d.App(11);
  d.Front(a);
  d.pf.controls.SetFocus(kScope);
  d.Front(d.box);
  EXPECT_TRUE(d.p.tracker.searchInFront);
  EXPECT_EQ(d.pf.desktop.FocusedWindow(), d.pf.controls.ControlWindow(kTerms));

  d.pf.controls.SetFocus(kScope);
  d.p.tracker.FollowForeground();
  EXPECT_EQ(d.pf.desktop.FocusedWindow(),
            d.pf.controls.ControlWindow(kScope));  // not pulled back a second time

  d.Front(a);
  EXPECT_FALSE(d.p.tracker.searchInFront);
  d.Front(d.box);
  EXPECT_EQ(d.pf.desktop.FocusedWindow(), d.pf.controls.ControlWindow(kTerms));
}

TEST(ForegroundTracking, FocusStaysWhileTheKeyboardIsInUse) {
  struct Case {
    const char* name;
    bool keyboard, altHeld, msgBox, parked, focusMoves;
  };
  const Case cases[] = {
      {"mouse use", false, false, false, false, true},
      {"keyboard use", true, false, false, false, false},
      {"Alt held", false, true, false, false, false},
      {"message box open", false, false, true, false, false},
      {"parked", false, false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackDesk d;
    d.Front(d.App(11));
    d.pf.controls.SetFocus(kScope);
    d.p.window.keyboard = c.keyboard;
    d.pf.hotkeys.SetKeyDown(vk::Alt, c.altHeld);
    d.p.window.inMessageBox = c.msgBox;
    if (c.parked) {
      d.pf.viewWindow.Park();
    }
    d.Front(d.box);
    EXPECT_EQ(d.pf.desktop.FocusedWindow() == d.pf.controls.ControlWindow(kTerms), c.focusMoves);
  }
}

TEST(ForegroundTracking, MessageBoxStopsChecksButNotRemembering) {
  TrackDesk d;
  d.Pellar();
  const WindowId a = d.App(11);
  const WindowId b = d.App(22);
  d.Front(a);
  d.p.window.inMessageBox = true;
  d.pf.controls.SetVisible(kVox, true);
  d.Front(b);
  d.Front(d.box);
  EXPECT_TRUE(d.pf.controls.Visible(kVox));  // no sibling check while the box is open
  EXPECT_FALSE(d.p.tracker.searchInFront);
  EXPECT_EQ(d.p.tracker.lastApp, b);
  EXPECT_EQ(d.p.tracker.previousApp, a);
}

TEST(ForegroundTracking, SiblingProductHidesTheVoiceCheckBox) {
  TrackDesk d;
  const WindowId a = d.App(11);
  const WindowId pellar = d.Pellar();
  d.Front(a);
  d.Front(d.box);
  EXPECT_FALSE(d.pf.controls.Visible(kVox));

  d.pf.controls.SetVisible(kVox, true);
  d.p.tracker.FollowForeground();
  EXPECT_TRUE(d.pf.controls.Visible(kVox));  // checked once per activation only

  d.pf.desktop.CloseWindow(pellar);
  d.pf.processes.RemoveProcess(60);
  d.pf.controls.SetVisible(kVox, false);
  d.Front(a);
  d.Front(d.box);
  EXPECT_TRUE(d.pf.controls.Visible(kVox));
}

}  // namespace
}  // namespace varnel
