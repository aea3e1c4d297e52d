// Top-level windows, threads and processes as the ports name them: 32-bit values, 0 is none.
#pragma once

#include <cstdint>

namespace varnel {

using WindowId = std::uint32_t;
using ThreadId = std::uint32_t;
using ProcessId = std::uint32_t;

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

}  // namespace varnel
