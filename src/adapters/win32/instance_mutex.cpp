#include "adapters/win32/instance_mutex.h"

#include <lmcons.h>
#include <sddl.h>

#include <optional>
#include <vector>

namespace varnel::win {
namespace {

// The token's user or integrity label, as the system hands it out.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what) {
  DWORD bytes = 0;
  GetTokenInformation(token, what, nullptr, 0, &bytes);
  std::vector<BYTE> data(bytes);
  if (bytes == 0 || GetTokenInformation(token, what, data.data(), bytes, &bytes) == 0) {
    data.clear();
  }
  return data;
}

std::wstring UserSid() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == 0) {
    return {};
  }
  const std::vector<BYTE> user = TokenInformation(token, TokenUser);
  CloseHandle(token);
  if (user.empty()) {
    return {};
  }
  wchar_t* text = nullptr;
  if (ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, &text) ==
      0) {
    return {};
  }
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

std::wstring UserName() {
  wchar_t name[UNLEN + 1] = {};
  DWORD n = UNLEN + 1;
  return GetUserNameW(name, &n) != 0 ? std::wstring(name) : std::wstring(L"user");
}

std::optional<DWORD> IntegrityOf(HANDLE token) {
  const std::vector<BYTE> label = TokenInformation(token, TokenIntegrityLevel);
  if (label.empty()) {
    return std::nullopt;
  }
  PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
  const UCHAR parts = *GetSidSubAuthorityCount(sid);
  if (parts == 0) {
    return std::nullopt;
  }
  return *GetSidSubAuthority(sid, parts - 1U);
}

// Later starts of the same user read the holder's window even when the holder runs elevated,
// whose objects the user's other processes may otherwise not open.
struct ReadableByUser {
  SECURITY_ATTRIBUTES attributes{};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ReadableByUser() {
    const std::wstring sid = UserSid();
    if (sid.empty()) {
      return;
    }
    const std::wstring sddl = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)(A;;GR;;;" + sid + L")";
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                             &descriptor, nullptr) == 0) {
      descriptor = nullptr;
      return;
    }
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor;
  }
  ~ReadableByUser() {
    if (descriptor != nullptr) {
      LocalFree(descriptor);
    }
  }
  ReadableByUser(const ReadableByUser&) = delete;
  ReadableByUser& operator=(const ReadableByUser&) = delete;
  SECURITY_ATTRIBUTES* Get() { return descriptor != nullptr ? &attributes : nullptr; }
};

}  // namespace

std::wstring InstanceMutexName() {
  std::wstring who = UserSid();
  if (who.empty()) {
    who = UserName();
  }
  return L"Local\\Varnel-" + who;
}

InstanceMutex::InstanceMutex()
    : mutexName_(InstanceMutexName()), windowName_(mutexName_ + L"-window") {}

InstanceMutex::~InstanceMutex() {
  if (window_ != nullptr) {
    CloseHandle(window_);
  }
  if (mutex_ != nullptr) {
    CloseHandle(mutex_);
  }
}

InstanceClaim InstanceMutex::Claim() {
  if (mutex_ != nullptr) {
    return InstanceClaim::First;
  }
  // Whoever creates the mutex is first; it lives as long as a handle to it is open.
  HANDLE m = CreateMutexW(nullptr, FALSE, mutexName_.c_str());
  const DWORD error = GetLastError();
  if (m == nullptr) {
    // An elevated holder's mutex exists but is closed to us.
    return error == ERROR_ACCESS_DENIED ? InstanceClaim::Taken : InstanceClaim::Unavailable;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(m);
    return InstanceClaim::Taken;
  }
  mutex_ = m;
  return InstanceClaim::First;
}

void InstanceMutex::Publish(std::uint32_t window) {
  if (mutex_ == nullptr) {
    return;
  }
  if (window_ == nullptr) {
    ReadableByUser access;
    window_ = CreateFileMappingW(INVALID_HANDLE_VALUE, access.Get(), PAGE_READWRITE, 0,
                                 sizeof(window), windowName_.c_str());
    if (window_ == nullptr) {
      return;
    }
  }
  void* view = MapViewOfFile(window_, FILE_MAP_WRITE, 0, 0, sizeof(window));
  if (view == nullptr) {
    return;
  }
  // One aligned 32-bit store: a reader sees 0 or the whole handle.
  InterlockedExchange(static_cast<volatile LONG*>(view), static_cast<LONG>(window));
  UnmapViewOfFile(view);
}

std::uint32_t InstanceMutex::Published() const {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, windowName_.c_str());
  if (mapping == nullptr) {
    return 0;
  }
  std::uint32_t window = 0;
  if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(window))) {
    // An aligned 32-bit load, whole like the holder's store.
    window = *static_cast<const volatile std::uint32_t*>(view);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return window;
}

bool ProcessRunsAbove(DWORD pid) {
  HANDLE own = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) == 0) {
    return false;
  }
  const std::optional<DWORD> ownLevel = IntegrityOf(own);
  CloseHandle(own);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  HANDLE token = nullptr;
  const BOOL opened = OpenProcessToken(process, TOKEN_QUERY, &token);
  const DWORD error = GetLastError();
  CloseHandle(process);
  if (opened == 0) {
    return error == ERROR_ACCESS_DENIED;
  }
  const std::optional<DWORD> level = IntegrityOf(token);
  CloseHandle(token);
  return ownLevel && level && *level > *ownLevel;
}

}  // namespace varnel::win
