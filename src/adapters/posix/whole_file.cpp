#include "ports/whole_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>

namespace varnel {

namespace {

// Temporary files are named <file>.<kTempHexDigits hex digits>.tmp beside the file.
constexpr std::size_t kTempHexDigits = 16;
constexpr std::string_view kTempSuffix = ".tmp";
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
constexpr int kNameAttempts = 8;

// Closes the descriptor when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = fd;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string TempName(const std::string& fileName) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device rd;
  std::string name = fileName + ".";
  while (name.size() < fileName.size() + 1 + kTempHexDigits) {
    const unsigned v = rd();
    for (unsigned k = 0; k < 8 && name.size() < fileName.size() + 1 + kTempHexDigits; ++k) {
      name += kHex[(v >> (4 * k)) & 0xFU];
    }
  }
  return name + std::string(kTempSuffix);
}

bool IsTempName(std::string_view entry, std::string_view fileName) {
  if (entry.size() != fileName.size() + 1 + kTempHexDigits + kTempSuffix.size() ||
      !entry.starts_with(fileName) || entry[fileName.size()] != '.' ||
      !entry.ends_with(kTempSuffix)) {
    return false;
  }
  const std::string_view digits = entry.substr(fileName.size() + 1, kTempHexDigits);
  return digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A writer holds an exclusive lock on its temporary file until the file has its final name;
// one that can be locked belongs to a writer that died, and goes.
void RemoveStaleTemps(const std::string& folder, const std::string& fileName) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) {
    return;
  }
  while (const dirent* e = ::readdir(dir.get())) {
    if (!IsTempName(e->d_name, fileName)) {
      continue;
    }
    const std::string path = folder + "/" + e->d_name;
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat opened {};
    struct stat named {};
    if (!fd.Valid() || ::fstat(fd.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      continue;
    }
    if (::lstat(path.c_str(), &named) == 0 && SameFile(opened, named)) {
      ::unlink(path.c_str());
    }
  }
}

FileProblem ProblemOfFolderError(int error) {
  return error == EACCES || error == EPERM || error == EROFS ? FileProblem::FolderNotWritable
                                                             : FileProblem::WriteFailed;
}

// The contents, written, given their permissions and forced to disk.
bool FillTemp(int fd, std::string_view bytes, std::optional<mode_t> keepMode) {
  return WriteAll(fd, bytes) && (!keepMode || ::fchmod(fd, *keepMode) == 0) && ::fsync(fd) == 0;
}

// A temporary file with a name in `folder`, filled, locked and on disk: an unnamed file given
// its name only once complete where the file system allows, else a named one. Returns its
// name and keeps it open (and locked) in `fd`; "" with `problem` set on failure.
std::string MakeTemp(const std::string& folder, const std::string& fileName, std::string_view bytes,
                     std::optional<mode_t> keepMode, Fd& fd, FileProblem& problem) {
  fd.Reset(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kOwnerOnly));
  if (fd.Valid()) {
    ::flock(fd.Get(), LOCK_EX);
    if (!FillTemp(fd.Get(), bytes, keepMode)) {
      problem = FileProblem::WriteFailed;
      return {};
    }
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd.Get());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      std::string name = folder + "/" + TempName(fileName);
      if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return name;
      }
      if (errno != EEXIST) {
        break;  // no /proc: the named way below
      }
    }
    fd.Reset();
  } else if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOENT ||
             errno == ENOTDIR) {
    problem = ProblemOfFolderError(errno);
    return {};
  }

  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = folder + "/" + TempName(fileName);
    fd.Reset(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, kOwnerOnly));
    if (!fd.Valid()) {
      if (errno == EEXIST) {
        continue;
      }
      problem = ProblemOfFolderError(errno);
      return {};
    }
    ::flock(fd.Get(), LOCK_EX);
    // A cleaner may have taken it for a dead writer's between the open and the lock.
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd.Get(), &opened) != 0 || ::lstat(name.c_str(), &named) != 0 ||
        !SameFile(opened, named)) {
      continue;
    }
    if (!FillTemp(fd.Get(), bytes, keepMode)) {
      ::unlink(name.c_str());
      problem = FileProblem::WriteFailed;
      return {};
    }
    return name;
  }
  problem = FileProblem::WriteFailed;
  return {};
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  FileRead result;
  // Non-blocking, so that a pipe put in its place cannot hold the program.
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.Valid()) {
    if (errno != ENOENT && errno != ENOTDIR) {
      result.exists = true;
      result.problem = errno == EISDIR ? FileProblem::NotAFile : FileProblem::Unreadable;
    }
    return result;
  }
  result.exists = true;
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) {
    result.problem = FileProblem::Unreadable;
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    result.problem = FileProblem::NotAFile;
    return result;
  }
  if (static_cast<std::size_t>(st.st_size) > maxBytes) {
    result.problem = FileProblem::TooLarge;
    return result;
  }
  std::array<char, 65536> chunk{};
  for (;;) {
    const ssize_t n = ::read(fd.Get(), chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      result.problem = FileProblem::Unreadable;
      result.bytes.clear();
      return result;
    }
    if (n == 0) {
      return result;
    }
    result.bytes.append(chunk.data(), static_cast<std::size_t>(n));
    // It grew while being read.
    if (result.bytes.size() > maxBytes) {
      result.problem = FileProblem::TooLarge;
      result.bytes.clear();
      return result;
    }
  }
}

FileProblem ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) {
    return FileProblem::WriteFailed;
  }
  std::string target = path;
  struct stat link {};
  // Keep a link pointing at the real file rather than replacing the link.
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    const std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), ::free);
    if (!real) {
      return FileProblem::WriteFailed;
    }
    target = real.get();
  }

  std::optional<mode_t> keepMode;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      return FileProblem::NotAFile;
    }
    // A read-only settings file stays as it is, as the profile functions would leave it.
    const Fd probe(::open(target.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY));
    if (!probe.Valid()) {
      return errno == EACCES || errno == EPERM || errno == EROFS ? FileProblem::ReadOnly
                                                                 : FileProblem::WriteFailed;
    }
    keepMode = st.st_mode & static_cast<mode_t>(07777);
  }

  const std::string folder = FolderOf(target);
  const std::string fileName = NameOf(target);
  RemoveStaleTemps(folder, fileName);

  Fd fd;
  FileProblem problem = FileProblem::None;
  const std::string temp = MakeTemp(folder, fileName, bytes, keepMode, fd, problem);
  if (temp.empty()) {
    return problem;
  }
  // The lock is held until the file has its final name.
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return ProblemOfFolderError(error);
  }
  fd.Reset();
  // The new name itself on disk.
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) {
    ::fsync(dir.Get());
  }
  return FileProblem::None;
}

bool FolderAcceptsNewFiles(const std::string& folder) {
  struct stat st {};
  return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace varnel
