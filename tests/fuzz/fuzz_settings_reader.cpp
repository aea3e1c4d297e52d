// Any bytes as a settings file: parsing, looking up, editing and writing out must hold up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/ini_file.h"

namespace {

void Check(bool ok) {
  if (!ok) {
    std::abort();
  }
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
    s.remove_suffix(1);
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  varnel::IniFile file = varnel::IniFile::Parse(bytes);

  // Names and a value taken from the input itself, so lookups hit real lines.
  const std::size_t cut = size / 2;
  (void)file.Get(bytes.substr(0, cut % 17), bytes.substr(cut, cut % 11));
  (void)file.Get("Application", "AppHwnd");
  (void)file.Get("History", "SearchHistory");

  std::string value(bytes.substr(cut));
  file.Set("History", "SearchHistory", value);

  // What was just written is what is read back, whatever else the file holds.
  std::string expected = value.substr(0, value.find('\0'));
  for (char& c : expected) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  std::string_view v = TrimBlanks(expected);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
    v = v.substr(1, v.size() - 2);
  }
  Check(file.Get("history", "searchhistory") == std::string(v));

  // The written file reads back to the same lines, in the encoding it came in (UTF-8 files
  // always are valid UTF-8, unless the value itself was not).
  const std::string out = file.Serialise();
  if (varnel::IsValidUtf8(value)) {
    if (file.Encoding() == varnel::TextEncoding::Utf8) {
      Check(varnel::IsValidUtf8(out));
    }
    const varnel::IniFile again = varnel::IniFile::Parse(out);
    Check(again.Encoding() == file.Encoding());
    Check(again.Lines() == file.Lines());
  }

  Check(varnel::Utf8Prefix(out, 255).size() <= out.size());
  return 0;
}
