// varnel-listen's socket side: accepts clients, runs their requests through their sessions,
// keeps the recogniser's grammar in line with the live menus and hands out what was heard.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/listen_protocol.h"
#include "listen/recogniser.h"
#include "listen/session.h"
#include "listen/settings.h"

namespace varnel::listen {

inline constexpr std::size_t kMaxClients = 32;
// Graph words all clients' menus may hold together (each one kMaxGraphWords at most).
inline constexpr std::size_t kMaxTotalGraphWords = 4 * kMaxGraphWords;
inline constexpr std::size_t kMaxPendingOutput = std::size_t{1024} * 1024;
// Exit statuses of a failed Listen: something at the socket path that is not a socket to
// replace, and every other failure (another instance among them).
inline constexpr int kExitBadSocketPath = 2;
inline constexpr int kExitFailure = 1;

// Makes sure the socket's folder exists, belongs to this user and is closed to others.
bool PrepareSocketFolder(const std::string& socketPath, std::string& error);

class Server {
 public:
  Server(const Settings& settings, Recogniser& recogniser);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Checks that the sleep and wake phrases can be spoken; false with `error` set.
  bool CheckPhrases(std::string& error);
  // 0 when listening; otherwise the exit status, with `error` saying why.
  int Listen(std::string& error);
  // Called on the recogniser's thread.
  void Post(Heard heard);
  void PostEnd(bool failed);
  // Until a signal, or (without --keep-serving) until the input ended and everything heard
  // was delivered. Exit status.
  int Run();

 private:
  struct Conn {
    Conn(std::uint64_t key, int fd, std::uint64_t& clock) : fd(fd), session(key, clock) {}
    int fd;
    FrameReader reader;
    std::string out;
    Session session;
  };

  void Accept();
  void ReadFrom(Conn& c);
  void Send(Conn& c, const Fields& fields);
  void Flush(Conn& c);
  void FlushAll();
  void Close(std::uint64_t key);
  // Graph words the client's menu may hold beside the other clients' menus.
  std::size_t RoomFor(std::uint64_t key) const;
  void RebuildGrammar();
  void Deliver(const Heard& heard);
  // Puts commands to sleep or wakes them, telling every registered client; `why` for --verbose.
  void SetAwake(bool awake, const char* why);
  int Lookup(const std::string& word);

  const Settings& settings_;
  Recogniser& recogniser_;
  int listenFd_ = -1;
  int wakeRead_ = -1, wakeWrite_ = -1;
  std::map<std::uint64_t, std::unique_ptr<Conn>> conns_;
  std::uint64_t nextKey_ = 1;
  std::uint64_t activationClock_ = 0;
  std::unordered_map<std::string, int> phoneCache_;
  bool awake_ = true;  // commands fire; asleep, only the wake phrase is listened for

  std::mutex queueMutex_;  // guards the fields below, filled by the recogniser's thread
  std::vector<Heard> heard_;
  bool inputEnded_ = false;
  bool inputFailed_ = false;
};

// Ends Server::Run from a signal handler.
void RequestStop();

}  // namespace varnel::listen
