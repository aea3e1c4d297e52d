// The desktop's key events, recorded with the RECORD extension on a connection of their own
// and handed to the user-interface thread in order.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace varnel {

struct RecordedKey {
  std::uint8_t keycode = 0;
  bool release = false;
  std::uint32_t time = 0;
  std::uint16_t modifiers = 0;  // the core modifier state the key came with
};

class RecordHook {
 public:
  // `deliver` runs on the reader thread; it must queue the key to the user-interface thread.
  explicit RecordHook(std::function<void(const RecordedKey&)> deliver);
  ~RecordHook();
  RecordHook(const RecordHook&) = delete;
  RecordHook& operator=(const RecordHook&) = delete;

  // Starts recording; false when it cannot, for good where the server has no RECORD
  // extension.
  bool Start();
  bool Running() const { return running_; }
  bool ExtensionMissing() const { return extensionMissing_; }
  void Stop();

 private:
  void Read();

  std::function<void(const RecordedKey&)> deliver_;
  struct Connections;
  Connections* c_ = nullptr;
  std::thread reader_;
  std::atomic<bool> running_{false};
  bool extensionMissing_ = false;
};

}  // namespace varnel
