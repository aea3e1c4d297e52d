// Window handles travel through the program as 32-bit values: the system guarantees that
// user handles fit in 32 bits and sign-extends them when widening, so do we.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ports/platform.h"

namespace varnel::win {

inline WindowId ToId(HWND h) {
  return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(h) & 0xFFFFFFFFu);
}

inline HWND ToHwnd(WindowId id) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(id)));
}

}  // namespace varnel::win
