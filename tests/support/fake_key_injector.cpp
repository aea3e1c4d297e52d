#include "support/fake_key_injector.h"

#include <algorithm>
#include <string>

namespace varnel {

void FakeKeyInjector::SendKey(const KeyInput& key) {
  log_.Record("SentKey", {key.vk, key.scan, key.up ? 1 : 0, key.extended ? 1 : 0});
  if (!injectedKeysReachHook) {
    hotkeys_.SetKeyDown(key.vk, !key.up);
    return;
  }
  KeyEvent ev;
  ev.vkCode = key.vk;
  ev.scanCode = key.scan;
  ev.up = key.up;
  ev.injected = true;
  ev.time = loop_.Milliseconds();
  loop_.QueueEvent("InjectedKey " + std::to_string(key.vk), [this, ev] { hotkeys_.FeedKey(ev); });
}

InjectResult FakeKeyInjector::InjectKeys(std::span<const KeyInput> keys) {
  const std::size_t taken =
      injectLimit < 0 ? keys.size() : std::min(keys.size(), static_cast<std::size_t>(injectLimit));
  log_.Record("InjectKeys",
              {static_cast<std::int64_t>(keys.size()), static_cast<std::int64_t>(taken)});
  for (const KeyInput& k : keys.first(taken)) {
    SendKey(k);
  }
  return {taken, taken < keys.size() && injectElevated};
}

}  // namespace varnel
