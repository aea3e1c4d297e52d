// Varnel's own connection to the X server: window queries, stacking and activation over
// EWMH, and the messages between instances. Used on the user-interface thread only.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/platform.h"

namespace varnel {

// A window message from another instance, as it arrived.
struct InstanceMessage {
  Code msg = 0;
  std::uint32_t wParam = 0, lParam = 0;
  xcb_window_t replyTo = 0;
  std::uint32_t token = 0;
  bool phrase = false;  // a command phrase waits in a property of replyTo
};

class XDisplay {
 public:
  // nullptr when no display can be opened.
  static std::unique_ptr<XDisplay> Connect();
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  xcb_connection_t* Connection() const { return conn_; }
  xcb_window_t Root() const { return root_; }

  // ---- queries
  xcb_window_t ActiveWindow();
  std::vector<xcb_window_t> StackingBottomToTop();
  bool Exists(xcb_window_t w);
  bool Viewable(xcb_window_t w);
  bool Iconic(xcb_window_t w);
  bool Managed(xcb_window_t w);
  bool HasTitleBar(xcb_window_t w);
  Rect RootRect(xcb_window_t w);
  std::string ClassName(xcb_window_t w);
  std::uint32_t Pid(xcb_window_t w);
  std::uint32_t ClientBase(xcb_window_t w) const { return w & ~resourceMask_; }
  // The window manager's frame around w (left, right, top, bottom), asked for before w is
  // mapped and awaited up to waitMs; nullopt when the window manager does not say.
  std::optional<std::array<std::uint32_t, 4>> FrameExtents(xcb_window_t w, std::uint32_t waitMs);
  // The frame the window manager has put around w, as it says now; nullopt before it says.
  std::optional<std::array<std::uint32_t, 4>> CurrentFrameExtents(xcb_window_t w);
  // The property that announces CurrentFrameExtents' changes.
  xcb_atom_t FrameExtentsAtom() const { return ewmh_._NET_FRAME_EXTENTS; }

  // ---- requests to the window manager
  // Asks for the activation and waits up to waitMs for it; true when it happened.
  bool Activate(xcb_window_t w, std::uint32_t waitMs);
  void Raise(xcb_window_t w);
  void SetAbove(xcb_window_t w, bool on);
  void PlaceBelow(xcb_window_t w, xcb_window_t sibling);
  void SetTransientFor(xcb_window_t w, xcb_window_t owner);  // 0 removes it
  void Iconify(xcb_window_t w);
  void Restore(xcb_window_t w);

  // ---- keyboard
  xcb_keysym_t KeysymOf(xcb_keycode_t code, int column = 0);
  xcb_keycode_t KeycodeOf(xcb_keysym_t sym);  // 0 when no key makes it
  // Counts the keyboard-map changes seen (a layout switch with setxkbmap is one); reads the
  // events that have arrived first.
  std::uint32_t KeyboardMapGeneration();
  // The keyboard map's group in force (0 for the first layout of "us,de", 1 for the second),
  // asked of the server; 0 where it has no XKB.
  int KeyboardGroup();
  // The key codes the server knows.
  xcb_keycode_t MinKeycode() const { return minKeycode_; }
  xcb_keycode_t MaxKeycode() const { return maxKeycode_; }
  // Another client holds a passive grab of this key with these modifiers (an X modifier mask).
  bool KeyGrabbedElsewhere(xcb_keycode_t code, std::uint16_t modifiers);
  // The server's key map: bit (code % 8) of byte (code / 8) set while the key is down.
  bool Keymap(std::array<std::uint8_t, 32>& keys);

  // ---- instances
  // Marks w as a running instance's search window.
  void MarkInstanceWindow(xcb_window_t w);
  bool IsInstanceWindow(xcb_window_t w);
  bool SendInstanceMessage(xcb_window_t target, Code msg, std::uint32_t wParam,
                           std::uint32_t lParam, std::uint32_t timeoutMs);
  bool SendPhrase(xcb_window_t target, const std::string& phrase, std::uint32_t timeoutMs);
  // Decodes a ClientMessage that Qt received for one of our windows.
  std::optional<InstanceMessage> DecodeInstanceMessage(const xcb_client_message_event_t& ev);
  std::string TakePhrase(const InstanceMessage& m);
  void Acknowledge(const InstanceMessage& m);

 private:
  XDisplay() = default;
  xcb_atom_t Atom(const char* name);
  std::uint32_t ServerTime();
  xcb_window_t HelperWindow();
  // Reads events of this connection until `match` takes one or the deadline passes.
  bool WaitForEvent(const std::function<bool(xcb_generic_event_t*)>& match,
                    std::uint32_t timeoutMs);
  bool WmSupports(xcb_atom_t atom);
  // Reads the events waiting on this connection without blocking and notes what they change.
  void DrainEvents();
  void NoteEvent(const xcb_generic_event_t* ev);
  void SendToRoot(xcb_window_t about, xcb_atom_t type, std::uint32_t data0);
  // Without a window manager's EWMH lists: what the server itself knows.
  std::vector<xcb_window_t> ClientsInServerOrder();
  xcb_window_t ClientWithin(xcb_window_t w, int depth);
  // The root's child that holds w, or with ToClient the first window on the way there that
  // a window manager marked as its client.
  enum class Climb { ToTopLevel, ToClient };
  xcb_window_t TopLevelOf(xcb_window_t w, Climb climb = Climb::ToTopLevel);
  bool HasWmState(xcb_window_t w);

  xcb_connection_t* conn_ = nullptr;
  xcb_ewmh_connection_t ewmh_{};
  bool ewmhReady_ = false;
  int screenNumber_ = 0;
  xcb_window_t root_ = 0;
  std::uint32_t resourceMask_ = 0;
  xcb_window_t helper_ = 0;
  xcb_key_symbols_t* keysyms_ = nullptr;
  std::uint32_t keyboardMapGeneration_ = 0;
  bool xkbTried_ = false;
  xcb_connection_t* xkbConn_ = nullptr;  // speaks XKB, for the group alone
  xcb_keycode_t minKeycode_ = 8;
  xcb_keycode_t maxKeycode_ = 255;
  std::uint32_t nextToken_ = 1;
  // The window manager's active window as read last; valid until the root property changes.
  xcb_window_t activeWindow_ = 0;
  bool activeKnown_ = false;
  xcb_atom_t atomMsg_ = 0, atomAck_ = 0, atomPhrase_ = 0, atomMarker_ = 0, atomWmState_ = 0,
             atomChangeState_ = 0, atomStamp_ = 0;
};

}  // namespace varnel
