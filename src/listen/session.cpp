#include "listen/session.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace varnel::listen {
namespace {

std::optional<std::int64_t> ParseInt(const std::string& s) {
  std::int64_t v = 0;
  const auto* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || ptr != end || s.empty()) {
    return std::nullopt;
  }
  return v;
}

std::optional<std::int32_t> ParseId(const std::string& s) {
  const auto v = ParseInt(s);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*v);
}

Fields Error(std::int32_t number, const std::string& text) {
  return {"error", "", std::to_string(number), text};
}

std::optional<Fields> CheckSize(const std::map<std::string, std::vector<std::string>>& lists,
                                const std::map<std::int32_t, std::string>& commands,
                                std::size_t room) {
  const std::size_t words = GraphWords(lists, commands);
  if (words <= room) {
    return std::nullopt;
  }
  return Error(kErrTooLarge, "menu too large to listen for: " + std::to_string(words) +
                                 " words with its lists' items, at most " + std::to_string(room));
}

}  // namespace

std::size_t GraphWords(const std::map<std::string, std::vector<std::string>>& lists,
                       const std::map<std::int32_t, std::string>& commands) {
  // Only the lists the commands use, each counted once.
  std::map<std::string, std::size_t> listWords;
  auto wordsOf = [&](const std::string& name) -> std::size_t {
    const auto known = listWords.find(name);
    if (known != listWords.end()) {
      return known->second;
    }
    std::size_t n = 0;
    if (const auto list = lists.find(name); list != lists.end()) {
      for (const auto& item : list->second) {
        const auto words = SpokenWords(item);
        n += words ? words->size() : 0;
      }
    }
    listWords[name] = n;
    return n;
  };
  std::size_t total = 0;
  for (const auto& [id, spoken] : commands) {
    for (const auto& part : ParseSpoken(spoken).parts) {
      total += part.list.empty() ? part.words.size() : wordsOf(part.list);
    }
  }
  return total;
}

Fields Session::Handle(const Fields& request, const PhoneLookup& lookup, bool& grammarChanged,
                       std::size_t room) {
  grammarChanged = false;
  if (request.size() < 3 || request[0] != "req") {
    return Error(kErrBadRequest, "malformed request");
  }
  Fields reply = Run(request[2], Fields(request.begin() + 3, request.end()), lookup, grammarChanged,
                     std::min(room, kMaxGraphWords));
  reply[1] = request[1];
  return reply;
}

Fields Session::Run(const std::string& op, const Fields& args, const PhoneLookup& lookup,
                    bool& grammarChanged, std::size_t room) {
  const bool wasListening = Listening();
  auto done = [&]() -> Fields {
    grammarChanged = wasListening || Listening();
    return {"ok", ""};
  };
  auto argc = [&](std::size_t n) { return args.size() == n; };

  if (op == op::kRegister) {
    if (!argc(1)) {
      return Error(kErrBadRequest, "register takes the protocol version");
    }
    if (args[0] != kProtocolVersion) {
      return Error(kErrBadRequest, "unsupported protocol version");
    }
    if (registered_) {
      return Error(kErrBadState, "already registered");
    }
    registered_ = true;
    return done();
  }
  if (!registered_) {
    return Error(kErrBadState, "not registered");
  }
  if (op == op::kUnregister) {
    if (!argc(0)) {
      return Error(kErrBadRequest, "unregister takes no arguments");
    }
    ClearMenu();
    registered_ = false;
    return done();
  }
  if (op == op::kSetAwake) {
    // No menu needed: a client may put varnel-listen to sleep before it has one.
    if (!argc(1) || (args[0] != "0" && args[0] != "1")) {
      return Error(kErrBadRequest, "set-awake takes 1 or 0");
    }
    awakeRequest_ = args[0] == "1";
    return {"ok", ""};
  }
  if (op == op::kCreateMenu) {
    if (!argc(3)) {
      return Error(kErrBadRequest, "create-menu takes app, state and language");
    }
    if (!ParseInt(args[2])) {
      return Error(kErrBadRequest, "language is not a number");
    }
    if (hasMenu_) {
      return Error(kErrBadState, "a menu already exists");
    }
    if (args[0].size() > kMaxTextLength || args[1].size() > kMaxTextLength) {
      return Error(kErrTooLarge, "app or state name too long");
    }
    hasMenu_ = true;
    app_ = args[0];
    state_ = args[1];
    return done();
  }
  if (!hasMenu_) {
    return Error(kErrBadState, "no menu");
  }

  if (op == op::kSetList) {
    if (!argc(3)) {
      return Error(kErrBadRequest, "set-list takes name, count and items");
    }
    const auto count = ParseInt(args[1]);
    if (!count || *count < 0) {
      return Error(kErrBadRequest, "item count is not a number");
    }
    const std::string& name = args[0];
    if (name.empty() || name.size() > kMaxTextLength ||
        name.find_first_of("<>") != std::string::npos) {
      return Error(kErrBadText, "bad list name");
    }
    std::vector<std::string> items;
    std::string text = args[2];
    if (!text.empty() && text.back() != '\0') {
      text.push_back('\0');
    }
    for (std::size_t at = 0; at < text.size();) {
      const auto nul = text.find('\0', at);
      items.push_back(text.substr(at, nul - at));
      at = nul + 1;
    }
    if (items.size() != static_cast<std::size_t>(*count)) {
      return Error(kErrBadRequest, "item count does not match the items");
    }
    if (items.size() > kMaxItems) {
      return Error(kErrTooLarge, "too many items");
    }
    for (const auto& item : items) {
      if (item.size() > kMaxTextLength || !SpokenWords(item)) {
        return Error(kErrBadText, "list item \"" + item + "\" cannot be spoken");
      }
    }
    if (!lists_.contains(name) && lists_.size() >= kMaxLists) {
      return Error(kErrTooLarge, "too many lists");
    }
    auto lists = lists_;
    lists[name] = std::move(items);
    if (auto e = CheckSize(lists, Spoken(), room)) {
      return *e;
    }
    lists_ = std::move(lists);
    return done();
  }
  if (op == op::kAddCommand) {
    if (!argc(3)) {
      return Error(kErrBadRequest, "add-command takes id, spoken form and description");
    }
    const auto id = ParseId(args[0]);
    if (!id) {
      return Error(kErrBadRequest, "command id is not a number");
    }
    if (commands_.contains(*id)) {
      return Error(kErrBadState, "command id already added");
    }
    if (commands_.size() >= kMaxCommands) {
      return Error(kErrTooLarge, "too many commands");
    }
    if (args[1].size() > kMaxTextLength) {
      return Error(kErrTooLarge, "spoken form too long");
    }
    if (auto e = CheckCommand(args[1], lists_, lookup)) {
      return Error(e->first, e->second);
    }
    auto spoken = Spoken();
    spoken[*id] = args[1];
    if (auto e = CheckSize(lists_, spoken, room)) {
      return *e;
    }
    commands_[*id] = {args[1], args[2]};
    return done();
  }
  if (op == op::kSetActive) {
    if (!argc(1) || (args[0] != "0" && args[0] != "1")) {
      return Error(kErrBadRequest, "set-active takes 1 or 0");
    }
    const bool on = args[0] == "1";
    if (on && !active_) {
      activatedAt_ = ++clock_;
    }
    active_ = on;
    return done();
  }
  if (op == op::kRemoveCommand) {
    if (!argc(1)) {
      return Error(kErrBadRequest, "remove-command takes an id");
    }
    const auto id = ParseId(args[0]);
    if (!id) {
      return Error(kErrBadRequest, "command id is not a number");
    }
    if (commands_.erase(*id) == 0) {
      return Error(kErrBadState, "no command with that id");
    }
    return done();
  }
  if (op == op::kReleaseMenu) {
    if (!argc(0)) {
      return Error(kErrBadRequest, "release-menu takes no arguments");
    }
    ClearMenu();
    return done();
  }
  return Error(kErrBadRequest, "unknown operation \"" + op + "\"");
}

void Session::ClearMenu() {
  hasMenu_ = false;
  active_ = false;
  app_.clear();
  state_.clear();
  lists_.clear();
  commands_.clear();
}

std::map<std::int32_t, std::string> Session::Spoken() const {
  std::map<std::int32_t, std::string> spoken;
  for (const auto& [id, c] : commands_) {
    spoken[id] = c.first;
  }
  return spoken;
}

MenuSpec Session::Spec() const {
  return {key_, lists_, Spoken()};
}

std::string Session::Description(std::int32_t id) const {
  const auto it = commands_.find(id);
  return it == commands_.end() ? std::string() : it->second.second;
}

}  // namespace varnel::listen
