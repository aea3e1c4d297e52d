// The desktop layer's helpers that need no display: key codes, command lines, processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "adapters/x11/autostart_entry.h"
#include "adapters/x11/command_line.h"
#include "adapters/x11/keysym_vk.h"
#include "adapters/x11/open_address.h"
#include "adapters/x11/proc_list.h"
#include "domain/key_masks.h"

namespace varnel {
namespace {

TEST(KeysymVk, MapsTheKeysTheLogicLooksAt) {
  struct Case {
    std::uint32_t keysym, vk;
  } cases[] = {
      {'a', 'A'},    {'z', 'Z'},    {'Q', 'Q'},    {'1', '1'},    {'/', 191},
      {0xff09, 9},   {0xff0d, 13},  {0xff1b, 27},  {0xff51, 37},  {0xff52, 38},
      {0xff53, 39},  {0xff54, 40},  {0xffbe, 112}, {0xffc9, 123}, {0xffe1, 160},
      {0xffe4, 163}, {0xffe9, 164}, {0xfe03, 165}, {0xffb5, 101}, {0x20ac, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VkFromKeysym(c.keysym), c.vk) << std::hex << c.keysym;
  }
}

TEST(KeysymVk, ModifierStateBitsAndTheProgramsMasks) {
  struct Case {
    std::uint16_t state;
    int masks;
  } cases[] = {
      {0x01, kMaskShift},
      {0x04, kMaskCtrl},
      {0x08, kMaskAlt},
      {0x40, kMaskSuper},
      {0x0c, kMaskCtrl | kMaskAlt},
      {0x02, 0},          // Caps Lock is no Shift
      {0x10, 0},          // nor Num Lock (Mod2)
      {0x80, 0},          // nor AltGr (Mod5)
      {0x14, kMaskCtrl},  // Ctrl with Num Lock on
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MasksOfModifierBits(c.state), c.masks) << std::hex << c.state;
  }
  for (int masks = 0; masks <= (kMaskShift | kMaskCtrl | kMaskAlt | kMaskSuper); ++masks) {
    EXPECT_EQ(MasksOfModifierBits(ModifierBitsOf(masks)), masks) << masks;
  }
}

TEST(KeysymVk, TheLayoutGroupInAStateAndItsColumnsInTheCoreMap) {
  struct Case {
    std::uint16_t state;
    int group, plainColumn, shiftColumn;
  } cases[] = {
      {0x0000, 0, 0, 1}, {0x2000, 1, 2, 3}, {0x2005, 1, 2, 3},  // Shift and Ctrl beside it
      {0x4000, 2, 0, 1},  // the third and fourth groups are not in the core map
      {0x6000, 3, 0, 1},
  };
  for (const Case& c : cases) {
    const int group = GroupOfModifierBits(c.state);
    EXPECT_EQ(group, c.group) << std::hex << c.state;
    EXPECT_EQ(CoreMapColumn(group, 0), c.plainColumn) << std::hex << c.state;
    EXPECT_EQ(CoreMapColumn(group, 1), c.shiftColumn) << std::hex << c.state;
  }
}

TEST(KeysymVk, InjectionRoundTripsAndGenericModifiersMatchEitherHand) {
  for (std::uint32_t vk : {9U, 13U, 27U, 37U, 40U, 65U, 90U, 48U, 57U, 112U, 191U, 186U}) {
    EXPECT_EQ(VkFromKeysym(KeysymFromVk(vk)), vk) << vk;
  }
  EXPECT_EQ(KeysymFromVk(18), 0xffe9U);
  EXPECT_TRUE(VkMatches(160, 16));
  EXPECT_TRUE(VkMatches(163, 17));
  EXPECT_TRUE(VkMatches(165, 18));
  EXPECT_FALSE(VkMatches(160, 17));
  EXPECT_FALSE(VkMatches(16, 160));
}

TEST(ExecLine, SplitsQuotesAndDropsFieldCodes) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"firefox %u", {"firefox"}},
      {"\"/opt/My Browser/run\" --new-window %U", {"/opt/My Browser/run", "--new-window"}},
      {"env A=1 chromium %F --x", {"env", "A=1", "chromium", "--x"}},
      {"app --percent=50%%", {"app", "--percent=50%"}},
      {"'single quoted' x", {"single quoted", "x"}},
      {"a\\ b c", {"a b", "c"}},
      {"   ", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitExecLine(c.line), c.words) << c.line;
  }
}

// The Exec value as a desktop environment reads it back: the entry's escapes undone, then
// split into words.
std::vector<std::string> AutostartArgv(const std::string& entry) {
  const std::string key = "\nExec=";
  const std::size_t at = entry.find(key);
  if (at == std::string::npos) return {};
  const std::size_t from = at + key.size();
  const std::string value = entry.substr(from, entry.find('\n', from) - from);
  std::string unescaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\') ++i;
    unescaped += value[i];
  }
  return SplitExecLine(unescaped);
}

// (A literal % is doubled too, for the launchers that expand field codes before they unquote,
// as GLib does; this project's splitter leaves quoted text alone, so no such case here.)
TEST(Autostart, ExecRunsExactlyThisProgram) {
  for (const std::string path : {"/usr/bin/varnel", "/opt/My Apps/varnel", "/home/a\"b/$x`y`/v",
                                 "/tmp/back\\slash/varnel"}) {
    EXPECT_EQ(AutostartArgv(AutostartEntryText(path)), std::vector<std::string>{path}) << path;
  }
}

TEST(Autostart, PathFollowsXdgConfigHome) {
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = savedXdg != nullptr ? savedXdg : "";
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  struct Case {
    const char* xdg;  // nullptr = unset
    std::string want;
  } cases[] = {
      {"/x/conf", "/x/conf/autostart/varnel.desktop"},
      {nullptr, home + "/.config/autostart/varnel.desktop"},
      {"", home + "/.config/autostart/varnel.desktop"},
      {"relative/conf", home + "/.config/autostart/varnel.desktop"},  // ignored, as specified
  };
  for (const Case& c : cases) {
    if (c.xdg != nullptr) {
      setenv("XDG_CONFIG_HOME", c.xdg, 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(AutostartEntryPath(), c.want) << (c.xdg != nullptr ? c.xdg : "(unset)");
  }
  if (savedXdg != nullptr) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(Autostart, OnOffAndAHiddenEntry) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("varnel-autostart-" + std::to_string(getpid()));
  const std::string entry = (dir / "autostart" / "varnel.desktop").string();
  EXPECT_FALSE(AutostartEnabled(entry));
  EXPECT_TRUE(SetAutostart(entry, "/usr/bin/varnel", true));  // creates the folder too
  EXPECT_TRUE(AutostartEnabled(entry));
  EXPECT_FALSE(std::filesystem::exists(entry + ".new"));
  EXPECT_TRUE(SetAutostart(entry, "/usr/bin/varnel", false));
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_TRUE(SetAutostart(entry, "/usr/bin/varnel", false));  // off twice is no failure
  // A desktop's settings hide an entry rather than delete it: that is off.
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nExec=varnel\nHidden=true\n";
  EXPECT_FALSE(AutostartEnabled(entry));
  EXPECT_TRUE(SetAutostart(entry, "/usr/bin/varnel", true));
  EXPECT_TRUE(AutostartEnabled(entry));
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(SetAutostart("", "/usr/bin/varnel", true));
}

TEST(BrowserVar, EveryEntrySubstitutedOrAppended) {
  const std::string url = "https://x.test/?q=a%20b&c=1";
  using Argv = std::vector<std::string>;
  struct Case {
    const char* var;
    std::vector<Argv> commands;
  } cases[] = {
      {"firefox", {{"firefox", url}}},
      {"w3m:lynx", {{"w3m", url}, {"lynx", url}}},
      {"open-it --tab %s", {{"open-it", "--tab", url}}},
      {"a %s:b --new", {{"a", url}, {"b", "--new", url}}},
      {"\"/opt/b b/run\" -u", {{"/opt/b b/run", "-u", url}}},
      {"", {}},
      {":lynx:", {{"lynx", url}}},
      {" : ", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BrowserCommands(c.var, url), c.commands) << c.var;
  }
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/varnel-x11-test.XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const std::filesystem::path& p, const std::string& text, bool exec = false) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << text;
    if (exec) {
      chmod(p.c_str(), 0755);
    }
  }
  std::filesystem::path dir_;
};

using ResolveExecutableTest = TempDir;

TEST_F(ResolveExecutableTest, FindsOnPathAndRejectsWhatCannotRun) {
  Write(dir_ / "bin/browser", "#!/bin/sh\n", true);
  Write(dir_ / "bin/notes.txt", "x");
  Write(dir_ / "other/browser", "#!/bin/sh\n", true);
  const std::string path = (dir_ / "bin").string() + ":" + (dir_ / "other").string();
  EXPECT_EQ(ResolveExecutable("browser %u", path), (dir_ / "bin/browser").string());
  EXPECT_EQ(ResolveExecutable("notes.txt", path), "");
  EXPECT_EQ(ResolveExecutable("missing --x", path), "");
  EXPECT_EQ(ResolveExecutable("\"" + (dir_ / "other/browser").string() + "\" %U", ""),
            (dir_ / "other/browser").string());
  EXPECT_EQ(ResolveExecutable((dir_ / "bin").string(), path), "");  // a folder
  EXPECT_EQ(ResolveExecutable("", path), "");
}

using LaunchTest = TempDir;

bool EventuallyExists(const std::filesystem::path& p) {
  for (int i = 0; i < 2000 && !std::filesystem::exists(p); ++i) {
    usleep(10'000);
  }
  return std::filesystem::exists(p);
}

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(LaunchTest, StartedMeansTheProgramRunsNotThatItEnded) {
  Write(dir_ / "notes.txt", "x");
  const std::string missing = (dir_ / "missing").string();
  const std::string text = (dir_ / "notes.txt").string();
  EXPECT_FALSE(StartDetached({missing}));
  EXPECT_FALSE(StartDetached({text}));
  EXPECT_FALSE(StartDetached({"varnel-no-such-program"}));
  EXPECT_FALSE(StartDetached({}));
  EXPECT_TRUE(StartDetached({"sh", "-c", "exit 3"}));  // found on PATH; its status is its own

  // Still running when the call returns: it waits for a file only this test makes (and
  // gives up by itself after a while, so a failed test leaves nothing running).
  const auto gate = dir_ / "gate";
  const auto done = dir_ / "done";
  Write(dir_ / "wait.sh",
        "#!/bin/sh\nn=0\nwhile [ ! -e '" + gate.string() +
            "' ] && [ $n -lt 1000 ]; do sleep 0.02; n=$((n+1)); done\ntouch '" + done.string() +
            "'\n",
        true);
  ASSERT_TRUE(StartDetached({(dir_ / "wait.sh").string()}));
  Write(gate, "");
  EXPECT_TRUE(EventuallyExists(done));
}

TEST_F(LaunchTest, BrowserEntriesAreTriedInOrderUntilOneStarts) {
  const auto urls = dir_ / "urls";
  Write(dir_ / "rec.sh", "#!/bin/sh\nprintf '%s\\n' \"$*\" >>'" + urls.string() + "'\n", true);
  const std::string rec = (dir_ / "rec.sh").string();
  const std::string url = "https://x.test/?q=a%20b";
  const std::string var = (dir_ / "missing").string() + ":" + rec + " first %s:" + rec + " second";
  ASSERT_TRUE(OpenWebAddress(url, var));
  ASSERT_TRUE(EventuallyExists(urls));
  usleep(100'000);  // room for a wrong second start to show
  EXPECT_EQ(Slurp(urls), "first " + url + "\n");
}

using ListProcessesTest = TempDir;

TEST_F(ListProcessesTest, AscendingPidsWithExeOrComm) {
  std::filesystem::create_directories(dir_ / "20");
  std::filesystem::create_symlink("/usr/bin/some-browser (deleted)", dir_ / "20/exe");
  Write(dir_ / "3/comm", "kworker\n");  // no exe link: the command name stands in
  std::filesystem::create_directories(dir_ / "100");
  std::filesystem::create_symlink("/opt/varnel/varnel", dir_ / "100/exe");
  Write(dir_ / "self/comm", "x\n");  // not a pid
  Write(dir_ / "12abc/comm", "x\n");
  std::filesystem::create_directories(dir_ / "7");  // vanished: neither exe nor comm

  const std::vector<ProcessEntry> got = ListProcesses(dir_.string());
  ASSERT_EQ(got.size(), 3U);
  EXPECT_EQ(got[0].pid, 3U);
  EXPECT_EQ(got[0].exeFile, "kworker");
  EXPECT_EQ(got[1].pid, 20U);
  EXPECT_EQ(got[1].exeFile, "some-browser");
  EXPECT_EQ(got[2].pid, 100U);
  EXPECT_EQ(got[2].exeFile, "varnel");
  EXPECT_TRUE(ListProcesses((dir_ / "none").string()).empty());

  // Only the given user's processes: here every entry is ours, none another user's.
  EXPECT_EQ(ListProcesses(dir_.string(), ::getuid()).size(), 3U);
  EXPECT_TRUE(ListProcesses(dir_.string(), ::getuid() + 1).empty());
}

}  // namespace
}  // namespace varnel
