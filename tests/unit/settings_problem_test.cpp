// A settings file that cannot keep the history: the window says so once, in its message line,
// and `varnel --search` fails with one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "core/cli.h"
#include "domain/codes.h"
#include "support/fake_program.h"
#include "support/fake_speech.h"

namespace varnel::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kOverLimit = 1024 * 1024 + 1;
constexpr const char* kNotSaved = "History not saved";

struct Problem {
  const char* name;
  bool needsPermissions;  // permission bits do not bind root
  std::function<void(const fs::path& folder, const fs::path& cfg)> make;
  const char* reason;  // part of the message
};

const Problem kProblems[] = {
    {"a folder in its place", false,
     [](const fs::path&, const fs::path& cfg) { fs::create_directories(cfg); }, "not a file"},
    {"too large", false,
     [](const fs::path&, const fs::path& cfg) {
       WriteFile(cfg.string(), "[History]\r\nSearchHistory=old\r\n" + std::string(kOverLimit, ';'));
     },
     "1 MiB"},
    {"read-only", true,
     [](const fs::path&, const fs::path& cfg) {
       WriteFile(cfg.string(), "[History]\r\nSearchHistory=old\r\n");
       fs::permissions(cfg, fs::perms::owner_read, fs::perm_options::replace);
     },
     "read-only"},
    {"unreadable", true,
     [](const fs::path&, const fs::path& cfg) {
       WriteFile(cfg.string(), "[History]\r\nSearchHistory=old\r\n");
       fs::permissions(cfg, fs::perms::none, fs::perm_options::replace);
     },
     "cannot be read"},
    {"folder not writable", true,
     [](const fs::path& folder, const fs::path&) {
       fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec,
                       fs::perm_options::replace);
     },
     "folder is read-only"},
};

bool Skip(const Problem& p) {
  return p.needsPermissions && ::geteuid() == 0;
}

// The messages that reached the message line, in order.
std::vector<std::string> MessageLine(FakePlatform& fake) {
  std::vector<std::string> texts;
  for (const FakeCall& call : fake.log.Calls("SetText")) {
    if (call.text != kOptionsHint && call.text.starts_with(kNotSaved)) {
      texts.push_back(call.text);
    }
  }
  return texts;
}

TEST(SettingsProblem, TheWindowSaysItOnce) {
  for (const Problem& problem : kProblems) {
    SCOPED_TRACE(problem.name);
    if (Skip(problem)) {
      continue;
    }
    TempFolder tmp;
    const fs::path folder = tmp.path() / "cfg";
    fs::create_directories(folder);
    const fs::path cfg = folder / "Varnel.cfg";
    problem.make(folder, cfg);
    {
      FakeProgram app(cfg.string());
      app.AddApp();
      app.Start();
      for (int search = 0; search < 2; ++search) {
        app.fake.controls.SetText({Control::Terms}, "cheap flights");
        app.p().search.SearchNow();
        app.fake.loop.RunPending();
        app.p().ports.loop.Post(kSummonMessage);
        app.fake.loop.RunPending();
      }
      const std::vector<std::string> said = MessageLine(app.fake);
      ASSERT_EQ(said.size(), 1u);
      EXPECT_NE(said[0].find(problem.reason), std::string::npos) << said[0];
      // The next showing brings the usual hint back.
      EXPECT_EQ(app.fake.controls.Text({Control::Message}), kOptionsHint);
      EXPECT_EQ(app.fake.log.CountCalls("ShowMessageBox"), 0u);
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
  }
}

// Voice commands switched on at start write the same line: they must not hide the problem
// before the user could read it. It stays for that showing; the next one has the usual hint.
TEST(SettingsProblem, VoiceSwitchedOnAtStartDoesNotHideIt) {
  TempFolder tmp;
  const fs::path cfg = tmp.path() / "Varnel.cfg";
  fs::create_directories(cfg);
  FakeProgram app(cfg.string());
  auto speech = std::make_shared<SpeechScript>();
  app.fake.speech.speechFactory = [speech](SpeechError& e) { return speech->Create(e); };
  app.fake.processes.AddProcess(7000, "natspeak.exe");
  app.AddApp();
  app.Start();
  const std::string shown = app.fake.controls.Text({Control::Message});
  EXPECT_TRUE(shown.starts_with(kNotSaved)) << shown;
  EXPECT_EQ(app.fake.controls.Value({Control::VoiceCommands}), 1);
  app.p().winutil.HideSearchWindow();
  app.p().ports.loop.Post(kSummonMessage);
  app.fake.loop.RunPending();
  EXPECT_EQ(app.fake.controls.Text({Control::Message}), kOptionsHint);
}

TEST(SettingsProblem, HealthyFileSaysNothing) {
  TempFolder tmp;
  FakeProgram app(tmp.str() + "Varnel.cfg");
  app.Start();
  app.fake.controls.SetText({Control::Terms}, "cheap flights");
  app.p().search.SearchNow();
  app.p().ports.loop.Post(kSummonMessage);
  app.fake.loop.RunPending();
  EXPECT_TRUE(MessageLine(app.fake).empty());
}

TEST(SettingsProblem, SearchFromTheCommandLineFailsWithOneLine) {
  for (const Problem& problem : kProblems) {
    SCOPED_TRACE(problem.name);
    if (Skip(problem)) {
      continue;
    }
    TempFolder tmp;
    const fs::path folder = tmp.path() / "cfg";
    fs::create_directories(folder);
    const fs::path cfg = folder / "Varnel.cfg";
    problem.make(folder, cfg);
    FakePlatform fake;
    fake.paths.environment["VARNEL_CFG"] = cfg.string();
    std::ostringstream out;
    std::ostringstream err;
    const std::optional<int> status =
        RunCommandLine({"--search", "cheap", "flights"}, fake.AllPorts(), out, err);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.str(), "");
    const std::string line = err.str();
    EXPECT_TRUE(line.starts_with("varnel: ")) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
    EXPECT_NE(line.find(problem.reason), std::string::npos) << line;
    // The search itself still goes out.
    EXPECT_EQ(fake.log.CountCalls("OpenAddress"), 1u);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
  }
}

}  // namespace
}  // namespace varnel::testing
