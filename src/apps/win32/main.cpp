// Process entry on Windows: the command line first, then the resident program.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "adapters/win32/console_output.h"
#include "adapters/win32/win_platform.h"
#include "adapters/win32/win_text.h"
#include "core/cli.h"
#include "core/program.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) {
    return args;
  }
  for (int i = 1; i < argc; ++i) {
    args.push_back(varnel::win::Narrow(argv[i]));
  }
  LocalFree(argv);
  return args;
}

// Only the Windows build has the console companion; its usage says how to reach it.
constexpr const char* kConsoleNote =
    "\n"
    "In cmd or PowerShell run \"varnel\" (varnel.com beside varnel.exe): the console then\n"
    "waits for the answer and sees the exit code. varnel.exe itself is a windowed program\n"
    "that the console does not wait for.\n";

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 0;
  {
    varnel::win::WinPlatform platform;
    const varnel::Ports ports = platform.AllPorts();
    const std::vector<std::string> args = Arguments();
    std::optional<int> done;
    if (!args.empty()) {
      varnel::win::ConsoleOutput out(STD_OUTPUT_HANDLE);
      varnel::win::ConsoleOutput err(STD_ERROR_HANDLE);
      std::ostream outStream(&out);
      std::ostream errStream(&err);
      done = varnel::RunCommandLine(args, ports, outStream, errStream);
      if (done && (args.front() == "--help" || args.front() == "-h")) {
        outStream << kConsoleNote;
      }
      outStream.flush();
      errStream.flush();
    }
    if (done) {
      status = *done;
    } else {
      varnel::Program program(ports);
      status = program.Run();
    }
  }
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
  return status;
}
