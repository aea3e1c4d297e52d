#include "support/fake_system_paths.h"

#include <filesystem>

#include "adapters/posix/plain_files.h"

namespace varnel {

FakeSystemPaths::FakeSystemPaths() {
  std::error_code ec;
  auto tmp = std::filesystem::temp_directory_path(ec);
  tempFolder = ec ? std::string("/tmp/") : tmp.string() + "/";
}

NewFile FakeSystemPaths::CreateNewFile(const std::string& path) {
  return posix::CreateNewFile(path);
}

void FakeSystemPaths::RemoveFile(const std::string& path) {
  posix::RemoveFile(path);
}

std::string FakeSystemPaths::EnvironmentVariable(const std::string& name) {
  auto it = environment.find(name);
  return it == environment.end() ? std::string() : it->second;
}

}  // namespace varnel
