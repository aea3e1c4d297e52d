#include "adapters/shared/browser_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "domain/text.h"
#include "support/fake_log.h"
#include "support/fake_system_paths.h"

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

// The places a desktop names its browser, as each test fills them.
struct TestSources final : BrowserSources {
  explicit TestSources(FakeLog& log) : log(log) {}
  FakeLog& log;
  std::string browserUserCommand, browserChosenHandler;
  std::map<std::string, std::string> browserHandlerCommands;
  std::string executableForDocument;
  // How a command line names its program; by default its first word or quoted part.
  std::function<std::string(const std::string&)> executableFromCommand;

  std::string BrowserUserCommand() override { return browserUserCommand; }
  std::string BrowserChosenHandler() override { return browserChosenHandler; }
  std::string BrowserHandlerCommand(const std::string& handler) override {
    auto it = browserHandlerCommands.find(handler);
    return it == browserHandlerCommands.end() ? std::string() : it->second;
  }
  std::string ExecutableForDocument(const std::string& path) override {
    log.Record("ExecutableForDocument", {}, path);
    return executableForDocument;
  }
  std::string ExecutableFromCommand(const std::string& commandLine) override {
    if (executableFromCommand) {
      return executableFromCommand(commandLine);
    }
    if (!commandLine.empty() && commandLine[0] == '"') {
      auto end = commandLine.find('"', 1);
      return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return commandLine.substr(0, commandLine.find(' '));
  }
};

struct LookupDesk {
  TempDir temp;
  FakeLog log;
  FakeSystemPaths paths;
  TestSources sources{log};
  LookupDesk() { paths.tempFolder = temp.Folder(); }
  std::string Find(CommandLineRules rules) { return FindDefaultBrowser(sources, paths, rules); }
};

TEST(Text, BeforeNulTrimmed) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc"},
      {"abc   ", "abc"},
      {std::string("C:\\b.exe\0   garbage", 19), "C:\\b.exe"},
      {std::string("x  \0y", 5), "x"},
      {"  lead", "  lead"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(BeforeNulTrimmed(in), out);
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

// Windows rules drop quotes and end the executable at ".exe"; elsewhere each source's command
// line is parsed by the desktop itself.
TEST(BrowserLookup, SourcesInOrder) {
  constexpr CommandLineRules kWindows = CommandLineRules::Windows;
  constexpr CommandLineRules kPosix = CommandLineRules::Posix;
  struct Case {
    const char* name;
    CommandLineRules rules;
    std::string user, handler, handlerCmd, document;
    std::string expected;
    bool asksShell;
  };
  const Case cases[] = {
      {"quoted path with arguments", kWindows, R"("C:\Browser\app.exe" -url "%1")", "", "", "",
       R"(C:\Browser\app.exe)", false},
      {"upper-case extension", kWindows, "APP.EXE -x", "", "", "", "APP.exe", false},
      {"arguments holding dots", kWindows, R"("C:\B\app.exe" --profile "C:\p.d\x" -- "%1")", "", "",
       "", R"(C:\B\app.exe)", false},
      {"no user command: the chosen handler", kWindows, "", "FooHTML",
       R"("C:\Foo\foo.exe" -osint -url "%1")", "", R"(C:\Foo\foo.exe)", false},
      {"user command without .exe: the chosen handler", kWindows, "run-browser %1", "FooHTML",
       R"(C:\Foo\foo.exe %1)", "", R"(C:\Foo\foo.exe)", false},
      {"handler without command: the association", kWindows, "", "Gone", "", R"(C:\Assoc\b.exe)",
       R"(C:\Assoc\b.exe)", true},
      {"only the association", kWindows, "", "", "", R"(C:\Program Files\Assoc\b.exe)",
       R"(C:\Program Files\Assoc\b.exe)", true},
      {"nothing at all", kWindows, "", "", "", "", "", true},
      {"posix user command", kPosix, "/usr/bin/firefox %u", "", "", "", "/usr/bin/firefox", false},
      {"posix chosen handler", kPosix, "", "firefox.desktop",
       "\"/opt/ff 1.0/firefox\" --new-window %u", "", "/opt/ff 1.0/firefox", false},
      {"posix association", kPosix, "", "", "", "/usr/bin/chromium %U", "/usr/bin/chromium", true},
      {"posix none", kPosix, "", "nothing.desktop", "", "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LookupDesk d;
    d.sources.browserUserCommand = c.user;
    d.sources.browserChosenHandler = c.handler;
    if (!c.handlerCmd.empty()) {
      d.sources.browserHandlerCommands[c.handler] = c.handlerCmd;
    }
    d.sources.executableForDocument = c.document;
    EXPECT_EQ(d.Find(c.rules), c.expected);
    EXPECT_EQ(d.log.CountCalls("ExecutableForDocument"), c.asksShell ? 1u : 0u);
    EXPECT_EQ(d.temp.Count(), 0u);  // the temporary document is gone
  }
}

TEST(BrowserLookup, TemporaryDocumentExistsOnlyDuringTheLookup) {
  LookupDesk d;
  d.sources.executableForDocument = "/usr/bin/b";
  bool existedEmpty = false;
  std::string asked;
  // Runs while the document is still there.
  d.sources.executableFromCommand = [&](const std::string& cmd) {
    asked = d.log.Calls("ExecutableForDocument").at(0).text;
    existedEmpty = fs::is_regular_file(asked) && fs::file_size(asked) == 0;
    return cmd;
  };
  EXPECT_EQ(d.Find(CommandLineRules::Posix), "/usr/bin/b");
  EXPECT_TRUE(existedEmpty);
  EXPECT_EQ(asked.rfind(d.temp.Folder(), 0), 0u);
  EXPECT_EQ(asked.substr(asked.size() - 4), ".htm");
  EXPECT_FALSE(fs::exists(asked));
}

TEST(BrowserTempFile, UniqueExclusiveAndInTheTemporaryFolder) {
  LookupDesk d;
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    const std::string name = MakeTempFile(d.paths, ".htm", true);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.rfind(d.temp.Folder(), 0), 0u);
    EXPECT_TRUE(fs::is_regular_file(name));
    EXPECT_EQ(fs::file_size(name), 0u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 50u);

  const std::string unmade = MakeTempFile(d.paths, ".htm", false);
  EXPECT_FALSE(unmade.empty());
  EXPECT_FALSE(fs::exists(unmade));
  EXPECT_EQ(names.count(unmade), 0u);
}

TEST(BrowserTempFile, UnusableFolderIsAFailureNotAName) {
  LookupDesk d;
  d.paths.tempFolder = d.temp.Folder() + "missing/";
  EXPECT_EQ(MakeTempFile(d.paths, ".htm", true), "");
  d.sources.executableForDocument = R"(C:\x\b.exe)";
  EXPECT_EQ(d.Find(CommandLineRules::Windows), "");  // no document, no association
  EXPECT_EQ(d.log.CountCalls("ExecutableForDocument"), 0u);
}

}  // namespace
}  // namespace varnel
