#include "core/command_phrase.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "domain/codes.h"
#include "domain/command_table.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

constexpr std::string_view kPlaceholder = " <Number>";

// Lower case, single spaces, no blanks at either end; hyphens count as spaces so that
// "twenty-five" reads like "twenty five".
std::string Normalise(std::string_view text) {
  std::string out;
  bool space = false;
  for (const char raw : text) {
    const auto ch = static_cast<unsigned char>(raw);
    if (std::isspace(ch) != 0 || ch == '-') {
      space = !out.empty();
      continue;
    }
    if (space) {
      out += ' ';
    }
    space = false;
    out += AsciiLower(raw);
  }
  return out;
}

constexpr std::array<std::string_view, 20> kUnits{
    "",         "one",     "two",     "three",     "four",     "five",    "six",
    "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
    "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};

// A spoken number 1..25 as digits or words; 0 when it is none.
int SpokenNumber(const std::string& words) {
  if (!words.empty() && words.size() <= 2 && std::all_of(words.begin(), words.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    const int n = std::stoi(words);
    return n >= 1 && n <= kNumberListMax ? n : 0;
  }
  for (int n = 1; n < static_cast<int>(kUnits.size()); ++n) {
    if (words == kUnits[static_cast<std::size_t>(n)]) {
      return n;
    }
  }
  if (words == "twenty") {
    return 20;
  }
  constexpr std::string_view kTwenty = "twenty ";
  if (words.starts_with(kTwenty)) {
    const std::string rest = words.substr(kTwenty.size());
    for (int n = 1; n <= kNumberListMax - 20; ++n) {
      if (rest == kUnits[static_cast<std::size_t>(n)]) {
        return 20 + n;
      }
    }
  }
  return 0;
}

bool IsVarnelExecutable(std::string_view name) {
  return EqualsIgnoringCase(name, "varnel") || EqualsIgnoringCase(name, "varnel.exe");
}

}  // namespace

std::optional<SpeechRecognition> MatchCommandPhrase(const std::string& phrase) {
  const std::string said = Normalise(phrase);
  if (said.empty()) {
    return std::nullopt;
  }
  for (const VoiceCommand& c : kVoiceCommands) {
    for (const std::string_view form : {FirstForm(c), SecondForm(c)}) {
      if (form.empty()) {
        continue;
      }
      SpeechRecognition r;
      r.id = c.id;
      if (form.ends_with(kPlaceholder)) {
        const std::string head = Normalise(form.substr(0, form.size() - kPlaceholder.size()));
        if (!said.starts_with(head + " ")) {
          continue;
        }
        const int n = SpokenNumber(said.substr(head.size() + 1));
        if (n == 0) {
          continue;
        }
        r.command = std::string(form);
        r.listResults.push_back(std::to_string(n));
        return r;
      }
      if (said != Normalise(form)) {
        continue;
      }
      r.command = std::string(form);
      // A two-form command is a list of its forms; the recogniser reports the one heard.
      if (!SecondForm(c).empty()) {
        r.listResults.emplace_back(form);
      }
      return r;
    }
  }
  return std::nullopt;
}

int HandOffCommandPhrase(Instances& instances, Processes& processes, Desktop& desktop,
                         const std::string& cfgFile, const std::string& phrase, std::ostream& err) {
  if (!MatchCommandPhrase(phrase)) {
    err << "varnel: unknown command phrase: \"" << phrase << "\"\n";
    return 2;
  }
  Settings settings(cfgFile);
  const auto recorded = static_cast<WindowId>(settings.ReadIniNumber("Application", "AppHwnd", 0));
  const WindowId published = instances.PublishedInstanceWindow();
  const auto running = processes.RunningProcesses();

  // A recorded handle may be stale and name some other program's window by now.
  auto owner = [&](WindowId window) -> ProcessId {
    if (window == 0 || !desktop.WindowExists(window) || desktop.ClassName(window) != "Varnel") {
      return 0;
    }
    const ProcessId pid = desktop.WindowProcess(window);
    const bool ours =
        pid != 0 && std::any_of(running.begin(), running.end(), [&](const ProcessEntry& e) {
          return e.pid == pid && IsVarnelExecutable(e.exeFile);
        });
    return ours ? pid : 0;
  };
  // The published window is the running instance's own, even when the settings file could
  // not be written.
  for (const WindowId window : {published, recorded == published ? WindowId{0} : recorded}) {
    const ProcessId pid = owner(window);
    if (pid == 0) {
      continue;
    }
    // Commands that switch windows need the foreground right this start got from the user.
    instances.GrantForeground(pid);
    if (instances.SendCommandPhrase(window, phrase, kHandOffTimeoutMs)) {
      return 0;
    }
    // A command makes Varnel type keys, so the system rightly keeps a program with fewer
    // rights from driving it.
    if (instances.RunsWithMoreRights(pid)) {
      err << "varnel: Varnel runs elevated (as administrator); run this command elevated too\n";
      return 1;
    }
  }
  err << "varnel: no running instance to take the command\n";
  return 1;
}

}  // namespace varnel
