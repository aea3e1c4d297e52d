// The search window's keys as the core decides them, for every view alike.
#include "core/form_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "domain/key_codes.h"
#include "domain/key_masks.h"

namespace varnel {
namespace {

constexpr ControlRef kTerms{Control::Terms, 0};
constexpr ControlRef kVoice{Control::VoiceCommands, 0};
constexpr ControlRef kFind{Control::FindButton, 0};
constexpr int kTab = 9;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;

constexpr ControlRef Scope(int i) {
  return {Control::Scope, i};
}
constexpr ControlRef Date(int i) {
  return {Control::DateRange, i};
}

class StubForm final : public FormState {
 public:
  std::optional<ControlRef> focused = kTerms;
  std::vector<ControlRef> unusable;

  std::optional<ControlRef> Focused() override { return focused; }
  bool Usable(ControlRef c) override { return std::ranges::find(unusable, c) == unusable.end(); }
};

FormAction Swallow() {
  FormAction a;
  a.swallow = true;
  return a;
}
FormAction FocusSelect(ControlRef c) {
  FormAction a = Swallow();
  a.focus = c;
  a.select = c;
  return a;
}

TEST(FormKeysTest, AltCharacters) {
  const FormAction nothing = Swallow();  // an Alt chord never types into the window
  FormAction pressFind = Swallow();
  pressFind.press = kFind;
  FormAction toggleVoice = Swallow();
  toggleVoice.focus = kVoice;
  toggleVoice.toggle = kVoice;
  const std::vector<ControlRef> voiceHidden{kVoice};
  const std::vector<ControlRef> findDisabled{kFind};
  const std::vector<ControlRef> datesDisabled{Date(0), Date(1), Date(2), Date(3), Date(4), Date(5)};

  struct Case {
    const char* name;
    char32_t ch;
    ControlRef focused;
    std::vector<ControlRef> unusable;
    FormAction expected;
  };
  const Case cases[] = {
      {"E", U'e', kTerms, {}, FocusSelect(Scope(0))},
      {"I", U'i', kTerms, {}, FocusSelect(Scope(1))},
      {"V from the terms: Videos first", U'v', kTerms, {}, FocusSelect(Scope(2))},
      {"H", U'h', kTerms, {}, FocusSelect(Scope(3))},
      {"N", U'n', kTerms, {}, FocusSelect(Scope(4))},
      {"T", U't', kTerms, {}, FocusSelect(Scope(5))},
      {"P", U'p', kTerms, {}, FocusSelect(Scope(6))},
      {"O", U'o', kTerms, {}, FocusSelect(Scope(7))},
      {"U", U'u', kTerms, {}, FocusSelect(Scope(8))},
      {"W", U'w', kTerms, {}, FocusSelect(Scope(9))},
      {"L", U'l', kTerms, {}, FocusSelect(Scope(10))},
      {"C", U'c', kTerms, {}, FocusSelect(Scope(11))},
      {"A", U'a', kTerms, {}, FocusSelect(Scope(12))},
      {"R", U'r', kTerms, {}, FocusSelect(Scope(13))},
      {"F presses Find It, not Finance", U'f', kTerms, {}, pressFind},
      {"F with Find It disabled", U'f', kTerms, findDisabled, FocusSelect(Scope(14))},
      {"Shift held: upper case", U'W', kTerms, {}, FocusSelect(Scope(9))},
      {"V again: the voice box's turn", U'v', Scope(2), {}, toggleVoice},
      {"V from the voice box: back to Videos", U'v', kVoice, {}, FocusSelect(Scope(2))},
      {"V with the voice box hidden", U'v', Scope(2), voiceHidden, FocusSelect(Scope(2))},
      {"V from a date", U'v', Date(3), {}, toggleVoice},
      {"unknown letter", U'z', kTerms, {}, nothing},
      {"digit: the dates act by key", U'3', kTerms, {}, nothing},
      {"digit with the dates disabled", U'3', kTerms, datesDisabled, nothing},
      {"a key typing nothing", 0, kTerms, {}, nothing},
      {"a letter outside ASCII", U'\u00e9', kTerms, {}, nothing},
      {"Cyrillic ve", U'\u0432', kTerms, {}, nothing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormKeys keys(SearchWindowDesign());
    StubForm form;
    form.focused = c.focused;
    form.unusable = c.unusable;
    EXPECT_EQ(keys.AltCharacter(c.ch, form), c.expected);
  }
}

TEST(FormKeysTest, KeyDownAndUp) {
  FormAction selectTerms;
  selectTerms.command = FormCommand::SelectTerms;
  auto pickDate = [](int i) {
    FormAction a;
    a.select = Date(i);
    return a;
  };
  const std::vector<ControlRef> datesDisabled{Date(0), Date(1), Date(2), Date(3), Date(4), Date(5)};

  struct Case {
    const char* name;
    int key, downMask, upMask;
    std::vector<ControlRef> unusable;
    FormAction down, up;
  };
  const Case cases[] = {
      // Tab is the hook's focus cycle: no control sees it.
      {"Tab", kTab, 0, 0, {}, Swallow(), {}},
      {"Shift+Tab", kTab, kMaskShift, kMaskShift, {}, Swallow(), {}},
      {"Ctrl+Tab", kTab, kMaskCtrl, kMaskCtrl, {}, Swallow(), {}},
      {"Alt+1", '1', kMaskAlt, kMaskAlt, {}, {}, pickDate(0)},
      {"Alt+2", '2', kMaskAlt, kMaskAlt, {}, {}, pickDate(1)},
      {"Alt+3", '3', kMaskAlt, kMaskAlt, {}, {}, pickDate(2)},
      {"Alt+4", '4', kMaskAlt, kMaskAlt, {}, {}, pickDate(3)},
      {"Alt+5", '5', kMaskAlt, kMaskAlt, {}, {}, pickDate(4)},
      {"Alt+6", '6', kMaskAlt, kMaskAlt, {}, {}, pickDate(5)},
      {"Alt+3 with the dates disabled", '3', kMaskAlt, kMaskAlt, datesDisabled, {}, pickDate(2)},
      {"Alt+3, Alt let go first", '3', kMaskAlt, 0, {}, {}, pickDate(2)},
      {"3 then Alt, 3 let go first", '3', 0, kMaskAlt, {}, {}, pickDate(2)},
      {"Alt+7", '7', kMaskAlt, kMaskAlt, {}, {}, {}},
      {"Ctrl+Alt+3", '3', kMaskCtrl | kMaskAlt, kMaskCtrl | kMaskAlt, {}, {}, {}},
      {"Ctrl+Alt+3, both let go first", '3', kMaskCtrl | kMaskAlt, 0, {}, {}, {}},
      {"plain 3", '3', 0, 0, {}, {}, {}},
      {"Ctrl+A", 'A', kMaskCtrl, kMaskCtrl, {}, Swallow(), selectTerms},
      {"Ctrl+A, Ctrl let go first", 'A', kMaskCtrl, 0, {}, Swallow(), selectTerms},
      {"Ctrl+Shift+A", 'A', kMaskCtrl | kMaskShift, kMaskCtrl | kMaskShift, {}, Swallow(), {}},
      {"Alt+A", 'A', kMaskAlt, kMaskAlt, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormKeys keys(SearchWindowDesign());
    StubForm form;
    form.unusable = c.unusable;
    EXPECT_EQ(keys.KeyDown(c.key, c.downMask, false, form), c.down);
    EXPECT_EQ(keys.KeyUp(c.key, c.upMask), c.up);
  }
}

TEST(FormKeysTest, AChordActsOnce) {
  FormKeys keys(SearchWindowDesign());
  StubForm form;
  keys.KeyDown('2', kMaskAlt, false, form);
  ASSERT_EQ(keys.KeyUp('2', 0).select, Date(1));
  keys.KeyDown('2', 0, false, form);
  EXPECT_EQ(keys.KeyUp('2', 0), FormAction{});
}

// A held digit repeats without Alt once Alt is let go: the chord still counts at its release.
TEST(FormKeysTest, RepeatsKeepTheChord) {
  FormKeys keys(SearchWindowDesign());
  StubForm form;
  keys.KeyDown('4', kMaskAlt, false, form);
  keys.KeyDown('4', 0, true, form);
  EXPECT_EQ(keys.KeyUp('4', 0).select, Date(3));
}

TEST(FormKeysTest, ArrowsMoveWithinAnOptionGroup) {
  struct Case {
    const char* name;
    int key, mask;
    ControlRef focused;
    std::vector<ControlRef> unusable;
    FormAction expected;
  };
  const Case cases[] = {
      {"Right", kRight, 0, Scope(0), {}, FocusSelect(Scope(1))},
      {"Down", kDown, 0, Scope(0), {}, FocusSelect(Scope(1))},
      {"Left wraps round", kLeft, 0, Scope(0), {}, FocusSelect(Scope(14))},
      {"Up", kUp, 0, Scope(5), {}, FocusSelect(Scope(4))},
      {"Down wraps round", kDown, 0, Date(5), {}, FocusSelect(Date(0))},
      {"Shift+Down", kDown, kMaskShift, Date(1), {}, FocusSelect(Date(2))},
      {"an unusable option is passed over", kRight, 0, Scope(0), {Scope(1)}, FocusSelect(Scope(2))},
      {"the dates stay in their group", kDown, 0, Date(2), {}, FocusSelect(Date(3))},
      {"alone in its group",
       kDown,
       0,
       Date(0),
       {Date(1), Date(2), Date(3), Date(4), Date(5)},
       Swallow()},
      {"the text box's caret", kRight, 0, kTerms, {}, {}},
      {"the check box", kDown, 0, kVoice, {}, {}},
      {"Alt+Down", kDown, kMaskAlt, Scope(0), {}, {}},
      {"Ctrl+Right", kRight, kMaskCtrl, Scope(0), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormKeys keys(SearchWindowDesign());
    StubForm form;
    form.focused = c.focused;
    form.unusable = c.unusable;
    EXPECT_EQ(keys.KeyDown(c.key, c.mask, false, form), c.expected);
  }
  // Held down, the arrow goes on moving.
  FormKeys keys(SearchWindowDesign());
  StubForm form;
  form.focused = Date(1);
  EXPECT_EQ(keys.KeyDown(kDown, 0, true, form), FocusSelect(Date(2)));
}

TEST(FormKeysTest, Characters) {
  FormAction search = Swallow();
  search.command = FormCommand::Search;
  FormAction dismiss = Swallow();
  dismiss.command = FormCommand::Dismiss;
  EXPECT_EQ(FormKeys::Character(13), search);
  EXPECT_EQ(FormKeys::Character(27), dismiss);
  EXPECT_EQ(FormKeys::Character('a'), FormAction{});
  EXPECT_EQ(FormKeys::Character(9), FormAction{});
  EXPECT_EQ(FormKeys::Character(' '), FormAction{});
}

}  // namespace
}  // namespace varnel
