// Where the program keeps files: folders that end with the separator, and new files that are
// created only where none exists, also with names outside ASCII.
#include <string>

#include "contract/contract.h"

namespace varnel::contract {
namespace {

bool EndsWithSeparator(const std::string& folder) {
  return !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
}

// A name no other run uses at the same time.
std::string ScratchName(Subject& s, const std::string& stem) {
  return "varnel-contract-" + std::to_string(s.driver.OwnProcess()) + "-" + stem;
}

void FoldersEndWithTheSeparator(Subject& s, Check& check) {
  SystemPaths& paths = s.ports.paths;
  struct Folder {
    const char* what;
    std::string path;
  };
  for (const Folder& f : {Folder{"ExecutableFolder", paths.ExecutableFolder()},
                          Folder{"TempFolder", paths.TempFolder()},
                          Folder{"UserConfigFolder", paths.UserConfigFolder()}}) {
    check.Expect(EndsWithSeparator(f.path),
                 std::string(f.what) + " ends with the separator: \"" + f.path + "\"");
  }
}

void NewFilesNeverOpenExistingOnes(Subject& s, Check& check) {
  SystemPaths& paths = s.ports.paths;
  struct Name {
    const char* what;
    std::string stem;
  };
  for (const Name& n : {Name{"an ASCII name", "plain.tmp"},
                        Name{"a name outside ASCII", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.tmp"}}) {
    const std::string path = paths.TempFolder() + ScratchName(s, n.stem);
    const std::string what = std::string(" (") + n.what + ")";
    check.Expect(paths.CreateNewFile(path) == NewFile::Created, "a new file is created" + what);
    check.Expect(paths.CreateNewFile(path) == NewFile::Exists,
                 "asked again, the file exists and is not opened" + what);
    paths.RemoveFile(path);
    check.Expect(paths.CreateNewFile(path) == NewFile::Created,
                 "once removed, the name is free again" + what);
    paths.RemoveFile(path);
  }
}

void NewFileInAMissingFolderFails(Subject& s, Check& check) {
  SystemPaths& paths = s.ports.paths;
  const std::string path = paths.TempFolder() + ScratchName(s, "missing") + "/file.tmp";
  check.Expect(paths.CreateNewFile(path) == NewFile::Failed,
               "a file in a folder that is not there fails, neither created nor existing");
  paths.RemoveFile(path);  // removing what is not there is no fault
}

void EnvironmentValues(Subject& s, Check& check) {
  SystemPaths& paths = s.ports.paths;
  const std::string name = "VARNEL_CONTRACT_VALUE";
  const std::string value = "x\xC3\xA9 y";
  s.driver.SetEnvironment(name, value);
  check.Expect(
      paths.EnvironmentVariable(name) == value,
      "a value is read whole, outside ASCII too: \"" + paths.EnvironmentVariable(name) + "\"");
  s.driver.SetEnvironment(name, "");
  check.Expect(paths.EnvironmentVariable(name).empty() &&
                   paths.EnvironmentVariable("VARNEL_CONTRACT_NEVER_SET").empty(),
               "an unset variable reads as empty");
}

}  // namespace

std::vector<Case> SystemPathsContract() {
  return {
      {"SystemPaths", "FoldersEndWithTheSeparator", FoldersEndWithTheSeparator},
      {"SystemPaths", "NewFilesNeverOpenExistingOnes", NewFilesNeverOpenExistingOnes},
      {"SystemPaths", "NewFileInAMissingFolderFails", NewFileInAMissingFolderFails},
      {"SystemPaths", "EnvironmentValues", EnvironmentValues},
  };
}

}  // namespace varnel::contract
