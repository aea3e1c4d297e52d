// The modifier bits the key logic works with.
#pragma once

namespace varnel {

inline constexpr int kMaskShift = 1;
inline constexpr int kMaskCtrl = 2;
inline constexpr int kMaskAlt = 4;
inline constexpr int kMaskSuper = 8;

}  // namespace varnel
