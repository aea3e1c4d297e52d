#include "core/config_path.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "ports/whole_file.h"

namespace varnel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileName = "Varnel.cfg";

#ifdef _WIN32
constexpr ConfigRule kPlatformRule = ConfigRule::BesideProgramWhenWritable;
#else
constexpr ConfigRule kPlatformRule = ConfigRule::PortableCopyElseUserFolder;
#endif

fs::path PathFromUtf8(const std::string& s) {
  return fs::path(std::u8string(s.begin(), s.end()));
}

std::string Utf8FromPath(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

std::string InFolder(const std::string& folder) {
  return Utf8FromPath(PathFromUtf8(folder) / fs::path(kFileName));
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(PathFromUtf8(path), ec);
}

bool BesideProgram(const std::string& exeFolder, ConfigRule rule) {
  if (exeFolder.empty()) {
    return false;
  }
  if (IsFile(InFolder(exeFolder))) {
    return true;
  }
  return rule == ConfigRule::BesideProgramWhenWritable && FolderAcceptsNewFiles(exeFolder);
}

// The settings hold what the user searched for: a folder made for them is the user's alone.
void MakeUserFolder(const std::string& folder) {
  std::error_code ec;
  const fs::path path = PathFromUtf8(folder);
  if (fs::create_directories(path, ec) && !ec) {
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, ec);
  }
}

}  // namespace

std::string ResolveConfigFile(SystemPaths& platform) {
  return ResolveConfigFile(platform, kPlatformRule);
}

std::string ResolveConfigFile(SystemPaths& platform, ConfigRule rule) {
  if (std::string env = platform.EnvironmentVariable("VARNEL_CFG"); !env.empty()) {
    return env;
  }

  const std::string exeFolder = platform.ExecutableFolder();
  if (BesideProgram(exeFolder, rule)) {
    return InFolder(exeFolder);
  }

  const std::string userFolder = platform.UserConfigFolder();
  if (!userFolder.empty()) {
    MakeUserFolder(userFolder);
    return InFolder(userFolder);
  }
  // Nowhere else to go: reads still find a file shipped beside the program.
  return exeFolder.empty() ? std::string() : InFolder(exeFolder);
}

}  // namespace varnel
