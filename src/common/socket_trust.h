// Who may own varnel-listen's socket: the checks that both varnel-listen and its client make,
// so that neither talks through a folder or socket another user controls. Header-only, like
// protocol.h, so that the client compiles without the recogniser's libraries.
#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace varnel::listen {

// Permission bits that let others than the owner change a folder's entries.
inline constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;

inline std::string SocketFolder(const std::string& socketPath) {
  const auto slash = socketPath.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : socketPath.substr(0, slash);
}

// The folder is a real folder (no symbolic link), belongs to this user and only this user can
// add, remove or replace entries in it.
inline bool CheckSocketFolder(const std::string& dir, std::string& error) {
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0) {
    error = "cannot reach " + dir + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    error = dir + " is not a folder";
    return false;
  }
  if (st.st_uid != getuid()) {
    error = dir + " is another user's (uid " + std::to_string(st.st_uid) + ")";
    return false;
  }
  if ((st.st_mode & kOthersWrite) != 0) {
    error = dir + " is writable by others";
    return false;
  }
  return true;
}

// The socket file itself is a socket and this user's.
inline bool CheckSocketFile(const std::string& path, std::string& error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    error = "cannot reach " + path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISSOCK(st.st_mode)) {
    error = path + " is not a socket";
    return false;
  }
  if (st.st_uid != getuid()) {
    error = path + " is another user's (uid " + std::to_string(st.st_uid) + ")";
    return false;
  }
  return true;
}

// The process at the other end of a connected Unix socket runs as this user.
inline bool CheckSocketPeer(int fd, std::string& error) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) {
    error = std::string("cannot tell who serves the socket: ") + std::strerror(errno);
    return false;
  }
  if (cred.uid != getuid()) {
    error = "served by another user (uid " + std::to_string(cred.uid) + ")";
    return false;
  }
  return true;
}

}  // namespace varnel::listen
