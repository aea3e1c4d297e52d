// varnel.com, the console companion of the windowed varnel.exe. cmd prefers it for "varnel"
// and waits for a console program, so the command line's output lands before the next
// prompt and %ERRORLEVEL% holds varnel.exe's exit code.
#include <windows.h>

#include <string>

namespace {

constexpr int kCannotStart = 1;

// The arguments part of this process's command line, as typed (quotes kept).
std::wstring ArgumentsPart() {
  const wchar_t* p = GetCommandLineW();
  // The program name ends at the closing quote or the first blank, as the loader reads it.
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') {
      ++p;
    }
    if (*p == L'"') {
      ++p;
    }
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') {
      ++p;
    }
  }
  return p;
}

bool OnlyBlanks(const std::wstring& s) {
  return s.find_first_not_of(L" \t") == std::wstring::npos;
}

// varnel.exe in this program's own folder.
std::wstring WindowedProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) {
      return L"varnel.exe";
    }
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path + L"varnel.exe";
}

void InheritStandardHandles(STARTUPINFOW& si) {
  si.dwFlags |= STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError}) {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) {
      SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
  }
}

void Complain(const std::wstring& text) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  DWORD mode = 0;
  if (GetConsoleMode(err, &mode) != 0) {
    WriteConsoleW(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  WriteFile(err, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int wmain() {
  const std::wstring program = WindowedProgram();
  const std::wstring arguments = ArgumentsPart();
  std::wstring commandLine = L"\"" + program + L"\"" + arguments;
  // Without arguments varnel.exe becomes the resident program: start it and return, as cmd
  // does for a windowed program, rather than hold the console until it ends.
  const bool resident = OnlyBlanks(arguments);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (!resident) {
    InheritStandardHandles(si);
  }
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, resident ? FALSE : TRUE,
                     0, nullptr, nullptr, &si, &pi) == 0) {
    Complain(L"varnel: cannot start " + program + L"\n");
    return kCannotStart;
  }
  CloseHandle(pi.hThread);
  DWORD code = 0;
  if (!resident) {
    // A Ctrl+C in the console is varnel.exe's to see (it shares the console); the
    // companion stays to hand back the exit code.
    SetConsoleCtrlHandler(nullptr, TRUE);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
  }
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}
