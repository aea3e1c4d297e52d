#include "voice/send_key.h"

#include "app/program.h"

namespace varnel {

namespace {

constexpr std::uint8_t kVkShift = 16;
constexpr std::uint8_t kVkCtrl = 17;
constexpr std::uint8_t kVkAlt = 18;
constexpr int kScanShift = 0x100;
constexpr int kScanCtrl = 0x200;
constexpr int kScanAlt = 0x400;

// Keys that produce no character (arrows, Home, Page Down ...) are extended keys.
std::uint32_t ExtendedFlag(Platform& platform, std::uint32_t vk) {
  return platform.MapVirtualKey(vk, 2) == 0 ? kKeyExtended : 0;
}

}  // namespace

void ClsSendKey::SendKey(const std::string& sKey, bool bHoldKeydown, bool bRelease) {
  if (sKey.empty()) {
    return;
  }
  Platform& platform = p_.platform;
  const int scan = platform.VkKeyScan(sKey.front());
  // 0 and -1 both mean no key on this layout produces the character; pressing the
  // modifier bits of -1 would send Shift, Ctrl and Alt around a key that does not exist.
  if (scan == 0 || (scan & 0xFF) == 0xFF) {
    return;
  }

  const auto vk = static_cast<std::uint8_t>(scan & 0xFF);
  const std::uint32_t extended = ExtendedFlag(platform, vk);
  const auto hwScan = static_cast<std::uint8_t>(platform.MapVirtualKey(vk, 0));
  const bool shift = (scan & kScanShift) != 0;
  const bool ctrl = (scan & kScanCtrl) != 0;
  const bool alt = (scan & kScanAlt) != 0;

  if (!bRelease) {
    if (shift) {
      platform.KeybdEvent(kVkShift, 0, 0);
    }
    if (ctrl) {
      platform.KeybdEvent(kVkCtrl, 0, 0);
    }
    if (alt) {
      platform.KeybdEvent(kVkAlt, 0, 0);
    }
    platform.KeybdEvent(vk, hwScan, extended);
  }
  if (!bHoldKeydown) {
    platform.KeybdEvent(vk, hwScan, extended | kKeyUp);
    if (shift) {
      platform.KeybdEvent(kVkShift, 0, kKeyUp);
    }
    if (ctrl) {
      platform.KeybdEvent(kVkCtrl, 0, kKeyUp);
    }
    if (alt) {
      platform.KeybdEvent(kVkAlt, 0, kKeyUp);
    }
  }
}

void ClsSendKey::PressKeyVK(int ekeyPress, bool bHoldKeydown, bool bRelease, bool bCompatible) {
  if (ekeyPress < 0 || ekeyPress > 255) {
    return;
  }
  Platform& platform = p_.platform;
  const auto vk = static_cast<std::uint8_t>(ekeyPress);
  const std::uint32_t extended = bCompatible ? 0 : ExtendedFlag(platform, vk);
  const auto hwScan = static_cast<std::uint8_t>(platform.MapVirtualKey(vk, 0));
  if (!bRelease) {
    platform.KeybdEvent(vk, hwScan, extended);
  }
  if (!bHoldKeydown) {
    platform.KeybdEvent(vk, hwScan, extended | kKeyUp);
  }
}

void SendKeyChord(Program& program, bool bCtrl, bool bAlt, bool bShift, int vKey,
                  std::int32_t lPauseMs) {
  if (!program.sendKey) {
    return;
  }
  // The object is stateless; a copy keeps the chord whole even if the shared one is
  // released by an event that runs during one of the yields below, so no modifier stays down.
  ClsSendKey keys = *program.sendKey;
  Platform& platform = program.platform;

  if (bCtrl) {
    keys.PressKeyVK(kVkCtrl, true, false, false);
    platform.DoEvents();
  }
  if (bAlt) {
    keys.PressKeyVK(kVkAlt, true, false, false);
    platform.DoEvents();
  }
  if (bShift) {
    keys.PressKeyVK(kVkShift, true, false, false);
    platform.DoEvents();
  }

  if (vKey >= 'A' && vKey <= 'Z') {
    keys.SendKey(std::string(1, static_cast<char>(vKey + 32)), false, false);
  } else {
    keys.PressKeyVK(vKey, false, false, false);
  }

  if (bCtrl) {
    keys.PressKeyVK(kVkCtrl, false, true, false);
  }
  if (bAlt) {
    keys.PressKeyVK(kVkAlt, false, true, false);
  }
  if (bShift) {
    keys.PressKeyVK(kVkShift, false, true, false);
  }

  if (lPauseMs <= 0) {
    return;
  }
  if (lPauseMs < 10) {
    platform.DoEvents();
  } else {
    program.winutil.WaitMs(lPauseMs, true);
  }
}

}  // namespace varnel
