#include "core/browser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "core/program.h"
#include "domain/window_design.h"
#include "support/fake_platform.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

// A private temporary folder per test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("varnel-browser-test-" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Folder() const { return path_.string() + "/"; }
  std::size_t Count() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(path_), {}));
  }

 private:
  fs::path path_;
};

struct BrowserDesk {
  TempDir temp;
  FakePlatform pf;
  Program p{pf.AllPorts()};
  BrowserDesk() { pf.paths.tempFolder = temp.Folder(); }

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

TEST(BrowserText, TrimNull) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc"},
      {"abc   ", "abc"},
      {std::string("C:\\b.exe\0   garbage", 19), "C:\\b.exe"},
      {std::string("x  \0y", 5), "x"},
      {"  lead", "  lead"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(TrimNull(in), out);
  }
}

TEST(BrowserText, CutAtLastDot) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Browser\\app.exe -url %1", "C:\\Browser\\app"},
      {"APP.EXE -x", "APP"},
      {"C:\\B\\app.exe --profile C:\\p.d\\x.y", "C:\\B\\app"},
      {"C:\\B\\app.exe -- http://a.b/c", "C:\\B\\app"},
      {"C:\\my.exe.dir\\app.exe -x", "C:\\my.exe.dir\\app"},
      {"  C:\\B\\app.exe  ", "C:\\B\\app"},
      {"C:\\B\\app.com", "C:\\B\\app"},  // no ".exe": the last dot
      {"nodot", "nodot"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(CutAtLastDot(in), out) << in;
  }
}

TEST(BrowserLookup, WindowsSourcesInOrder) {
  struct Case {
    const char* name;
    std::string user, handler, handlerCmd, document;
    std::string expected;
    bool asksShell;
  };
  const Case cases[] = {
      {"quoted path with arguments", R"("C:\Browser\app.exe" -url "%1")", "", "", "",
       R"(C:\Browser\app.exe)", false},
      {"upper-case extension", "APP.EXE -x", "", "", "", "APP.exe", false},
      {"arguments holding dots", R"("C:\B\app.exe" --profile "C:\p.d\x" -- "%1")", "", "", "",
       R"(C:\B\app.exe)", false},
      {"no user command: the chosen handler", "", "FooHTML", R"("C:\Foo\foo.exe" -osint -url "%1")",
       "", R"(C:\Foo\foo.exe)", false},
      {"user command without .exe: the chosen handler", "run-browser %1", "FooHTML",
       R"(C:\Foo\foo.exe %1)", "", R"(C:\Foo\foo.exe)", false},
      {"handler without command: the association", "", "Gone", "", R"(C:\Assoc\b.exe)",
       R"(C:\Assoc\b.exe)", true},
      {"only the association", "", "", "", R"(C:\Program Files\Assoc\b.exe)",
       R"(C:\Program Files\Assoc\b.exe)", true},
      {"nothing at all", "", "", "", "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BrowserDesk d;
    d.pf.launcher.browserUserCommand = c.user;
    d.pf.launcher.browserChosenHandler = c.handler;
    if (!c.handlerCmd.empty()) {
      d.pf.launcher.browserHandlerCommands[c.handler] = c.handlerCmd;
    }
    d.pf.launcher.executableForDocument = c.document;
    EXPECT_EQ(d.p.browser.GetDefaultBrowser(), c.expected);
    EXPECT_EQ(d.pf.log.CountCalls("ExecutableForDocument"), c.asksShell ? 1u : 0u);
    EXPECT_EQ(d.pf.log.CountCalls("Beep"), c.expected.empty() ? 1u : 0u);
    EXPECT_EQ(d.temp.Count(), 0u);  // the temporary document is gone
  }
}

TEST(BrowserLookup, OtherSystemsParseEachSourceThemselves) {
  struct Case {
    const char* name;
    std::string user, handler, handlerCmd, document;
    std::string expected;
  };
  const Case cases[] = {
      {"user command", "/usr/bin/firefox %u", "", "", "", "/usr/bin/firefox"},
      {"chosen handler", "", "firefox.desktop", "\"/opt/ff 1.0/firefox\" --new-window %u", "",
       "/opt/ff 1.0/firefox"},
      {"association", "", "", "", "/usr/bin/chromium %U", "/usr/bin/chromium"},
      {"none", "", "nothing.desktop", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BrowserDesk d;
    d.pf.launcher.windowsCommandLines = false;
    d.pf.launcher.browserUserCommand = c.user;
    d.pf.launcher.browserChosenHandler = c.handler;
    if (!c.handlerCmd.empty()) {
      d.pf.launcher.browserHandlerCommands[c.handler] = c.handlerCmd;
    }
    d.pf.launcher.executableForDocument = c.document;
    EXPECT_EQ(d.p.browser.GetDefaultBrowser(), c.expected);
    EXPECT_EQ(d.pf.log.CountCalls("Beep"), c.expected.empty() ? 1u : 0u);
  }
}

TEST(BrowserLookup, TemporaryDocumentExistsOnlyDuringTheLookup) {
  BrowserDesk d;
  d.pf.launcher.windowsCommandLines = false;
  d.pf.launcher.executableForDocument = "/usr/bin/b";
  bool existedEmpty = false;
  std::string asked;
  // Runs while the document is still there.
  d.pf.launcher.executableFromCommand = [&](const std::string& cmd) {
    asked = d.pf.log.Calls("ExecutableForDocument").at(0).text;
    existedEmpty = fs::is_regular_file(asked) && fs::file_size(asked) == 0;
    return cmd;
  };
  EXPECT_EQ(d.p.browser.GetDefaultBrowser(), "/usr/bin/b");
  EXPECT_TRUE(existedEmpty);
  EXPECT_EQ(asked.rfind(d.temp.Folder(), 0), 0u);
  EXPECT_EQ(asked.substr(asked.size() - 4), ".htm");
  EXPECT_FALSE(fs::exists(asked));
}

TEST(BrowserTempFile, UniqueExclusiveAndInTheTemporaryFolder) {
  BrowserDesk d;
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    const std::string name = d.p.browser.MakeTempFile(".htm", true);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.rfind(d.temp.Folder(), 0), 0u);
    EXPECT_TRUE(fs::is_regular_file(name));
    EXPECT_EQ(fs::file_size(name), 0u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 50u);

  const std::string unmade = d.p.browser.MakeTempFile(".htm", false);
  EXPECT_FALSE(unmade.empty());
  EXPECT_FALSE(fs::exists(unmade));
  EXPECT_EQ(names.count(unmade), 0u);
}

TEST(BrowserTempFile, UnusableFolderIsAFailureNotAName) {
  BrowserDesk d;
  d.pf.paths.tempFolder = d.temp.Folder() + "missing/";
  EXPECT_EQ(d.p.browser.MakeTempFile(".htm", true), "");
  d.pf.launcher.executableForDocument = R"(C:\x\b.exe)";
  EXPECT_EQ(d.p.browser.GetDefaultBrowser(), "");  // no document, no association
  EXPECT_EQ(d.pf.log.CountCalls("ExecutableForDocument"), 0u);
}

TEST(BrowserLaunch, StartsFocusesOrComplains) {
  {
    SCOPED_TRACE("not running: started");
    BrowserDesk d;
    d.pf.launcher.browserUserCommand = R"("C:\B\app.exe" "%1")";
    d.p.browser.LaunchBrowser();
    ASSERT_EQ(d.pf.log.CountCalls("OpenAddress"), 1u);
    EXPECT_EQ(d.pf.log.Calls("OpenAddress")[0].text, R"(C:\B\app.exe)");
  }
  {
    SCOPED_TRACE("running: restored and brought forward, not started again");
    BrowserDesk d;
    d.pf.launcher.browserUserCommand = R"("C:\B\app.exe" "%1")";
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
    std::string userCommand;  // "": no browser found
    bool onScreen;            // else the window is parked
    std::size_t opens;        // attempts to start one
    const char* told;         // in the box, while the window is on screen
  };
  const std::string gone = R"("C:\B\gone.exe" "%1")";
  const Case cases[] = {
      {"found but not started, window on screen", gone, true, 1, kBrowserNotStarted},
      {"found but not started, window parked", gone, false, 1, kBrowserNotStarted},
      {"none found, window on screen", "", true, 0, "Unable to locate default browser."},
      {"none found, window parked", "", false, 0, "Unable to locate default browser."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BrowserDesk d;
    d.pf.launcher.browserUserCommand = c.userCommand;
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
