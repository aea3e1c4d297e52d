#include "domain/summon_chord.h"

#include <algorithm>
#include <span>

#include "domain/key_codes.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

constexpr auto kVkF1 = static_cast<std::uint32_t>(vk::F1);
constexpr int kFunctionKeys = vk::FunctionKeys;

struct NamedKey {
  std::string_view name;
  std::uint32_t vk;
};

// The first name of a code is the one ChordText writes.
constexpr std::array kNamedKeys{
    NamedKey{"Space", vk::Space},    NamedKey{"Tab", vk::Tab},
    NamedKey{"Enter", vk::Return},   NamedKey{"Return", vk::Return},
    NamedKey{"Esc", vk::Escape},     NamedKey{"Escape", vk::Escape},
    NamedKey{"Backspace", vk::Back}, NamedKey{"Insert", vk::Insert},
    NamedKey{"Ins", vk::Insert},     NamedKey{"Delete", vk::Delete},
    NamedKey{"Del", vk::Delete},     NamedKey{"Home", vk::Home},
    NamedKey{"End", vk::End},        NamedKey{"PageUp", vk::PageUp},
    NamedKey{"PgUp", vk::PageUp},    NamedKey{"PageDown", vk::PageDown},
    NamedKey{"PgDn", vk::PageDown},  NamedKey{"Left", vk::Left},
    NamedKey{"Up", vk::Up},          NamedKey{"Right", vk::Right},
    NamedKey{"Down", vk::Down},      NamedKey{"Pause", vk::Pause},
};

struct NamedModifier {
  std::string_view name;
  int mask;
};

constexpr std::array kModifiers{
    NamedModifier{"Ctrl", kMaskCtrl},   NamedModifier{"Control", kMaskCtrl},
    NamedModifier{"Alt", kMaskAlt},     NamedModifier{"Shift", kMaskShift},
    NamedModifier{"Super", kMaskSuper}, NamedModifier{"Win", kMaskSuper},
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
    s.remove_suffix(1);
  }
  return s;
}

// The one code point `s` holds, or nullopt.
std::optional<char32_t> SingleCodePoint(std::string_view s) {
  if (s.empty()) {
    return std::nullopt;
  }
  const auto lead = static_cast<unsigned char>(s[0]);
  std::size_t len = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    len = 1;
    cp = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    len = 2;
    cp = lead & 0x1FU;
  } else if ((lead & 0xF0) == 0xE0) {
    len = 3;
    cp = lead & 0x0FU;
  } else if ((lead & 0xF8) == 0xF0) {
    len = 4;
    cp = lead & 0x07U;
  } else {
    return std::nullopt;
  }
  if (s.size() != len) {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) {
      return std::nullopt;
    }
    cp = (cp << 6U) | (b & 0x3FU);
  }
  if (cp < 0x20 || cp == 0x7F) {
    return std::nullopt;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6U));
    out += static_cast<char>(0x80 | (cp & 0x3FU));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12U));
    out += static_cast<char>(0x80 | ((cp >> 6U) & 0x3FU));
    out += static_cast<char>(0x80 | (cp & 0x3FU));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18U));
    out += static_cast<char>(0x80 | ((cp >> 12U) & 0x3FU));
    out += static_cast<char>(0x80 | ((cp >> 6U) & 0x3FU));
    out += static_cast<char>(0x80 | (cp & 0x3FU));
  }
}

// Sets the chord's key from its text; false when there is no such key.
bool ReadKey(std::string_view text, SummonChord& chord) {
  chord.character = 0;
  chord.vk = 0;
  if (const std::optional<char32_t> cp = SingleCodePoint(text)) {
    if (*cp >= 'a' && *cp <= 'z') {
      chord.vk = *cp - 'a' + 'A';
    } else if ((*cp >= 'A' && *cp <= 'Z') || (*cp >= '0' && *cp <= '9')) {
      chord.vk = *cp;
    } else {
      chord.character = *cp;
    }
    return true;
  }
  for (const NamedKey& k : kNamedKeys) {
    if (EqualsIgnoringCase(text, k.name)) {
      chord.vk = k.vk;
      return true;
    }
  }
  if (text.size() >= 2 && AsciiLower(text[0]) == 'f') {
    int n = 0;
    for (const char c : text.substr(1)) {
      if (c < '0' || c > '9' || n > kFunctionKeys) {
        return false;
      }
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= kFunctionKeys && text[1] != '0') {
      chord.vk = kVkF1 + static_cast<std::uint32_t>(n - 1);
      return true;
    }
  }
  return false;
}

bool IsFunctionKey(std::uint32_t vk) {
  return vk >= kVkF1 && vk < kVkF1 + kFunctionKeys;
}

}  // namespace

std::optional<SummonChord> ParseChord(std::string_view text) {
  text = Trim(text);
  // The key is what follows the last "+", and may be "+" itself ("Ctrl+Alt++").
  std::size_t split = text.rfind('+');
  if (split != std::string_view::npos && split + 1 == text.size() && split > 0 &&
      text[split - 1] == '+') {
    --split;
  }
  const std::string_view keyText =
      Trim(split == std::string_view::npos ? text : text.substr(split + 1));
  SummonChord chord;
  chord.mods = 0;
  if (keyText.empty() || !ReadKey(keyText, chord)) {
    return std::nullopt;
  }
  std::string_view rest =
      split == std::string_view::npos ? std::string_view{} : text.substr(0, split);
  while (split != std::string_view::npos) {
    const std::size_t plus = rest.find('+');
    const std::string_view name = Trim(rest.substr(0, plus));
    const auto* m = std::find_if(kModifiers.begin(), kModifiers.end(), [&](const NamedModifier& n) {
      return EqualsIgnoringCase(name, n.name);
    });
    if (m == kModifiers.end() || (chord.mods & m->mask) != 0) {
      return std::nullopt;
    }
    chord.mods |= m->mask;
    if (plus == std::string_view::npos) {
      break;
    }
    rest.remove_prefix(plus + 1);
  }
  // Without Ctrl, Alt or the Super key the chord would take keys people type.
  if ((chord.mods & (kMaskCtrl | kMaskAlt | kMaskSuper)) == 0 && !IsFunctionKey(chord.vk)) {
    return std::nullopt;
  }
  return chord;
}

std::string ChordText(const SummonChord& chord) {
  std::string out;
  for (const auto& [mask, name] :
       {std::pair{kMaskCtrl, "Ctrl+"}, std::pair{kMaskAlt, "Alt+"}, std::pair{kMaskShift, "Shift+"},
        std::pair{kMaskSuper, "Super+"}}) {
    if ((chord.mods & mask) != 0) {
      out += name;
    }
  }
  if (chord.character != 0) {
    AppendUtf8(out, chord.character);
  } else if ((chord.vk >= 'A' && chord.vk <= 'Z') || (chord.vk >= '0' && chord.vk <= '9')) {
    out += static_cast<char>(chord.vk);
  } else if (IsFunctionKey(chord.vk)) {
    out += 'F';
    out += std::to_string(chord.vk - kVkF1 + 1);
  } else {
    const auto* k = std::find_if(kNamedKeys.begin(), kNamedKeys.end(),
                                 [&](const NamedKey& n) { return n.vk == chord.vk; });
    out += k != kNamedKeys.end() ? k->name : std::string_view{"?"};
  }
  return out;
}

namespace {

bool IsKeyAt(const KeyPlace& k, const KeyEvent& ev) {
  return k.vk != 0 ? ev.vkCode == k.vk : ev.scanCode == k.scanCode;
}

}  // namespace

bool IsChordKey(const ChordKeys& keys, const KeyEvent& ev) {
  for (std::size_t i = 0; i < keys.count; ++i) {
    if (IsKeyAt(keys.places[i], ev)) {
      return true;
    }
  }
  return false;
}

bool IsChordPress(const SummonChord& chord, const ChordKeys& keys, const KeyEvent& ev,
                  const HeldModifiers& held) {
  if (held.altGr) {
    return false;
  }
  for (std::size_t i = 0; i < keys.count; ++i) {
    const KeyPlace& k = keys.places[i];
    if (IsKeyAt(k, ev) && held.mask == (chord.mods | k.mods)) {
      return true;
    }
  }
  return false;
}

}  // namespace varnel
