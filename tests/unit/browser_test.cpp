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
  for (bool onScreen : {true, false}) {
    SCOPED_TRACE(onScreen ? "found but not started, window on screen"
                          : "found but not started, window parked");
    BrowserDesk d;
    d.pf.launcher.defaultBrowser = R"(C:\B\gone.exe)";
    d.pf.launcher.launchesStart = false;
    d.p.window.handle = d.pf.view.CreateSearchWindow(SearchWindowDesign());
    d.p.window.loaded = true;
    d.pf.view.ShowView();
    if (onScreen) {
      d.pf.view.SetViewTop(96);
    } else {
      d.pf.view.Park();
    }
    d.p.browser.LaunchBrowser();
    EXPECT_EQ(d.pf.log.CountCalls("OpenAddress"), 1u);
    EXPECT_EQ(d.pf.log.CountCalls("Beep"), 1u);  // heard even while the window is parked
    const auto boxes = d.pf.log.Calls("ShowMessageBox");
    ASSERT_EQ(boxes.size(), onScreen ? 1u : 0u);
    if (onScreen) {
      EXPECT_NE(boxes[0].text.find(kBrowserNotStarted), std::string::npos) << boxes[0].text;
    }
  }
  for (bool onScreen : {true, false}) {
    SCOPED_TRACE(onScreen ? "none found, window on screen" : "none found, window parked");
    BrowserDesk d;
    d.p.window.handle = d.pf.view.CreateSearchWindow(SearchWindowDesign());
    d.p.window.loaded = true;
    d.pf.view.ShowView();
    if (onScreen) {
      d.pf.view.SetViewTop(96);
    } else {
      d.pf.view.Park();
    }
    d.p.browser.LaunchBrowser();
    EXPECT_EQ(d.pf.log.CountCalls("Beep"), 1u);
    EXPECT_EQ(d.pf.log.CountCalls("OpenAddress"), 0u);
    const auto boxes = d.pf.log.Calls("ShowMessageBox");
    ASSERT_EQ(boxes.size(), onScreen ? 1u : 0u);
    if (onScreen) {
      EXPECT_NE(boxes[0].text.find("Unable to locate default browser."), std::string::npos);
      EXPECT_EQ(boxes[0].args[1], static_cast<int>(MessageIcon::Information));
    }
  }
}

}  // namespace
}  // namespace varnel
