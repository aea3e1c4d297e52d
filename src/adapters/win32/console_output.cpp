#include "adapters/win32/console_output.h"

#include "adapters/win32/win_text.h"

namespace varnel::win {
namespace {

bool IsConsole(HANDLE h) {
  DWORD mode = 0;
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

// Bytes at the end of `text` that begin a UTF-8 character not complete yet.
std::size_t IncompleteTail(const std::string& text) {
  constexpr std::size_t kLongestSequence = 4;
  for (std::size_t back = 1; back <= kLongestSequence && back <= text.size(); ++back) {
    const auto ch = static_cast<unsigned char>(text[text.size() - back]);
    if ((ch & 0xC0) == 0x80) {
      continue;  // a continuation byte: look further back
    }
    const std::size_t need = ch < 0xC0 ? 1 : ch < 0xE0 ? 2 : ch < 0xF0 ? 3 : 4;
    return need > back ? back : 0;
  }
  return 0;
}

}  // namespace

ConsoleOutput::ConsoleOutput(DWORD stdHandle) {
  handle_ = GetStdHandle(stdHandle);
  const DWORD type = handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN
                                                                           : GetFileType(handle_);
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    return;  // redirected: UTF-8 bytes
  }
  // A windowed program is attached to no console: join the caller's (cmd's, or the console
  // companion's) to write to it.
  AttachConsole(ATTACH_PARENT_PROCESS);
  if (IsConsole(handle_)) {
    console_ = true;
    return;
  }
  if (type == FILE_TYPE_CHAR) {
    return;  // a device such as NUL
  }
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (IsConsole(out)) {
    handle_ = out;
    console_ = true;
    ownHandle_ = true;
  } else if (out != INVALID_HANDLE_VALUE) {
    CloseHandle(out);
  }
}

ConsoleOutput::~ConsoleOutput() {
  Flush(true);
  if (ownHandle_) {
    CloseHandle(handle_);
  }
}

ConsoleOutput::int_type ConsoleOutput::overflow(int_type ch) {
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    pending_ += traits_type::to_char_type(ch);
    if (ch == '\n') {
      Flush(false);
    }
  }
  return traits_type::not_eof(ch);
}

std::streamsize ConsoleOutput::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  if (pending_.find('\n') != std::string::npos) {
    Flush(false);
  }
  return n;
}

int ConsoleOutput::sync() {
  Flush(false);
  return 0;
}

void ConsoleOutput::Flush(bool all) {
  const std::size_t keep = all ? 0 : IncompleteTail(pending_);
  const std::string text = pending_.substr(0, pending_.size() - keep);
  pending_.erase(0, pending_.size() - keep);
  if (text.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
    return;
  }
  if (console_) {
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    DWORD written = 0;
    WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

}  // namespace varnel::win
