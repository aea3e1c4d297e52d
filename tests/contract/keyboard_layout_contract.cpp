// The layout the user types with, on a US layout: which key and modifiers type the ASCII
// letters, digits and "/", the keys' scan codes, and no key for what the layout lacks.
#include <array>
#include <cstdio>
#include <string>

#include "contract/contract.h"
#include "domain/key_masks.h"

namespace varnel::contract {
namespace {

constexpr int kSlashVk = 0xBF;  // VK_OEM_2

// The US layout's keys: the expected answers.
struct UsKey {
  char ch;
  int vk;
  int mods;
  std::uint32_t scan;
};

std::vector<UsKey> UsKeys() {
  // Scan codes of A..Z, of 1..9 then 0, in the PC's set 1.
  constexpr std::array<std::uint32_t, 26> kLetterScan{
      0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
      0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  constexpr std::uint32_t kDigitOneScan = 0x02;
  constexpr std::uint32_t kDigitZeroScan = 0x0B;
  constexpr std::uint32_t kSlashScan = 0x35;
  std::vector<UsKey> keys;
  for (int i = 0; i < 26; ++i) {
    const auto scan = kLetterScan[static_cast<std::size_t>(i)];
    keys.push_back({static_cast<char>('a' + i), 'A' + i, 0, scan});
    keys.push_back({static_cast<char>('A' + i), 'A' + i, kMaskShift, scan});
  }
  for (int d = 0; d <= 9; ++d) {
    keys.push_back({static_cast<char>('0' + d), '0' + d, 0,
                    d == 0 ? kDigitZeroScan : kDigitOneScan + static_cast<std::uint32_t>(d - 1)});
  }
  keys.push_back({'/', kSlashVk, 0, kSlashScan});
  keys.push_back({'?', kSlashVk, kMaskShift, kSlashScan});
  return keys;
}

std::string Hex(long v) {
  std::array<char, 16> buf{};
  std::snprintf(buf.data(), buf.size(), "0x%lX", v);
  return buf.data();
}

std::string Shown(char ch) {
  return std::string("\"") + ch + "\"";
}

void KeyForEachUsCharacter(Subject& s, Check& check) {
  KeyboardLayout& layout = s.ports.layout;
  for (const UsKey& k : UsKeys()) {
    const std::optional<KeyPlace> got = layout.KeyToType(k.ch);
    check.Expect(got && got->vk == static_cast<std::uint32_t>(k.vk) && got->mods == k.mods,
                 "KeyToType(" + Shown(k.ch) + ") is " + Hex(k.vk) + " with mods " +
                     std::to_string(k.mods) + ", not " + (got ? Hex(got->vk) : "none") + " with " +
                     (got ? std::to_string(got->mods) : "none"));
  }
}

void ScanCodesAndCharactersOfUsKeys(Subject& s, Check& check) {
  KeyboardLayout& layout = s.ports.layout;
  for (const UsKey& k : UsKeys()) {
    if (k.mods != 0) {
      continue;
    }
    const auto vk = static_cast<std::uint32_t>(k.vk);
    const std::uint32_t scan = layout.ScanCodeOf(vk);
    check.Expect(scan == k.scan, "the key of " + Shown(k.ch) + " has scan code " + Hex(k.scan) +
                                     ", not " + Hex(scan));
    const std::uint32_t typed = layout.CharacterOf(vk);
    // Letters come back as capitals.
    const auto want =
        static_cast<std::uint32_t>(k.ch >= 'a' && k.ch <= 'z' ? k.ch - 'a' + 'A' : k.ch);
    check.Expect(typed == want,
                 "the key of " + Shown(k.ch) + " types " + Hex(want) + ", not " + Hex(typed));
  }
}

void LocateEachUsCharacter(Subject& s, Check& check) {
  KeyboardLayout& layout = s.ports.layout;
  for (const UsKey& k : UsKeys()) {
    std::array<KeyPlace, kMaxKeyPlaces> places{};
    const std::size_t n = layout.LocateCharacter(static_cast<unsigned char>(k.ch), places);
    if (!check.Expect(n >= 1 && n <= places.size(), "a key types " + Shown(k.ch))) {
      continue;
    }
    // A place names its key by code, or by scan code where the code says nothing.
    const KeyPlace& p = places[0];
    const bool sameKey =
        p.vk != 0 ? p.vk == static_cast<std::uint32_t>(k.vk) : p.scanCode == k.scan;
    check.Expect(sameKey && (p.mods & (kMaskShift | kMaskCtrl | kMaskAlt)) == k.mods,
                 "the key of " + Shown(k.ch) + " is " + Hex(k.vk) + " (scan " + Hex(k.scan) +
                     ") with mods " + std::to_string(k.mods) + ", not " + Hex(p.vk) + " (scan " +
                     Hex(p.scanCode) + ") with " + std::to_string(p.mods));
  }
}

void NoKeyForWhatTheLayoutLacks(Subject& s, Check& check) {
  KeyboardLayout& layout = s.ports.layout;
  constexpr char kSection = '\xA7';  // the section sign, on no US key
  check.Expect(!layout.KeyToType(kSection), "no key types the section sign");
  struct Missing {
    char32_t ch;
    const char* what;
  };
  for (const Missing& m : {Missing{U'\u00E9', "e acute"}, Missing{U'\u00A7', "the section sign"},
                           Missing{U'\U0001F600', "an emoji"}}) {
    std::array<KeyPlace, kMaxKeyPlaces> places{};
    check.Expect(layout.LocateCharacter(m.ch, places) == 0,
                 std::string("no key is located for ") + m.what);
  }
}

}  // namespace

std::vector<Case> KeyboardLayoutContract() {
  return {
      {"KeyboardLayout", "KeyForEachUsCharacter", KeyForEachUsCharacter},
      {"KeyboardLayout", "ScanCodesAndCharactersOfUsKeys", ScanCodesAndCharactersOfUsKeys},
      {"KeyboardLayout", "LocateEachUsCharacter", LocateEachUsCharacter},
      {"KeyboardLayout", "NoKeyForWhatTheLayoutLacks", NoKeyForWhatTheLayoutLacks},
  };
}

}  // namespace varnel::contract
