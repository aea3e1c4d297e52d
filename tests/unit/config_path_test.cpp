#include "core/config_path.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/fake_system_paths.h"
#include "unit/temp_folder.h"

namespace varnel {
namespace {

using test::TempFolder;

// An installed program's folder is no place for settings, writable or not: a Varnel.cfg
// there is used only when it is already there (a portable copy).
TEST(ResolveConfigFile, EnvironmentThenPortableCopyThenUserFolder) {
  TempFolder dir;
  const std::string exe = dir.Folder() + "bin/";
  const std::string portable = dir.Folder() + "portable/";
  const std::string user = dir.Folder() + "config/varnel/";
  std::filesystem::create_directories(exe);
  std::filesystem::create_directories(portable + "Varnel.cfg.d");
  test::WriteBytes(portable + "Varnel.cfg", "[History]\r\n");
  test::WriteBytes(dir.File("plain"), "x");

  const struct {
    const char* name;
    std::string env, exeFolder, userFolder, expected;
  } cases[] = {
      {"environment", "/somewhere/else.cfg", portable, user, "/somewhere/else.cfg"},
      {"portable copy beside the program", "", portable, user, portable + "Varnel.cfg"},
      {"writable program folder without a copy", "", exe, user, user + "Varnel.cfg"},
      {"missing executable folder", "", dir.Folder() + "gone/", user, user + "Varnel.cfg"},
      {"executable folder is a file", "", dir.File("plain") + "/", user, user + "Varnel.cfg"},
      {"no executable folder", "", "", user, user + "Varnel.cfg"},
      {"user folder without separator", "", "", dir.Folder() + "cfg2",
       dir.Folder() + "cfg2/Varnel.cfg"},
  };
  for (const auto& c : cases) {
    FakeSystemPaths paths;
    if (!c.env.empty()) {
      paths.environment["VARNEL_CFG"] = c.env;
    }
    paths.executableFolder = c.exeFolder;
    paths.userConfigFolder = c.userFolder;
    EXPECT_EQ(ResolveConfigFile(paths), c.expected) << c.name;
  }
  // The user folder was made, and nothing was put beside the program.
  EXPECT_TRUE(std::filesystem::is_directory(user));
  EXPECT_TRUE(std::filesystem::is_empty(exe));
}

// Antivirus tools watch for files made and deleted beside programs: finding the settings
// file creates nothing there.
TEST(ResolveConfigFile, CreatesNoFileBesideTheProgram) {
  TempFolder dir;
  const std::string exe = dir.Folder() + "bin/";
  std::filesystem::create_directories(exe);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, exe.c_str(), IN_CREATE), 0);
  FakeSystemPaths paths;
  paths.executableFolder = exe;
  paths.userConfigFolder = dir.Folder() + "user/";
  ResolveConfigFile(paths);
  alignas(inotify_event) char events[4096];
  EXPECT_LE(::read(watch, events, sizeof events), 0) << "a file was created in " << exe;
  ::close(watch);
}

// The Windows rule: beside the program when a copy is there or the folder would take one
// (asked of the system, nothing created), else the user's folder.
TEST(ResolveConfigFile, WindowsRuleKeepsBesideTheProgramWhenWritable) {
  namespace fs = std::filesystem;
  TempFolder dir;
  const std::string writable = dir.Folder() + "writable/";
  const std::string readOnly = dir.Folder() + "read-only/";
  const std::string readOnlyCopy = dir.Folder() + "read-only-copy/";
  const std::string user = dir.Folder() + "user/";
  fs::create_directories(writable);
  fs::create_directories(readOnly);
  fs::create_directories(readOnlyCopy);
  test::WriteBytes(readOnlyCopy + "Varnel.cfg", "[History]\r\n");
  for (const std::string& folder : {readOnly, readOnlyCopy}) {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
  }
  const struct {
    const char* name;
    std::string exeFolder, expected;
    bool needsPermissions;
  } cases[] = {
      {"writable program folder", writable, writable + "Varnel.cfg", false},
      {"read-only program folder", readOnly, user + "Varnel.cfg", true},
      {"copy in a read-only program folder", readOnlyCopy, readOnlyCopy + "Varnel.cfg", false},
      {"missing program folder", dir.Folder() + "gone/", user + "Varnel.cfg", false},
  };
  for (const auto& c : cases) {
    if (c.needsPermissions && test::RunningAsRoot()) {
      continue;  // permissions do not bind root
    }
    FakeSystemPaths paths;
    paths.executableFolder = c.exeFolder;
    paths.userConfigFolder = user;
    EXPECT_EQ(ResolveConfigFile(paths, ConfigRule::BesideProgramWhenWritable), c.expected)
        << c.name;
  }
  EXPECT_TRUE(fs::is_empty(writable));
}

// The settings hold the user's searches: a configuration folder made for them is private.
TEST(ResolveConfigFile, MadeUserFolderIsTheUsersAlone) {
  TempFolder dir;
  FakeSystemPaths paths;
  paths.userConfigFolder = dir.Folder() + "config/varnel/";
  ResolveConfigFile(paths);
  EXPECT_EQ(std::filesystem::status(paths.userConfigFolder).permissions(),
            std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace varnel
