#include "domain/window_design.h"

#include <array>
#include <cctype>
#include <string>

#include "domain/codes.h"

namespace varnel {
namespace {

constexpr FontSpec kHeading{"Segoe UI Semilight", 26.25, false, 300};
constexpr FontSpec kTerms{"Segoe UI Semilight", 14.25, false, 300};
constexpr FontSpec kOption{"Segoe UI Semilight", 9.75, false, 300};
constexpr FontSpec kSansSerif{"MS Sans Serif", 8.25, false, 400};
constexpr FontSpec kKeyDigit{"Segoe UI", 9, true, 700};

constexpr ControlRef kForm{Control::Window, 0};
constexpr ControlRef kEngines{Control::ScopePanel, 0};
constexpr ControlRef kDates{Control::DatePanel, 0};
constexpr ControlRef kFrame{Control::TermsFrame, 0};
constexpr ControlRef kInner{Control::TermsFrame, 1};

constexpr ControlDesign Scope(int i, const char* caption, Twips left, Twips top, Twips width,
                              int tab) {
  return {{Control::Scope, i},
          ControlKind::OptionButton,
          kEngines,
          caption,
          left,
          top,
          width,
          285,
          kOption,
          kWhite,
          kBlack,
          tab,
          "",
          Align::Left,
          1};
}

constexpr ControlDesign Date(int i, const char* caption, Twips top, int tab) {
  return {{Control::DateRange, i},
          ControlKind::OptionButton,
          kDates,
          caption,
          300,
          top,
          1500,
          285,
          kOption,
          kWhite,
          kBlack,
          tab,
          "",
          Align::Left,
          2};
}

constexpr ControlDesign Key(int i, const char* caption, Twips top, int tab) {
  return {{Control::DateKey, i},
          ControlKind::Label,
          kDates,
          caption,
          75,
          top,
          105,
          275,
          kKeyDigit,
          kWhite,
          kBlack,
          tab,
          "",
          Align::Left,
          0};
}

// Containers come before what they contain; a later control lies above an earlier one
// ("Now just say..." over the top of "DO IT").
constexpr std::array kControls{
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
    ControlDesign{kEngines, ControlKind::PictureBox, kForm, "", 330, 1275, 8000, 1590, kSansSerif,
                  kWhite, kBlack, 26},
    Scope(0, "&Everything", 270, 205, 1590, 1),
    Scope(1, "&Images", 2500, 205, 990, 2),
    Scope(2, "&Videos", 4250, 205, 990, 3),
    Scope(3, "e&How", 6120, 205, 870, 4),
    Scope(4, "&News", 270, 495, 870, 5),
    Scope(5, "&Twitter", 2500, 495, 1005, 6),
    Scope(6, "Google &Plus", 4250, 495, 1380, 7),
    Scope(7, "Stack&Overflow", 6120, 495, 1695, 8),
    Scope(8, "HowSt&uffWorks", 270, 780, 1695, 9),
    Scope(9, "&Wikipedia", 2500, 780, 1215, 10),
    Scope(10, "&LifeHacker", 4250, 780, 1455, 11),
    Scope(11, "S&cholar", 6120, 780, 1605, 12),
    Scope(12, "Wolfram|&Alpha", 270, 1065, 1680, 13),
    Scope(13, "&Reddit", 2500, 1065, 1260, 14),
    Scope(14, "&Finance", 4250, 1065, 1035, 15),
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
    ControlDesign{
        kDates, ControlKind::PictureBox, kForm, "", 345, 5340, 2010, 1905, {}, kWhite, kBlack, 31},
    Date(0, "Anytime", 105, 16),
    Date(1, "Past Hour", 390, 17),
    Date(2, "Past Day", 675, 18),
    Date(3, "Past Week", 960, 19),
    Date(4, "Past Month", 1250, 20),
    Date(5, "Past Year", 1530, 21),
    Key(0, "&1", 105, 35),
    Key(1, "&2", 390, 36),
    Key(2, "&3", 675, 37),
    Key(3, "&4", 960, 38),
    Key(4, "&5", 1250, 39),
    Key(5, "&6", 1530, 40),
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
                  kSysWindowBackground,
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
                  kSysWindowBackground,
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
                  kSysWindowBackground,
                  kSysWindowText,
                  24},
};

constexpr WindowDesign kWindow{" Varnel", 8745,     8115, kWhite, {"Tahoma", 8.25, false, 400},
                               1500,      kControls};

}  // namespace

const WindowDesign& SearchWindowDesign() {
  return kWindow;
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
        return static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
      }
    }
  }
  return 0;
}

}  // namespace varnel
