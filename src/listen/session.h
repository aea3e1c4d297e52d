// One client's state in varnel-listen: registration, its menu, lists and commands. Requests
// come in as decoded fields and leave as reply fields; no sockets here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "common/listen_protocol.h"
#include "listen/grammar.h"

namespace varnel::listen {

inline constexpr std::size_t kMaxLists = 64;
inline constexpr std::size_t kMaxItems = 1000;
inline constexpr std::size_t kMaxCommands = 1000;
inline constexpr std::size_t kMaxTextLength = 200;
// Words a menu may put into the decoder's graph, each list placeholder counting the words of
// all its items: the graph, and the decoder's memory, grow with them (some 100 MB for 100000).
inline constexpr std::size_t kMaxGraphWords = 10000;

// The words `commands` (spoken forms) put into the graph with `lists`.
std::size_t GraphWords(const std::map<std::string, std::vector<std::string>>& lists,
                       const std::map<std::int32_t, std::string>& commands);

class Session {
 public:
  // `activationClock` is shared by all sessions of one server.
  Session(std::uint64_t key, std::uint64_t& activationClock) : key_(key), clock_(activationClock) {}

  // Handles a request (["req", seq, op, args...]) and returns the reply frame's fields.
  // `grammarChanged` is set when the words this client listens for changed. The menu may
  // grow to `room` graph words at most (less than kMaxGraphWords where other clients hold
  // some of the recogniser's share).
  Fields Handle(const Fields& request, const PhoneLookup& lookup, bool& grammarChanged,
                std::size_t room = kMaxGraphWords);
  // The words this menu puts into the decoder's graph.
  std::size_t GraphSize() const { return GraphWords(lists_, Spoken()); }

  // The menu the grammar should hold, when it is live.
  bool Listening() const { return registered_ && hasMenu_ && active_ && !commands_.empty(); }
  bool Registered() const { return registered_; }
  // What the client's last set-awake asked for, once: sleep and wake are the server's.
  std::optional<bool> TakeAwakeRequest() { return std::exchange(awakeRequest_, std::nullopt); }
  MenuSpec Spec() const;
  const std::string& App() const { return app_; }
  const std::string& State() const { return state_; }
  bool HasCommand(std::int32_t id) const { return commands_.contains(id); }
  std::string Description(std::int32_t id) const;
  std::uint64_t Key() const { return key_; }
  // Grows each time the menu becomes live, so the newest menu wins a tie of sound-alikes.
  std::uint64_t ActivatedAt() const { return activatedAt_; }

 private:
  Fields Run(const std::string& op, const Fields& args, const PhoneLookup& lookup,
             bool& grammarChanged, std::size_t room);
  void ClearMenu();
  std::map<std::int32_t, std::string> Spoken() const;  // id -> spoken form

  std::uint64_t key_;
  std::uint64_t& clock_;
  bool registered_ = false;
  bool hasMenu_ = false;
  bool active_ = false;
  std::uint64_t activatedAt_ = 0;
  std::optional<bool> awakeRequest_;
  std::string app_, state_;
  std::map<std::string, std::vector<std::string>> lists_;
  std::map<std::int32_t, std::pair<std::string, std::string>> commands_;  // spoken, description
};

}  // namespace varnel::listen
