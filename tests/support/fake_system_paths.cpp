#include "support/fake_system_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace varnel {

FakeSystemPaths::FakeSystemPaths() {
  std::error_code ec;
  auto tmp = std::filesystem::temp_directory_path(ec);
  tempFolder = ec ? std::string("/tmp/") : tmp.string() + "/";
}

NewFile FakeSystemPaths::CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    return errno == EEXIST ? NewFile::Exists : NewFile::Failed;
  }
  ::close(fd);
  return NewFile::Created;
}

void FakeSystemPaths::RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

std::string FakeSystemPaths::EnvironmentVariable(const std::string& name) {
  auto it = environment.find(name);
  return it == environment.end() ? std::string() : it->second;
}

}  // namespace varnel
