#include "adapters/x11/x_display.h"

#include <poll.h>
#include <unistd.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "adapters/x11/xcb_xkb.h"

namespace varnel {
namespace {

template <typename T>
struct FreeDeleter {
  void operator()(T* p) const { std::free(p); }  // NOLINT: xcb replies are malloc'ed
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

constexpr std::uint32_t kSourcePager = 2;  // window managers honour a pager's requests
constexpr std::size_t kMaxPhraseBytes = std::size_t{64} * 1024;
// How deep a window manager's frame may hold its client: twm's holds it directly, some
// nest it one window further.
constexpr int kFrameDepth = 2;
// A bound on walks up the window tree, which a window destroyed meanwhile cannot stretch.
constexpr int kMaxTreeDepth = 64;

std::uint64_t NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::unique_ptr<XDisplay> XDisplay::Connect() {
  int screen = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screen);
  if (c == nullptr || xcb_connection_has_error(c) != 0) {
    if (c != nullptr) {
      xcb_disconnect(c);
    }
    return nullptr;
  }
  std::unique_ptr<XDisplay> d(new XDisplay());
  d->conn_ = c;
  d->screenNumber_ = screen;
  const xcb_setup_t* setup = xcb_get_setup(c);
  d->resourceMask_ = setup->resource_id_mask;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screen && it.rem > 0; ++i) {
    xcb_screen_next(&it);
  }
  d->root_ = it.data->root;
  xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(c, &d->ewmh_);
  d->ewmhReady_ = xcb_ewmh_init_atoms_replies(&d->ewmh_, cookies, nullptr) != 0;
  d->keysyms_ = xcb_key_symbols_alloc(c);
  d->minKeycode_ = setup->min_keycode;
  d->maxKeycode_ = setup->max_keycode;
  // Root property changes tell when the active window must be read again (see ActiveWindow).
  const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(c, d->root_, XCB_CW_EVENT_MASK, &rootMask);
  d->atomMsg_ = d->Atom("_VARNEL_MSG");
  d->atomAck_ = d->Atom("_VARNEL_ACK");
  d->atomPhrase_ = d->Atom("_VARNEL_PHRASE");
  d->atomMarker_ = d->Atom("_VARNEL_INSTANCE");
  d->atomWmState_ = d->Atom("WM_STATE");
  d->atomChangeState_ = d->Atom("WM_CHANGE_STATE");
  d->atomStamp_ = d->Atom("_VARNEL_STAMP");
  return d;
}

XDisplay::~XDisplay() {
  if (xkbConn_ != nullptr) {
    xcb_disconnect(xkbConn_);
  }
  if (keysyms_ != nullptr) {
    xcb_key_symbols_free(keysyms_);
  }
  if (ewmhReady_) {
    xcb_ewmh_connection_wipe(&ewmh_);
  }
  if (helper_ != 0) {
    xcb_destroy_window(conn_, helper_);
  }
  xcb_disconnect(conn_);
}

xcb_atom_t XDisplay::Atom(const char* name) {
  Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
      conn_, xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
      nullptr));
  return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool XDisplay::WmSupports(xcb_atom_t atom) {
  if (!ewmhReady_) {
    return false;
  }
  xcb_ewmh_get_atoms_reply_t atoms;
  if (xcb_ewmh_get_supported_reply(&ewmh_, xcb_ewmh_get_supported(&ewmh_, screenNumber_), &atoms,
                                   nullptr) == 0) {
    return false;
  }
  const bool found =
      std::find(atoms.atoms, atoms.atoms + atoms.atoms_len, atom) != atoms.atoms + atoms.atoms_len;
  xcb_ewmh_get_atoms_reply_wipe(&atoms);
  return found;
}

int XDisplay::KeyboardGroup() {
  // Desktops switch between the layouts of one keyboard map by its group, which the core
  // protocol never tells. XKB is asked on a connection of its own: a client that speaks XKB
  // no longer gets the core protocol's notice of a new keyboard map.
  if (!xkbTried_) {
    xkbTried_ = true;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    Reply<xcb_xkb_use_extension_reply_t> use(
        xcb_connection_has_error(c) != 0
            ? nullptr
            : xcb_xkb_use_extension_reply(
                  c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
                  nullptr));
    if (use && use->supported != 0) {
      xkbConn_ = c;
    } else {
      xcb_disconnect(c);
    }
  }
  if (xkbConn_ == nullptr) {
    return 0;
  }
  Reply<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
      xkbConn_, xcb_xkb_get_state(xkbConn_, XCB_XKB_ID_USE_CORE_KBD), nullptr));
  return state ? state->group : 0;
}

void XDisplay::NoteEvent(const xcb_generic_event_t* ev) {
  if ((ev->response_type & 0x7f) == XCB_MAPPING_NOTIFY) {
    auto* m = const_cast<xcb_mapping_notify_event_t*>(  // NOLINT: xcb takes it non-const
        reinterpret_cast<const xcb_mapping_notify_event_t*>(ev));
    if (keysyms_ != nullptr) {
      xcb_refresh_keyboard_mapping(keysyms_, m);
    }
    ++keyboardMapGeneration_;
    return;
  }
  if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) {
    return;
  }
  const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(ev);
  if (p->window == root_ && ewmhReady_ && p->atom == ewmh_._NET_ACTIVE_WINDOW) {
    activeKnown_ = false;
  }
}

void XDisplay::DrainEvents() {
  while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
    NoteEvent(ev);
    std::free(ev);  // NOLINT: xcb events are malloc'ed
  }
}

xcb_window_t XDisplay::ActiveWindow() {
  // The foreground is polled often; while no change of the root property has arrived, the
  // value read last still holds and costs no round trip to the server.
  DrainEvents();
  if (activeKnown_) {
    return activeWindow_;
  }
  xcb_window_t w = 0;
  if (ewmhReady_ &&
      xcb_ewmh_get_active_window_reply(&ewmh_, xcb_ewmh_get_active_window(&ewmh_, screenNumber_),
                                       &w, nullptr) != 0) {
    activeWindow_ = w;
    activeKnown_ = true;  // a change made meanwhile is queued as an event and undoes this
    return w;
  }
  // Without an EWMH window manager: the client holding the input focus, the one a window
  // manager marks with WM_STATE inside its frame, or with none running the top-level window.
  Reply<xcb_get_input_focus_reply_t> f(
      xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
  if (!f || f->focus == XCB_NONE || f->focus == root_ || f->focus == XCB_INPUT_FOCUS_POINTER_ROOT) {
    return 0;
  }
  return TopLevelOf(f->focus, Climb::ToClient);
}

bool XDisplay::HasWmState(xcb_window_t w) {
  Reply<xcb_get_property_reply_t> p(xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, w, atomWmState_, atomWmState_, 0, 0), nullptr));
  return p && p->type == atomWmState_;
}

xcb_window_t XDisplay::ClientWithin(xcb_window_t w, int depth) {
  if (HasWmState(w)) {
    return w;
  }
  if (depth == 0) {
    return 0;
  }
  Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(conn_, xcb_query_tree(conn_, w), nullptr));
  if (!t) {
    return 0;
  }
  const xcb_window_t* children = xcb_query_tree_children(t.get());
  for (int i = xcb_query_tree_children_length(t.get()) - 1; i >= 0; --i) {
    if (const xcb_window_t client = ClientWithin(children[i], depth - 1)) {
      return client;
    }
  }
  return 0;
}

std::vector<xcb_window_t> XDisplay::ClientsInServerOrder() {
  Reply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(conn_, xcb_query_tree(conn_, root_), nullptr));
  if (!tree) {
    return {};
  }
  // The root's children come bottom to top; their attributes are asked for all at once.
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  std::vector<xcb_get_window_attributes_cookie_t> asked;
  asked.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    asked.push_back(xcb_get_window_attributes(conn_, children[i]));
  }
  std::vector<xcb_window_t> shown;
  for (int i = 0; i < count; ++i) {
    Reply<xcb_get_window_attributes_reply_t> a(
        xcb_get_window_attributes_reply(conn_, asked[static_cast<std::size_t>(i)], nullptr));
    if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && a->override_redirect == 0 &&
        a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
      shown.push_back(children[i]);
    }
  }
  // A window manager marks every client; its own windows and frames it leaves unmarked.
  std::vector<xcb_window_t> marked;
  for (const xcb_window_t w : shown) {
    if (const xcb_window_t client = ClientWithin(w, kFrameDepth)) {
      marked.push_back(client);
    }
  }
  return marked.empty() ? shown : marked;
}

xcb_window_t XDisplay::TopLevelOf(xcb_window_t w, Climb climb) {
  xcb_window_t cur = w;
  for (int i = 0; i < kMaxTreeDepth; ++i) {
    if (climb == Climb::ToClient && HasWmState(cur)) {
      return cur;
    }
    Reply<xcb_query_tree_reply_t> t(
        xcb_query_tree_reply(conn_, xcb_query_tree(conn_, cur), nullptr));
    if (!t || t->parent == root_ || t->parent == XCB_NONE) {
      return cur;
    }
    cur = t->parent;
  }
  return cur;
}

std::vector<xcb_window_t> XDisplay::StackingBottomToTop() {
  std::vector<xcb_window_t> out;
  xcb_ewmh_get_windows_reply_t list;
  if (ewmhReady_ &&
      xcb_ewmh_get_client_list_stacking_reply(
          &ewmh_, xcb_ewmh_get_client_list_stacking(&ewmh_, screenNumber_), &list, nullptr) != 0) {
    out.assign(list.windows, list.windows + list.windows_len);
    xcb_ewmh_get_windows_reply_wipe(&list);
    return out;
  }
  return ClientsInServerOrder();
}

bool XDisplay::Exists(xcb_window_t w) {
  if (w == 0) {
    return false;
  }
  Reply<xcb_get_window_attributes_reply_t> a(
      xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, w), nullptr));
  return a != nullptr;
}

bool XDisplay::Viewable(xcb_window_t w) {
  if (w == 0) {
    return false;
  }
  Reply<xcb_get_window_attributes_reply_t> a(
      xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, w), nullptr));
  return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XDisplay::Iconic(xcb_window_t w) {
  if (w == 0) {
    return false;
  }
  Reply<xcb_get_property_reply_t> p(xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, w, atomWmState_, atomWmState_, 0, 2), nullptr));
  if (p && xcb_get_property_value_length(p.get()) >= 4) {
    std::uint32_t state = 0;
    std::memcpy(&state, xcb_get_property_value(p.get()), 4);
    if (state == XCB_ICCCM_WM_STATE_ICONIC) {
      return true;
    }
  }
  if (!ewmhReady_) {
    return false;
  }
  xcb_ewmh_get_atoms_reply_t states;
  if (xcb_ewmh_get_wm_state_reply(&ewmh_, xcb_ewmh_get_wm_state(&ewmh_, w), &states, nullptr) ==
      0) {
    return false;
  }
  const bool hidden = std::find(states.atoms, states.atoms + states.atoms_len,
                                ewmh_._NET_WM_STATE_HIDDEN) != states.atoms + states.atoms_len;
  xcb_ewmh_get_atoms_reply_wipe(&states);
  return hidden;
}

bool XDisplay::Managed(xcb_window_t w) {
  if (w == 0) {
    return false;
  }
  xcb_ewmh_get_windows_reply_t list;
  if (!ewmhReady_ ||
      xcb_ewmh_get_client_list_reply(&ewmh_, xcb_ewmh_get_client_list(&ewmh_, screenNumber_), &list,
                                     nullptr) == 0) {
    const std::vector<xcb_window_t> clients = ClientsInServerOrder();
    return std::find(clients.begin(), clients.end(), w) != clients.end();
  }
  const bool found = std::find(list.windows, list.windows + list.windows_len, w) !=
                     list.windows + list.windows_len;
  xcb_ewmh_get_windows_reply_wipe(&list);
  return found;
}

bool XDisplay::HasTitleBar(xcb_window_t w) {
  if (!Managed(w)) {
    return false;
  }
  xcb_ewmh_get_atoms_reply_t types;
  if (xcb_ewmh_get_wm_window_type_reply(&ewmh_, xcb_ewmh_get_wm_window_type(&ewmh_, w), &types,
                                        nullptr) != 0) {
    bool framed = types.atoms_len == 0;
    for (std::uint32_t i = 0; i < types.atoms_len; ++i) {
      if (types.atoms[i] == ewmh_._NET_WM_WINDOW_TYPE_NORMAL ||
          types.atoms[i] == ewmh_._NET_WM_WINDOW_TYPE_DIALOG) {
        framed = true;
      }
    }
    xcb_ewmh_get_atoms_reply_wipe(&types);
    if (!framed) {
      return false;
    }
  }
  xcb_ewmh_get_utf8_strings_reply_t name;
  if (xcb_ewmh_get_wm_name_reply(&ewmh_, xcb_ewmh_get_wm_name(&ewmh_, w), &name, nullptr) != 0) {
    const bool titled = name.strings_len > 0;
    xcb_ewmh_get_utf8_strings_reply_wipe(&name);
    if (titled) {
      return true;
    }
  }
  xcb_icccm_get_text_property_reply_t legacy;
  if (xcb_icccm_get_wm_name_reply(conn_, xcb_icccm_get_wm_name(conn_, w), &legacy, nullptr) != 0) {
    const bool titled = legacy.name_len > 0;
    xcb_icccm_get_text_property_reply_wipe(&legacy);
    return titled;
  }
  return false;
}

Rect XDisplay::RootRect(xcb_window_t w) {
  Reply<xcb_get_geometry_reply_t> g(
      xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, w), nullptr));
  if (!g) {
    return {};
  }
  Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(
      conn_, xcb_translate_coordinates(conn_, w, root_, 0, 0), nullptr));
  if (!t) {
    return {};
  }
  return {t->dst_x, t->dst_y, t->dst_x + g->width, t->dst_y + g->height};
}

std::optional<std::array<std::uint32_t, 4>> XDisplay::FrameExtents(xcb_window_t w,
                                                                   std::uint32_t waitMs) {
  if (!ewmhReady_ || !WmSupports(ewmh_._NET_REQUEST_FRAME_EXTENTS)) {
    return std::nullopt;
  }
  xcb_ewmh_request_frame_extents(&ewmh_, screenNumber_, w);
  xcb_flush(conn_);
  constexpr auto kPoll = std::chrono::milliseconds(2);
  const std::uint64_t start = NowMs();
  do {
    if (auto extents = CurrentFrameExtents(w)) {
      return extents;
    }
    std::this_thread::sleep_for(kPoll);
  } while (NowMs() - start < waitMs);
  return std::nullopt;
}

std::optional<std::array<std::uint32_t, 4>> XDisplay::CurrentFrameExtents(xcb_window_t w) {
  if (!ewmhReady_) {
    return std::nullopt;
  }
  xcb_ewmh_get_extents_reply_t e{};
  if (xcb_ewmh_get_frame_extents_reply(&ewmh_, xcb_ewmh_get_frame_extents(&ewmh_, w), &e,
                                       nullptr) == 0) {
    return std::nullopt;
  }
  return std::array<std::uint32_t, 4>{e.left, e.right, e.top, e.bottom};
}

std::string XDisplay::ClassName(xcb_window_t w) {
  xcb_icccm_get_wm_class_reply_t cls;
  if (xcb_icccm_get_wm_class_reply(conn_, xcb_icccm_get_wm_class(conn_, w), &cls, nullptr) == 0) {
    return "";
  }
  std::string out = cls.class_name != nullptr ? cls.class_name : "";
  xcb_icccm_get_wm_class_reply_wipe(&cls);
  return out;
}

std::uint32_t XDisplay::Pid(xcb_window_t w) {
  std::uint32_t pid = 0;
  if (!ewmhReady_ ||
      xcb_ewmh_get_wm_pid_reply(&ewmh_, xcb_ewmh_get_wm_pid(&ewmh_, w), &pid, nullptr) == 0) {
    return 0;
  }
  return pid;
}

xcb_window_t XDisplay::HelperWindow() {
  if (helper_ != 0) {
    return helper_;
  }
  helper_ = xcb_generate_id(conn_);
  const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(conn_, XCB_COPY_FROM_PARENT, helper_, root_, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(conn_);
  return helper_;
}

bool XDisplay::WaitForEvent(const std::function<bool(xcb_generic_event_t*)>& match,
                            std::uint32_t timeoutMs) {
  const std::uint64_t deadline = NowMs() + timeoutMs;
  xcb_flush(conn_);
  for (;;) {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
      NoteEvent(ev);
      const bool hit = match(ev);
      std::free(ev);  // NOLINT: xcb events are malloc'ed
      if (hit) {
        return true;
      }
    }
    if (xcb_connection_has_error(conn_) != 0) {
      return false;
    }
    const std::uint64_t now = NowMs();
    if (now >= deadline) {
      return false;
    }
    pollfd pfd{xcb_get_file_descriptor(conn_), POLLIN, 0};
    poll(&pfd, 1, static_cast<int>(deadline - now));
  }
}

std::uint32_t XDisplay::ServerTime() {
  const xcb_window_t h = HelperWindow();
  xcb_change_property(conn_, XCB_PROP_MODE_APPEND, h, atomStamp_, XCB_ATOM_STRING, 8, 0, "");
  std::uint32_t stamp = XCB_CURRENT_TIME;
  WaitForEvent(
      [&](xcb_generic_event_t* ev) {
        if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) {
          return false;
        }
        auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
        if (p->window != h || p->atom != atomStamp_) {
          return false;
        }
        stamp = p->time;
        return true;
      },
      200);
  return stamp;
}

void XDisplay::SendToRoot(xcb_window_t about, xcb_atom_t type, std::uint32_t data0) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = about;
  ev.type = type;
  ev.data.data32[0] = data0;
  xcb_send_event(conn_, 0, root_,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  xcb_flush(conn_);
}

bool XDisplay::Activate(xcb_window_t w, std::uint32_t waitMs) {
  if (!Exists(w)) {
    return false;
  }
  if (ewmhReady_ && WmSupports(ewmh_._NET_ACTIVE_WINDOW)) {
    xcb_ewmh_request_change_active_window(&ewmh_, screenNumber_, w,
                                          static_cast<xcb_ewmh_client_source_type_t>(kSourcePager),
                                          ServerTime(), ActiveWindow());
  } else {
    // A client in a frame goes up with its frame.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn_, TopLevelOf(w), XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(conn_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
  }
  xcb_flush(conn_);
  const std::uint64_t deadline = NowMs() + waitMs;
  for (;;) {
    if (ActiveWindow() == w) {
      return true;
    }
    if (NowMs() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void XDisplay::Raise(xcb_window_t w) {
  if (ewmhReady_ && WmSupports(ewmh_._NET_RESTACK_WINDOW)) {
    xcb_ewmh_request_restack_window(&ewmh_, screenNumber_, w, XCB_NONE, XCB_STACK_MODE_ABOVE);
  } else {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn_, TopLevelOf(w), XCB_CONFIG_WINDOW_STACK_MODE, &above);
  }
  xcb_flush(conn_);
}

void XDisplay::SetAbove(xcb_window_t w, bool on) {
  if (!ewmhReady_) {
    return;
  }
  xcb_ewmh_request_change_wm_state(&ewmh_, screenNumber_, w,
                                   on ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE,
                                   ewmh_._NET_WM_STATE_ABOVE, XCB_NONE,
                                   static_cast<xcb_ewmh_client_source_type_t>(kSourcePager));
  xcb_flush(conn_);
}

void XDisplay::PlaceBelow(xcb_window_t w, xcb_window_t sibling) {
  if (ewmhReady_ && WmSupports(ewmh_._NET_RESTACK_WINDOW)) {
    xcb_ewmh_request_restack_window(&ewmh_, screenNumber_, w, sibling, XCB_STACK_MODE_BELOW);
  } else {
    const std::uint32_t values[] = {sibling, XCB_STACK_MODE_BELOW};
    xcb_configure_window(conn_, w, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                         values);
  }
  xcb_flush(conn_);
}

void XDisplay::SetTransientFor(xcb_window_t w, xcb_window_t owner) {
  if (owner == 0) {
    xcb_delete_property(conn_, w, XCB_ATOM_WM_TRANSIENT_FOR);
  } else {
    xcb_icccm_set_wm_transient_for(conn_, w, owner);
  }
  xcb_flush(conn_);
}

void XDisplay::Iconify(xcb_window_t w) {
  SendToRoot(w, atomChangeState_, XCB_ICCCM_WM_STATE_ICONIC);
}

void XDisplay::Restore(xcb_window_t w) {
  // Activation de-iconifies under every EWMH window manager.
  Activate(w, 0);
}

xcb_keysym_t XDisplay::KeysymOf(xcb_keycode_t code, int column) {
  return keysyms_ != nullptr ? xcb_key_symbols_get_keysym(keysyms_, code, column) : 0;
}

std::uint32_t XDisplay::KeyboardMapGeneration() {
  DrainEvents();
  return keyboardMapGeneration_;
}

bool XDisplay::KeyGrabbedElsewhere(xcb_keycode_t code, std::uint16_t modifiers) {
  // Passive grabs of one key and modifiers are exclusive: ours fails while another holds it.
  xcb_generic_error_t* err =
      xcb_request_check(conn_, xcb_grab_key_checked(conn_, 1, root_, modifiers, code,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  if (err != nullptr) {
    std::free(err);  // NOLINT: xcb errors are malloc'ed
    return true;
  }
  xcb_ungrab_key(conn_, code, root_, modifiers);
  xcb_flush(conn_);
  return false;
}

xcb_keycode_t XDisplay::KeycodeOf(xcb_keysym_t sym) {
  if (keysyms_ == nullptr) {
    return 0;
  }
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(keysyms_, sym);
  if (codes == nullptr) {
    return 0;
  }
  const xcb_keycode_t first = codes[0];
  std::free(codes);  // NOLINT: allocated by xcb-keysyms
  return first == XCB_NO_SYMBOL ? 0 : first;
}

bool XDisplay::Keymap(std::array<std::uint8_t, 32>& keys) {
  Reply<xcb_query_keymap_reply_t> k(
      xcb_query_keymap_reply(conn_, xcb_query_keymap(conn_), nullptr));
  if (!k) {
    return false;
  }
  std::memcpy(keys.data(), k->keys, keys.size());
  return true;
}

void XDisplay::MarkInstanceWindow(xcb_window_t w) {
  const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
  xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, w, atomMarker_, XCB_ATOM_CARDINAL, 32, 1, &pid);
  xcb_flush(conn_);
}

bool XDisplay::IsInstanceWindow(xcb_window_t w) {
  if (w == 0) {
    return false;
  }
  Reply<xcb_get_property_reply_t> p(xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, w, atomMarker_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
  return p && p->type == XCB_ATOM_CARDINAL && xcb_get_property_value_length(p.get()) == 4;
}

bool XDisplay::SendInstanceMessage(xcb_window_t target, Code msg, std::uint32_t wParam,
                                   std::uint32_t lParam, std::uint32_t timeoutMs) {
  // Only a running instance answers; anything else would keep us waiting for nothing.
  if (!IsInstanceWindow(target)) {
    return false;
  }
  const std::uint32_t token = nextToken_++;
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = target;
  ev.type = atomMsg_;
  ev.data.data32[0] = static_cast<std::uint32_t>(msg);
  ev.data.data32[1] = wParam;
  ev.data.data32[2] = lParam;
  ev.data.data32[3] = HelperWindow();
  ev.data.data32[4] = token;
  // An empty event mask delivers to the client that created the target window.
  xcb_send_event(conn_, 0, target, 0, reinterpret_cast<const char*>(&ev));
  return WaitForEvent(
      [&](xcb_generic_event_t* e) {
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
          return false;
        }
        auto* cm = reinterpret_cast<xcb_client_message_event_t*>(e);
        return cm->type == atomAck_ && cm->data.data32[0] == token;
      },
      timeoutMs);
}

bool XDisplay::SendPhrase(xcb_window_t target, const std::string& phrase, std::uint32_t timeoutMs) {
  if (!IsInstanceWindow(target) || phrase.size() > kMaxPhraseBytes) {
    return false;
  }
  const xcb_window_t h = HelperWindow();
  xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, h, atomPhrase_, ewmh_.UTF8_STRING, 8,
                      static_cast<std::uint32_t>(phrase.size()), phrase.data());
  const std::uint32_t token = nextToken_++;
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = target;
  ev.type = atomPhrase_;
  ev.data.data32[3] = h;
  ev.data.data32[4] = token;
  xcb_send_event(conn_, 0, target, 0, reinterpret_cast<const char*>(&ev));
  const bool ok = WaitForEvent(
      [&](xcb_generic_event_t* e) {
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
          return false;
        }
        auto* cm = reinterpret_cast<xcb_client_message_event_t*>(e);
        return cm->type == atomAck_ && cm->data.data32[0] == token;
      },
      timeoutMs);
  if (!ok) {
    xcb_delete_property(conn_, h, atomPhrase_);
  }
  xcb_flush(conn_);
  return ok;
}

std::optional<InstanceMessage> XDisplay::DecodeInstanceMessage(
    const xcb_client_message_event_t& ev) {
  if (ev.format != 32 || (ev.type != atomMsg_ && ev.type != atomPhrase_)) {
    return std::nullopt;
  }
  InstanceMessage m;
  m.phrase = ev.type == atomPhrase_;
  m.msg = static_cast<Code>(ev.data.data32[0]);
  m.wParam = ev.data.data32[1];
  m.lParam = ev.data.data32[2];
  m.replyTo = ev.data.data32[3];
  m.token = ev.data.data32[4];
  return m;
}

std::string XDisplay::TakePhrase(const InstanceMessage& m) {
  Reply<xcb_get_property_reply_t> p(xcb_get_property_reply(
      conn_,
      xcb_get_property(conn_, 1, m.replyTo, atomPhrase_, ewmh_.UTF8_STRING, 0, kMaxPhraseBytes / 4),
      nullptr));
  if (!p || p->type != ewmh_.UTF8_STRING || p->format != 8) {
    return "";
  }
  const int len = xcb_get_property_value_length(p.get());
  return std::string(static_cast<const char*>(xcb_get_property_value(p.get())),
                     static_cast<std::size_t>(std::max(len, 0)));
}

void XDisplay::Acknowledge(const InstanceMessage& m) {
  if (m.replyTo == 0) {
    return;
  }
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = m.replyTo;
  ev.type = atomAck_;
  ev.data.data32[0] = m.token;
  xcb_send_event(conn_, 0, m.replyTo, 0, reinterpret_cast<const char*>(&ev));
  xcb_flush(conn_);
}

}  // namespace varnel
