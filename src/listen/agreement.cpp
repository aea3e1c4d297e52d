#include "listen/agreement.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace varnel::listen {
namespace {

std::vector<std::string> Phones(const std::vector<SaidWord>& words) {
  std::vector<std::string> phones;
  for (const auto& w : words) {
    std::istringstream in(w.phones);
    std::string p;
    while (in >> p) {
      phones.push_back(p);
    }
  }
  return phones;
}

int Edits(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<int> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    row[j] = static_cast<int>(j);
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const int above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

bool IsNumberWord(const std::string& w) {
  static const std::set<std::string> kNumbers = {
      "zero",    "one",       "two",      "three",    "four",   "five",     "six",      "seven",
      "eight",   "nine",      "ten",      "eleven",   "twelve", "thirteen", "fourteen", "fifteen",
      "sixteen", "seventeen", "eighteen", "nineteen", "twenty", "thirty",   "forty",    "fifty",
      "sixty",   "seventy",   "eighty",   "ninety",   "hundred"};
  return kNumbers.count(w) > 0;
}

std::string Numbers(const std::vector<SaidWord>& words) {
  std::string out;
  for (const auto& w : words) {
    if (IsNumberWord(w.word)) {
      out.append(out.empty() ? "" : " ").append(w.word);
    }
  }
  return out;
}

}  // namespace

int PhoneEdits(const std::string& from, const std::string& to) {
  return Edits(Phones({{"", from}}), Phones({{"", to}}));
}

Agreement Agree(const std::vector<SaidWord>& command, const std::vector<SaidWord>& heard,
                double maxDistance, const std::function<bool(const std::string&)>& everyday) {
  Agreement result;
  if (heard.empty()) {
    result.why = "the language model heard no words";
    return result;
  }
  // A number is what the command is for: "tab three" is not "tab four", however close.
  if (const std::string said = Numbers(command), got = Numbers(heard); said != got) {
    result.why = "the language model heard the number \"" + got + "\", not \"" + said + "\"";
    return result;
  }
  // An everyday word where a command word was is that word, not the command ("the door" in
  // "close the door"). A command word the model does not know must be heard as something
  // else, everyday or not.
  const bool allKnown =
      std::all_of(command.begin(), command.end(), [](const SaidWord& w) { return w.inVocabulary; });
  if (allKnown) {
    for (const auto& h : heard) {
      const bool commandWord = std::any_of(command.begin(), command.end(),
                                           [&](const SaidWord& w) { return w.word == h.word; });
      if (!commandWord && everyday(h.word)) {
        result.why = "the language model heard the everyday word \"" + h.word + "\"";
        return result;
      }
    }
  }
  const auto said = Phones(command);
  const auto got = Phones(heard);
  result.distance = static_cast<double>(Edits(said, got)) /
                    static_cast<double>(std::max<std::size_t>(said.size(), 1));
  if (result.distance > maxDistance) {
    std::ostringstream why;
    why << "the language model's words are " << result.distance
        << " edits a phone from the command's";
    result.why = why.str();
    return result;
  }
  result.agrees = true;
  return result;
}

}  // namespace varnel::listen
