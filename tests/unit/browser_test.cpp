#include "core/browser.h"

#include <gtest/gtest.h>

#include <string>

#include "core/program.h"
#include "domain/window_design.h"
#include "support/fake_platform.h"

namespace varnel {
namespace {

struct BrowserDesk {
  FakePlatform pf;
  Program p{pf.AllPorts()};

  // The search window loaded and shown, on screen or parked.
  void ShowWindow(bool onScreen) {
    constexpr int kOnScreenTop = 96;
    p.window.handle = pf.viewWindow.CreateSearchWindow(SearchWindowDesign());
    p.window.loaded = true;
    pf.viewWindow.ShowView();
    if (onScreen) {
      pf.viewWindow.SetViewTop(kOnScreenTop);
    } else {
      pf.viewWindow.Park();
    }
  }
};

TEST(BrowserLaunch, StartsFocusesOrComplains) {
  {
    SCOPED_TRACE("not running: started");
    BrowserDesk d;
    d.pf.launcher.defaultBrowser = R"(C:\B\app.exe)";
    d.p.browser.LaunchBrowser();
    ASSERT_EQ(d.pf.log.CountCalls("OpenAddress"), 1u);
    EXPECT_EQ(d.pf.log.Calls("OpenAddress")[0].text, R"(C:\B\app.exe)");
  }
  {
    SCOPED_TRACE("running: restored and brought forward, not started again");
    BrowserDesk d;
    d.pf.launcher.defaultBrowser = R"(C:\B\app.exe)";
    d.pf.processes.AddProcess(70, "app.exe");
    FakeWindow w;
    w.pid = 70;
    w.minimised = true;
    const WindowId browser = d.pf.desktop.AddWindow(w);
    FakeWindow other;
    other.pid = 71;
    d.pf.desktop.UserActivate(d.pf.desktop.AddWindow(other));
    d.p.browser.LaunchBrowser();
    EXPECT_EQ(d.pf.log.CountCalls("OpenAddress"), 0u);
    EXPECT_EQ(d.pf.desktop.WindowInFront(), browser);
    EXPECT_FALSE(d.pf.desktop.Window(browser)->minimised);
  }
  struct Case {
    const char* name;
    std::string browser;  // "": none found
    bool onScreen;        // else the window is parked
    std::size_t opens;    // attempts to start one
    const char* told;     // in the box, while the window is on screen
  };
  const std::string gone = R"(C:\B\gone.exe)";
  const Case cases[] = {
      {"found but not started, window on screen", gone, true, 1, kBrowserNotStarted},
      {"found but not started, window parked", gone, false, 1, kBrowserNotStarted},
      {"none found, window on screen", "", true, 0, "Unable to locate default browser."},
      {"none found, window parked", "", false, 0, "Unable to locate default browser."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BrowserDesk d;
    d.pf.launcher.defaultBrowser = c.browser;
    d.pf.launcher.launchesStart = false;
    d.ShowWindow(c.onScreen);
    d.p.browser.LaunchBrowser();
    EXPECT_EQ(d.pf.log.CountCalls("OpenAddress"), c.opens);
    EXPECT_EQ(d.pf.log.CountCalls("Beep"), 1u);  // heard even while the window is parked
    const auto boxes = d.pf.log.Calls("ShowMessageBox");
    ASSERT_EQ(boxes.size(), c.onScreen ? 1u : 0u);
    if (c.onScreen) {
      EXPECT_NE(boxes[0].text.find(c.told), std::string::npos) << boxes[0].text;
      EXPECT_EQ(boxes[0].args[1], static_cast<int>(MessageIcon::Information));
    }
  }
}

}  // namespace
}  // namespace varnel
