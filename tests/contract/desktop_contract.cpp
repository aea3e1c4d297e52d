// The desktop's windows: which exist, which is in front after a request, the order they
// stack in, and the search window's identity.
#include <string>

#include "contract/contract.h"

namespace varnel::contract {
namespace {

// Outside the search window's design: the class that outside tools know the program by.
constexpr const char* kSearchWindowClass = "Varnel";

void ZeroAndDestroyedWindowsDoNotExist(Subject& s, Check& check) {
  Desktop& desktop = s.ports.desktop;
  check.Expect(!desktop.WindowExists(0), "window 0 does not exist");
  const WindowId other = s.driver.MakeWindow();
  if (!check.Expect(other != 0, "the test can make a window")) {
    return;
  }
  check.Expect(desktop.WindowExists(other) && desktop.WindowVisible(other),
               "a shown window exists and is visible");
  s.driver.DestroyWindow(other);
  check.Expect(s.driver.RunUntil([&] { return !desktop.WindowExists(other); }),
               "a destroyed window no longer exists");
  check.Expect(!desktop.WindowVisible(other) && desktop.ClassName(other).empty(),
               "nor is it visible or of any class");
  check.Expect(desktop.WindowExists(desktop.DesktopRoot()), "the desktop's root exists");
}

void SearchWindowIsKnownByItsClass(Subject& s, Check& check) {
  const WindowId search = ShownSearchWindow(s);
  Desktop& desktop = s.ports.desktop;
  check.Expect(
      desktop.ClassName(search) == kSearchWindowClass,
      "the search window's class is \"Varnel\", not \"" + desktop.ClassName(search) + "\"");
  check.Expect(desktop.WindowProcess(search) == s.driver.OwnProcess(),
               "it belongs to this process");
  check.Expect(desktop.WindowVisible(search) && !desktop.WindowMinimised(search) &&
                   desktop.HasTitleBar(search),
               "shown, it is visible, not minimised, with a title bar");
  check.Expect(search != desktop.DesktopRoot(), "it is not the desktop's root");
}

void BroughtToFrontIsInFront(Subject& s, Check& check) {
  const WindowId search = ShownSearchWindow(s);
  Desktop& desktop = s.ports.desktop;
  const WindowId other = s.driver.MakeWindow();
  if (!check.Expect(other != 0, "the test can make a window")) {
    return;
  }
  struct Step {
    WindowId window;
    const char* what;
  };
  for (const Step& step : {Step{search, "the search window"}, Step{other, "another window"},
                           Step{search, "the search window again"}}) {
    const bool granted = desktop.Activate(step.window, Lift::InPlace);
    check.Expect(
        granted && s.driver.RunUntil([&] { return desktop.WindowInFront() == step.window; }),
        std::string(step.what) + " brought to the front is the window in front");
  }
  // The one in front comes first in the stacking order; the one before it lies below. A
  // system that stacks through a window manager may restack a little after the activation.
  std::string order;
  const auto visitsSearchFirst = [&] {
    bool searchSeen = false;
    bool otherAfterSearch = false;
    order.clear();
    desktop.ForEachWindow([&](WindowId h) {
      searchSeen = searchSeen || h == search;
      otherAfterSearch = h == other && searchSeen;
      order += h == search ? " search" : h == other ? " other" : " " + desktop.ClassName(h);
      return h != other;
    });
    return otherAfterSearch;
  };
  check.Expect(s.driver.RunUntil(visitsSearchFirst),
               "the stacking order visits the window in front first:" + order);
  std::string walk;
  const auto otherBelow = [&] {
    WindowId below = search;
    walk.clear();
    for (int i = 0; i < 1000 && below != 0 && below != other; ++i) {
      below = desktop.WindowBelow(below);
      walk += " " + (below == other ? std::string("other") : desktop.ClassName(below));
    }
    return below == other;
  };
  check.Expect(s.driver.RunUntil(otherBelow), "the window that was in front lies below it:" + walk);
  s.driver.DestroyWindow(other);
  s.driver.RunUntil([&] { return !desktop.WindowExists(other); });
}

}  // namespace

std::vector<Case> DesktopContract() {
  return {
      {"Desktop", "ZeroAndDestroyedWindowsDoNotExist", ZeroAndDestroyedWindowsDoNotExist},
      {"Desktop", "SearchWindowIsKnownByItsClass", SearchWindowIsKnownByItsClass},
      {"Desktop", "BroughtToFrontIsInFront", BroughtToFrontIsInFront},
  };
}

}  // namespace varnel::contract
