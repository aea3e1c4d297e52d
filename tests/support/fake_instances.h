// The one running instance and the hand-off to it: claims answered as the test lines them up,
// and messages delivered to the desktop's windows.
#pragma once

#include <deque>
#include <set>
#include <string>

#include "ports/instances.h"
#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_log.h"

namespace varnel {

class FakeInstances final : public Instances {
 public:
  FakeInstances(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop)
      : log_(log), loop_(loop), desktop_(desktop) {}

  // Claims are answered in this order, the last one repeats.
  std::deque<InstanceClaim> instanceClaims{InstanceClaim::First};
  WindowId publishedWindow = 0;
  std::set<ProcessId> moreRightsProcesses;

  InstanceClaim ClaimSingleInstance() override;
  void PublishInstanceWindow(WindowId hwnd) override;
  WindowId PublishedInstanceWindow() override { return publishedWindow; }
  void GrantForeground(ProcessId pid) override { log_.Record("GrantForeground", {pid}); }
  bool RunsWithMoreRights(ProcessId pid) override { return moreRightsProcesses.contains(pid); }
  bool SendPrivateMessage(WindowId hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam,
                          std::uint32_t timeoutMs) override;
  bool SendCommandPhrase(WindowId hwnd, const std::string& phrase,
                         std::uint32_t timeoutMs) override;

 private:
  FakeLog& log_;
  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
};

}  // namespace varnel
