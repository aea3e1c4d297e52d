// The command line's output from a windowed program: UTF-16 to a console, UTF-8 elsewhere.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace varnel::win {

// A stream buffer over one standard handle (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE). A
// console gets the text through WriteConsoleW, so every character shows whatever the
// console's code page; a file or pipe gets the UTF-8 bytes as they are.
class ConsoleOutput final : public std::streambuf {
 public:
  explicit ConsoleOutput(DWORD stdHandle);
  ~ConsoleOutput() override;
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

 protected:
  int_type overflow(int_type ch) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void Flush(bool all);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool console_ = false;
  bool ownHandle_ = false;
  std::string pending_;  // UTF-8 not written yet; never cut inside a character
};

}  // namespace varnel::win
