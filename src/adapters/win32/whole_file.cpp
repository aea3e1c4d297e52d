#include "ports/whole_file.h"

#include <windows.h>

#include <array>
#include <random>

namespace varnel {

namespace {

// Temporary files are named <file>.<kTempHexDigits hex digits>.tmp beside the file.
constexpr std::size_t kTempHexDigits = 16;
constexpr std::wstring_view kTempSuffix = L".tmp";
constexpr int kNameAttempts = 8;
// Indexers, backup and antivirus tools hold files open for moments at a time: the replace is
// tried again for about a second before it counts as failed.
constexpr DWORD kReplaceRetryMs = 1000;
constexpr DWORD kReplaceRetryStepMs = 50;
// No lock shows that a writer is alive: a temporary file this much older than now is a dead one.
constexpr ULONGLONG kStaleTempAge100ns = 60ULL * 10'000'000ULL;

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  bool Close() {
    const bool ok = !Valid() || CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

std::wstring NameOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring TempName(const std::wstring& fileName) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::random_device rd;
  std::wstring name = fileName + L".";
  while (name.size() < fileName.size() + 1 + kTempHexDigits) {
    const unsigned v = rd();
    for (unsigned k = 0; k < 8 && name.size() < fileName.size() + 1 + kTempHexDigits; ++k) {
      name += kHex[(v >> (4 * k)) & 0xFU];
    }
  }
  return name + std::wstring(kTempSuffix);
}

bool IsTempName(std::wstring_view entry, std::wstring_view fileName) {
  if (entry.size() != fileName.size() + 1 + kTempHexDigits + kTempSuffix.size() ||
      CompareStringOrdinal(entry.data(), static_cast<int>(fileName.size()), fileName.data(),
                           static_cast<int>(fileName.size()), TRUE) != CSTR_EQUAL ||
      entry[fileName.size()] != L'.' || !entry.ends_with(kTempSuffix)) {
    return false;
  }
  const std::wstring_view digits = entry.substr(fileName.size() + 1, kTempHexDigits);
  return digits.find_first_not_of(L"0123456789abcdef") == std::wstring_view::npos;
}

ULONGLONG Ticks(const FILETIME& t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32U) | t.dwLowDateTime;
}

void RemoveStaleTemps(const std::wstring& folder, const std::wstring& fileName) {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = folder + L"\\" + fileName + L".*.tmp";
  const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    return;
  }
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        IsTempName(found.cFileName, fileName) &&
        Ticks(now) > Ticks(found.ftLastWriteTime) + kStaleTempAge100ns) {
      DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    }
  } while (FindNextFileW(find, &found) != 0);
  FindClose(find);
}

bool IsBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    constexpr std::size_t kChunk = 1U << 20U;
    const DWORD want = static_cast<DWORD>(bytes.size() < kChunk ? bytes.size() : kChunk);
    DWORD wrote = 0;
    if (WriteFile(h, bytes.data(), want, &wrote, nullptr) == 0 || wrote == 0) {
      return false;
    }
    bytes.remove_prefix(wrote);
  }
  return true;
}

// A filled temporary file beside the file, forced to disk and closed; "" on failure.
std::wstring MakeTemp(const std::wstring& folder, const std::wstring& fileName,
                      std::string_view bytes, FileProblem& problem) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::wstring name = folder + L"\\" + TempName(fileName);
    Handle h(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!h.Valid()) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        continue;
      }
      problem = error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT
                    ? FileProblem::FolderNotWritable
                    : FileProblem::WriteFailed;
      return {};
    }
    const bool written = WriteAll(h.Get(), bytes) && FlushFileBuffers(h.Get()) != 0;
    if (!h.Close() || !written) {
      DeleteFileW(name.c_str());
      problem = FileProblem::WriteFailed;
      return {};
    }
    return name;
  }
  problem = FileProblem::WriteFailed;
  return {};
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  FileRead result;
  const std::wstring wide = Wide(path);
  // Others may go on reading, writing and renaming it meanwhile.
  Handle h(CreateFileW(wide.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.Valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || wide.empty()) {
      return result;
    }
    result.exists = true;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      result.problem = FileProblem::NotAFile;
    } else {
      result.problem = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                           ? FileProblem::InUse
                           : FileProblem::Unreadable;
    }
    return result;
  }
  result.exists = true;
  LARGE_INTEGER size{};
  if (GetFileType(h.Get()) != FILE_TYPE_DISK || GetFileSizeEx(h.Get(), &size) == 0) {
    result.problem = FileProblem::NotAFile;
    return result;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    result.problem = FileProblem::TooLarge;
    return result;
  }
  std::array<char, 65536> chunk{};
  for (;;) {
    DWORD got = 0;
    if (ReadFile(h.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) == 0) {
      result.problem = FileProblem::Unreadable;
      result.bytes.clear();
      return result;
    }
    if (got == 0) {
      return result;
    }
    result.bytes.append(chunk.data(), got);
    if (result.bytes.size() > maxBytes) {
      result.problem = FileProblem::TooLarge;
      result.bytes.clear();
      return result;
    }
  }
}

FileProblem ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  const std::wstring target = Wide(path);
  if (target.empty()) {
    return FileProblem::WriteFailed;
  }
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return FileProblem::NotAFile;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return FileProblem::ReadOnly;
    }
    // Writes the file's own permissions refuse are no reason to wait; a sharing conflict is.
    Handle probe(CreateFileW(target.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.Valid() && GetLastError() == ERROR_ACCESS_DENIED) {
      return FileProblem::ReadOnly;
    }
  }

  const std::wstring folder = FolderOf(target);
  const std::wstring fileName = NameOf(target);
  RemoveStaleTemps(folder, fileName);

  FileProblem problem = FileProblem::None;
  const std::wstring temp = MakeTemp(folder, fileName, bytes, problem);
  if (temp.empty()) {
    return problem;
  }
  DWORD waited = 0;
  for (;;) {
    if (MoveFileExW(temp.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
      return FileProblem::None;
    }
    const DWORD error = GetLastError();
    if (!IsBusy(error) || waited >= kReplaceRetryMs) {
      DeleteFileW(temp.c_str());
      return IsBusy(error) ? FileProblem::InUse : FileProblem::WriteFailed;
    }
    Sleep(kReplaceRetryStepMs);
    waited += kReplaceRetryStepMs;
  }
}

bool FolderAcceptsNewFiles(const std::string& folder) {
  const std::wstring wide = Wide(folder);
  if (wide.empty()) {
    return false;
  }
  // Opening the folder for the right to add a file runs the system's own access check
  // (permissions, read-only media) and creates nothing.
  Handle h(CreateFileW(wide.c_str(), FILE_ADD_FILE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.Valid()) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(h.Get(), &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace varnel
