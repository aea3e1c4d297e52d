#include "core/summon_setting.h"

namespace varnel {

namespace {

constexpr const char* kKeysSection = "Keys";
constexpr const char* kSummonKey = "Summon";
constexpr int kChordMaxLen = 64;

}  // namespace

SummonSetting ReadSummonSetting(Settings& settings) {
  SummonSetting s;
  const std::string text = settings.ReadIniString(kKeysSection, kSummonKey, "", kChordMaxLen);
  if (text.empty()) {
    return s;
  }
  if (const std::optional<SummonChord> chord = ParseChord(text)) {
    s.chord = *chord;
  } else {
    s.problem = "Summon=" + text + " in [Keys] is not a chord Varnel can use (write it like " +
                std::string(kDefaultSummonChord) + ", Ctrl+Shift+F12 or Super+Space); " +
                ChordText(s.chord) + " summons Varnel instead";
  }
  return s;
}

}  // namespace varnel
