#include "support/fake_key_injector.h"

#include <algorithm>
#include <string>

namespace varnel {
namespace {

constexpr std::uint32_t kInjectedFlag = 0x10;  // LLKHF_INJECTED
constexpr std::uint32_t kExtendedFlag = 0x01;  // LLKHF_EXTENDED

}  // namespace

void FakeKeyInjector::KeybdEvent(std::uint8_t vkCode, std::uint8_t scan, std::uint32_t flags) {
  log_.Record("KeybdEvent", {vkCode, scan, flags});
  if (!injectedKeysReachHook) {
    hotkeys_.SetKeyDown(vkCode, (flags & kKeyUp) == 0);
    return;
  }
  KeyEvent ev;
  ev.vkCode = vkCode;
  ev.scanCode = scan;
  ev.flags = ((flags & kKeyUp) != 0 ? kKeyEventUp : 0) |
             ((flags & kKeyExtended) != 0 ? kExtendedFlag : 0) | kInjectedFlag;
  ev.time = loop_.Milliseconds();
  loop_.QueueEvent("InjectedKey " + std::to_string(vkCode), [this, ev] { hotkeys_.FeedKey(ev); });
}

InjectResult FakeKeyInjector::InjectKeys(std::span<const KeyInput> keys) {
  const std::size_t taken =
      injectLimit < 0 ? keys.size() : std::min(keys.size(), static_cast<std::size_t>(injectLimit));
  log_.Record("InjectKeys",
              {static_cast<std::int64_t>(keys.size()), static_cast<std::int64_t>(taken)});
  for (const KeyInput& k : keys.first(taken)) {
    KeybdEvent(k.vk, k.scan, k.flags);
  }
  return {taken, taken < keys.size() && injectElevated};
}

}  // namespace varnel
