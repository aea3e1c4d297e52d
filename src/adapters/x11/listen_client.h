// The Linux speech service: a client of the varnel-listen recogniser over its Unix socket.
#pragma once

#include <functional>
#include <memory>

#include "ports/platform.h"

namespace varnel {

// How the client gets its socket watched by the user-interface thread's event loop.
class FdWatcher {
 public:
  virtual ~FdWatcher() = default;
  virtual void Watch(int fd, std::function<void()> onReadable) = 0;
  virtual void Unwatch(int fd) = 0;
};

inline constexpr const char* kListenProcessName = "varnel-listen";
inline constexpr const char* kListenDisplayName = "Varnel Listen";

// Connects to varnel-listen; nullptr with `error` filled when it cannot be reached.
std::unique_ptr<SpeechService> CreateListenSpeechService(SpeechError& error, FdWatcher& watcher);

}  // namespace varnel
