// The single instance on one X display: an exclusive lock on a file in the user's runtime
// folder. The kernel drops the lock when its holder ends, however it ends, so a lock is
// never stale; the file also carries the holder's window for later starts.
#pragma once

#include <cstdint>
#include <string>

#include "ports/platform.h"

namespace varnel {

class InstanceLock {
 public:
  // runtimeDir: $XDG_RUNTIME_DIR or "", tempDir: where a private folder may be made instead,
  // display: the X display's name ($DISPLAY).
  InstanceLock(std::string runtimeDir, std::string tempDir, const std::string& display);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  InstanceClaim Claim();
  void Publish(std::uint32_t window);  // only the holder writes
  std::uint32_t Published() const;     // 0 when none is written yet
  const std::string& Path() const { return path_; }

 private:
  // The folder for the lock: the runtime folder when it is the user's own, else a private
  // folder under tempDir. "" when neither is safe to use.
  std::string Folder() const;

  std::string runtimeDir_;
  std::string tempDir_;
  std::string name_;
  std::string path_;
  int fd_ = -1;
  bool held_ = false;
};

// The lock file's name for a display: "varnel-" and the display without its screen number,
// with anything but letters, digits, '.', '-' and '_' as '_'.
std::string InstanceLockName(const std::string& display);

}  // namespace varnel
