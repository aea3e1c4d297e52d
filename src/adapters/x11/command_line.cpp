#include "adapters/x11/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace varnel {
namespace {

// Splits on blanks with shell-like quoting; keepFieldCodes leaves "%x" alone.
std::vector<std::string> SplitWords(const std::string& line, bool dropFieldCodes) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
        word += line[++i];
      } else {
        word += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) {
        words.push_back(word);
      }
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else if (c == '%' && dropFieldCodes && i + 1 < line.size()) {
      if (line[i + 1] == '%') {
        word += '%';
      }
      ++i;  // a field code stands for arguments we never pass
    } else {
      word += c;
    }
  }
  if (inWord) {
    words.push_back(word);
  }
  if (dropFieldCodes) {
    std::erase_if(words, [](const std::string& w) { return w.empty(); });
  }
  return words;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> SplitExecLine(const std::string& line) {
  return SplitWords(line, true);
}

std::vector<std::string> BrowserEntries(const std::string& browserVar) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start <= browserVar.size()) {
    std::size_t end = browserVar.find(':', start);
    if (end == std::string::npos) {
      end = browserVar.size();
    }
    if (end > start) {
      entries.push_back(browserVar.substr(start, end - start));
    }
    start = end + 1;
  }
  return entries;
}

std::vector<std::vector<std::string>> BrowserCommands(const std::string& browserVar,
                                                      const std::string& url) {
  std::vector<std::vector<std::string>> commands;
  for (const std::string& entry : BrowserEntries(browserVar)) {
    std::vector<std::string> argv = SplitWords(entry, false);
    if (argv.empty()) {
      continue;
    }
    bool substituted = false;
    for (std::string& w : argv) {
      for (std::size_t pos = w.find("%s"); pos != std::string::npos; pos = w.find("%s", pos)) {
        w.replace(pos, 2, url);
        pos += url.size();
        substituted = true;
      }
    }
    if (!substituted) {
      argv.push_back(url);
    }
    commands.push_back(std::move(argv));
  }
  return commands;
}

std::string ResolveExecutable(const std::string& commandLine, const std::string& pathVar) {
  const std::vector<std::string> words = SplitExecLine(commandLine);
  if (words.empty()) {
    return "";
  }
  const std::string& program = words.front();
  if (program.find('/') != std::string::npos) {
    return IsExecutableFile(program) ? program : "";
  }
  std::size_t start = 0;
  while (start <= pathVar.size()) {
    std::size_t end = pathVar.find(':', start);
    if (end == std::string::npos) {
      end = pathVar.size();
    }
    std::string dir = pathVar.substr(start, end - start);
    if (dir.empty()) {
      dir = ".";
    }
    std::string candidate = std::move(dir);
    candidate += '/';
    candidate += program;
    if (IsExecutableFile(candidate)) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

}  // namespace varnel
