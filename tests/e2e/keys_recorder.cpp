// A titled test window that writes every key it receives to a file, one per line: "+vk" for
// a press and "-vk" for a release (Shift, Ctrl and Alt as 16, 17, 18; a key's vk as the
// layout group in force names it), and "down N" with the
// number of keys the server still holds down once the keys have been quiet for a moment.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "adapters/x11/keysym_vk.h"
#include "adapters/x11/xcb_xkb.h"

namespace {

unsigned Generic(unsigned vk) {
  if (vk == 160 || vk == 161) {
    return 16;
  }
  if (vk == 162 || vk == 163) {
    return 17;
  }
  if (vk == 164 || vk == 165) {
    return 18;
  }
  return vk;
}

int KeysDown(xcb_connection_t* c) {
  xcb_query_keymap_reply_t* map = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
  if (map == nullptr) {
    return -1;
  }
  int n = 0;
  for (unsigned char byte : map->keys) {
    n += __builtin_popcount(byte);
  }
  std::free(map);  // NOLINT(cppcoreguidelines-no-malloc)
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: keys_recorder TITLE LOGFILE\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) {
    return 1;
  }
  // As an XKB client, as applications are, its key events carry the layout group in force.
  std::free(xcb_xkb_use_extension_reply(
      c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
  // Appending: the test empties the file between phrases.
  FILE* log = std::fopen(argv[2], "a");
  if (log == nullptr) {
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t win = xcb_generate_id(c);
  const std::uint32_t values[] = {screen->white_pixel,
                                  XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, win, screen->root, 600, 400, 240, 160, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(std::strlen(argv[1])), argv[1]);
  xcb_map_window(c, win);
  xcb_flush(c);
  xcb_key_symbols_t* syms = xcb_key_symbols_alloc(c);

  bool pending = false;  // keys arrived since the last "down" line
  pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
  for (;;) {
    xcb_generic_event_t* ev = xcb_poll_for_event(c);
    if (ev == nullptr) {
      if (xcb_connection_has_error(c) != 0) {
        break;
      }
      if (poll(&fd, 1, 300) == 0 && pending) {
        std::fprintf(log, "down %d\n", KeysDown(c));
        std::fflush(log);
        pending = false;
      }
      continue;
    }
    const std::uint8_t type = ev->response_type & 0x7F;
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
      auto* k = reinterpret_cast<xcb_key_press_event_t*>(ev);
      const unsigned vk = Generic(varnel::VkFromKeysym(xcb_key_symbols_get_keysym(
          syms, k->detail, varnel::CoreMapColumn(varnel::GroupOfModifierBits(k->state), 0))));
      std::fprintf(log, "%c%u\n", type == XCB_KEY_PRESS ? '+' : '-', vk);
      std::fflush(log);
      pending = true;
    }
    std::free(ev);  // NOLINT(cppcoreguidelines-no-malloc)
  }
  xcb_key_symbols_free(syms);
  std::fclose(log);
  xcb_disconnect(c);
  return 0;
}
