#include "domain/window_design.h"

#include <array>
#include <string>

#include "domain/codes.h"
#include "domain/scope_table.h"
#include "domain/text_compare.h"

namespace varnel {
namespace {

constexpr FontSpec kHeading{"Segoe UI Semilight", 26.25, false, 300};
constexpr FontSpec kTerms{"Segoe UI Semilight", 14.25, false, 300};
constexpr FontSpec kOption{"Segoe UI Semilight", 9.75, false, 300};
constexpr FontSpec kSansSerif{"MS Sans Serif", 8.25, false, 400};
constexpr FontSpec kKeyDigit{"Segoe UI", 9, true, 700};

constexpr ControlRef kForm{Control::Window, 0};
constexpr ControlRef kEngines{Control::ScopePanel, 0};
constexpr ControlRef kDatePanel{Control::DatePanel, 0};
constexpr ControlRef kFrame{Control::TermsFrame, 0};
constexpr ControlRef kInner{Control::TermsFrame, 1};

// Scope options stand in rows of four columns; an option's place follows from its row in the
// scope table.
constexpr std::array<Twips, 4> kScopeColumnLeft{270, 2500, 4250, 6120};
constexpr Twips kScopeFirstRowTop = 205;
constexpr Twips kScopeFirstRowGap = 5;  // the first row stands a little further apart
constexpr Twips kScopeRowPitch = 285;
constexpr Twips kScopePanelBottomMargin = 240;
constexpr Twips kScopePanelTop = 1275;
constexpr Twips kOptionHeight = 285;
constexpr int kFirstScopeTab = 1;

// Date options and their key digits share a row each.
constexpr std::array<Twips, kDateCount> kDateTop{105, 390, 675, 960, 1250, 1530};
constexpr int kFirstKeyTab = 35;

constexpr int ScopeRows(std::size_t scopeCount) {
  return static_cast<int>((scopeCount + kScopeColumnLeft.size() - 1) / kScopeColumnLeft.size());
}

constexpr Twips ScopeRowTop(int row) {
  return kScopeFirstRowTop + (row * kScopeRowPitch) + (row > 0 ? kScopeFirstRowGap : 0);
}

constexpr Twips ScopePanelHeight(std::size_t scopeCount) {
  return ScopeRowTop(ScopeRows(scopeCount) - 1) + kOptionHeight + kScopePanelBottomMargin;
}

constexpr ControlDesign ScopePanel(std::size_t scopeCount) {
  return {kEngines, ControlKind::PictureBox,      kForm,      "",     330,    kScopePanelTop,
          8000,     ScopePanelHeight(scopeCount), kSansSerif, kWhite, kBlack, 26};
}

ControlDesign ScopeOption(std::size_t i, const Scope& scope) {
  const std::size_t columns = kScopeColumnLeft.size();
  return {{Control::Scope, static_cast<int>(i)},
          ControlKind::OptionButton,
          kEngines,
          scope.caption,
          kScopeColumnLeft[i % columns],
          ScopeRowTop(static_cast<int>(i / columns)),
          scope.optionWidth,
          kOptionHeight,
          kOption,
          kWhite,
          kBlack,
          kFirstScopeTab + static_cast<int>(i),
          "",
          Align::Left,
          1};
}

// Date options follow the scopes in the tab order.
constexpr ControlDesign DateOption(int i, int scopeCount) {
  return {{Control::DateRange, i},
          ControlKind::OptionButton,
          kDatePanel,
          kDates[static_cast<std::size_t>(i)].caption,
          300,
          kDateTop[static_cast<std::size_t>(i)],
          1500,
          kOptionHeight,
          kOption,
          kWhite,
          kBlack,
          kFirstScopeTab + scopeCount + i,
          "",
          Align::Left,
          2};
}

constexpr std::array<const char*, kDateCount> kKeyCaptions{"&1", "&2", "&3", "&4", "&5", "&6"};

constexpr ControlDesign Key(int i) {
  return {{Control::DateKey, i},
          ControlKind::Label,
          kDatePanel,
          kKeyCaptions[static_cast<std::size_t>(i)],
          75,
          kDateTop[static_cast<std::size_t>(i)],
          105,
          275,
          kKeyDigit,
          kWhite,
          kBlack,
          kFirstKeyTab + i,
          "",
          Align::Left,
          0};
}

// The fixed controls, placed and ordered for the built-in scope table. Containers come before
// what they contain; a later control lies above an earlier one ("Now just say..." over the
// top of "DO IT").
constexpr std::array kAboveScopes{
    ControlDesign{{Control::Heading, 0},
                  ControlKind::Label,
                  kForm,
                  "Search Scope",
                  330,
                  315,
                  6000,
                  750,
                  kHeading,
                  kWhite,
                  kHeadingBlue,
                  33},
    ControlDesign{{Control::Rule, 0},
                  ControlKind::PictureBox,
                  kForm,
                  "",
                  330,
                  1185,
                  8000,
                  90,
                  {},
                  kBlack,
                  kBlack,
                  30},
};

constexpr std::array kBetweenScopesAndDates{
    ControlDesign{{Control::Rule, 1},
                  ControlKind::PictureBox,
                  kForm,
                  "",
                  330,
                  2820,
                  8000,
                  90,
                  {},
                  kBlack,
                  kBlack,
                  32},
    ControlDesign{{Control::Heading, 1},
                  ControlKind::Label,
                  kForm,
                  "Search Terms",
                  330,
                  3270,
                  6000,
                  750,
                  kHeading,
                  kWhite,
                  kHeadingBlue,
                  34},
    ControlDesign{
        kFrame, ControlKind::PictureBox, kForm, "", 330, 4155, 8000, 750, {}, kBlack, kBlack, 28},
    ControlDesign{
        kInner, ControlKind::PictureBox, kFrame, "", 75, 75, 7845, 600, {}, kWhite, kBlack, 29},
    ControlDesign{{Control::Terms, 0},
                  ControlKind::TextBox,
                  kInner,
                  "",
                  100,
                  100,
                  7755,
                  420,
                  kTerms,
                  kWhite,
                  kBlack,
                  0,
                  "Say \"Find It\" or press ENTER to search"},
    ControlDesign{kDatePanel,
                  ControlKind::PictureBox,
                  kForm,
                  "",
                  345,
                  5340,
                  2010,
                  1905,
                  {},
                  kWhite,
                  kBlack,
                  31},
};

constexpr std::array kBelowDates{
    ControlDesign{{Control::DoIt, 0},
                  ControlKind::Label,
                  kForm,
                  "DO IT",
                  3100,
                  5675,
                  2880,
                  1170,
                  {"Segoe UI Semibold", 48, false, 600},
                  kWhite,
                  kHeadingBlue,
                  23,
                  "",
                  Align::Centre},
    ControlDesign{{Control::JustSay, 0},
                  ControlKind::Label,
                  kForm,
                  "Now just say...",
                  3050,
                  5600,
                  1950,
                  345,
                  {"Segoe UI Semilight", 11.25, false, 300},
                  kThemeBackground,
                  kHeadingBlue,
                  22},
    ControlDesign{{Control::Microphone, 0},
                  ControlKind::Image,
                  kForm,
                  "",
                  7200,
                  5385,
                  1125,
                  1755,
                  {},
                  kWhite,
                  kBlack,
                  -1},
    ControlDesign{{Control::FindButton, 0},
                  ControlKind::CommandButton,
                  kForm,
                  "&Find It",
                  7500,
                  5820,
                  75,
                  195,
                  kSansSerif,
                  kWhite,
                  kBlack,
                  27},
    ControlDesign{{Control::Message, 0},
                  ControlKind::Label,
                  kForm,
                  "Message",
                  405,
                  7515,
                  4875,
                  390,
                  {"Segoe UI Semilight", 9.75, false, 300},
                  kThemeBackground,
                  kBlack,
                  25},
    ControlDesign{{Control::VoiceCommands, 0},
                  ControlKind::CheckBox,
                  kForm,
                  "&Voice Commands",
                  6810,
                  7485,
                  1725,
                  375,
                  {"Segoe UI Semilight", 9, false, 300},
                  kThemeBackground,
                  kThemeText,
                  24},
};

constexpr WindowDesign kWindow{" Varnel", 8745, 8115, kWhite, {"Tahoma", 8.25, false, 400},
                               1500,      {}};

}  // namespace

SearchWindowLayout::SearchWindowLayout(std::span<const Scope> scopes) : design_(kWindow) {
  // The fixed controls below the scope panel move down as far as the panel grows, and the tab
  // stops after the scopes move along by the number of added scopes.
  const Twips grow = ScopePanelHeight(scopes.size()) - ScopePanelHeight(kScopes.size());
  const int scopeCount = static_cast<int>(scopes.size());
  const int moreTabs = scopeCount - kScopeCount;
  const auto add = [&](ControlDesign c) {
    if (c.container == kForm && c.top > kScopePanelTop) {
      c.top += grow;
    }
    if (c.tabIndex > kScopeCount) {
      c.tabIndex += moreTabs;
    }
    controls_.push_back(c);
  };
  for (const ControlDesign& c : kAboveScopes) {
    add(c);
  }
  add(ScopePanel(scopes.size()));
  for (std::size_t i = 0; i < scopes.size(); ++i) {
    controls_.push_back(ScopeOption(i, scopes[i]));
  }
  for (const ControlDesign& c : kBetweenScopesAndDates) {
    add(c);
  }
  for (int i = 0; i < kDateCount; ++i) {
    controls_.push_back(DateOption(i, scopeCount));
  }
  for (int i = 0; i < kDateCount; ++i) {
    add(Key(i));
  }
  for (const ControlDesign& c : kBelowDates) {
    add(c);
  }
  design_.clientHeight += grow;
  design_.controls = controls_;
}

const WindowDesign& SearchWindowDesign() {
  static const SearchWindowLayout builtIn(kScopes);
  return builtIn.Design();
}

std::string CaptionText(const char* caption) {
  std::string out;
  for (const char* p = caption; p != nullptr && *p != '\0'; ++p) {
    if (*p == '&') {
      if (p[1] == '&') {
        out += '&';
        ++p;
      }
      continue;
    }
    out += *p;
  }
  return out;
}

char CaptionAccelerator(const char* caption) {
  for (const char* p = caption; p != nullptr && *p != '\0'; ++p) {
    if (*p == '&') {
      if (p[1] == '&') {
        ++p;
        continue;
      }
      if (p[1] != '\0') {
        return AsciiLower(p[1]);
      }
    }
  }
  return 0;
}

}  // namespace varnel
