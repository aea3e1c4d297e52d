// Reader and writer of private-profile (INI) files, compatible with the files that the
// Windows profile functions read and write, the same on every platform.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// A settings file held as its lines (UTF-8, without line terminators). Lines that are not
// touched by Set come out exactly as they went in.
class IniFile {
 public:
  // A missing or unreadable file gives an empty one.
  static IniFile Load(const std::string& path);
  // UTF-8 text (a leading BOM is dropped); text that is not valid UTF-8 is taken as
  // Windows-1252. LF and CRLF line ends.
  static IniFile Parse(std::string_view bytes);

  // The value of the first matching key of the first matching section (names without regard
  // to case, surrounding blanks ignored): trimmed, one pair of enclosing double quotes
  // dropped. nullopt when the section or key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Replaces the key's value in place, or appends the key to its section, or appends the
  // section at the end.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes: UTF-8 without BOM, every line ended by CRLF.
  std::string Serialise() const;

  // Writes through a temporary file in the same folder and renames it over `path`, so the
  // file is either the old one or the new one. False when anything fails; then nothing
  // on disk has changed.
  bool Save(const std::string& path) const;

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// One read or write of one key, as the program's settings routines use them.
std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Text helpers shared with the settings routines.
bool IsValidUtf8(std::string_view text);
std::string Cp1252ToUtf8(std::string_view bytes);
// The first `maxChars` code points of UTF-8 text; never cuts a sequence.
std::string Utf8Prefix(std::string_view text, std::size_t maxChars);

}  // namespace varnel
