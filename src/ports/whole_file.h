// Whole-file reads and replaces, as the settings file needs them: reads bounded in size, and
// replaces that leave either the old file or the new one, whatever happens on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

// Why a file could not be read or replaced.
enum class FileProblem : std::uint8_t {
  None,
  NotAFile,           // a folder or something else that is no plain file stands in its place
  Unreadable,         // it exists but may not be read
  TooLarge,           // over the size the caller accepts
  ReadOnly,           // it may be read but not written
  FolderNotWritable,  // its folder takes no new files
  InUse,              // another program holds it open, still after a second of retries
  WriteFailed,        // anything else: a missing folder, a full disk, an I/O error
};

struct FileRead {
  FileProblem problem = FileProblem::None;
  bool exists = false;
  std::string bytes;
};

// The file's bytes. A missing file is no problem (exists false); a file over maxBytes is not
// read at all.
FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes);

// Replaces the file's contents with `bytes` through a temporary file in the same folder,
// forced to disk before it takes the file's name, so a crash leaves the old file or the new
// one. A link is followed to the real file. A new file is readable and writable by its owner
// alone; an existing one keeps its permissions. Temporary files that writers killed on the
// way left behind are removed first. Nothing changes when it fails.
FileProblem ReplaceWholeFile(const std::string& path, std::string_view bytes);

// The folder exists and the system would let this process add a file to it. Asked without
// creating anything.
bool FolderAcceptsNewFiles(const std::string& folder);

}  // namespace varnel
