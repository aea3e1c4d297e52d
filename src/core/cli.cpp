#include "core/cli.h"

#include <string_view>

#include "core/browser.h"
#include "core/command_phrase.h"
#include "core/config_path.h"
#include "core/settings.h"
#include "core/summon_setting.h"
#include "domain/scopes.h"

namespace varnel {

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 1;

constexpr const char* kUsage =
    "Usage: varnel [--url | --search] [--scope SCOPE] [--date DATE] [--] TERMS...\n"
    "       varnel --history\n"
    "       varnel --command PHRASE\n"
    "       varnel --help | --version\n"
    "\n";

// After the summon chord in force, which the usage names; the scope lines come between.
constexpr const char* kUsageModes =
    "\n"
    "  --url        print the search address for TERMS\n"
    "  --search     open the search for TERMS in the default browser and keep them as history\n";
constexpr const char* kUsageOptions =
    "  --date D     0-5 or a name: anytime, hour, day, week, month, year (also \"past day\"\n"
    "               and so on; default anytime)\n"
    "  --history    print the last search terms\n"
    "  --command    hand a voice-command phrase to the running instance\n"
    "\n"
#ifdef _WIN32
    "The settings file is %VARNEL_CFG%, else Varnel.cfg beside the program when it is there\n"
    "or that folder is writable, else %APPDATA%\\Varnel\\Varnel.cfg.\n";
#else
    "The settings file is $VARNEL_CFG, else Varnel.cfg beside the program when one is there,\n"
    "else $XDG_CONFIG_HOME/varnel/Varnel.cfg (~/.config/varnel/Varnel.cfg).\n";
#endif

// Where an option's description starts, and how wide the scope list may run.
constexpr std::size_t kHelpIndent = 15;
constexpr std::size_t kHelpWidth = 84;

// A scope name as typed in a shell: quoted when it holds a space or a shell character.
std::string ShellWord(const std::string& name) {
  return name.find_first_of(" |&;<>()$`\\\"'*?[#~") == std::string::npos ? name : '"' + name + '"';
}

std::string ScopeNumbers(std::size_t count) {
  return "0-" + std::to_string(count - 1);
}

enum class Mode { None, Url, Search, History, Command, Help, Version };

struct Parsed {
  Mode mode = Mode::None;
  int scope = 0;
  int date = 0;
  std::vector<std::string> words;
};

struct UsageError {
  std::string message;
};

std::optional<Mode> ModeOf(std::string_view arg) {
  if (arg == "--url") {
    return Mode::Url;
  }
  if (arg == "--search") {
    return Mode::Search;
  }
  if (arg == "--history") {
    return Mode::History;
  }
  if (arg == "--command") {
    return Mode::Command;
  }
  if (arg == "--help" || arg == "-h") {
    return Mode::Help;
  }
  if (arg == "--version") {
    return Mode::Version;
  }
  return std::nullopt;
}

// Splits "--name=value" or takes the next argument as the value.
std::string OptionValue(const std::vector<std::string>& args, std::size_t& i,
                        std::string_view name) {
  const std::string& arg = args[i];
  if (arg.size() > name.size() && arg[name.size()] == '=') {
    return arg.substr(name.size() + 1);
  }
  if (i + 1 >= args.size()) {
    throw UsageError{std::string(name) + " needs a value"};
  }
  return args[++i];
}

Parsed Parse(const std::vector<std::string>& args) {
  Parsed p;
  bool scopeGiven = false;
  bool dateGiven = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    // A command phrase takes every word after it, even ones that look like options.
    if (p.mode == Mode::Command && p.words.empty() && arg == "--" && !optionsEnded) {
      optionsEnded = true;
      continue;
    }
    if (!isOption || p.mode == Mode::Command) {
      p.words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (auto mode = ModeOf(arg)) {
      if (p.mode != Mode::None && p.mode != *mode) {
        throw UsageError{"choose only one of --url, --search, --history, --command"};
      }
      p.mode = *mode;
    } else if (arg == "--scope" || arg.starts_with("--scope=")) {
      const std::string v = OptionValue(args, i, "--scope");
      const std::optional<int> s = ParseScope(v);
      if (!s) {
        throw UsageError{"unknown scope '" + v + "' (use " + ScopeNumbers(kScopes.size()) +
                         " or a name; see --help)"};
      }
      p.scope = *s;
      scopeGiven = true;
    } else if (arg == "--date" || arg.starts_with("--date=")) {
      const std::string v = OptionValue(args, i, "--date");
      const std::optional<int> d = ParseDateRange(v);
      if (!d) {
        throw UsageError{"unknown date range '" + v + "' (use 0-5 or a name; see --help)"};
      }
      p.date = *d;
      dateGiven = true;
    } else {
      throw UsageError{"unknown option '" + arg + "' (put -- before terms that start with -)"};
    }
  }

  switch (p.mode) {
    case Mode::None:
      throw UsageError{"say what to do: --url, --search, --history or --command (see --help)"};
    case Mode::Url:
    case Mode::Search:
      break;
    case Mode::Command:
      if (p.words.empty()) {
        throw UsageError{"--command needs a phrase"};
      }
      [[fallthrough]];
    case Mode::History:
    case Mode::Help:
    case Mode::Version:
      if (scopeGiven || dateGiven) {
        throw UsageError{"--scope and --date go with --url or --search"};
      }
      if (p.mode != Mode::Command && !p.words.empty()) {
        throw UsageError{"unexpected argument '" + p.words.front() + "'"};
      }
      break;
  }
  return p;
}

std::string JoinWords(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& w : words) {
    if (!joined.empty()) {
      joined += ' ';
    }
    joined += w;
  }
  return joined;
}

}  // namespace

std::string ScopeOptionHelp(std::span<const Scope> scopes) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < scopes.size(); ++i) {
    words.push_back(ShellWord(ScopeName(scopes[i])) + (i + 1 < scopes.size() ? "," : ""));
  }
  words.emplace_back("(default");
  words.push_back(ScopeName(scopes.front()) + ")");

  std::string text = "  --scope S    " + ScopeNumbers(scopes.size()) + " or a name:";
  std::size_t lineStart = 0;
  for (const std::string& w : words) {
    if (text.size() - lineStart + 1 + w.size() > kHelpWidth) {
      text += '\n';
      lineStart = text.size();
      text.append(kHelpIndent, ' ');
    } else {
      text += ' ';
    }
    text += w;
  }
  return text + '\n';
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const Ports& ports,
                                  std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    return std::nullopt;
  }

  Parsed p;
  try {
    p = Parse(args);
  } catch (const UsageError& e) {
    err << "varnel: " << e.message << '\n';
    return kUsageError;
  }

  switch (p.mode) {
    case Mode::Help: {
      Settings settings(ResolveConfigFile(ports.paths));
      const SummonSetting summon = ReadSummonSetting(settings);
      out << kUsage << "Without arguments varnel starts the resident search window ("
          << ChordText(summon.chord) << " summons it; Summon= in the [Keys] section of the\n"
          << "settings file changes it).\n"
          << kUsageModes << ScopeOptionHelp() << kUsageOptions;
      if (!summon.problem.empty()) {
        err << "varnel: " << summon.problem << '\n';
      }
      return 0;
    }
    case Mode::Version:
      out << "varnel " << kVersion << '\n';
      return 0;
    case Mode::Url: {
      out << ComposeSearch(JoinWords(p.words), p.scope, p.date).address << '\n';
      return 0;
    }
    case Mode::Search: {
      const ComposedSearch search = ComposeSearch(JoinWords(p.words), p.scope, p.date);
      if (!ports.launcher.OpenAddress(search.address)) {
        err << "varnel: " << kBrowserNotStarted << '\n';
        return kFailure;
      }
      Settings settings;
      if (search.history) {
        settings.file = ResolveConfigFile(ports.paths);
        settings.SaveHistory(*search.history);
      }
      // The search went out, but a history that was not kept is a failure to report.
      if (settings.problem != FileProblem::None) {
        err << "varnel: " << SettingsProblemLine(settings.problem, settings.file) << '\n';
        return kFailure;
      }
      return 0;
    }
    case Mode::History: {
      out << Settings(ResolveConfigFile(ports.paths)).LoadHistory() << '\n';
      return 0;
    }
    case Mode::Command:
      return HandOffCommandPhrase(ports.instances, ports.processes, ports.desktop,
                                  ResolveConfigFile(ports.paths), JoinWords(p.words), err);
    case Mode::None:
      break;
  }
  return kUsageError;
}

}  // namespace varnel
