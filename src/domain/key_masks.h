// The modifier bits the key logic works with (the same bits VkKeyScan reports in its high
// byte for Shift, Ctrl and Alt).
#pragma once

namespace varnel {

inline constexpr int kMaskShift = 1;
inline constexpr int kMaskCtrl = 2;
inline constexpr int kMaskAlt = 4;
inline constexpr int kMaskSuper = 8;

// VkKeyScan's answer holds the key code in its low byte and these masks in its high byte.
inline constexpr int kKeyScanMaskBits = 8;
inline constexpr int kKeyScanShift = kMaskShift << kKeyScanMaskBits;
inline constexpr int kKeyScanCtrl = kMaskCtrl << kKeyScanMaskBits;
inline constexpr int kKeyScanAlt = kMaskAlt << kKeyScanMaskBits;

}  // namespace varnel
