#include "core/key_sender.h"

#include "core/search_window.h"
#include "core/window_utils.h"

#include "core/search_window.h"

#include <bitset>

#include "domain/extended_keys.h"
#include "domain/key_codes.h"
#include "domain/key_masks.h"

namespace varnel {

namespace {

// Key codes are one byte.
constexpr std::uint32_t kLastKeyCode = vk::Count - 1;

// Releases what the events that went in left pressed, last pressed first.
void ReleaseLeftDown(KeyInjector& injector, std::span<const KeyInput> went) {
  std::bitset<vk::Count> down;
  KeyBatch release;
  for (const KeyInput& k : went) {
    down.set(k.vk, !k.up);
  }
  for (auto it = went.rbegin(); it != went.rend(); ++it) {
    if (down.test(it->vk)) {
      down.reset(it->vk);
      release.Up(it->vk, it->scan, it->extended);
    }
  }
  if (!release.Events().empty()) {
    injector.InjectKeys(release.Events());
  }
}

}  // namespace

void KeyBatch::Down(std::uint8_t vk, std::uint8_t scan, bool extended) {
  if (size_ < kCapacity) {
    keys_[size_++] = KeyInput{vk, scan, extended, false};
  }
}

void KeyBatch::Up(std::uint8_t vk, std::uint8_t scan, bool extended) {
  if (size_ < kCapacity) {
    keys_[size_++] = KeyInput{vk, scan, extended, true};
  }
}

bool KeySender::SendBatch(const KeyBatch& batch) {
  const std::span<const KeyInput> keys = batch.Events();
  if (keys.empty()) {
    return true;
  }
  const InjectResult r = injector_.InjectKeys(keys);
  if (r.injected >= keys.size()) {
    return true;
  }
  ReleaseLeftDown(injector_, keys.first(r.injected));
  // One message at a time; a box is shown even with the window parked, since the keys were
  // asked for from the application in front.
  if (!window_.inMessageBox) {
    window_.inMessageBox = true;
    notices_.ShowMessageBox(r.elevated ? kKeysRefusedElevatedText : kKeysRefusedText, kInformation,
                            "Varnel");
    window_.inMessageBox = false;
  }
  return false;
}

void KeySender::AddKey(KeyBatch& batch, const std::string& keys, bool holdDown, bool release) {
  if (keys.empty()) {
    return;
  }
  // No key on this layout types the character: nothing is pressed, modifiers included.
  const std::optional<KeyPlace> key = layout_.KeyToType(keys.front());
  if (!key || key->vk == 0 || key->vk > kLastKeyCode) {
    return;
  }

  const auto vk = static_cast<std::uint8_t>(key->vk);
  const bool extended = IsExtendedKey(vk);
  const auto hwScan = static_cast<std::uint8_t>(layout_.ScanCodeOf(vk));
  const bool shift = (key->mods & kMaskShift) != 0;
  const bool ctrl = (key->mods & kMaskCtrl) != 0;
  const bool alt = (key->mods & kMaskAlt) != 0;

  if (!release) {
    if (shift) {
      batch.Down(vk::Shift);
    }
    if (ctrl) {
      batch.Down(vk::Control);
    }
    if (alt) {
      batch.Down(vk::Alt);
    }
    batch.Down(vk, hwScan, extended);
  }
  if (!holdDown) {
    batch.Up(vk, hwScan, extended);
    if (shift) {
      batch.Up(vk::Shift);
    }
    if (ctrl) {
      batch.Up(vk::Control);
    }
    if (alt) {
      batch.Up(vk::Alt);
    }
  }
}

void KeySender::AddKeyCode(KeyBatch& batch, int virtualKey, bool holdDown, bool release,
                           bool compatible) {
  if (virtualKey < 0 || virtualKey > static_cast<int>(kLastKeyCode)) {
    return;
  }
  const auto vk = static_cast<std::uint8_t>(virtualKey);
  const bool extended = !compatible && IsExtendedKey(vk);
  const auto hwScan = static_cast<std::uint8_t>(layout_.ScanCodeOf(vk));
  if (!release) {
    batch.Down(vk, hwScan, extended);
  }
  if (!holdDown) {
    batch.Up(vk, hwScan, extended);
  }
}

void KeySender::SendKey(const std::string& keys, bool holdDown, bool release) {
  KeyBatch batch;
  AddKey(batch, keys, holdDown, release);
  SendBatch(batch);
}

void KeySender::PressKeyCode(int virtualKey, bool holdDown, bool release, bool compatible) {
  KeyBatch batch;
  AddKeyCode(batch, virtualKey, holdDown, release, compatible);
  SendBatch(batch);
}

bool KeySender::SendChord(bool ctrl, bool alt, bool shift, int vKey, std::int32_t pauseMs) {
  // The chord goes out whole, in one batch: no other input comes between its keys, and
  // nothing of the program runs in the middle of it.
  KeySender& keys = *this;
  KeyBatch batch;
  if (ctrl) {
    keys.AddKeyCode(batch, vk::Control, true, false, false);
  }
  if (alt) {
    keys.AddKeyCode(batch, vk::Alt, true, false, false);
  }
  if (shift) {
    keys.AddKeyCode(batch, vk::Shift, true, false, false);
  }
  if (vKey >= 'A' && vKey <= 'Z') {
    keys.AddKey(batch, std::string(1, static_cast<char>(vKey + 32)), false, false);
  } else {
    keys.AddKeyCode(batch, vKey, false, false, false);
  }
  if (ctrl) {
    keys.AddKeyCode(batch, vk::Control, false, true, false);
  }
  if (alt) {
    keys.AddKeyCode(batch, vk::Alt, false, true, false);
  }
  if (shift) {
    keys.AddKeyCode(batch, vk::Shift, false, true, false);
  }
  const bool sent = SendBatch(batch);
  if (pauseMs <= 0) {
    return sent;
  }
  if (pauseMs < kShortPauseMs) {
    loop_.RunPendingEvents();
  } else {
    winutil_.WaitMs(pauseMs, true);
  }
  return sent;
}

}  // namespace varnel
