#include "contract/contract.h"

#include "domain/window_design.h"

namespace varnel::contract {

void Recorder::OnDeferredCode(Code code) {
  nested = nested || insideEvent;
  insideEvent = true;
  codes.push_back(code);
  if (onCode) {
    onCode(code);
  }
  insideEvent = false;
}

WindowId ShownSearchWindow(Subject& s) {
  if (s.searchWindow == 0) {
    s.searchWindow = s.ports.viewWindow.CreateSearchWindow(SearchWindowDesign());
    s.ports.viewWindow.ShowView();
    s.driver.RunUntil([&s] {
      return s.ports.viewWindow.ViewVisible() && s.ports.desktop.WindowVisible(s.searchWindow);
    });
  }
  return s.searchWindow;
}

std::vector<Case> AllContracts() {
  std::vector<Case> all;
  for (auto part : {EventLoopContract, SystemPathsContract, KeyboardLayoutContract,
                    SearchViewContract, DesktopContract}) {
    for (Case& c : part()) {
      all.push_back(std::move(c));
    }
  }
  return all;
}

}  // namespace varnel::contract
