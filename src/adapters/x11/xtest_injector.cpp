#include "adapters/x11/xtest_injector.h"

#include "adapters/shared/key_scan.h"
#include "adapters/x11/keysym_vk.h"
#include "domain/key_codes.h"
#include "domain/key_masks.h"

#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

namespace varnel {

namespace {

constexpr int kConnectRetries = 10;

// What the keys without a letter or digit type on a US layout.
struct VkChar {
  std::uint8_t vk;
  char ch;
};
constexpr VkChar kChars[] = {
    {8, 8},     {9, 9},     {13, 13},   {27, 27},   {32, ' '},   {106, '*'}, {107, '+'},
    {109, '-'}, {110, '.'}, {111, '/'}, {186, ';'}, {187, '='},  {188, ','}, {189, '-'},
    {190, '.'}, {191, '/'}, {192, '`'}, {219, '['}, {220, '\\'}, {221, ']'}, {222, '\''},
};

template <typename T>
struct FreeDeleter {
  void operator()(T* p) const { std::free(p); }  // NOLINT(cppcoreguidelines-no-malloc)
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter<T>>;

}  // namespace

std::uint32_t CharForVk(std::uint8_t vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    return vk;
  }
  if (vk >= 96 && vk <= 105) {
    return '0' + (vk - 96);
  }
  for (const auto& e : kChars) {
    if (e.vk == vk) {
      return static_cast<unsigned char>(e.ch);
    }
  }
  return 0;
}

XTestInjector::XTestInjector(xcb_connection_t* connection, bool owns)
    : c_(connection), owns_(owns) {
  // A busy server now and then refuses a connection; one of our own is worth a few more tries
  // (on $DISPLAY), since without it no key can be sent all session.
  for (int attempt = 0;
       owns_ && attempt < kConnectRetries && (c_ == nullptr || xcb_connection_has_error(c_) != 0);
       ++attempt) {
    xcb_disconnect(c_);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    c_ = xcb_connect(nullptr, nullptr);
  }
  if (c_ == nullptr || xcb_connection_has_error(c_) != 0) {
    return;
  }
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_test_id);
  available_ = ext != nullptr && ext->present != 0;
  const xcb_setup_t* setup = xcb_get_setup(c_);
  minKeycode_ = setup->min_keycode;
  maxKeycode_ = setup->max_keycode;
  syms_ = xcb_key_symbols_alloc(c_);
  LoadModifiers();
}

XTestInjector::~XTestInjector() {
  if (syms_ != nullptr) {
    xcb_key_symbols_free(syms_);
  }
  if (owns_ && c_ != nullptr) {
    xcb_disconnect(c_);
  }
}

bool XTestInjector::HandleEvent(const xcb_generic_event_t* event) {
  if (event == nullptr || (event->response_type & 0x7F) != XCB_MAPPING_NOTIFY) {
    return false;
  }
  auto* notify =
      const_cast<xcb_mapping_notify_event_t*>(  // NOLINT(cppcoreguidelines-pro-type-const-cast)
          reinterpret_cast<const xcb_mapping_notify_event_t*>(event));
  if (syms_ != nullptr) {
    xcb_refresh_keyboard_mapping(syms_, notify);
  }
  if (notify->request == XCB_MAPPING_MODIFIER || notify->request == XCB_MAPPING_KEYBOARD) {
    LoadModifiers();
  }
  cached_.fill(false);
  return true;
}

void XTestInjector::Refresh() {
  if (c_ == nullptr || xcb_connection_has_error(c_) != 0) {
    return;
  }
  if (syms_ != nullptr) {
    xcb_key_symbols_free(syms_);
  }
  syms_ = xcb_key_symbols_alloc(c_);
  LoadModifiers();
  cached_.fill(false);
}

void XTestInjector::DrainOwnEvents() {
  if (!owns_ || c_ == nullptr) {
    return;
  }
  while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
    HandleEvent(ev);
    std::free(ev);  // NOLINT(cppcoreguidelines-no-malloc)
  }
}

void XTestInjector::LoadModifiers() {
  shiftKey_ = ctrlKey_ = altKey_ = 0;
  if (c_ == nullptr || syms_ == nullptr) {
    return;
  }
  XcbReply<xcb_get_modifier_mapping_reply_t> reply(
      xcb_get_modifier_mapping_reply(c_, xcb_get_modifier_mapping(c_), nullptr));
  if (!reply) {
    return;
  }
  const int perMod = reply->keycodes_per_modifier;
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
  auto first = [&](int mod) -> xcb_keycode_t {
    for (int i = 0; i < perMod; ++i) {
      if (codes[mod * perMod + i] != 0) {
        return codes[mod * perMod + i];
      }
    }
    return 0;
  };
  shiftKey_ = first(0);
  ctrlKey_ = first(2);
  // Alt lives on whichever of Mod1..Mod5 holds an Alt (or Meta) key.
  for (int mod = 3; mod < 8 && altKey_ == 0; ++mod) {
    for (int i = 0; i < perMod; ++i) {
      const xcb_keycode_t kc = codes[mod * perMod + i];
      if (kc == 0) {
        continue;
      }
      const xcb_keysym_t sym = xcb_key_symbols_get_keysym(syms_, kc, 0);
      if (sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L || sym == XK_Meta_R) {
        altKey_ = kc;
        break;
      }
    }
  }
}

xcb_keycode_t XTestInjector::KeycodeForKeysym(xcb_keysym_t sym, int* column) {
  if (syms_ == nullptr || sym == 0) {
    return 0;
  }
  // The group's two levels only: other levels need modifiers we cannot express.
  for (int level = 0; level < 2; ++level) {
    for (int kc = minKeycode_; kc <= maxKeycode_; ++kc) {
      if (xcb_key_symbols_get_keysym(syms_, static_cast<xcb_keycode_t>(kc), Column(level)) == sym) {
        if (column != nullptr) {
          *column = level;
        }
        return static_cast<xcb_keycode_t>(kc);
      }
    }
  }
  return 0;
}

xcb_keycode_t XTestInjector::KeycodeOf(std::uint8_t vk) {
  DrainOwnEvents();
  if (cached_[vk]) {
    return cache_[vk];
  }
  xcb_keycode_t kc = 0;
  switch (vk) {
    case vk::Shift:
      kc = shiftKey_;
      break;
    case vk::Control:
      kc = ctrlKey_;
      break;
    case vk::Alt:
      kc = altKey_;
      break;
    default:
      break;
  }
  if (kc == 0) {
    kc = KeycodeForKeysym(KeysymFromVk(vk), nullptr);
  }
  cache_[vk] = kc;
  cached_[vk] = true;
  return kc;
}

std::int16_t XTestInjector::VkKeyScan(char ch) {
  DrainOwnEvents();
  const auto code = static_cast<unsigned char>(ch);
  xcb_keysym_t sym = 0;
  switch (code) {
    case '\b':
      sym = XK_BackSpace;
      break;
    case '\t':
      sym = XK_Tab;
      break;
    case '\r':
      sym = XK_Return;
      break;
    case '\n':
      // Ctrl+Enter, as on Windows.
      return KeycodeOf(vk::Return) != 0 ? static_cast<std::int16_t>(kKeyScanCtrl | vk::Return)
                                        : std::int16_t{-1};
    case 27:
      sym = XK_Escape;
      break;
    default:
      // Latin-1 characters are their own keysyms.
      if (code >= 0x20 && code != 0x7F) {
        sym = code;
      }
      break;
  }
  int column = 0;
  const xcb_keycode_t kc = KeycodeForKeysym(sym, &column);
  if (kc == 0) {
    return -1;
  }
  // The key's virtual code is named after what it types without Shift.
  const std::uint32_t vk = VkFromKeysym(xcb_key_symbols_get_keysym(syms_, kc, Column(0)));
  if (vk == 0 || vk > 255 || KeycodeOf(static_cast<std::uint8_t>(vk)) != kc) {
    return -1;
  }
  return static_cast<std::int16_t>(vk | (column == 1 ? kKeyScanShift : 0));
}

std::uint32_t XTestInjector::MapVirtualKey(std::uint32_t code, std::uint32_t mode) {
  if (code > 255) {
    return 0;
  }
  const auto vk = static_cast<std::uint8_t>(code);
  if (mode == 0) {
    const xcb_keycode_t kc = KeycodeOf(vk);
    return kc >= 8 ? static_cast<std::uint32_t>(kc - 8) : 0;
  }
  if (mode == 2) {
    return KeycodeOf(vk) != 0 ? CharForVk(vk) : 0;
  }
  return 0;
}

void XTestInjector::SetGroup(int group) {
  if (group != group_) {
    group_ = group;
    cached_.fill(false);
  }
}

int XTestInjector::Column(int level) const {
  return CoreMapColumn(group_, level);
}

void XTestInjector::SendKey(std::uint8_t vk, bool up) {
  if (!available_) {
    return;
  }
  const xcb_keycode_t kc = KeycodeOf(vk);
  if (kc == 0) {
    return;
  }
  const std::uint8_t type = up ? XCB_KEY_RELEASE : XCB_KEY_PRESS;
  xcb_test_fake_input(c_, type, kc, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(c_);
}

}  // namespace varnel
