#include "support/fake_instances.h"

namespace varnel {

InstanceClaim FakeInstances::ClaimSingleInstance() {
  const InstanceClaim claim =
      instanceClaims.empty() ? InstanceClaim::First : instanceClaims.front();
  if (instanceClaims.size() > 1) {
    instanceClaims.pop_front();
  }
  log_.Record("ClaimSingleInstance", {static_cast<std::int64_t>(claim)});
  return claim;
}

void FakeInstances::PublishInstanceWindow(WindowId hwnd) {
  log_.Record("PublishInstanceWindow", {hwnd});
  publishedWindow = hwnd;
}

bool FakeInstances::SendPrivateMessage(WindowId hwnd, Code msg, std::uint32_t wParam,
                                       std::uint32_t lParam, std::uint32_t timeoutMs) {
  log_.Record("SendPrivateMessage", {hwnd, msg, wParam, lParam, timeoutMs});
  if (!desktop_.WindowExists(hwnd)) {
    return false;
  }
  FakeWindow* w = desktop_.Window(hwnd);
  if (w == nullptr || !w->answers) {
    loop_.AdvanceTime(timeoutMs);  // the caller waited the whole time
    return false;
  }
  if (w->onMessage) {
    w->onMessage(msg, wParam, lParam);
  }
  return true;
}

bool FakeInstances::SendCommandPhrase(WindowId hwnd, const std::string& phrase,
                                      std::uint32_t timeoutMs) {
  log_.Record("SendCommandPhrase", {hwnd, timeoutMs}, phrase);
  FakeWindow* w = desktop_.Window(hwnd);
  if (w == nullptr || !w->answers) {
    return false;
  }
  if (w->onCommandPhrase) {
    w->onCommandPhrase(phrase);
  }
  return true;
}

}  // namespace varnel
