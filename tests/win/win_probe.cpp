// What the Wine tests ask of the system: an executable's version resource, manifest and icon
// sizes, window places and sizes, the screen, the foreground window, and activation from
// another process. One question per run; answers as "key=value" lines on stdout.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

int Version(const wchar_t* exe) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
  if (size == 0) return 1;
  std::vector<char> block(size);
  if (GetFileVersionInfoW(exe, 0, size, block.data()) == 0) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) != 0) {
    std::printf("FixedFileVersion=%d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
    std::printf("FixedProductVersion=%d.%d.%d.%d\n", HIWORD(fixed->dwProductVersionMS),
                LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                LOWORD(fixed->dwProductVersionLS));
  }
  for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"FileVersion", L"LegalCopyright",
                             L"ProductName", L"ProductVersion", L"OriginalFilename"}) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    wchar_t* value = nullptr;
    if (VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &len) != 0) {
      std::printf("%s=%s\n", Narrow(key).c_str(), Narrow(value).c_str());
    }
  }
  return 0;
}

int Manifest(const wchar_t* exe) {
  HMODULE m =
      LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (m == nullptr) return 1;
  HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  if (r == nullptr) return 1;
  const auto* data = static_cast<const char*>(LockResource(LoadResource(m, r)));
  std::fwrite(data, 1, SizeofResource(m, r), stdout);
  return 0;
}

#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
struct GroupHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

int Icons(const wchar_t* exe) {
  HMODULE m =
      LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (m == nullptr) return 1;
  HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  if (r == nullptr) return 1;
  const auto* group = static_cast<const GroupHeader*>(LockResource(LoadResource(m, r)));
  const auto* entries = reinterpret_cast<const GroupEntry*>(group + 1);
  for (WORD i = 0; i < group->count; ++i) {
    const int size = entries[i].width == 0 ? 256 : entries[i].width;
    HRSRC icon = FindResourceW(m, MAKEINTRESOURCEW(entries[i].id), MAKEINTRESOURCEW(3));
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(m, icon)));
    const bool png = bytes != nullptr && bytes[0] == 0x89 && bytes[1] == 'P';
    std::printf("icon=%d%s\n", size, png ? " png" : "");
  }
  return 0;
}

int Screen() {
  std::printf("virtual=%d,%d,%d,%d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
              GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
              GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM) -> BOOL {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(m, &mi);
        std::printf("monitor=%ld,%ld,%ld,%ld work=%ld,%ld,%ld,%ld\n", mi.rcMonitor.left,
                    mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom, mi.rcWork.left,
                    mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom);
        return TRUE;
      },
      0);
  return 0;
}

HWND Window(const wchar_t* cls) {
  return FindWindowW(cls, nullptr);
}

int Rect(const wchar_t* cls) {
  HWND h = Window(cls);
  RECT r{};
  if (h == nullptr || GetWindowRect(h, &r) == 0) return 1;
  std::printf("rect=%ld,%ld,%ld,%ld visible=%d\n", r.left, r.top, r.right, r.bottom,
              IsWindowVisible(h) != 0 ? 1 : 0);
  return 0;
}

int Move(const wchar_t* cls, int x, int y) {
  HWND h = Window(cls);
  return h != nullptr && SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != 0 ? 0
                                                                                              : 1;
}

int Place(const wchar_t* cls, int x, int y, int width, int height) {
  HWND h = Window(cls);
  return h != nullptr && SetWindowPos(h, nullptr, x, y, width, height, SWP_NOZORDER) != 0 ? 0 : 1;
}

// The foreground window as Windows counts it, whatever X's focus says under Wine.
int Foreground() {
  wchar_t title[256] = L"";
  GetWindowTextW(GetForegroundWindow(), title, static_cast<int>(std::size(title)));
  std::printf("title=%ls\n", title);
  return 0;
}

int Activate(const wchar_t* cls) {
  HWND h = Window(cls);
  if (h == nullptr) return 1;
  SetForegroundWindow(h);
  return GetForegroundWindow() == h ? 0 : 1;
}

// Runs a command line in a console of this probe's own and prints what it wrote there, as
// a person at that console would read it, and its exit code.
int InConsole(const wchar_t* commandLine) {
  // The answer goes to the probe's caller, not to the console it makes (which takes over
  // the standard handles).
  const HANDLE caller = GetStdHandle(STD_OUTPUT_HANDLE);
  const auto answer = [caller](const std::string& utf8) {
    DWORD written = 0;
    WriteFile(caller, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  };
  // A step that fails says so, so that the caller can tell a console that never came up
  // from a program that wrote nothing.
  const auto failed = [&answer](const char* step) {
    answer(std::string("setup-failed=") + step + " error=" + std::to_string(GetLastError()) + "\n");
    return 1;
  };
  FreeConsole();
  if (AllocConsole() == 0) return failed("AllocConsole");
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return failed("CONOUT$");
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(out, &info) == 0) return failed("GetConsoleScreenBufferInfo");
  const COORD start = info.dwCursorPosition;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring line = commandLine;
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                     &pi) == 0)
    return failed("CreateProcess");
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  GetConsoleScreenBufferInfo(out, &info);
  std::wstring text;
  for (SHORT y = start.Y; y <= info.dwCursorPosition.Y; ++y) {
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(out, row.data(), static_cast<DWORD>(row.size()), COORD{0, y},
                                &read);
    row.resize(read);
    while (!row.empty() && row.back() == L' ') row.pop_back();
    if (!row.empty()) text += row + L"\n";
  }
  answer(Narrow(text) + "exit=" + std::to_string(code) + "\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring what = argv[1];
  if (what == L"version" && argc == 3) return Version(argv[2]);
  if (what == L"manifest" && argc == 3) return Manifest(argv[2]);
  if (what == L"icons" && argc == 3) return Icons(argv[2]);
  if (what == L"screen") return Screen();
  if (what == L"rect" && argc == 3) return Rect(argv[2]);
  if (what == L"move" && argc == 5) return Move(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  if (what == L"place" && argc == 7)
    return Place(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]));
  if (what == L"activate" && argc == 3) return Activate(argv[2]);
  if (what == L"foreground") return Foreground();
  if (what == L"console" && argc == 3) return InConsole(argv[2]);
  return 2;
}
