#include "domain/summon_chord.h"
#include "core/chord_keys.h"

#include <gtest/gtest.h>

#include "core/program.h"
#include "core/summon_setting.h"
#include "domain/codes.h"
#include "support/fake_platform.h"
#include "temp_folder.h"

namespace varnel {
namespace {

TEST(ChordParser, ReadsChordsAndWritesThemBack) {
  struct Row {
    const char* text;
    const char* canonical;  // nullptr: refused
  };
  const Row rows[] = {
      {"Ctrl+Alt+/", "Ctrl+Alt+/"},
      {"ctrl+alt+/", "Ctrl+Alt+/"},
      {"  Control + ALT + / ", "Ctrl+Alt+/"},
      {"Alt+Ctrl+/", "Ctrl+Alt+/"},
      {"Ctrl+Shift+F12", "Ctrl+Shift+F12"},
      {"ctrl+shift+f12", "Ctrl+Shift+F12"},
      {"Ctrl+Alt+F12", "Ctrl+Alt+F12"},
      {"Super+Space", "Super+Space"},
      {"win+space", "Super+Space"},
      {"Ctrl+Alt+k", "Ctrl+Alt+K"},
      {"Ctrl+Alt+7", "Ctrl+Alt+7"},
      {"Ctrl+Alt++", "Ctrl+Alt++"},
      {"Ctrl+Alt+ü", "Ctrl+Alt+ü"},
      {"Ctrl+Alt+PgDn", "Ctrl+Alt+PageDown"},
      {"F9", "F9"},
      {"Shift+F24", "Shift+F24"},
      // Refused: no key, unknown names, repeats, and chords that would take plain typing.
      {"", nullptr},
      {"Ctrl+Alt+", nullptr},
      {"Ctrl+Alt", nullptr},
      {"Ctrl+Hyper+/", nullptr},
      {"Ctrl+Ctrl+/", nullptr},
      {"Ctrl+Alt+slashy", nullptr},
      {"Ctrl+Alt+F25", nullptr},
      {"Ctrl+Alt+F0", nullptr},
      {"Ctrl+Alt+F01", nullptr},
      {"/", nullptr},
      {"Shift+A", nullptr},
      {"Space", nullptr},
      {"Ctrl+Alt+\xC3", nullptr},  // a cut-off UTF-8 sequence
      {"Ctrl++/", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const std::optional<SummonChord> chord = ParseChord(r.text);
    ASSERT_EQ(chord.has_value(), r.canonical != nullptr);
    if (chord) {
      EXPECT_EQ(ChordText(*chord), r.canonical);
      EXPECT_EQ(ParseChord(ChordText(*chord)), chord);
    }
  }
  EXPECT_EQ(ParseChord(kDefaultSummonChord), SummonChord{});
}

TEST(ChordMatch, FollowsWhereTheLayoutPutsTheKey) {
  const SummonChord slash{};
  const SummonChord f12 = *ParseChord("Ctrl+Alt+F12");
  ChordKeys us;  // "/" has a key of its own
  us.places[0] = KeyPlace{191, 0, 0};
  us.count = 1;
  ChordKeys de;  // "/" is Shift+7
  de.places[0] = KeyPlace{'7', 0, kMaskShift};
  de.count = 1;
  ChordKeys fr;  // "/" is Shift on the ":" key, which has no code of its own: by scan code
  fr.places[0] = KeyPlace{0, 53, kMaskShift};
  fr.count = 1;
  ChordKeys f12Keys;
  f12Keys.places[0] = KeyPlace{123, 0, 0};
  f12Keys.count = 1;
  constexpr int kCtrlAlt = kMaskCtrl | kMaskAlt;
  struct Row {
    const char* name;
    const SummonChord& chord;
    const ChordKeys& keys;
    std::uint32_t vk;
    std::uint32_t scan;
    HeldModifiers held;
    bool summons;
  };
  const Row rows[] = {
      {"us Ctrl+Alt+/", slash, us, 191, 0, {kCtrlAlt, false}, true},
      {"us Ctrl+Alt+Shift+/ is ?", slash, us, 191, 0, {kCtrlAlt | kMaskShift, false}, false},
      {"us Alt+/", slash, us, 191, 0, {kMaskAlt, false}, false},
      {"us Ctrl+Alt+Super+/", slash, us, 191, 0, {kCtrlAlt | kMaskSuper, false}, false},
      {"de Ctrl+Alt+Shift+7", slash, de, '7', 0, {kCtrlAlt | kMaskShift, false}, true},
      {"de Ctrl+Alt+7 types 7", slash, de, '7', 0, {kCtrlAlt, false}, false},
      {"de AltGr+7 is {", slash, de, '7', 0, {kCtrlAlt, true}, false},
      {"de AltGr+Shift+7", slash, de, '7', 0, {kCtrlAlt | kMaskShift, true}, false},
      {"de the us slash key", slash, de, 189, 0, {kCtrlAlt | kMaskShift, false}, false},
      {"fr Ctrl+Alt+Shift+:", slash, fr, 0, 53, {kCtrlAlt | kMaskShift, false}, true},
      {"fr Ctrl+Alt+:", slash, fr, 0, 53, {kCtrlAlt, false}, false},
      {"fr another key", slash, fr, 0, 52, {kCtrlAlt | kMaskShift, false}, false},
      {"Ctrl+Alt+F12", f12, f12Keys, 123, 0, {kCtrlAlt, false}, true},
      {"Ctrl+F12", f12, f12Keys, 123, 0, {kMaskCtrl, false}, false},
      {"no key for the character", slash, ChordKeys{}, 191, 0, {kCtrlAlt, false}, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    KeyEvent ev;
    ev.vkCode = r.vk;
    ev.scanCode = r.scan;
    EXPECT_EQ(IsChordPress(r.chord, r.keys, ev, r.held), r.summons);
  }
}

TEST(ChordMatch, AnAltGrCharacterIsNoPlaceForTheChord) {
  FakeKeyboardLayout layout;
  layout.MoveCharacter('/', KeyPlace{'7', 0, kMaskCtrl | kMaskAlt});  // AltGr+7
  EXPECT_EQ(LocateChordKeys(SummonChord{}, layout).count, 0u);
  layout.MoveCharacter('/', KeyPlace{'7', 0, kMaskShift});
  const ChordKeys de = LocateChordKeys(SummonChord{}, layout);
  ASSERT_EQ(de.count, 1u);
  EXPECT_EQ(de.places[0].vk, static_cast<std::uint32_t>('7'));
  EXPECT_EQ(de.places[0].mods, kMaskShift);
}

// The whole hook on the in-memory platform, with a US layout or a German one.
struct Desk {
  FakePlatform pf;
  Program p{pf.AllPorts()};
  explicit Desk(bool german) {
    if (german) {
      pf.layout.MoveCharacter('/', KeyPlace{'7', 0, kMaskShift});
    }
    p.hook.HookKeyboard();
  }
  std::size_t SummonsAfter(int vkCode, std::initializer_list<int> held) {
    for (int k : held) {
      pf.hotkeys.SetKeyDown(k, true);
    }
    KeyEvent ev;
    ev.vkCode = static_cast<std::uint32_t>(vkCode);
    p.hook.Judge(ev);
    for (int k : held) {
      pf.hotkeys.SetKeyDown(k, false);
    }
    std::size_t n = 0;
    for (const FakeCall& c : pf.log.Calls("Post")) {
      n += c.args[0] == kSummonMessage ? 1 : 0;
    }
    return n;
  }
};

TEST(ChordHook, GermanLayoutSummonsOnShift7AndNeverOnAltGr) {
  constexpr int kRightAlt = 165;
  constexpr int kLeftAlt = 164;
  Desk d(true);
  EXPECT_EQ(d.SummonsAfter('7', {vk::Control, vk::Alt, kLeftAlt, vk::Shift}), 1u);
  EXPECT_EQ(d.SummonsAfter('7', {vk::Control, vk::Alt, kLeftAlt}), 1u);  // "7": nothing new
  // AltGr+7 types "{": Windows holds Ctrl (injected), Alt and the right Alt.
  EXPECT_EQ(d.SummonsAfter('7', {vk::Control, vk::Alt, kRightAlt}), 1u);
  EXPECT_EQ(d.SummonsAfter('7', {vk::Control, vk::Alt, kRightAlt, vk::Shift}), 1u);
  EXPECT_EQ(d.SummonsAfter(191, {vk::Control, vk::Alt}), 1u);
}

// Ctrl with the right Alt, as a right hand alone presses the chord: an Alt where the layout
// has no AltGr, AltGr (never the chord) where it has.
TEST(ChordHook, TheRightAltMakesTheChordWhereItIsNoAltGr) {
  constexpr int kRightAlt = 165;
  constexpr int kRightControl = 163;
  constexpr int kSlash = 191;
  struct Row {
    const char* layout;
    bool rightAltIsPlainAlt;
    std::size_t summons;
  };
  const Row rows[] = {{"US: the right Alt is an Alt", true, 1}, {"AltGr layout", false, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.layout);
    Desk d(false);
    d.pf.hotkeys.rightAltIsPlainAlt = r.rightAltIsPlainAlt;
    EXPECT_EQ(d.SummonsAfter(kSlash, {vk::Control, kRightControl, vk::Alt, kRightAlt}), r.summons);
  }
}

TEST(ChordHook, AChordFromTheSettingsFileReplacesTheDefault) {
  test::TempFolder dir;
  struct Row {
    const char* file;
    const char* chord;
    bool problem;
  };
  const Row rows[] = {
      {"[Keys]\nSummon=Ctrl+Alt+F12\n", "Ctrl+Alt+F12", false},
      {"[keys]\nsummon = ctrl+shift+f12\n", "Ctrl+Shift+F12", false},
      {"[Keys]\nSummon=Ctrl+Alt+Nonsense\n", "Ctrl+Alt+/", true},
      {"[Keys]\nSummon=\n", "Ctrl+Alt+/", false},
      {"", "Ctrl+Alt+/", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    Settings settings(dir.File("Varnel.cfg"));
    test::WriteBytes(settings.file, r.file);
    const SummonSetting s = ReadSummonSetting(settings);
    EXPECT_EQ(ChordText(s.chord), r.chord);
    EXPECT_EQ(!s.problem.empty(), r.problem);
  }

  FakePlatform pf;
  Program p{pf.AllPorts()};
  p.hook.SetSummonChord(*ParseChord("Ctrl+Alt+F12"));
  p.hook.HookKeyboard();
  pf.hotkeys.SetKeyDown(vk::Control, true);
  pf.hotkeys.SetKeyDown(vk::Alt, true);
  KeyEvent ev;
  ev.vkCode = 191;
  p.hook.Judge(ev);
  EXPECT_EQ(pf.log.CountCalls("Post"), 0u);
  ev.vkCode = 123;
  p.hook.Judge(ev);
  EXPECT_EQ(pf.log.CountCalls("Post"), 1u);
}

}  // namespace
}  // namespace varnel
