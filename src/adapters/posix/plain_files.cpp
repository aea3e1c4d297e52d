#include "adapters/posix/plain_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace varnel::posix {

NewFile CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    return errno == EEXIST ? NewFile::Exists : NewFile::Failed;
  }
  ::close(fd);
  return NewFile::Created;
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace varnel::posix
