#include "core/window_utils.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/program.h"
#include "domain/codes.h"
#include "domain/window_design.h"
#include "support/fake_platform.h"

namespace varnel {
namespace {

struct WinsysDesk {
  FakePlatform pf;
  Program p{pf.AllPorts()};

  WindowId App(ThreadId thread, ProcessId pid = 0, bool caption = true, bool visible = true) {
    FakeWindow w;
    w.thread = thread;
    w.pid = pid;
    w.caption = caption;
    w.visible = visible;
    return pf.desktop.AddWindow(w);
  }
  // The search window, loaded and on screen.
  WindowId Box() {
    p.window.handle = pf.viewWindow.CreateSearchWindow(SearchWindowDesign());
    p.window.loaded = true;
    pf.viewWindow.ShowView();
    pf.viewWindow.SetViewTop(96);
    return p.window.handle;
  }
  std::vector<std::string> Ops(const std::set<std::string>& ops) const {
    std::vector<std::string> out;
    for (const FakeCall& c : pf.log.Entries()) {
      if (ops.count(c.op) != 0) {
        out.push_back(c.ToString());
      }
    }
    return out;
  }
};

std::string S(const char* fmt, std::int64_t a, std::int64_t b = 0, std::int64_t c = 0) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, static_cast<long long>(a), static_cast<long long>(b),
                static_cast<long long>(c));
  return buf;
}

// ---------------------------------------------------------------- clock and wait

TEST(WindowUtilsClock, TickNowIsUnsignedPastTwoToThe31) {
  WinsysDesk d;
  for (std::uint32_t tick : {0u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    d.pf.loop.SetTick(tick);
    EXPECT_EQ(d.p.winutil.TickNow(), std::uint64_t{tick});
  }
}

TEST(WindowUtilsClock, WaitMsSleepsYieldsAndEnds) {
  struct Case {
    const char* name;
    std::uint32_t start;
    std::int32_t ms;
    bool yield;
    bool manyYields;
  };
  const Case cases[] = {
      {"zero waits one sleep and one yield", 5000, 0, true, false},
      {"negative behaves like zero", 5000, -20, true, false},
      {"yielding wait", 5000, 50, true, true},
      {"quiet wait yields only once", 5000, 50, false, false},
      {"clock wraps during the wait", 0xFFFFFFF0u, 50, true, true},
      {"clock at its last value", 0xFFFFFFFFu, 10, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WinsysDesk d;
    d.pf.loop.SetTick(c.start);
    bool ran = false;
    d.pf.loop.QueueEvent("pending", [&] { ran = true; });
    d.p.winutil.WaitMs(c.ms, c.yield);
    const std::uint32_t elapsed = d.pf.loop.Milliseconds() - c.start;
    EXPECT_TRUE(ran);
    EXPECT_GE(elapsed, static_cast<std::uint32_t>(c.ms > 0 ? c.ms : 1));
    EXPECT_LT(elapsed, 1000u);
    if (c.manyYields) {
      EXPECT_GT(d.pf.log.CountCalls("RunPendingEvents"), 1u);
    } else {
      EXPECT_EQ(d.pf.log.CountCalls("RunPendingEvents"), 1u);
    }
    if (c.ms <= 0) {
      EXPECT_EQ(d.pf.log.CountCalls("Sleep"), 1u);
    }
  }
}

// ---------------------------------------------------------------- hiding and placing

TEST(WindowUtilsHide, AlreadyParkedDoesNothingAtAll) {
  WinsysDesk d;
  d.App(11);
  d.pf.desktop.UserActivate(d.Box());
  d.pf.viewWindow.Park();
  d.p.window.keyboard = true;
  d.pf.log.Clear();
  d.p.winutil.HideSearchWindow();
  EXPECT_TRUE(d.pf.log.Entries().empty()) << testing::PrintToString(d.pf.log.Lines());
  EXPECT_TRUE(d.p.window.keyboard);
}

TEST(WindowUtilsHide, ParksAndActivatesTheNextShownWindow) {
  WinsysDesk d;
  const WindowId shown = d.App(11);
  d.App(12, 0, true, false);  // hidden
  const WindowId mini = d.App(13);
  d.pf.desktop.Window(mini)->minimised = true;
  const WindowId box = d.Box();
  d.pf.desktop.UserActivate(box);
  d.p.window.keyboard = true;
  d.pf.controls.SetTextColour({Control::DoIt, 0}, kHoverGreen);
  d.pf.log.Clear();

  d.p.winutil.HideSearchWindow();

  EXPECT_TRUE(d.pf.viewWindow.Parked());
  EXPECT_EQ(d.pf.controls.TextColour({Control::DoIt, 0}), kHeadingBlue);
  EXPECT_FALSE(d.p.window.keyboard);
  EXPECT_EQ(d.pf.desktop.WindowInFront(), shown);
  EXPECT_NE(d.p.hook.handle, 0u);
  EXPECT_EQ(d.pf.hotkeys.InstalledHooks().size(), 1u);
}

TEST(WindowUtilsHide, NothingBelowStillParksAndRefreshesTheHook) {
  WinsysDesk d;
  const WindowId box = d.Box();
  d.pf.desktop.UserActivate(box);
  d.pf.log.Clear();
  d.p.winutil.HideSearchWindow();
  EXPECT_TRUE(d.pf.viewWindow.Parked());
  EXPECT_EQ(d.pf.log.CountCalls("Activate"), 0u);
  EXPECT_EQ(d.pf.log.CountCalls("InstallKeyHook"), 1u);
  EXPECT_EQ(d.pf.desktop.WindowInFront(), box);
}

TEST(WindowUtilsPlace, PlaceBehindForeground) {
  {
    SCOPED_TRACE("goes directly below the foreground, owned by the desktop");
    WinsysDesk d;
    const WindowId w = d.App(11);
    const WindowId other = d.App(12);
    const WindowId fg = d.App(13);
    d.pf.desktop.UserActivate(fg);
    d.p.winutil.PlaceBehindForeground(w);
    const std::vector<WindowId> expected{fg, w, other};
    EXPECT_EQ(d.pf.desktop.ZOrder(), expected);
    EXPECT_EQ(d.pf.desktop.Window(w)->owner, d.pf.desktop.DesktopRoot());
    EXPECT_EQ(d.pf.desktop.WindowInFront(), fg);
  }
  {
    SCOPED_TRACE("itself in front: only the owner changes");
    WinsysDesk d;
    const WindowId w = d.App(11);
    d.pf.desktop.UserActivate(w);
    d.pf.log.Clear();
    d.p.winutil.PlaceBehindForeground(w);
    EXPECT_EQ(d.Ops({"SetOwner", "PlaceBelow"}),
              (std::vector<std::string>{S("SetOwner %lld %lld", w, d.pf.desktop.DesktopRoot())}));
  }
  {
    SCOPED_TRACE("minimised window or none: nothing");
    WinsysDesk d;
    const WindowId w = d.App(11);
    d.pf.desktop.Window(w)->minimised = true;
    d.pf.desktop.UserActivate(d.App(12));
    d.pf.log.Clear();
    d.p.winutil.PlaceBehindForeground(w);
    d.p.winutil.PlaceBehindForeground(0);
    EXPECT_TRUE(d.Ops({"SetOwner", "PlaceBelow"}).empty());
  }
}

TEST(WindowUtilsPlace, SetWindowOwnerPicksAUsableOwner) {
  enum class Owner { Visible, NotAWindow, Minimised, Hidden, ZeroRect, Self };
  enum class Expect { Given, Foreground, Desktop, NoCall };
  struct Case {
    const char* name;
    Owner owner;
    Expect expect;
  };
  const Case cases[] = {
      {"visible owner", Owner::Visible, Expect::Given},
      {"not a window: the foreground", Owner::NotAWindow, Expect::Foreground},
      {"minimised: the desktop", Owner::Minimised, Expect::Desktop},
      {"hidden: the desktop", Owner::Hidden, Expect::Desktop},
      {"empty rectangle: the desktop", Owner::ZeroRect, Expect::Desktop},
      {"itself: nothing", Owner::Self, Expect::NoCall},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WinsysDesk d;
    const WindowId w = d.App(11);
    const WindowId fg = d.App(12);
    d.pf.desktop.UserActivate(fg);
    WindowId owner = d.App(13);
    switch (c.owner) {
      case Owner::Visible:
        break;
      case Owner::NotAWindow:
        owner = 0xDEAD0;
        break;
      case Owner::Minimised:
        d.pf.desktop.Window(owner)->minimised = true;
        break;
      case Owner::Hidden:
        d.pf.desktop.Window(owner)->visible = false;
        break;
      case Owner::ZeroRect:
        d.pf.desktop.Window(owner)->rect = Rect{};
        break;
      case Owner::Self:
        owner = w;
        break;
    }
    d.pf.log.Clear();
    d.p.winutil.SetWindowOwner(w, owner);
    const auto calls = d.pf.log.Calls("SetOwner");
    if (c.expect == Expect::NoCall) {
      EXPECT_TRUE(calls.empty());
      continue;
    }
    ASSERT_EQ(calls.size(), 1u);
    const WindowId expected = c.expect == Expect::Given        ? owner
                              : c.expect == Expect::Foreground ? fg
                                                               : d.pf.desktop.DesktopRoot();
    EXPECT_EQ(calls[0].args[1], static_cast<std::int64_t>(expected));
  }
  WinsysDesk d;
  d.p.winutil.SetWindowOwner(0, d.pf.desktop.DesktopRoot());
  EXPECT_EQ(d.pf.log.CountCalls("SetOwner"), 0u);
}

TEST(WindowUtilsPlace, CentreFormArithmetic) {
  struct Case {
    int screenW, screenH;
    int w, h;
    WindowState state;
    bool moves;
    int left, top;
  };
  const Case cases[] = {
      {1280, 720, 400, 200, WindowState::Normal, true, 440, 195},
      {1281, 720, 401, 187, WindowState::Normal, true, 440, 200},  // whole-number halves
      {1280, 720, 400, 196, WindowState::Normal, true, 440, 197},  // 196.5 rounds away from 0
      {1280, 720, 400, 200, WindowState::Minimised, false, 0, 0},
      {1280, 720, 400, 200, WindowState::Maximised, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left);
    WinsysDesk d;
    d.Box();
    d.pf.desktop.SetScreenPixels(c.screenW, c.screenH);
    d.pf.viewWindow.MoveView({10, 20, 10 + c.w, 20 + c.h});
    d.pf.loop.SetEventSink(nullptr);  // the window's own resize handler would undo a minimise
    d.pf.viewWindow.SetViewState(c.state);
    d.pf.log.Clear();
    d.p.winutil.CentreWindow();
    const Rect frame = d.pf.viewWindow.ViewFrame();
    if (!c.moves) {
      EXPECT_EQ(frame.left, 10);
      EXPECT_EQ(frame.top, 20);
      continue;
    }
    EXPECT_EQ(frame.left, c.left);
    EXPECT_EQ(frame.top, c.top);
    EXPECT_EQ(frame.right - frame.left, c.w);
    EXPECT_EQ(frame.bottom - frame.top, c.h);
  }
}

// ---------------------------------------------------------------- processes and windows

TEST(WindowUtilsProcess, ImageNameOf) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\a\\b.exe", "b.exe"},
      {"C:\\a\\b\\", "b"},
      {"b.exe", "b.exe"},
      {"x/y.exe", "y.exe"},
      {"C:/dir/", "dir/"},
      {"/usr/lib/firefox/firefox", "firefox"},
      {std::string("C:\\a\\b.exe\0junk\\c", 17), "b.exe"},
      {"", ""},
      {"\\", ""},
      {"a\\", "a"},
  };
  for (const auto& [path, name] : cases) {
    EXPECT_EQ(ImageNameOf(path), name) << path;
  }
}

TEST(WindowUtilsProcess, RunningProcessMatchesByPrefixWithoutCase) {
  struct Case {
    const char* image;
    ProcessId pid;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Mozilla\\FIREFOX.EXE", 20},
      {"fire", 20},              // a prefix matches
      {"app", 40},               // the first match in snapshot order wins
      {"/usr/bin/app.exe", 30},  // no extension on this system
      {"APP.EXE", 30},
      {"apple.exe", 40},
      {"", 10},  // an empty name matches the first process
      {"nothing.exe", 0},
      {"natspeak.exe", 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    WinsysDesk d;
    d.pf.processes.SetProcesses({{10, "System"},
                                 {20, "firefox.exe"},
                                 {40, "apple"},
                                 {30, "app"},
                                 {50, std::string("natspeak.exe\0\0", 14)}});
    EXPECT_EQ(d.p.winutil.RunningProcess(c.image), c.pid);
  }
}

TEST(WindowUtilsProcess, BringProgramToFrontRestoresTheCaptionedWindowOfThatProcess) {
  {
    WinsysDesk d;
    d.pf.processes.SetProcesses({{10, "System"}, {60, "Pellar.exe"}, {30, "app.exe"}});
    const WindowId front = d.App(5, 10);
    const WindowId target = d.App(31, 30);
    d.pf.desktop.Window(target)->minimised = true;
    d.App(31, 30, false, true);  // no caption
    d.App(31, 30, true, false);  // hidden
    FakeWindow pellar;
    pellar.pid = 60;
    pellar.className = "ThunderRT6MDIForm";
    d.pf.desktop.AddWindow(pellar);
    d.pf.desktop.UserActivate(front);

    d.pf.log.Clear();
    EXPECT_EQ(d.p.winutil.BringProgramToFront("C:\\Apps\\app.exe"), target);
    EXPECT_FALSE(d.pf.desktop.Window(target)->minimised);
    EXPECT_EQ(d.pf.desktop.WindowInFront(), target);
    const auto activations = d.pf.log.Calls("Activate");
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_EQ(activations[0].args[1], 1) << "lifted above the others";
  }
}

TEST(WindowUtilsProcess, BringProgramToFrontWithoutAUsableWindow) {
  WinsysDesk d;
  d.pf.processes.SetProcesses({{30, "app.exe"}});
  d.App(31, 30, false, true);
  const WindowId front = d.App(5, 10);
  d.pf.desktop.UserActivate(front);
  EXPECT_EQ(d.p.winutil.BringProgramToFront("app.exe"), 0u);
  EXPECT_EQ(d.pf.desktop.WindowInFront(), front);
  EXPECT_EQ(d.p.winutil.BringProgramToFront("other.exe"), 0u);
  EXPECT_EQ(d.pf.desktop.WindowInFront(), front);
}

TEST(WindowUtilsProcess, SiblingMainWindow) {
  struct Case {
    const char* name;
    bool running;
    const char* cls;
    ProcessId windowPid;
    bool found;
  };
  const Case cases[] = {
      {"MDI main window", true, "ThunderMDIForm", 60, true},
      {"run-time MDI class, any case", true, "thunderrt6mdiform", 60, true},
      {"only other windows", true, "ThunderRT6FormDC", 60, false},
      {"MDI class of another process", true, "ThunderMDIForm", 61, false},
      {"not running, owner unknown", false, "ThunderMDIForm", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WinsysDesk d;
    d.pf.processes.SetProcesses({{10, "System"}});
    if (c.running) {
      d.pf.processes.AddProcess(60, "Pellar");
    }
    d.App(5, 10);
    FakeWindow w;
    w.pid = c.windowPid;
    w.className = c.cls;
    const WindowId h = d.pf.desktop.AddWindow(w);
    EXPECT_EQ(d.p.winutil.SiblingMainWindow(), c.found ? h : 0u);
  }
}

}  // namespace
}  // namespace varnel
