// Reader and writer of private-profile (INI) files, compatible with the files that the
// Windows profile functions read and write, the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/whole_file.h"

namespace varnel {

// Larger settings files are not Varnel's: they are neither read nor rewritten.
inline constexpr std::size_t kMebibyte = std::size_t{1024} * 1024;
inline constexpr std::size_t kMaxSettingsFileBytes = kMebibyte;

// How a settings file's text is stored; files are written back the way they came.
enum class TextEncoding : std::uint8_t { Utf8, Utf16Le, Utf16Be };

// A settings file held as its lines (UTF-8, without line terminators). Lines that are not
// touched by Set come out exactly as they went in.
class IniFile {
 public:
  // A missing, unreadable or too large file gives an empty one; `problem` says why.
  static IniFile Load(const std::string& path, FileProblem* problem = nullptr);
  // UTF-16 (little or big endian) when it starts with that byte-order mark, else UTF-8 text
  // (a leading BOM is dropped); text that is not valid UTF-8 is taken as Windows-1252. LF and
  // CRLF line ends.
  static IniFile Parse(std::string_view bytes);

  // The value of the first matching key of the first matching section (names without regard
  // to case, surrounding blanks ignored): trimmed, one pair of enclosing double quotes
  // dropped. nullopt when the section or key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Replaces the key's value in place, or appends the key to its section, or appends the
  // section at the end.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes, every line ended by CRLF: UTF-16 with its byte-order mark when it was
  // read that way, else UTF-8 without BOM.
  std::string Serialise() const;

  // Writes through a temporary file in the same folder and renames it over `path`, so the
  // file is either the old one or the new one. False when anything fails (`problem` says
  // why); then nothing on disk has changed.
  bool Save(const std::string& path, FileProblem* problem = nullptr) const;

  const std::vector<std::string>& Lines() const { return lines_; }
  TextEncoding Encoding() const { return encoding_; }

 private:
  std::vector<std::string> lines_;
  TextEncoding encoding_ = TextEncoding::Utf8;
};

// One read or write of one key, as the program's settings routines use them. `problem`, when
// given, says why the file could not be read or written (FileProblem::None when it could).
std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key, FileProblem* problem = nullptr);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, FileProblem* problem = nullptr);

// Text helpers shared with the settings routines.
bool IsValidUtf8(std::string_view text);
std::string Cp1252ToUtf8(std::string_view bytes);
// The first `maxChars` code points of UTF-8 text; never cuts a sequence.
std::string Utf8Prefix(std::string_view text, std::size_t maxChars);

}  // namespace varnel
