// Adding a scope is one table row: a table with a sixteenth row drives the window, the
// query, the dates rule and the help like the built-in rows do.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/cli.h"
#include "domain/scopes.h"
#include "domain/window_design.h"

namespace varnel {
namespace {

constexpr Scope kQuora{"&Quora", AddressForm::Site, "quora.com", false, 1000};

std::vector<Scope> BuiltInPlus(int extraRows) {
  std::vector<Scope> table(kScopes.begin(), kScopes.end());
  for (int i = 0; i < extraRows; ++i) {
    table.push_back(kQuora);
  }
  return table;
}

const ControlDesign& Find(const WindowDesign& design, ControlRef ref) {
  const auto it =
      std::ranges::find_if(design.controls, [&](const ControlDesign& c) { return c.ref == ref; });
  EXPECT_NE(it, design.controls.end());
  return *it;
}

TEST(SixteenthScope, WindowPlacesItsOptionLikeTheOthers) {
  const std::vector<Scope> table = BuiltInPlus(1);
  const SearchWindowLayout layout(table);
  const WindowDesign& design = layout.Design();

  const ControlDesign& added = Find(design, {Control::Scope, 15});
  const ControlDesign& sameColumn = Find(design, {Control::Scope, 3});
  const ControlDesign& sameRow = Find(design, {Control::Scope, 12});
  EXPECT_EQ(added.kind, ControlKind::OptionButton);
  EXPECT_STREQ(added.caption, "&Quora");
  EXPECT_EQ(CaptionAccelerator(added.caption), 'q');
  EXPECT_EQ(added.width, kQuora.optionWidth);
  EXPECT_EQ(added.left, sameColumn.left);
  EXPECT_EQ(added.top, sameRow.top);
  EXPECT_EQ(added.height, sameRow.height);
  EXPECT_EQ(added.container, sameRow.container);
  EXPECT_EQ(added.group, sameRow.group);
  EXPECT_EQ(added.font.points, sameRow.font.points);

  // Four rows still hold sixteen options: nothing else moves.
  const ControlDesign& panel = Find(design, {Control::ScopePanel, 0});
  EXPECT_LE(added.left + added.width, panel.width);
  EXPECT_LE(added.top + added.height, panel.height);
  EXPECT_EQ(design.clientHeight, SearchWindowDesign().clientHeight);
  EXPECT_EQ(panel.height, Find(SearchWindowDesign(), {Control::ScopePanel, 0}).height);
}

TEST(SixteenthScope, MoreRowsGrowThePanelAndTheWindow) {
  const WindowDesign& builtIn = SearchWindowDesign();
  const Twips builtInPanel = Find(builtIn, {Control::ScopePanel, 0}).height;
  const Twips builtInTerms = Find(builtIn, {Control::Heading, 1}).top;
  const Twips rowPitch =
      Find(builtIn, {Control::Scope, 8}).top - Find(builtIn, {Control::Scope, 4}).top;
  const struct {
    int extraRows;
    int grownRows;
  } cases[] = {{1, 0}, {2, 1}, {5, 1}, {6, 2}};
  for (const auto& c : cases) {
    const std::vector<Scope> table = BuiltInPlus(c.extraRows);
    const SearchWindowLayout layout(table);
    const WindowDesign& design = layout.Design();
    const Twips grown = c.grownRows * rowPitch;
    const ControlDesign& panel = Find(design, {Control::ScopePanel, 0});
    const ControlDesign& last = Find(design, {Control::Scope, static_cast<int>(table.size()) - 1});
    EXPECT_EQ(panel.height, builtInPanel + grown) << c.extraRows;
    EXPECT_LE(last.top + last.height, panel.height) << c.extraRows;
    EXPECT_EQ(design.clientHeight, builtIn.clientHeight + grown) << c.extraRows;
    EXPECT_EQ(Find(design, {Control::Heading, 1}).top, builtInTerms + grown) << c.extraRows;

    // Tab order: terms, every scope, every date, then the rest; no two stops share a place.
    std::set<int> tabs;
    for (const ControlDesign& d : design.controls) {
      if (d.tabIndex >= 0) {
        EXPECT_TRUE(tabs.insert(d.tabIndex).second) << "tab " << d.tabIndex;
      }
    }
    EXPECT_EQ(last.tabIndex, static_cast<int>(table.size()));
    EXPECT_EQ(Find(design, {Control::DateRange, 0}).tabIndex, last.tabIndex + 1);
  }
}

TEST(SixteenthScope, QueryDatesAndNamesComeFromTheRow) {
  const std::vector<Scope> table = BuiltInPlus(1);
  EXPECT_EQ(ComposeSearch(" red  car ", 15, 3, table).address,
            "https://www.google.com/search?q=site:quora.com+red%20car&as_qdr=all&tbs=qdr:w,sbd:1");
  EXPECT_FALSE(DatesApply(15, table));
  EXPECT_TRUE(DatesApply(14, table));
  EXPECT_EQ(ParseScope("Quora", table), 15);
  EXPECT_EQ(ParseScope("15", table), 15);
  EXPECT_EQ(ParseScope("15"), std::nullopt);  // the built-in table has no such row
}

TEST(SixteenthScope, HelpListsIt) {
  const std::string help = ScopeOptionHelp(BuiltInPlus(1));
  EXPECT_NE(help.find("0-15 or a name:"), std::string::npos) << help;
  EXPECT_NE(help.find(", quora (default everything)\n"), std::string::npos) << help;
  // The built-in table's help reads as it always has.
  EXPECT_EQ(ScopeOptionHelp(),
            "  --scope S    0-14 or a name: everything, images, videos, ehow, news, twitter,\n"
            "               \"google plus\", stackoverflow, howstuffworks, wikipedia, lifehacker,\n"
            "               scholar, \"wolfram|alpha\", reddit, finance (default everything)\n");
}

}  // namespace
}  // namespace varnel
