// Process entry on Windows: the command line first, then the resident program.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/program.h"
#include "platform/win32/win_platform.h"
#include "platform/win32/win_text.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return args;
  for (int i = 1; i < argc; ++i) args.push_back(varnel::win::Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

// A windowed program has no console: borrow the caller's when its output is not redirected.
void ConnectConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (AttachConsole(ATTACH_PARENT_PROCESS) == 0) return;
  FILE* f = nullptr;
  freopen_s(&f, "CONOUT$", "w", stdout);
  freopen_s(&f, "CONOUT$", "w", stderr);
  std::ios::sync_with_stdio(true);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 0;
  {
    varnel::win::WinPlatform platform;
    const std::vector<std::string> args = Arguments();
    if (!args.empty()) ConnectConsole();
    if (const auto done = varnel::RunCommandLine(args, platform, std::cout, std::cerr)) {
      status = *done;
    } else {
      varnel::Program program(platform);
      status = program.Run();
    }
    std::cout.flush();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
