#include "core/ini_file.h"

#include <array>
#include <cstdint>

#include "domain/utf8.h"

namespace varnel {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kByteOrderMark = 0xFEFF;

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls, as Windows does.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not valid.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) {
    return 1;
  }
  std::size_t len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((c & 0xE0) == 0xC0) {
    len = 2, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > text.size()) {
    return 0;
  }
  for (std::size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) {
      return 0;
    }
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return len;
}

// Decodes one code point of valid UTF-8 at text[i] and advances i.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  std::size_t len = SequenceLength(text, i);
  const auto c = static_cast<unsigned char>(text[i]);
  if (len <= 1) {
    ++i;
    return c;
  }
  char32_t cp = c & (0xFF >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) {
    cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  }
  i += len;
  return cp;
}

// Simple case folding for the scripts that setting names are likely to use.
char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') {
    return c + 32;
  }
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
    return c + 32;
  }
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    // Latin Extended-A pairs alternate; the run 0x139..0x148 and 0x179..0x17E start odd.
    const bool oddStart = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddStart ? (c % 2 == 1) : (c % 2 == 0)) {
      return c + 1;
    }
    return c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) {
    return c + 32;
  }
  if (c >= 0x410 && c <= 0x42F) {
    return c + 32;
  }
  if (c >= 0x400 && c <= 0x40F) {
    return c + 80;
  }
  return c;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (FoldCase(NextCodePoint(a, i)) != FoldCase(NextCodePoint(b, j))) {
      return false;
    }
  }
  return i == a.size() && j == b.size();
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

// A name or value as it may go into a line: cut at NUL, line breaks made spaces so that a
// value can never split into further lines (and so never forge a section or key).
std::string Sanitise(std::string_view s) {
  std::string out(s.substr(0, s.find('\0')));
  for (char& c : out) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  return out;
}

enum class LineKind { Other, Section, Entry };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // entry value, trimmed
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine p;
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';') {
    return p;
  }
  if (t.front() == '[') {
    std::string_view inner = t.substr(1);
    const std::size_t close = inner.rfind(']');
    if (close != std::string_view::npos) {
      inner = inner.substr(0, close);
    }
    p.kind = LineKind::Section;
    p.name = Trim(inner);
    return p;
  }
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    return p;
  }
  p.kind = LineKind::Entry;
  p.name = Trim(t.substr(0, eq));
  p.value = Trim(t.substr(eq + 1));
  return p;
}

// UTF-16 text as UTF-8: pairs joined, a lone surrogate (and an odd last byte) replaced, any
// byte-order marks at the start dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const auto unit = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? (first << 8U) | second : (second << 8U) | first);
  };
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  bool atStart = true;
  for (std::size_t k = 0; k < units; ++k) {
    char32_t cp = unit(2 * k);
    if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < units && unit(2 * k + 2) >= 0xDC00 &&
        unit(2 * k + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10U) + (unit(2 * k + 2) - 0xDC00);
      ++k;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacementCharacter;
    }
    if (atStart && cp == kByteOrderMark) {
      continue;
    }
    atStart = false;
    AppendUtf8(out, cp);
  }
  return out;
}

void AppendUtf16(std::string& out, char16_t unit, bool bigEndian) {
  const auto high = static_cast<char>(unit >> 8U);
  const auto low = static_cast<char>(unit & 0xFFU);
  out += bigEndian ? high : low;
  out += bigEndian ? low : high;
}

// UTF-8 text (invalid bytes as U+FFFD) as UTF-16.
void AppendUtf8AsUtf16(std::string& out, std::string_view text, bool bigEndian) {
  for (std::size_t i = 0; i < text.size();) {
    const bool valid = SequenceLength(text, i) != 0;
    char32_t cp = NextCodePoint(text, i);
    if (!valid) {
      cp = kReplacementCharacter;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendUtf16(out, static_cast<char16_t>(0xD800 + (cp >> 10U)), bigEndian);
      AppendUtf16(out, static_cast<char16_t>(0xDC00 + (cp & 0x3FFU)), bigEndian);
    } else {
      AppendUtf16(out, static_cast<char16_t>(cp), bigEndian);
    }
  }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = SequenceLength(text, i);
    if (len == 0) {
      return false;
    }
    i += len;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      AppendUtf8(out, kCp1252High[c - 0x80]);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string Utf8Prefix(std::string_view text, std::size_t maxChars) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < maxChars && i < text.size(); ++n) {
    const std::size_t len = SequenceLength(text, i);
    i += len == 0 ? 1 : len;
  }
  return std::string(text.substr(0, i));
}

IniFile IniFile::Load(const std::string& path, FileProblem* problem) {
  const FileRead read = ReadWholeFile(path, kMaxSettingsFileBytes);
  if (problem != nullptr) {
    *problem = read.problem;
  }
  return read.problem == FileProblem::None ? Parse(read.bytes) : IniFile{};
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile file;
  std::string converted;
  if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
    const bool bigEndian = bytes.starts_with(kUtf16BeBom);
    file.encoding_ = bigEndian ? TextEncoding::Utf16Be : TextEncoding::Utf16Le;
    converted = Utf16ToUtf8(bytes.substr(kUtf16LeBom.size()), bigEndian);
    bytes = converted;
  } else {
    while (bytes.starts_with(kBom)) {
      bytes.remove_prefix(kBom.size());
    }
    if (!IsValidUtf8(bytes)) {
      converted = Cp1252ToUtf8(bytes);
      bytes = converted;
    }
  }
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) {
      end = bytes.size();
    }
    std::string_view line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    file.lines_.emplace_back(line);
    start = next;
  }
  return file;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  bool inSection = false;
  bool seenSection = false;
  for (const std::string& line : lines_) {
    const ParsedLine p = ParseLine(line);
    if (p.kind == LineKind::Section) {
      // Only the first section of that name counts.
      if (inSection) {
        return std::nullopt;
      }
      inSection = !seenSection && NamesEqual(p.name, section);
      seenSection = seenSection || inSection;
    } else if (inSection && p.kind == LineKind::Entry && NamesEqual(p.name, key)) {
      std::string_view v = p.value;
      if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        v = v.substr(1, v.size() - 2);
      }
      return std::string(v);
    }
  }
  return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sec = Sanitise(Trim(section));
  const std::string k = Sanitise(Trim(key));
  const std::string v = Sanitise(value);

  std::size_t header = lines_.size();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.kind == LineKind::Section && NamesEqual(p.name, sec)) {
      header = i;
      break;
    }
  }
  if (header == lines_.size()) {
    lines_.push_back("[" + sec + "]");
    lines_.push_back(k + "=" + v);
    return;
  }
  std::size_t insertAt = header + 1;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.kind == LineKind::Section) {
      break;
    }
    if (p.kind == LineKind::Entry && NamesEqual(p.name, k)) {
      lines_[i] = std::string(p.name) + "=" + v;
      return;
    }
    const std::string_view t = Trim(lines_[i]);
    if (!t.empty() && t.front() != ';') {
      insertAt = i + 1;
    }
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), k + "=" + v);
}

std::string IniFile::Serialise() const {
  std::string out;
  std::size_t size = 0;
  for (const std::string& line : lines_) {
    size += line.size() + 2;
  }
  if (encoding_ == TextEncoding::Utf8) {
    out.reserve(size);
    for (const std::string& line : lines_) {
      out += line;
      out += "\r\n";
    }
    return out;
  }
  const bool bigEndian = encoding_ == TextEncoding::Utf16Be;
  out.reserve(2 * size + 2);
  out += bigEndian ? kUtf16BeBom : kUtf16LeBom;
  for (const std::string& line : lines_) {
    AppendUtf8AsUtf16(out, line, bigEndian);
    AppendUtf8AsUtf16(out, "\r\n", bigEndian);
  }
  return out;
}

bool IniFile::Save(const std::string& path, FileProblem* problem) const {
  const std::string bytes = Serialise();
  // Never write what would not be read back.
  const FileProblem result =
      bytes.size() > kMaxSettingsFileBytes ? FileProblem::TooLarge : ReplaceWholeFile(path, bytes);
  if (problem != nullptr) {
    *problem = result;
  }
  return result == FileProblem::None;
}

std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key, FileProblem* problem) {
  if (problem != nullptr) {
    *problem = FileProblem::None;
  }
  if (path.empty()) {
    return std::nullopt;
  }
  return IniFile::Load(path, problem).Get(section, key);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, FileProblem* problem) {
  if (path.empty()) {
    if (problem != nullptr) {
      *problem = FileProblem::WriteFailed;
    }
    return false;
  }
  FileProblem readProblem = FileProblem::None;
  // What cannot be read whole must not be overwritten with what little we know.
  IniFile file = IniFile::Load(path, &readProblem);
  if (readProblem != FileProblem::None) {
    if (problem != nullptr) {
      *problem = readProblem;
    }
    return false;
  }
  file.Set(section, key, value);
  return file.Save(path, problem);
}

}  // namespace varnel
