#include "listen/lexicon.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <type_traits>

namespace varnel::listen {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// The line's word without its "(N)" alternate mark.
std::string_view BaseWord(std::string_view line) {
  std::size_t end = 0;
  while (end < line.size() && !IsBlank(line[end]) && line[end] != '\n') {
    ++end;
  }
  std::string_view word = line.substr(0, end);
  if (word.size() > 2 && word.back() == ')') {
    const std::size_t open = word.rfind('(');
    if (open != std::string_view::npos && open > 0) {
      word = word.substr(0, open);
    }
  }
  return word;
}

// The phones of a line, single-spaced; empty when there are none.
std::string Phones(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && !IsBlank(line[i])) {
    ++i;
  }
  std::string phones;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) {
      ++i;
    }
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) {
      ++i;
    }
    if (i > start) {
      if (!phones.empty()) {
        phones += ' ';
      }
      phones.append(line.substr(start, i - start));
    }
  }
  return phones;
}

// The entry a line starts with, without its comment; searched within the line only, since a
// file without comments would otherwise be searched to its end for every entry.
std::string_view Entry(std::string_view text) {
  text = text.substr(0, text.find('\n'));
  return text.substr(0, text.find('#'));
}

}  // namespace

std::string_view Lexicon::WordAt(std::uint32_t offset) const {
  return BaseWord(std::string_view(text_).substr(offset));
}

bool Lexicon::Load(const std::string& path, std::string& error, std::vector<std::string>* words) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text_.size() + text.size() + 1 > std::numeric_limits<std::uint32_t>::max()) {
    error = path + ": too large";
    return false;
  }
  const auto base = static_cast<std::uint32_t>(text_.size());
  text_ += text;
  text_ += '\n';
  std::vector<std::uint32_t> added;
  std::size_t pos = base;
  while (pos < text_.size()) {
    std::size_t end = text_.find('\n', pos);
    end = end == std::string::npos ? text_.size() : end;
    std::string_view line(text_.data() + pos, end - pos);
    while (!line.empty() && IsBlank(line.front())) {
      line.remove_prefix(1);
      ++pos;
    }
    if (!line.empty() && line.front() != '#') {
      const std::size_t hash = line.find('#');
      if (Phones(line.substr(0, hash)).empty()) {
        error = path + ": bad entry for \"" + std::string(BaseWord(line)) + "\"";
        return false;
      }
      added.push_back(static_cast<std::uint32_t>(pos));
      if (words != nullptr) {
        words->emplace_back(BaseWord(line));
      }
    }
    pos = end + 1;
  }
  const auto byWord = [this](std::uint32_t a, std::uint32_t b) { return WordAt(a) < WordAt(b); };
  if (!std::is_sorted(added.begin(), added.end(), byWord)) {
    std::stable_sort(added.begin(), added.end(), byWord);
  }
  const std::size_t mid = entries_.size();
  entries_.insert(entries_.end(), added.begin(), added.end());
  // Earlier files first within a word: their entries come first in the merge.
  std::inplace_merge(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(mid),
                     entries_.end(), byWord);
  return true;
}

void Lexicon::ForEach(
    const std::function<void(std::string_view word, const std::string& phones)>& visit) const {
  for (const auto offset : entries_) {
    std::string_view line = std::string_view(text_).substr(offset);
    line = Entry(line);
    visit(BaseWord(line), Phones(line));
  }
}

std::vector<std::string> Lexicon::Pronunciations(std::string_view word) const {
  std::vector<std::string> prons;
  const auto [first, last] =
      std::equal_range(entries_.begin(), entries_.end(), word, [this](auto a, auto b) {
        if constexpr (std::is_same_v<decltype(a), std::string_view>) {
          return a < WordAt(b);
        } else {
          return WordAt(a) < b;
        }
      });
  for (auto it = first; it != last; ++it) {
    std::string_view line = std::string_view(text_).substr(*it);
    line = Entry(line);
    std::string phones = Phones(line);
    if (std::find(prons.begin(), prons.end(), phones) == prons.end()) {
      prons.push_back(std::move(phones));
    }
  }
  return prons;
}

int CountPhones(std::string_view phones) {
  int n = 0;
  bool inPhone = false;
  for (const char c : phones) {
    const bool blank = IsBlank(c);
    n += static_cast<int>(!blank && !inPhone);
    inPhone = !blank;
  }
  return n;
}

std::vector<std::string> HypothesisWords(std::string_view hypothesis) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < hypothesis.size()) {
    while (i < hypothesis.size() && IsBlank(hypothesis[i])) {
      ++i;
    }
    const std::size_t start = i;
    while (i < hypothesis.size() && !IsBlank(hypothesis[i])) {
      ++i;
    }
    std::string_view word = hypothesis.substr(start, i - start);
    if (const auto paren = word.find('('); paren != std::string_view::npos && paren > 0) {
      word = word.substr(0, paren);
    }
    if (!word.empty() && word[0] != '<' && word[0] != '[' && word[0] != '+') {
      words.emplace_back(word);
    }
  }
  return words;
}

}  // namespace varnel::listen
