#include "app/config_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/fake/fake_platform.h"
#include "unit/temp_folder.h"

namespace varnel {
namespace {

using test::TempFolder;

TEST(ResolveConfigFile, PrefersEnvironmentThenExecutableFolderThenUserFolder) {
  TempFolder dir;
  const std::string exe = dir.Folder() + "bin/";
  const std::string user = dir.Folder() + "config/varnel/";
  std::filesystem::create_directories(exe);
  test::WriteBytes(dir.File("plain"), "x");

  const struct {
    const char* name;
    std::string env, exeFolder, userFolder, expected;
  } cases[] = {
      {"environment", "/somewhere/else.cfg", exe, user, "/somewhere/else.cfg"},
      {"writable executable folder", "", exe, user, exe + "Varnel.cfg"},
      {"missing executable folder", "", dir.Folder() + "gone/", user, user + "Varnel.cfg"},
      {"executable folder is a file", "", dir.File("plain") + "/", user, user + "Varnel.cfg"},
      {"no executable folder", "", "", user, user + "Varnel.cfg"},
      {"user folder without separator", "", "", dir.Folder() + "cfg2",
       dir.Folder() + "cfg2/Varnel.cfg"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    if (!c.env.empty()) {
      platform.environment["VARNEL_CFG"] = c.env;
    }
    platform.executableFolder = c.exeFolder;
    platform.userConfigFolder = c.userFolder;
    EXPECT_EQ(ResolveConfigFile(platform), c.expected) << c.name;
  }
  // The user folder was made, and the writability probe left nothing behind.
  EXPECT_TRUE(std::filesystem::is_directory(user));
  EXPECT_TRUE(std::filesystem::is_empty(exe));
}

TEST(ResolveConfigFile, ReadOnlyExecutableFolderFallsBack) {
  if (test::RunningAsRoot()) {
    GTEST_SKIP() << "permissions do not bind root";
  }
  TempFolder dir;
  const std::string exe = dir.Folder() + "bin/";
  std::filesystem::create_directories(exe);
  std::filesystem::permissions(
      exe, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec,
      std::filesystem::perm_options::replace);
  FakePlatform platform;
  platform.executableFolder = exe;
  platform.userConfigFolder = dir.Folder() + "user/";
  EXPECT_EQ(ResolveConfigFile(platform), dir.Folder() + "user/Varnel.cfg");
}

}  // namespace
}  // namespace varnel
