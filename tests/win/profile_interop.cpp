// Settings files must read the same through the system's private-profile functions and
// through the program's own reader and writer, in both directions.
//
//   profile_interop check <folder>            runs the table, prints it, exit 1 on a mismatch
//   profile_interop get <file> <section> <key>  prints the value GetPrivateProfileStringA reads
//   profile_interop read <file> <section> <key> prints the value the program's reader reads
//   profile_interop foreground                  prints the title of the foreground window
// Before windows.h, whose WriteProfileString macro would rename the program's function.
#include "app/ini_file.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#undef WriteProfileString

namespace {

std::string SystemRead(const std::string& file, const std::string& section,
                       const std::string& key) {
  std::vector<char> buf(1024, '\0');
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buf.data(),
                                           static_cast<DWORD>(buf.size()), file.c_str());
  return {buf.data(), n};
}

bool SystemWrite(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

struct Case {
  const char* name;
  const char* section;
  const char* key;
  std::string value;
  std::string expected;  // what the other side reads back
};

std::vector<Case> Cases() {
  return {
      {"plain words", "History", "SearchHistory", "wine test", "wine test"},
      {"window handle", "Application", "AppHwnd", "131138", "131138"},
      {"equals and semicolon inside", "History", "SearchHistory", "a=b; c", "a=b; c"},
      {"enclosing quotes are dropped", "History", "SearchHistory", "\"exact phrase\"",
       "exact phrase"},
      {"inner quotes stay", "History", "SearchHistory", "say \"hi\" now", "say \"hi\" now"},
      {"brackets in the value", "History", "SearchHistory", "[x] (y)", "[x] (y)"},
      {"second section keeps the first", "Application", "AppHwnd", "42", "42"},
      {"long value", "History", "SearchHistory", std::string(300, 'x'), std::string(300, 'x')},
      {"punctuation", "History", "SearchHistory", "c++ & c# % 100", "c++ & c# % 100"},
  };
}

int Check(const std::string& folder) {
  int failures = 0;
  std::printf("%-34s %-16s %-16s\n", "case", "ours->system", "system->ours");
  int n = 0;
  for (const auto& c : Cases()) {
    const std::string a = folder + "\\ours-" + std::to_string(n) + ".cfg";
    const std::string b = folder + "\\system-" + std::to_string(n) + ".cfg";
    ++n;
    // Both files also hold a neighbouring section, as a real settings file does.
    const bool wroteOurs = varnel::WriteProfileString(a, "Other", "Key", "1") &&
                           varnel::WriteProfileString(a, c.section, c.key, c.value);
    const bool oursToSystem = wroteOurs && SystemRead(a, c.section, c.key) == c.expected &&
                              SystemRead(a, "Other", "Key") == "1";
    const bool wroteSystem =
        SystemWrite(b, "Other", "Key", "1") && SystemWrite(b, c.section, c.key, c.value);
    const auto back = varnel::ReadProfileString(b, c.section, c.key);
    // Key and section names match without regard to case on both sides.
    std::string lowerKey = c.key;
    for (auto& ch : lowerKey) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const auto backLower = varnel::ReadProfileString(b, c.section, lowerKey);
    const bool systemToOurs = wroteSystem && back == c.expected && backLower == c.expected;
    std::printf("%-34s %-16s %-16s\n", c.name, oursToSystem ? "ok" : "MISMATCH",
                systemToOurs ? "ok" : "MISMATCH");
    failures += (oursToSystem ? 0 : 1) + (systemToOurs ? 0 : 1);
  }
  // A value rewritten in place by the system leaves our other keys alone, and the reverse.
  const std::string mixed = folder + "\\mixed.cfg";
  varnel::WriteProfileString(mixed, "Application", "AppHwnd", "7");
  varnel::WriteProfileString(mixed, "History", "SearchHistory", "first");
  SystemWrite(mixed, "History", "SearchHistory", "second");
  varnel::WriteProfileString(mixed, "Application", "AppHwnd", "8");
  const bool mixedOk = SystemRead(mixed, "Application", "AppHwnd") == "8" &&
                       varnel::ReadProfileString(mixed, "History", "SearchHistory") == "second";
  std::printf("%-34s %-16s\n", "alternating writers", mixedOk ? "ok" : "MISMATCH");
  failures += mixedOk ? 0 : 1;
  std::printf("%d mismatches\n", failures);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "check") return Check(args[1]);
  if (args.size() == 1 && args[0] == "foreground") {
    // The window the system itself holds as the foreground one, by its title.
    char title[256] = {};
    GetWindowTextA(GetForegroundWindow(), title, sizeof title);
    std::printf("%s\n", title);
    return 0;
  }
  if (args.size() == 4 && args[0] == "get") {
    std::printf("%s\n", SystemRead(args[1], args[2], args[3]).c_str());
    return 0;
  }
  if (args.size() == 4 && args[0] == "read") {
    // UTF-8 bytes as they are: stdout is a file here, so nothing converts them.
    const auto value = varnel::ReadProfileString(args[1], args[2], args[3]);
    std::printf("%s\n", value.value_or("<missing>").c_str());
    return 0;
  }
  std::fprintf(stderr, "usage: profile_interop check <folder> | get|read <file> <section> <key>\n");
  return 2;
}
