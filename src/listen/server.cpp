#include "listen/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/socket_trust.h"

namespace varnel::listen {
namespace {

// varnel-listen's own phrases go into the grammar as the menu of an owner no client has
// (clients' keys start at 1).
constexpr std::uint64_t kListenerOwner = 0;
constexpr std::int32_t kSleepId = 0;
constexpr std::int32_t kWakeId = 1;

// Written by the signal handler; a signal handler can reach nothing else.
int g_stopPipe[2] = {-1, -1};

void SetNonBlocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

void RequestStop() {
  if (g_stopPipe[1] >= 0) {
    const char c = 's';
    [[maybe_unused]] const auto r = write(g_stopPipe[1], &c, 1);
  }
}

bool PrepareSocketFolder(const std::string& socketPath, std::string& error) {
  const std::string dir = SocketFolder(socketPath);
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + dir + ": " + std::strerror(errno);
    return false;
  }
  if (!CheckSocketFolder(dir, error)) {
    error += ": it must belong to you and be writable by you alone";
    return false;
  }
  return true;
}

Server::Server(const Settings& settings, Recogniser& recogniser)
    : settings_(settings), recogniser_(recogniser), awake_(!settings.startAsleep) {}

bool Server::CheckPhrases(std::string& error) {
  const auto lookup = [this](const std::string& w) { return Lookup(w); };
  for (const auto* phrase : {&settings_.sleepPhrase, &settings_.wakePhrase}) {
    if (auto e = CheckCommand(*phrase, {}, lookup)) {
      error = "\"" + *phrase + "\": " + e->second;
      return false;
    }
  }
  if (SpokenWords(settings_.sleepPhrase) == SpokenWords(settings_.wakePhrase)) {
    error = "the sleep and wake phrases are the same";
    return false;
  }
  return true;
}

Server::~Server() {
  for (auto& [key, c] : conns_) {
    close(c->fd);
  }
  if (listenFd_ >= 0) {
    close(listenFd_);
    unlink(settings_.socketPath.c_str());
  }
  for (int fd : {wakeRead_, wakeWrite_, g_stopPipe[0], g_stopPipe[1]}) {
    if (fd >= 0) {
      close(fd);
    }
  }
  g_stopPipe[0] = g_stopPipe[1] = -1;
}

int Server::Listen(std::string& error) {
  const std::string& path = settings_.socketPath;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    error = "socket path too long: " + path;
    return kExitBadSocketPath;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (!PrepareSocketFolder(path, error)) {
    return kExitFailure;
  }

  // Only a socket nobody accepts on (left by a crashed run) is replaced; a live one means
  // another instance, and anything else at the path is not ours to delete.
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error = path + " exists and is not a socket; it was left alone";
      return kExitBadSocketPath;
    }
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool live = connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    const int probeError = errno;
    close(probe);
    if (live) {
      error = "varnel-listen is already running (" + path + ")";
      return kExitFailure;
    }
    if (probeError != ECONNREFUSED) {
      error = "cannot tell whether " + path + " is in use: " + std::strerror(probeError);
      return kExitBadSocketPath;
    }
    unlink(path.c_str());
  } else if (errno != ENOENT) {
    error = "cannot reach " + path + ": " + std::strerror(errno);
    return kExitBadSocketPath;
  }

  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return kExitFailure;
  }
  const mode_t old = umask(077);
  const int bound = bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  umask(old);
  if (bound != 0 || chmod(path.c_str(), 0600) != 0 || ::listen(listenFd_, 8) != 0) {
    error = "cannot listen on " + path + ": " + std::strerror(errno);
    close(listenFd_);
    listenFd_ = -1;
    return kExitFailure;
  }
  SetNonBlocking(listenFd_);

  int wake[2];
  if (pipe(wake) != 0 || pipe(g_stopPipe) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return kExitFailure;
  }
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  for (int fd : {wakeRead_, wakeWrite_, g_stopPipe[0], g_stopPipe[1]}) {
    SetNonBlocking(fd);
  }
  return 0;
}

void Server::Post(Heard heard) {
  {
    std::lock_guard lock(queueMutex_);
    heard_.push_back(std::move(heard));
  }
  const char c = 'h';
  [[maybe_unused]] const auto r = write(wakeWrite_, &c, 1);
}

void Server::PostEnd(bool failed) {
  {
    std::lock_guard lock(queueMutex_);
    inputEnded_ = true;
    inputFailed_ = failed;
  }
  const char c = 'e';
  [[maybe_unused]] const auto r = write(wakeWrite_, &c, 1);
}

int Server::Lookup(const std::string& word) {
  // A word's answer never changes, so answers can be kept.
  const auto it = phoneCache_.find(word);
  if (it != phoneCache_.end()) {
    return it->second;
  }
  const int n = recogniser_.PhoneCount(word);
  if (phoneCache_.size() < 10000) {
    phoneCache_[word] = n;
  }
  return n;
}

void Server::Accept() {
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      return;
    }
    if (conns_.size() >= kMaxClients) {
      close(fd);
      continue;
    }
    const std::uint64_t key = nextKey_++;
    conns_[key] = std::make_unique<Conn>(key, fd, activationClock_);
  }
}

void Server::Send(Conn& c, const Fields& fields) {
  const auto frame = EncodeFrame(fields);
  if (!frame) {
    return;
  }
  c.out += *frame;
  Flush(c);
}

void Server::Flush(Conn& c) {
  while (!c.out.empty()) {
    const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n <= 0) {
      break;
    }
    c.out.erase(0, static_cast<std::size_t>(n));
  }
}

void Server::ReadFrom(Conn& c) {
  const std::uint64_t key = c.session.Key();
  char buf[4096];
  for (;;) {
    const ssize_t n = recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      Close(key);
      return;
    }
    if (n < 0) {
      break;
    }
    c.reader.Append(buf, static_cast<std::size_t>(n));
    while (auto request = c.reader.Next()) {
      bool changed = false;
      const Fields reply = c.session.Handle(
          *request, [this](const std::string& w) { return Lookup(w); }, changed, RoomFor(key));
      Send(c, reply);
      if (reply[0] == "ok" && (*request)[2] == op::kRegister && !awake_) {
        // Awake is what a client assumes; asleep it is told.
        Send(c, {kAwakeEvent, "0"});
      }
      if (changed) {
        RebuildGrammar();
      }
      if (const auto awake = c.session.TakeAwakeRequest()) {
        SetAwake(*awake, "asked by a client");
      }
    }
    if (c.reader.Failed()) {
      if (settings_.verbose) {
        std::fprintf(stderr, "varnel-listen: client %llu sent a bad frame\n",
                     static_cast<unsigned long long>(key));
      }
      Close(key);
      return;
    }
  }
  if (c.out.size() > kMaxPendingOutput) {
    Close(key);
  }
}

std::size_t Server::RoomFor(std::uint64_t key) const {
  std::size_t others = 0;
  for (const auto& [k, c] : conns_) {
    if (k != key) {
      others += c->session.GraphSize();
    }
  }
  return others >= kMaxTotalGraphWords ? 0 : kMaxTotalGraphWords - others;
}

void Server::Close(std::uint64_t key) {
  const auto it = conns_.find(key);
  if (it == conns_.end()) {
    return;
  }
  const bool wasListening = it->second->session.Listening();
  close(it->second->fd);
  conns_.erase(it);
  if (wasListening) {
    RebuildGrammar();
  }
}

void Server::RebuildGrammar() {
  std::vector<const Session*> live;
  for (const auto& [key, c] : conns_) {
    if (c->session.Listening()) {
      live.push_back(&c->session);
    }
  }
  std::sort(live.begin(), live.end(),
            [](const Session* a, const Session* b) { return a->ActivatedAt() < b->ActivatedAt(); });
  std::vector<MenuSpec> menus;
  menus.reserve(live.size() + 1);
  if (!live.empty()) {
    // First, so that a client's command that sounds the same wins the tie.
    MenuSpec own{kListenerOwner, {}, {}};
    own.commands[awake_ ? kSleepId : kWakeId] =
        awake_ ? settings_.sleepPhrase : settings_.wakePhrase;
    menus.push_back(std::move(own));
  }
  // Asleep, nothing but the wake phrase is listened for.
  for (const auto* s : awake_ ? live : std::vector<const Session*>{}) {
    menus.push_back(s->Spec());
  }
  auto grammar = std::make_shared<Grammar>(BuildGrammar(
      menus, [this](const std::string& w) { return Lookup(w); },
      std::pow(settings_.garbage.parameterWeight, recogniser_.LanguageWeight())));
  recogniser_.SetGrammar(std::move(grammar));
}

void Server::Deliver(const Heard& heard) {
  if (heard.steady) {
    return;  // no speech at all, so not "other speech" either
  }
  if (heard.match && heard.match->owner == kListenerOwner) {
    SetAwake(heard.match->id == kWakeId, "heard");
    return;
  }
  // Asleep, a command decoded against the grammar from before the sleep is no command.
  if (heard.match && awake_) {
    const auto it = conns_.find(heard.match->owner);
    // The menu may have changed since the utterance started; then nobody gets it.
    if (it == conns_.end() || !it->second->session.Listening() ||
        !it->second->session.HasCommand(heard.match->id)) {
      return;
    }
    Conn& c = *it->second;
    Fields f = {"recognize", heard.match->command, std::to_string(heard.match->id),
                c.session.Description(heard.match->id)};
    f.insert(f.end(), heard.match->listResults.begin(), heard.match->listResults.end());
    Send(c, f);
    return;
  }
  for (auto& [key, c] : conns_) {
    if (c->session.Listening()) {
      Send(*c, {"other", "", c->session.App(), c->session.State()});
    }
  }
}

void Server::SetAwake(bool awake, const char* why) {
  if (awake == awake_) {
    return;
  }
  awake_ = awake;
  if (settings_.verbose) {
    std::fprintf(stderr, "varnel-listen: %s (%s)\n", awake ? "awake" : "asleep", why);
  }
  for (auto& [key, c] : conns_) {
    if (c->session.Registered()) {
      Send(*c, {kAwakeEvent, awake ? "1" : "0"});
    }
  }
  RebuildGrammar();
}

int Server::Run() {
  for (;;) {
    std::vector<pollfd> fds = {
        {g_stopPipe[0], POLLIN, 0}, {wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
    std::vector<std::uint64_t> keys;
    for (auto& [key, c] : conns_) {
      fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
      keys.push_back(key);
    }
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return 1;
    }
    if (fds[0].revents != 0) {
      return 0;
    }
    if (fds[1].revents != 0) {
      char drain[256];
      while (read(wakeRead_, drain, sizeof drain) > 0) {
      }
      std::vector<Heard> heard;
      bool ended = false;
      bool failed = false;
      {
        std::lock_guard lock(queueMutex_);
        heard.swap(heard_);
        ended = inputEnded_;
        failed = inputFailed_;
      }
      for (const auto& h : heard) {
        Deliver(h);
      }
      if (failed) {
        std::fprintf(stderr, "varnel-listen: reading audio failed\n");
        FlushAll();
        return 1;
      }
      // The recogniser posts the end after its last utterance, so all has been delivered.
      if (ended && !settings_.keepServing) {
        FlushAll();
        return 0;
      }
    }
    if (fds[2].revents != 0) {
      Accept();
    }
    for (std::size_t i = 3; i < fds.size(); ++i) {
      const auto it = conns_.find(keys[i - 3]);
      if (it == conns_.end()) {
        continue;
      }
      if ((fds[i].revents & POLLOUT) != 0) {
        Flush(*it->second);
      }
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        ReadFrom(*it->second);
      }
    }
  }
}

void Server::FlushAll() {
  // Events already decided reach the clients before the connections close.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (auto& [key, c] : conns_) {
    while (!c->out.empty() && std::chrono::steady_clock::now() < deadline) {
      pollfd p{c->fd, POLLOUT, 0};
      if (poll(&p, 1, 100) < 0 && errno != EINTR) {
        break;
      }
      const std::size_t before = c->out.size();
      Flush(*c);
      if ((p.revents & (POLLERR | POLLHUP)) != 0 && c->out.size() == before) {
        break;
      }
    }
  }
}

}  // namespace varnel::listen
