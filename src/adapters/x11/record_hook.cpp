#include "adapters/x11/record_hook.h"

#include <xcb/record.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace varnel {
namespace {

// Recorded events come as the core protocol's wire events, 32 bytes each (xcb's event structs
// add a field of their own after that).
constexpr int kWireEventSize = 32;
constexpr std::size_t kKeycodeOffset = offsetof(xcb_key_press_event_t, detail);
constexpr std::size_t kTimeOffset = offsetof(xcb_key_press_event_t, time);
constexpr std::size_t kStateOffset = offsetof(xcb_key_press_event_t, state);

}  // namespace

struct RecordHook::Connections {
  xcb_connection_t* control = nullptr;  // creates and ends the context
  xcb_connection_t* data = nullptr;     // blocked in the enable request on the reader thread
  xcb_record_context_t context = 0;
};

RecordHook::RecordHook(std::function<void(const RecordedKey&)> deliver)
    : deliver_(std::move(deliver)) {}

RecordHook::~RecordHook() {
  Stop();
}

bool RecordHook::Start() {
  if (running_) {
    return true;
  }
  auto* c = new Connections();
  c->control = xcb_connect(nullptr, nullptr);
  c->data = xcb_connect(nullptr, nullptr);
  auto fail = [&] {
    if (c->control != nullptr) {
      xcb_disconnect(c->control);
    }
    if (c->data != nullptr) {
      xcb_disconnect(c->data);
    }
    delete c;
    return false;
  };
  if (xcb_connection_has_error(c->control) != 0 || xcb_connection_has_error(c->data) != 0) {
    return fail();
  }
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c->control, &xcb_record_id);
  if (ext == nullptr || ext->present == 0) {
    extensionMissing_ = true;
    return fail();
  }

  c->context = xcb_generate_id(c->control);
  xcb_record_range_t range{};
  range.device_events.first = XCB_KEY_PRESS;
  range.device_events.last = XCB_KEY_RELEASE;
  const xcb_record_client_spec_t clients = XCB_RECORD_CS_ALL_CLIENTS;
  xcb_generic_error_t* err = xcb_request_check(
      c->control,
      xcb_record_create_context_checked(c->control, c->context, 0, 1, 1, &clients, &range));
  if (err != nullptr) {
    std::free(err);  // NOLINT: xcb errors are malloc'ed
    return fail();
  }
  c_ = c;
  running_ = true;
  reader_ = std::thread([this] { Read(); });
  return true;
}

void RecordHook::Read() {
  xcb_record_enable_context_cookie_t cookie = xcb_record_enable_context(c_->data, c_->context);
  for (;;) {
    xcb_record_enable_context_reply_t* r =
        xcb_record_enable_context_reply(c_->data, cookie, nullptr);
    if (r == nullptr) {
      break;  // connection closed
    }
    const bool end = r->category == 5;  // XRecordEndOfData
    if (r->category == 0) {             // XRecordFromServer: raw wire events
      const std::uint8_t* data = xcb_record_enable_context_data(r);
      const int len = xcb_record_enable_context_data_length(r);
      for (int off = 0; off + kWireEventSize <= len; off += kWireEventSize) {
        const std::uint8_t type = data[off] & 0x7f;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
          continue;
        }
        RecordedKey k;
        k.keycode = data[off + kKeycodeOffset];
        k.release = type == XCB_KEY_RELEASE;
        std::memcpy(&k.time, data + off + kTimeOffset, sizeof k.time);
        std::memcpy(&k.modifiers, data + off + kStateOffset, sizeof k.modifiers);
        deliver_(k);
      }
    }
    std::free(r);  // NOLINT: xcb replies are malloc'ed
    if (end) {
      break;
    }
  }
}

void RecordHook::Stop() {
  if (!running_) {
    return;
  }
  // Disabling the context makes the server finish the enable request with end-of-data.
  xcb_record_disable_context(c_->control, c_->context);
  xcb_record_free_context(c_->control, c_->context);
  xcb_flush(c_->control);
  if (reader_.joinable()) {
    reader_.join();
  }
  xcb_disconnect(c_->data);
  xcb_disconnect(c_->control);
  delete c_;
  c_ = nullptr;
  running_ = false;
}

}  // namespace varnel
