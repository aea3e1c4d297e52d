// Synthesised keys: each batch is logged key by key and, like real injected input, goes
// through the hook and to the window in front on a later turn of the loop.
#pragma once

#include <cstdint>

#include "ports/key_injector.h"
#include "support/fake_event_loop.h"
#include "support/fake_hotkeys.h"
#include "support/fake_log.h"

namespace varnel {

class FakeKeyInjector final : public KeyInjector {
 public:
  FakeKeyInjector(FakeLog& log, FakeEventLoop& loop, FakeHotkeys& hotkeys)
      : log_(log), loop_(loop), hotkeys_(hotkeys) {}

  // false: injected keys only change the keys held, nothing receives them.
  bool injectedKeysReachHook = true;
  // Injection takes only this many events of each batch (-1: all); refused ones are
  // reported as refused by a window with higher rights when injectElevated is set.
  int injectLimit = -1;
  bool injectElevated = false;
  // One injected event, recorded as "SentKey" {vk, scan, up (0/1), extended (0/1)}.
  void SendKey(const KeyInput& key);

  InjectResult InjectKeys(std::span<const KeyInput> keys) override;

 private:
  FakeLog& log_;
  FakeEventLoop& loop_;
  FakeHotkeys& hotkeys_;
};

}  // namespace varnel
