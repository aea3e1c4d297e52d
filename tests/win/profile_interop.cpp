// Settings files must read the same through the system's private-profile functions and
// through the program's own reader and writer, in both directions.
//
//   profile_interop check <folder>            runs the table, prints it, exit 1 on a mismatch
//   profile_interop get <file> <section> <key>  prints the value GetPrivateProfileStringA reads
//   profile_interop read <file> <section> <key> prints the value the program's reader reads
//   profile_interop foreground                  prints the title of the foreground window
//   profile_interop hold <file> <ms> <marker> [after-temp]
//       holds the file open as indexers do (no FILE_SHARE_DELETE), creates <marker> once it
//       does, and lets go <ms> after that (after-temp: <ms> after a writer's temporary file
//       appears beside it)
// Before windows.h, whose WriteProfileString macro would rename the program's function.
#include "core/ini_file.h"

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

std::wstring Wide(const std::string& ascii) {
  return {ascii.begin(), ascii.end()};
}

std::string RawBytes(const std::string& file) {
  std::string bytes;
  const HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) != 0 && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

void PutBytes(const std::string& file, const std::string& bytes) {
  const HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD wrote = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
  CloseHandle(h);
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const wchar_t unit : text) {
    const char high = static_cast<char>((unit >> 8) & 0xFF);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

std::wstring SystemReadW(const std::string& file, const wchar_t* section, const wchar_t* key) {
  std::vector<wchar_t> buf(1024, L'\0');
  const DWORD n = GetPrivateProfileStringW(section, key, L"<missing>", buf.data(),
                                           static_cast<DWORD>(buf.size()), Wide(file).c_str());
  return {buf.data(), n};
}

// Notepad's "Unicode" files (UTF-16 with a byte-order mark): the system's wide profile
// functions read them and keep them UTF-16; so must the program's reader and writer.
int CheckUtf16(const std::string& folder) {
  const std::wstring wide = L"caf\u00e9 \u65e5\u672c";
  const std::string utf8 = "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";
  int failures = 0;
  for (const bool bigEndian : {false, true}) {
    const std::string order = bigEndian ? "UTF-16BE" : "UTF-16LE";
    const std::string start = Utf16(L"[Other]\r\nKey=1\r\n", bigEndian);
    const std::string mark = start.substr(0, 2);

    const std::string a = folder + "\\system-" + order + ".cfg";
    PutBytes(a, start);
    WritePrivateProfileStringW(L"History", L"SearchHistory", wide.c_str(), Wide(a).c_str());
    const bool systemToOurs = RawBytes(a).starts_with(mark) &&
                              varnel::ReadProfileString(a, "History", "SearchHistory") == utf8 &&
                              varnel::ReadProfileString(a, "Other", "Key") == "1";

    const std::string b = folder + "\\ours-" + order + ".cfg";
    PutBytes(b, start);
    const bool wrote = varnel::WriteProfileString(b, "History", "SearchHistory", utf8);
    const bool oursToSystem = wrote &&
                              RawBytes(b) == Utf16(
                                                 L"[Other]\r\nKey=1\r\n[History]\r\n"
                                                 L"SearchHistory=" +
                                                     wide + L"\r\n",
                                                 bigEndian) &&
                              SystemReadW(b, L"History", L"SearchHistory") == wide &&
                              SystemReadW(b, L"Other", L"Key") == L"1";
    // The system writing into the program's file, and the program reading that.
    WritePrivateProfileStringW(L"Application", L"AppHwnd", L"42", Wide(b).c_str());
    const bool alternating = RawBytes(b).starts_with(mark) &&
                             varnel::ReadProfileString(b, "Application", "AppHwnd") == "42" &&
                             varnel::ReadProfileString(b, "History", "SearchHistory") == utf8;

    std::printf("%-34s %-16s %-16s\n", (order + " file").c_str(), oursToSystem ? "ok" : "MISMATCH",
                systemToOurs ? "ok" : "MISMATCH");
    std::printf("%-34s %-16s\n", (order + " alternating writers").c_str(),
                alternating ? "ok" : "MISMATCH");
    failures += (oursToSystem ? 0 : 1) + (systemToOurs ? 0 : 1) + (alternating ? 0 : 1);
  }
  return failures;
}

// Holds the file open without FILE_SHARE_DELETE, as indexers and backup tools do.
int Hold(const std::string& file, DWORD ms, const std::string& marker, bool afterTemp) {
  const HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open %s\n", file.c_str());
    return 1;
  }
  PutBytes(marker, "held");
  if (afterTemp) {
    const std::string pattern = file + ".*.tmp";
    for (int i = 0; i < 3000; ++i) {
      WIN32_FIND_DATAA found{};
      const HANDLE find = FindFirstFileA(pattern.c_str(), &found);
      if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        break;
      }
      Sleep(10);
    }
  }
  Sleep(ms);
  CloseHandle(h);
  return 0;
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
  failures += CheckUtf16(folder);
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
  if ((args.size() == 4 || args.size() == 5) && args[0] == "hold") {
    return Hold(args[1], static_cast<DWORD>(std::stoul(args[2])), args[3],
                args.size() == 5 && args[4] == "after-temp");
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
