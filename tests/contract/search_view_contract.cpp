// The search window's controls: text and selections in UTF-16 units, option groups and their
// clicks, which controls take the focus, and what reads back as it was set.
#include <string>

#include "contract/contract.h"
#include "domain/window_design.h"

namespace varnel::contract {
namespace {

const ControlRef kTerms{Control::Terms, 0};
const ControlRef kVoice{Control::VoiceCommands, 0};

// "Grüße 😀 x": the emoji takes units 6 and 7 of 10.
const std::string kMixedText =
    "Gr\xC3\xBC\xC3\x9F"
    "e \xF0\x9F\x98\x80 x";
constexpr int kMixedUnits = 10;
constexpr int kEmojiAt = 6;

std::string Selection(FormControls& controls) {
  return "(" + std::to_string(controls.SelStart(kTerms)) + ", " +
         std::to_string(controls.SelLength(kTerms)) + ")";
}

void TextAndSelectionInUtf16Units(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  controls.SetText(kTerms, kMixedText);
  check.Expect(controls.Text(kTerms) == kMixedText, "the text keeps every character");
  struct Range {
    int start, length;    // asked
    int wantStart, want;  // read back
    const char* what;
  };
  const Range ranges[] = {
      {kEmojiAt, 2, kEmojiAt, 2, "the emoji is two units"},
      {0, kMixedUnits, 0, kMixedUnits, "the whole text"},
      {3, 999, 3, kMixedUnits - 3, "a length past the end stops at the end"},
      {99, 4, kMixedUnits, 0, "a start past the end is the end"},
      {-3, 2, 0, 2, "a start before the beginning is the beginning"},
      {kEmojiAt + 1, 0, kEmojiAt, 2, "a caret inside the emoji takes it whole"},
      {kEmojiAt + 1, 3, kEmojiAt, 4, "a start inside the emoji moves before it"},
      {2, kEmojiAt - 1, 2, kEmojiAt, "an end inside the emoji moves after it"},
  };
  for (const Range& r : ranges) {
    controls.SetSelection(kTerms, r.start, r.length);
    check.Expect(controls.SelStart(kTerms) == r.wantStart && controls.SelLength(kTerms) == r.want,
                 std::string(r.what) + ": (" + std::to_string(r.start) + ", " +
                     std::to_string(r.length) + ") reads back as " + Selection(controls));
  }
  controls.SetText(kTerms, "");
  check.Expect(controls.Text(kTerms).empty() && controls.SelLength(kTerms) == 0,
               "an empty text has nothing selected");
}

void NewTextHasNothingSelected(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  controls.SetText(kTerms, "old terms");
  controls.SetSelection(kTerms, 0, 3);
  controls.SetText(kTerms, kMixedText);
  check.Expect(controls.SelLength(kTerms) == 0 && controls.SelStart(kTerms) == 0,
               "new text has nothing selected, the caret at its start: " + Selection(controls));
  controls.SetText(kTerms, "");
}

void CaptionsReadBackAsDesigned(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  for (const ControlDesign& d : SearchWindowDesign().controls) {
    if (d.kind != ControlKind::OptionButton && d.kind != ControlKind::CheckBox &&
        d.kind != ControlKind::CommandButton) {
      continue;
    }
    check.Expect(controls.Text(d.ref) == d.caption, "the caption \"" + std::string(d.caption) +
                                                        "\" reads back with its accelerator "
                                                        "mark, not as \"" +
                                                        controls.Text(d.ref) + "\"");
  }
}

// Which of the group's options are selected, as text.
std::string Selected(FormControls& controls, Control group, int count) {
  std::string on;
  for (int i = 0; i < count; ++i) {
    if (controls.Value({group, i}) != 0) {
      on += (on.empty() ? "" : " ") + std::to_string(i);
    }
  }
  return "[" + on + "]";
}

int GroupSize(Control group) {
  int n = 0;
  for (const ControlDesign& d : SearchWindowDesign().controls) {
    n += d.ref.id == group ? 1 : 0;
  }
  return n;
}

void OptionsAndTheirClicks(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  std::vector<ControlRef>& clicks = s.events.clicks;
  const int scopes = GroupSize(Control::Scope);
  const int dates = GroupSize(Control::DateRange);
  controls.SetValue({Control::Scope, 0}, 1);
  controls.SetValue({Control::DateRange, 0}, 1);
  controls.SetValue(kVoice, 0);
  clicks.clear();

  struct Step {
    ControlRef control;
    int value;
    std::size_t clicks;  // clicks this step raises
    const char* what;
  };
  const Step steps[] = {
      {{Control::Scope, 3}, 1, 1, "selecting a scope raises its click once"},
      {{Control::Scope, 3}, 1, 0, "selecting it again raises nothing"},
      {{Control::DateRange, 2}, 1, 0, "selecting a date range raises nothing"},
      {kVoice, 1, 1, "ticking the check box raises its click once"},
      {kVoice, 1, 0, "ticking it again raises nothing"},
      {kVoice, 0, 1, "clearing it raises its click once"},
  };
  for (const Step& step : steps) {
    const std::size_t before = clicks.size();
    controls.SetValue(step.control, step.value);
    const bool raised = clicks.size() - before == step.clicks &&
                        (step.clicks == 0 || clicks.back() == step.control);
    check.Expect(
        raised && controls.Value(step.control) == step.value,
        std::string(step.what) + " (" + std::to_string(clicks.size() - before) + " raised)");
  }
  check.Expect(Selected(controls, Control::Scope, scopes) == "[3]" &&
                   Selected(controls, Control::DateRange, dates) == "[2]",
               "one option per group stays selected: scopes " +
                   Selected(controls, Control::Scope, scopes) + ", dates " +
                   Selected(controls, Control::DateRange, dates));
  controls.SetValue({Control::Scope, 0}, 1);
  controls.SetValue({Control::DateRange, 0}, 1);
  clicks.clear();
}

void OnlyEnabledControlsTakeTheFocus(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  const ControlRef date{Control::DateRange, 1};
  controls.SetEnabled(date, false);
  check.Expect(!controls.Enabled(date), "a control reads back as disabled");
  check.Expect(!controls.SetFocus(date) && controls.FocusedControl() != date,
               "a disabled option cannot take the focus");
  check.Expect(!controls.SetFocus({Control::Heading, 0}), "a label cannot take the focus");
  check.Expect(controls.SetFocus(kTerms) && controls.FocusedControl() == kTerms,
               "the text box takes the focus");
  controls.SetEnabled(date, true);
  check.Expect(
      controls.Enabled(date) && controls.SetFocus(date) && controls.FocusedControl() == date,
      "enabled again, the option takes the focus");
  controls.SetFocus(kTerms);
}

void TabStopsAndPlaces(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  check.Expect(!controls.SetTabStop({Control::Heading, 0}, true), "a label has no tab stop");
  check.Expect(controls.SetTabStop(kTerms, true), "the text box has one");
  const ControlRef key{Control::DateKey, 0};
  const int top = controls.ControlTop(key);
  constexpr int kTwoPixels = 2;
  controls.SetControlTop(key, top + kTwoPixels);
  check.Expect(controls.ControlTop(key) == top + kTwoPixels,
               "a control's Top reads back: " + std::to_string(controls.ControlTop(key)) +
                   " after " + std::to_string(top + kTwoPixels));
  controls.SetControlTop(key, top);
}

// Parked, the window is out of sight and stays so when moved; given a top, it is back there.
void ParkedAndBack(Subject& s, Check& check) {
  ShownSearchWindow(s);
  ViewWindow& view = s.ports.viewWindow;
  constexpr int kTop = 67;
  constexpr int kLeft = 40;
  view.SetViewTop(kTop);
  check.Expect(!view.Parked() && view.ViewFrame().top == kTop,
               "a window given a top is there: " + std::to_string(view.ViewFrame().top));
  const Rect shown = view.ViewFrame();
  const int width = shown.right - shown.left;
  const int height = shown.bottom - shown.top;
  view.MoveView({kLeft, kTop, kLeft + width, kTop + height});
  s.driver.RunUntil([&] { return view.ViewFrame().left == kLeft; });
  const Rect moved = view.ViewFrame();
  check.Expect(moved.left == kLeft && moved.top == kTop && moved.right - moved.left == width &&
                   moved.bottom - moved.top == height,
               "a move reads back in pixels: " + std::to_string(moved.left) + "," +
                   std::to_string(moved.top));
  view.Park();
  check.Expect(view.Parked(), "parked, it says so");
  view.MoveView({kLeft, kTop, kLeft + width, kTop + height});
  check.Expect(view.Parked(), "a move leaves it parked");
  view.SetViewTop(kTop);
  check.Expect(!view.Parked() && view.ViewFrame().top == kTop,
               "given a top again, it is back there");
  check.Expect(view.ViewFrame().left == kLeft, "at the left it was moved to while parked: " +
                                                   std::to_string(view.ViewFrame().left));
}

// Colours read back as they were given: a theme colour stays the theme's, not the shade it
// was drawn in, so the hover logic compares like with like.
void TextColoursReadBackAsGiven(Subject& s, Check& check) {
  ShownSearchWindow(s);
  FormControls& controls = s.ports.controls;
  const ControlRef doIt{Control::DoIt, 0};
  for (const Colour colour : {kHoverGreen, kHeadingBlue, kThemeText, kBlack}) {
    controls.SetTextColour(doIt, colour);
    const Colour back = controls.TextColour(doIt);
    check.Expect(back == colour, "a text colour reads back: " + std::to_string(back.red) + "," +
                                     std::to_string(back.green) + "," + std::to_string(back.blue) +
                                     " theme " + std::to_string(static_cast<int>(back.theme)));
  }
}

}  // namespace

std::vector<Case> SearchViewContract() {
  return {
      {"SearchView", "TextAndSelectionInUtf16Units", TextAndSelectionInUtf16Units},
      {"SearchView", "NewTextHasNothingSelected", NewTextHasNothingSelected},
      {"SearchView", "CaptionsReadBackAsDesigned", CaptionsReadBackAsDesigned},
      {"SearchView", "OptionsAndTheirClicks", OptionsAndTheirClicks},
      {"SearchView", "OnlyEnabledControlsTakeTheFocus", OnlyEnabledControlsTakeTheFocus},
      {"SearchView", "TabStopsAndPlaces", TabStopsAndPlaces},
      {"SearchView", "ParkedAndBack", ParkedAndBack},
      {"SearchView", "TextColoursReadBackAsGiven", TextColoursReadBackAsGiven},
  };
}

}  // namespace varnel::contract
