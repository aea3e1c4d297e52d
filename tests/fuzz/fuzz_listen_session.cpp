// Any bytes from a recogniser client: the stream is cut into frames, each request gets a
// well-formed reply, and whatever menu it leaves builds a grammar whose commands map back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/listen_protocol.h"
#include "listen/grammar.h"
#include "listen/session.h"

namespace {

using varnel::listen::Fields;

void Check(bool ok) {
  if (!ok) {
    std::abort();
  }
}

// Every word is known except those starting with "x", so the unknown-word path is reached.
int Lookup(const std::string& word) {
  return word.empty() || word[0] == 'x' ? 0 : static_cast<int>(word.size());
}

// Only characters that cannot break out of a grammar token or rule.
bool SafeGrammarText(const std::string& jsgf) {
  for (const char c : jsgf) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '\'' || c == ' ' || c == '\n' || c == '<' || c == '>' || c == '=' ||
                    c == '|' || c == '(' || c == ')' || c == ';' || c == '#' || c == '.' ||
                    c == '_';
    if (!ok) {
      return false;
    }
  }
  return true;
}

// The command's own words with each list replaced by its first item.
std::string FirstWords(const std::string& spoken,
                       const std::map<std::string, std::vector<std::string>>& lists) {
  std::string out;
  for (const auto& part : varnel::listen::ParseSpoken(spoken).parts) {
    const auto words =
        part.list.empty() ? part.words : *varnel::listen::SpokenWords(lists.at(part.list)[0]);
    for (const auto& w : words) {
      out += (out.empty() ? "" : " ") + w;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  // The first byte sets how the stream arrives: a few bytes at a time or in large reads.
  const std::size_t chunk = 1 + data[0] % 64;
  varnel::listen::FrameReader reader;
  std::uint64_t clock = 0;
  varnel::listen::Session session(1, clock);
  for (std::size_t at = 1; at < size && !reader.Failed(); at += chunk) {
    reader.Append(reinterpret_cast<const char*>(data) + at, std::min(chunk, size - at));
    while (auto request = reader.Next()) {
      bool changed = false;
      const Fields reply = session.Handle(*request, Lookup, changed);
      Check(reply.size() >= 2 && (reply[0] == "ok" || reply[0] == "error"));
      Check(varnel::listen::EncodeFrame(reply).has_value());
      if (!changed || !session.Listening()) {
        continue;
      }
      const varnel::listen::MenuSpec spec = session.Spec();
      const varnel::listen::Grammar grammar = varnel::listen::BuildGrammar({spec}, Lookup);
      Check(SafeGrammarText(grammar.Jsgf()));
      for (const auto& [id, spoken] : spec.commands) {
        if (varnel::listen::CheckCommand(spoken, spec.lists, Lookup)) {
          continue;
        }
        Check(grammar.Map(FirstWords(spoken, spec.lists)).has_value());
      }
    }
  }
  return 0;
}
