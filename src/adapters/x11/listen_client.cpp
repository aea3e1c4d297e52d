// SpeechService over varnel-listen's socket (docs/listen-protocol.md). No Qt: the X11 layer
// hands in an FdWatcher for its event loop.
#include "adapters/x11/listen_client.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>

#include "common/listen_protocol.h"
#include "common/socket_trust.h"

namespace varnel {
namespace {

using listen::Fields;

constexpr int kReplyTimeoutMs = 2000;

std::string SocketPath() {
  if (const char* p = std::getenv("VARNEL_LISTEN_SOCKET"); p != nullptr && p[0] != '\0') {
    return p;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    return std::string(runtime) + "/" + listen::kSocketName;
  }
  return "/tmp/varnel-" + std::to_string(getuid()) + "/" + listen::kSocketName;
}

SpeechError Err(std::int32_t number, std::string text) {
  return {number, std::move(text)};
}

// Also true for a dangling symbolic link, which the checks then refuse.
bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Both advices fit the window's one message line for the usual paths.
SpeechError NotRunning(std::int32_t number) {
  SpeechError e = Err(number, "varnel-listen is not running");
  e.advice = std::string("Voice commands need ") + kListenDisplayName + ": run varnel-listen.";
  return e;
}

SpeechError Untrusted(const std::string& why) {
  SpeechError e = Err(listen::kErrUntrusted, why);
  e.advice = "Voice off: " + why;
  return e;
}

class ListenClient final : public SpeechService {
 public:
  explicit ListenClient(FdWatcher& watcher) : watcher_(watcher) {}
  ~ListenClient() override { Disconnect(); }
  ListenClient(const ListenClient&) = delete;
  ListenClient& operator=(const ListenClient&) = delete;

  std::optional<SpeechError> Connect() {
    if (fd_ >= 0) {
      return std::nullopt;
    }
    const std::string path = SocketPath();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
      return NotRunning(listen::kErrNotRunning);
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    // Another user could serve the socket and type into the user's windows through the
    // recognitions it sends: only a socket of this user's, in a folder only this user controls,
    // served by this user's process, is talked to.
    std::string why;
    const std::string dir = listen::SocketFolder(path);
    if (Exists(dir) && !listen::CheckSocketFolder(dir, why)) {
      return Untrusted(why);
    }
    if (Exists(path) && !listen::CheckSocketFile(path, why)) {
      return Untrusted(why);
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      const int e = errno;
      if (fd >= 0) {
        close(fd);
      }
      return NotRunning(e);
    }
    if (!listen::CheckSocketPeer(fd, why)) {
      close(fd);
      return Untrusted(why);
    }
    fd_ = fd;
    reader_ = listen::FrameReader();
    // Events read while waiting for a reply are handed out later through this.
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    watcher_.Watch(fd_, [this] { OnReadable(); });
    if (wake_ >= 0) {
      watcher_.Watch(wake_, [this] { OnWake(); });
    }
    return std::nullopt;
  }

  std::optional<SpeechError> Register(SpeechEvents* events) override {
    if (auto e = Connect()) {
      return e;
    }
    events_ = events;
    auto e = Request({listen::op::kRegister, listen::kProtocolVersion});
    registered_ = !e;
    return e;
  }
  std::optional<SpeechError> CreateMenu(const std::string& app, const std::string& state,
                                        int language) override {
    return Request({listen::op::kCreateMenu, app, state, std::to_string(language)});
  }
  std::optional<SpeechError> SetList(const std::string& name, int count,
                                     const std::string& items) override {
    return Request({listen::op::kSetList, name, std::to_string(count), items});
  }
  std::optional<SpeechError> AddCommand(std::int32_t id, const std::string& spoken,
                                        const std::string& description) override {
    return Request({listen::op::kAddCommand, std::to_string(id), spoken, description});
  }
  std::optional<SpeechError> SetActive(bool active) override {
    return Request({listen::op::kSetActive, active ? "1" : "0"});
  }
  std::optional<SpeechError> RemoveCommand(std::int32_t id) override {
    return Request({listen::op::kRemoveCommand, std::to_string(id)});
  }
  std::optional<SpeechError> ReleaseMenu() override { return Request({listen::op::kReleaseMenu}); }
  std::optional<SpeechError> Wake() override { return Request({listen::op::kSetAwake, "1"}); }
  std::optional<SpeechError> Unregister() override {
    auto e = Request({listen::op::kUnregister});
    registered_ = false;
    Disconnect();  // a deliberate goodbye is no loss of the service
    return e;
  }

 private:
  static constexpr const char* kReq = "req";

  std::optional<SpeechError> Request(std::vector<std::string> args) {
    if (fd_ < 0) {
      return Err(listen::kErrLost, "not connected to varnel-listen");
    }
    const std::string seq = std::to_string(++seq_);
    Fields fields = {kReq, seq};
    fields.insert(fields.end(), args.begin(), args.end());
    const auto frame = listen::EncodeFrame(fields);
    if (!frame) {
      return Err(listen::kErrTooLarge, "request too large");
    }
    if (!SendAll(*frame)) {
      Lost();
      return Err(listen::kErrLost, "the connection to varnel-listen was lost");
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
    for (;;) {
      while (auto f = reader_.Next()) {
        if (((*f)[0] == "ok" || (*f)[0] == "error") && f->size() >= 2) {
          if ((*f)[1] != seq) {
            continue;  // a late reply to an earlier request
          }
          // What came behind the reply in the same read waits for no more data to arrive.
          while (auto later = reader_.Next()) {
            Queue(std::move(*later));
          }
          if ((*f)[0] == "ok") {
            return std::nullopt;
          }
          const std::int32_t number = f->size() > 2 ? std::atoi((*f)[2].c_str()) : 0;
          return Err(number, f->size() > 3 ? (*f)[3] : "varnel-listen refused the request");
        }
        Queue(std::move(*f));
      }
      if (reader_.Failed()) {
        Lost();
        return Err(listen::kErrLost, "varnel-listen sent a malformed message");
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) {
        return Err(listen::kErrTimeout, "varnel-listen did not answer");
      }
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
        Lost();
        return Err(listen::kErrLost, "the connection to varnel-listen was lost");
      }
      if (!ReadAvailable()) {
        Lost();
        return Err(listen::kErrLost, "the connection to varnel-listen was lost");
      }
    }
  }

  bool SendAll(const std::string& data) {
    std::size_t at = 0;
    while (at < data.size()) {
      const ssize_t n = send(fd_, data.data() + at, data.size() - at, MSG_NOSIGNAL);
      if (n > 0) {
        at += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd p{fd_, POLLOUT, 0};
        if (poll(&p, 1, kReplyTimeoutMs) <= 0) {
          return false;
        }
        continue;
      }
      return false;
    }
    return true;
  }

  // False when the peer closed or the socket failed.
  bool ReadAvailable() {
    char buf[4096];
    for (;;) {
      const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0) {
        reader_.Append(buf, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return true;
      }
      return false;
    }
  }

  // An event read while waiting for a reply, handed out from the event loop.
  void Queue(Fields event) {
    queued_.push_back(std::move(event));
    if (wake_ >= 0) {
      const std::uint64_t one = 1;
      [[maybe_unused]] const auto r = write(wake_, &one, sizeof one);
    }
  }

  void OnReadable() {
    if (fd_ < 0) {
      return;
    }
    const bool open = ReadAvailable();
    while (auto f = reader_.Next()) {
      queued_.push_back(std::move(*f));
    }
    const bool bad = reader_.Failed();
    Dispatch();
    if (!open || bad) {
      Lost();
    }
  }

  void OnWake() {
    std::uint64_t n = 0;
    [[maybe_unused]] const auto r = read(wake_, &n, sizeof n);
    Dispatch();
  }

  void Dispatch() {
    while (!queued_.empty() && events_ != nullptr) {
      Fields f = std::move(queued_.front());
      queued_.pop_front();
      if (f[0] == "recognize" && f.size() >= 4) {
        SpeechRecognition r;
        r.command = f[1];
        r.id = std::atoi(f[2].c_str());
        r.action = f[3];
        r.listResults.assign(f.begin() + 4, f.end());
        events_->OnCommandRecognize(r);
      } else if (f[0] == "other" && f.size() >= 4) {
        events_->OnCommandOther(f[1], f[2], f[3]);
      } else if (f[0] == listen::kAwakeEvent && f.size() >= 2) {
        events_->OnSleepChanged(f[1] == "0");
      }
      // Anything else (a reply that came after its request gave up) is dropped.
    }
  }

  void Lost() {
    const bool wasRegistered = registered_;
    registered_ = false;
    Disconnect();
    if (wasRegistered && events_ != nullptr) {
      events_->OnServiceLost();
    }
  }

  void Disconnect() {
    if (fd_ >= 0) {
      watcher_.Unwatch(fd_);
      close(fd_);
      fd_ = -1;
    }
    if (wake_ >= 0) {
      watcher_.Unwatch(wake_);
      close(wake_);
      wake_ = -1;
    }
    queued_.clear();
  }

  FdWatcher& watcher_;
  SpeechEvents* events_ = nullptr;
  int fd_ = -1;
  int wake_ = -1;
  bool registered_ = false;
  std::uint64_t seq_ = 0;
  listen::FrameReader reader_;
  std::deque<Fields> queued_;
};

}  // namespace

std::unique_ptr<SpeechService> CreateListenSpeechService(SpeechError& error, FdWatcher& watcher) {
  auto client = std::make_unique<ListenClient>(watcher);
  if (auto e = client->Connect()) {
    error = *e;
    return nullptr;
  }
  return client;
}

}  // namespace varnel
