// Key injection on X11 through the XTEST extension, for the key codes the logic works with:
// which key types a character, a key's scan code and character, and a key sent down or up.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <cstdint>

namespace varnel {

class XTestInjector {
 public:
  // Uses `connection`; closes it at the end when `owns` is true (an owned connection that
  // failed is opened again on $DISPLAY). With a connection of its
  // own the injector reads that connection's events itself and so follows keyboard-map
  // changes; with a shared one the owner forwards events through HandleEvent.
  explicit XTestInjector(xcb_connection_t* connection, bool owns = false);
  XTestInjector(const XTestInjector&) = delete;
  XTestInjector& operator=(const XTestInjector&) = delete;
  ~XTestInjector();

  // The server has the XTEST extension; without it nothing is injected.
  bool Available() const { return available_; }

  // Low byte: virtual key of the key producing ch; 0x100 Shift, 0x200 Ctrl, 0x400 Alt needed.
  // -1 when no key on the current map produces it.
  std::int16_t VkKeyScan(char ch);
  // Mode 0: the key's scan code (X keycode - 8), 0 when the map has no such key. Mode 2: the
  // character the key produces, 0 for keys that produce none. Other modes: 0.
  std::uint32_t MapVirtualKey(std::uint32_t code, std::uint32_t mode);
  // One key-down or key-up; keys missing from the map are skipped.
  void SendKey(std::uint8_t vk, bool up);

  // Takes note of MappingNotify; returns true when the event was one.
  bool HandleEvent(const xcb_generic_event_t* event);
  // Reloads the keyboard and modifier maps.
  void Refresh();

  // The X keycode a virtual key is sent as, 0 when none.
  xcb_keycode_t KeycodeOf(std::uint8_t vk);

  // The keyboard map's group in force (the layout a desktop switched to among those of one
  // map): characters and keys are looked up in it.
  void SetGroup(int group);

 private:
  void DrainOwnEvents();
  void LoadModifiers();
  xcb_keycode_t KeycodeForKeysym(xcb_keysym_t sym, int* column);

  xcb_connection_t* c_;
  bool owns_;
  bool available_ = false;
  xcb_key_symbols_t* syms_ = nullptr;
  xcb_keycode_t minKeycode_ = 8;
  xcb_keycode_t maxKeycode_ = 255;
  // The keys the modifier map holds for Shift, Control and Alt.
  xcb_keycode_t shiftKey_ = 0;
  xcb_keycode_t ctrlKey_ = 0;
  xcb_keycode_t altKey_ = 0;
  std::array<xcb_keycode_t, 256> cache_{};  // vk -> keycode, 0 = not looked up or none
  std::array<bool, 256> cached_{};
  int group_ = 0;
  int Column(int level) const;  // a level's column of the group in the core map
};

// The character a virtual key produces on a US layout (MapVirtualKey mode 2), 0 when none.
std::uint32_t CharForVk(std::uint8_t vk);

}  // namespace varnel
