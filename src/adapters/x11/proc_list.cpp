#include "adapters/x11/proc_list.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sys/stat.h>

namespace varnel {
namespace {

std::string ExeName(const std::filesystem::path& dir) {
  std::error_code ec;
  std::string target = std::filesystem::read_symlink(dir / "exe", ec).string();
  if (!ec && !target.empty()) {
    // The kernel marks a replaced or removed executable this way.
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.ends_with(deleted)) {
      target.resize(target.size() - deleted.size());
    }
    const std::size_t slash = target.rfind('/');
    return slash == std::string::npos ? target : target.substr(slash + 1);
  }
  std::ifstream comm(dir / "comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

}  // namespace

std::vector<ProcessEntry> ListProcesses(const std::string& procRoot, std::optional<uid_t> owner) {
  std::vector<ProcessEntry> out;
  std::error_code ec;
  std::filesystem::directory_iterator it(procRoot, ec);
  if (ec) {
    return out;
  }
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    ProcessId pid = 0;
    const auto [end, err] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (err != std::errc() || end != name.data() + name.size() || pid == 0) {
      continue;
    }
    if (owner) {
      struct stat info {};
      if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != *owner) {
        continue;
      }
    }
    std::string exe = ExeName(entry.path());
    if (exe.empty()) {
      continue;  // kernel threads and processes gone meanwhile
    }
    out.push_back({pid, std::move(exe)});
  }
  std::sort(out.begin(), out.end(),
            [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
  return out;
}

}  // namespace varnel
