#include "adapters/x11/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <utility>

namespace varnel {
namespace {

constexpr mode_t kPrivateDirMode = 0700;
constexpr mode_t kLockFileMode = 0600;
constexpr mode_t kGroupOtherBits = 077;

// A folder only this user can reach: anything else could hand the lock to another user's
// program or let one hold it against us.
bool IsOwnPrivateFolder(const std::string& dir) {
  struct stat st {};
  return !dir.empty() && lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == geteuid() && (st.st_mode & kGroupOtherBits) == 0;
}

bool Truncate(int fd, off_t size) {
  return ftruncate(fd, size) == 0;
}

std::string WithoutSlash(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') {
    dir.pop_back();
  }
  return dir;
}

}  // namespace

std::string InstanceLockName(const std::string& display) {
  std::string d = display;
  // ":0" and ":0.1" are one display with one keyboard.
  const std::size_t colon = d.rfind(':');
  const std::size_t dot = d.find('.', colon == std::string::npos ? 0 : colon);
  if (colon != std::string::npos && dot != std::string::npos) {
    d.resize(dot);
  }
  for (char& c : d) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) == 0 && c != '.' && c != '-' && c != '_') {
      c = '_';
    }
  }
  return "varnel-" + d + ".lock";
}

InstanceLock::InstanceLock(std::string runtimeDir, std::string tempDir, const std::string& display)
    : runtimeDir_(WithoutSlash(std::move(runtimeDir))),
      tempDir_(WithoutSlash(std::move(tempDir))),
      name_(InstanceLockName(display)) {}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

std::string InstanceLock::Folder() const {
  if (IsOwnPrivateFolder(runtimeDir_)) {
    return runtimeDir_;
  }
  if (tempDir_.empty()) {
    return {};
  }
  const std::string own = tempDir_ + "/varnel-" + std::to_string(geteuid());
  if (mkdir(own.c_str(), kPrivateDirMode) != 0 && errno != EEXIST) {
    return {};
  }
  return IsOwnPrivateFolder(own) ? own : std::string();
}

InstanceClaim InstanceLock::Claim() {
  if (held_) {
    return InstanceClaim::First;
  }
  if (fd_ < 0) {
    const std::string folder = Folder();
    if (folder.empty()) {
      return InstanceClaim::Unavailable;
    }
    path_ = folder + "/" + name_;
    // Close-on-exec: a browser started from here must not keep the lock after we end.
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
    if (fd_ < 0) {
      return InstanceClaim::Unavailable;
    }
  }
  int rc = 0;
  do {
    rc = flock(fd_, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) {
    held_ = true;
    // What a former holder published names a window that is gone; left in place (the file
    // cannot be emptied) it only makes later starts wait for the new record.
    Truncate(fd_, 0);
    return InstanceClaim::First;
  }
  return errno == EWOULDBLOCK ? InstanceClaim::Taken : InstanceClaim::Unavailable;
}

void InstanceLock::Publish(std::uint32_t window) {
  if (!held_) {
    return;
  }
  // The newline ends a complete record: a reader never takes half a number for a window.
  const std::string text = std::to_string(window) + "\n";
  if (pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size())) {
    Truncate(fd_, static_cast<off_t>(text.size()));
  }
}

std::uint32_t InstanceLock::Published() const {
  // A start that never claimed (a command for the running instance) only reads.
  int fd = fd_;
  if (fd < 0) {
    const std::string folder = Folder();
    fd = folder.empty() ? -1
                        : open((folder + "/" + name_).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      return 0;
    }
  }
  constexpr std::size_t kRecordMax = 16;
  std::array<char, kRecordMax> buf{};
  const ssize_t n = pread(fd, buf.data(), buf.size(), 0);
  if (fd != fd_) {
    close(fd);
  }
  if (n <= 0) {
    return 0;
  }
  const char* end = buf.data() + n;
  std::uint32_t window = 0;
  const auto [ptr, ec] = std::from_chars(buf.data(), end, window);
  if (ec != std::errc() || ptr == buf.data() || ptr == end || *ptr != '\n') {
    return 0;
  }
  return window;
}

}  // namespace varnel
