#include "app/config_path.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

namespace varnel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileName = "Varnel.cfg";

fs::path PathFromUtf8(const std::string& s) {
  return fs::path(std::u8string(s.begin(), s.end()));
}

std::string Utf8FromPath(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// Permission bits do not tell the whole story (read-only mounts, ACLs, running as root), so
// the folder is writable when a new file can be made in it.
bool FolderWritable(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    return false;
  }
  std::random_device rd;
  for (int attempt = 0; attempt < 4; ++attempt) {
    fs::path probe = folder / ("varnel-probe-" + std::to_string(rd()) + ".tmp");
    if (fs::exists(probe, ec) || ec) {
      continue;
    }
    bool made = false;
    {
      std::ofstream out(probe, std::ios::binary);
      made = static_cast<bool>(out);
    }
    if (made) {
      fs::remove(probe, ec);
    }
    return made;
  }
  return false;
}

std::string InFolder(const std::string& folder) {
  return Utf8FromPath(PathFromUtf8(folder) / fs::path(kFileName));
}

}  // namespace

std::string ResolveConfigFile(Platform& platform) {
  if (std::string env = platform.Environment("VARNEL_CFG"); !env.empty()) {
    return env;
  }

  const std::string exeFolder = platform.ExecutableFolder();
  if (!exeFolder.empty() && FolderWritable(PathFromUtf8(exeFolder))) {
    return InFolder(exeFolder);
  }

  const std::string userFolder = platform.UserConfigFolder();
  if (!userFolder.empty()) {
    std::error_code ec;
    fs::create_directories(PathFromUtf8(userFolder), ec);
    return InFolder(userFolder);
  }
  // Nowhere to write: reads still find a file shipped beside the program.
  return exeFolder.empty() ? std::string() : InFolder(exeFolder);
}

}  // namespace varnel
