// Wire format between Varnel and varnel-listen (docs/listen-protocol.md).
//
// A frame is a 4-byte big-endian body length followed by the body; the body is a sequence of
// fields, each a 4-byte big-endian length followed by that many bytes. Header-only so that the
// client compiles without the recogniser's libraries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel::listen {

inline constexpr std::size_t kMaxFrameBody = std::size_t{64} * 1024;
inline constexpr std::size_t kMaxFields = 64;
inline constexpr const char* kSocketName = "varnel-listen.sock";
inline constexpr const char* kProtocolVersion = "1";

// Error numbers carried by "error" replies.
enum ListenError : std::int32_t {
  kErrBadRequest = 1,    // unknown operation or wrong arguments
  kErrBadState = 2,      // operation out of order (no menu, not registered, ...)
  kErrUnknownWord = 3,   // a word has no pronunciation
  kErrUnknownList = 4,   // a command names a list that was not set
  kErrBadText = 5,       // characters the grammar cannot carry
  kErrTooLarge = 6,      // more lists, commands or items than allowed
  kErrNotRunning = 100,  // client side: connect failed
  kErrTimeout = 101,     // client side: no reply in time
  kErrLost = 102,        // client side: connection dropped
  kErrUntrusted = 103,   // client side: the socket or its server is another user's
};

using Fields = std::vector<std::string>;

// Operation names on the wire.
namespace op {
inline constexpr const char* kRegister = "register";
inline constexpr const char* kCreateMenu = "create-menu";
inline constexpr const char* kSetList = "set-list";
inline constexpr const char* kAddCommand = "add-command";
inline constexpr const char* kSetActive = "set-active";
inline constexpr const char* kRemoveCommand = "remove-command";
inline constexpr const char* kReleaseMenu = "release-menu";
inline constexpr const char* kUnregister = "unregister";
inline constexpr const char* kSetAwake = "set-awake";
}  // namespace op

// Event telling whether commands fire ("1") or varnel-listen sleeps until its wake phrase
// ("0").
inline constexpr const char* kAwakeEvent = "awake";

inline void PutU32(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>((v >> 24) & 0xFF));
  out.push_back(static_cast<char>((v >> 16) & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}

inline std::uint32_t GetU32(std::string_view s, std::size_t at) {
  auto b = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i]));
  };
  return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

// Empty optional when the fields do not fit in one frame.
inline std::optional<std::string> EncodeFrame(const Fields& fields) {
  std::string body;
  if (fields.empty() || fields.size() > kMaxFields) {
    return std::nullopt;
  }
  for (const auto& f : fields) {
    PutU32(body, static_cast<std::uint32_t>(f.size()));
    body += f;
    if (body.size() > kMaxFrameBody) {
      return std::nullopt;
    }
  }
  std::string out;
  PutU32(out, static_cast<std::uint32_t>(body.size()));
  return out + body;
}

inline std::optional<Fields> DecodeBody(std::string_view body) {
  Fields fields;
  std::size_t at = 0;
  while (at < body.size()) {
    if (body.size() - at < 4 || fields.size() == kMaxFields) {
      return std::nullopt;
    }
    const std::uint32_t len = GetU32(body, at);
    at += 4;
    if (len > body.size() - at) {
      return std::nullopt;
    }
    fields.emplace_back(body.substr(at, len));
    at += len;
  }
  if (fields.empty()) {
    return std::nullopt;
  }
  return fields;
}

// Collects bytes from a stream and cuts them into frames. Once it has seen a malformed or
// oversized frame it stays failed: the peer is out of step and its connection must close.
class FrameReader {
 public:
  void Append(const char* data, std::size_t n) {
    if (!failed_) {
      buf_.append(data, n);
    }
  }

  // The next complete frame, nullopt when more bytes are needed or the stream failed.
  std::optional<Fields> Next() {
    if (failed_) {
      return std::nullopt;
    }
    if (buf_.size() - pos_ < 4) {
      return Compact();
    }
    const std::uint32_t len = GetU32(buf_, pos_);
    if (len == 0 || len > kMaxFrameBody) {
      failed_ = true;
      return std::nullopt;
    }
    if (buf_.size() - pos_ - 4 < len) {
      return Compact();
    }
    auto fields = DecodeBody(std::string_view(buf_).substr(pos_ + 4, len));
    pos_ += 4 + len;
    if (pos_ == buf_.size()) {
      buf_.clear();
      pos_ = 0;
    }
    if (!fields) {
      failed_ = true;
    }
    return fields;
  }

  bool Failed() const { return failed_; }

 private:
  // Drops consumed bytes so that a trickle of partial frames cannot grow the buffer.
  std::nullopt_t Compact() {
    buf_.erase(0, pos_);
    pos_ = 0;
    return std::nullopt;
  }

  std::string buf_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace varnel::listen
