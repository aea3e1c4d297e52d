// Synthesised keys, as voice commands drive the application in front.
#pragma once

#include <cstddef>
#include <span>
#include "domain/keys.h"

namespace varnel {

// What became of a batch of synthesised keys.
struct InjectResult {
  std::size_t injected = 0;  // events that went in, counted from the first
  bool elevated = false;     // refused because the window in front runs with higher rights
};

class KeyInjector {
 public:
  // Injects the events in order as one batch that no other input comes between (SendInput).
  virtual InjectResult InjectKeys(std::span<const KeyInput> keys) = 0;

 protected:
  ~KeyInjector() = default;
};

}  // namespace varnel
