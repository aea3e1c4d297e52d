#include "core/ini_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "unit/temp_folder.h"

namespace varnel {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::string WithLineEnd(const std::string& text, const std::string& eol) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += eol;
    } else {
      out += c;
    }
  }
  return out;
}

// A file as Windows tools leave it: comments, mixed case, padding, quotes, duplicates.
const std::string kWindowsStyle =
    "; Varnel settings\n"
    "\n"
    "[Application]\n"
    "  AppHwnd = 1234  \n"
    "[history]\n"
    "SearchHistory=\"quoted phrase\"\n"
    "searchhistory=second one\n"
    "Blank =   \n"
    "Half=\"open\n"
    "Lone=\"\n"
    "Inner=a \"b\" c\n"
    "NoEquals\n"
    "[ Spaced ]\n"
    "k=v=w\n";

struct GetCase {
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class IniGet : public testing::TestWithParam<const char*> {};

TEST_P(IniGet, ReadsWindowsStyleFile) {
  const IniFile file = IniFile::Parse(WithLineEnd(kWindowsStyle, GetParam()));
  const GetCase cases[] = {
      {"APPLICATION", "apphwnd", "1234"},
      {"History", "SearchHistory", "quoted phrase"},  // first duplicate wins, quotes dropped
      {"History", "Blank", ""},
      {"History", "Half", "\"open"},
      {"History", "Lone", "\""},
      {"History", "Inner", "a \"b\" c"},
      {"History", "NoEquals", std::nullopt},
      {"Spaced", "K", "v=w"},
      {" spaced ", "k", "v=w"},
      {"History", "AppHwnd", std::nullopt},
      {"Missing", "k", std::nullopt},
      {"Varnel settings", "x", std::nullopt},
  };
  for (const GetCase& c : cases) {
    EXPECT_EQ(file.Get(c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
}

INSTANTIATE_TEST_SUITE_P(LineEnds, IniGet, testing::Values("\n", "\r\n"));

struct SetCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  std::string value;
  std::string after;
};

TEST(IniSet, EditsLikeTheProfileFunctions) {
  const SetCase cases[] = {
      {"creates", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"replaces in place, comments kept", "; c\r\n[S]\r\n  K = old\r\nz=1\r\n", "s", "k", "new",
       "; c\r\n[S]\r\nK=new\r\nz=1\r\n"},
      {"appends to its section", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "k", "v",
       "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\ny=2\r\n"},
      {"empty section", "[S]\r\n; note\r\n", "S", "k", "v", "[S]\r\nk=v\r\n; note\r\n"},
      {"new section at the end", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
      {"first duplicate replaced", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "9", "[S]\r\nk=9\r\nk=2\r\n"},
      {"LF file written with CRLF", "[S]\nk=1\nj=2", "S", "k", "3", "[S]\r\nk=3\r\nj=2\r\n"},
      {"value cut at NUL", "", "S", "k", std::string("ab\0cd", 5), "[S]\r\nk=ab\r\n"},
      {"line breaks cannot forge lines", "[Application]\r\nAppHwnd=1\r\n", "History", "h",
       "x\r\n[Application]\nAppHwnd=5",
       "[Application]\r\nAppHwnd=1\r\n[History]\r\nh=x  [Application] AppHwnd=5\r\n"},
  };
  for (const SetCase& c : cases) {
    IniFile file = IniFile::Parse(c.before);
    file.Set(c.section, c.key, c.value);
    EXPECT_EQ(file.Serialise(), c.after) << c.name;
  }
}

TEST(IniEncoding, ReadsUtf8AndFallsBackToWindows1252) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string value;
  } cases[] = {
      {"utf-8", "[S]\r\nk=caf\xC3\xA9 \xE2\x82\xAC\r\n", "caf\xC3\xA9 \xE2\x82\xAC"},
      {"1252", "[S]\r\nk=caf\xE9 \x80\r\n", "caf\xC3\xA9 \xE2\x82\xAC"},
      {"1252 unassigned byte", "[S]\r\nk=\x81\r\n", "\xC2\x81"},
      {"bom dropped", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "v"},
      {"repeated bom dropped", "\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nk=v\r\n", "v"},
      {"overlong sequence is not utf-8", "[S]\r\nk=\xC0\xAF\r\n", "\xC3\x80\xC2\xAF"},
  };
  for (const Case& c : cases) {
    const IniFile file = IniFile::Parse(c.bytes);
    EXPECT_EQ(file.Get("S", "k"), c.value) << c.name;
    EXPECT_TRUE(IsValidUtf8(file.Serialise())) << c.name;
    EXPECT_FALSE(file.Serialise().starts_with("\xEF\xBB\xBF")) << c.name;
  }
}

// UTF-16 bytes of text, with the byte-order mark first, as Notepad's "Unicode" saves them.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

TEST(IniEncoding, Utf16FilesAreReadAndWrittenBackInTheirEncoding) {
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<std::string> before;  // Get("S", "k") of the file as it is
    std::string after;                  // the file after Set("S", "k", "日本 😀")
  };
  const bool kLe = false;
  const bool kBe = true;
  const Case cases[] = {
      {"little endian", Utf16(u"[S]\r\nk=caf\u00e9 \u20ac\r\n", kLe), "caf\xC3\xA9 \xE2\x82\xAC",
       Utf16(u"[S]\r\nk=\u65e5\u672c \U0001F600\r\n", kLe)},
      {"big endian", Utf16(u"[S]\r\nk=caf\u00e9\r\n", kBe), "caf\xC3\xA9",
       Utf16(u"[S]\r\nk=\u65e5\u672c \U0001F600\r\n", kBe)},
      {"other lines kept, LF ends made CRLF", Utf16(u"; note\n[s]\nK=1\n[T]\nx=\u00e9", kLe), "1",
       Utf16(u"; note\r\n[s]\r\nK=\u65e5\u672c \U0001F600\r\n[T]\r\nx=\u00e9\r\n", kLe)},
      {"only the mark", Utf16(u"", kLe), std::nullopt,
       Utf16(u"[S]\r\nk=\u65e5\u672c \U0001F600\r\n", kLe)},
      {"surrogate pair read", Utf16(u"[S]\r\nk=\U0001F600\r\n", kBe), "\xF0\x9F\x98\x80",
       Utf16(u"[S]\r\nk=\u65e5\u672c \U0001F600\r\n", kBe)},
      {"lone surrogate becomes U+FFFD",
       Utf16(u"[S]\r\nk=a\xD800"
             u"b\r\n",
             kLe),
       "a\xEF\xBF\xBD"
       "b",
       Utf16(u"[S]\r\nk=\u65e5\u672c \U0001F600\r\n", kLe)},
      {"odd last byte dropped", Utf16(u"[S]\r\nk=v\r\n", kLe) + "\x41", "v",
       Utf16(u"[S]\r\nk=\u65e5\u672c \U0001F600\r\n", kLe)},
  };
  for (const Case& c : cases) {
    IniFile file = IniFile::Parse(c.bytes);
    EXPECT_EQ(file.Get("S", "k"), c.before) << c.name;
    file.Set("S", "k", "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(file.Serialise(), c.after) << c.name;
  }
}

TEST(IniEncoding, NamesMatchWithoutRegardToCaseBeyondAscii) {
  const IniFile file =
      IniFile::Parse("[\xC3\x89t\xC3\xA9]\r\n\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87=1\r\n");
  EXPECT_EQ(file.Get("\xC3\xA9T\xC3\x89", "\xD0\xBA\xD0\x9B\xD0\xAE\xD0\xA7"), "1");
}

TEST(Utf8Prefix, NeverCutsASequence) {
  const struct {
    std::string text;
    std::size_t max;
    std::string expected;
  } cases[] = {
      {"h\xC3\xA9llo", 2, "h\xC3\xA9"},
      {"\xE2\x82\xAC"
       "uro",
       1, "\xE2\x82\xAC"},
      {"\xF0\x9F\x98\x80x", 1, "\xF0\x9F\x98\x80"},
      {"abc", 0, ""},
      {"ab", 5, "ab"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8Prefix(c.text, c.max), c.expected) << c.text;
  }
}

TEST(IniSave, ReplacesTheFileWhole) {
  TempFolder dir;
  const std::string path = dir.File("Varnel.cfg");
  WriteBytes(path, "; keep me\r\n[S]\r\nk=old\r\n");
  ASSERT_TRUE(WriteProfileString(path, "S", "k", "new"));
  EXPECT_EQ(ReadBytes(path), "; keep me\r\n[S]\r\nk=new\r\n");
  ASSERT_TRUE(WriteProfileString(path, "T", "x", "1"));
  EXPECT_EQ(ReadProfileString(path, "s", "K"), "new");
  EXPECT_EQ(ReadProfileString(path, "t", "X"), "1");
  // No temporary file is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(IniSave, Utf16FileStaysUtf16OnDisk) {
  TempFolder dir;
  const std::string path = dir.File("Varnel.cfg");
  WriteBytes(path, Utf16(u"[History]\r\nSearchHistory=old\r\n", false));
  EXPECT_EQ(ReadProfileString(path, "History", "SearchHistory"), "old");
  ASSERT_TRUE(WriteProfileString(path, "History", "SearchHistory", "caf\xC3\xA9"));
  EXPECT_EQ(ReadBytes(path), Utf16(u"[History]\r\nSearchHistory=caf\u00e9\r\n", false));
}

// A settings file over 1 MiB is not ours to rewrite: it is read as empty and left as it is.
TEST(IniSave, FileOverTheSizeLimitIsLeftAlone) {
  constexpr std::size_t kLimit = 1024 * 1024;
  const std::string head = "[History]\r\nSearchHistory=old\r\n";
  const struct {
    const char* name;
    std::size_t size;
    bool kept;
  } cases[] = {
      {"at the limit", kLimit, false},
      {"one byte over", kLimit + 1, true},
      {"50 MB", 50 * kLimit, true},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    const std::string path = dir.File("Varnel.cfg");
    const std::string bytes = head + std::string(c.size - head.size() - 2, ';') + "\r\n";
    WriteBytes(path, bytes);
    EXPECT_EQ(ReadProfileString(path, "History", "SearchHistory"),
              c.kept ? std::nullopt : std::optional<std::string>("old"))
        << c.name;
    EXPECT_EQ(WriteProfileString(path, "History", "SearchHistory", "new"), !c.kept) << c.name;
    EXPECT_EQ(ReadBytes(path) == bytes, c.kept) << c.name;
  }
}

// The file holds what the user searched for: new files, and the temporary files on the way,
// are the user's alone. A file that exists keeps the permissions it has.
TEST(IniSave, NewFilesAreTheUsersAlone) {
  namespace fs = std::filesystem;
  TempFolder dir;
  const mode_t oldMask = ::umask(022);
  const std::string fresh = dir.File("Varnel.cfg");
  const bool wrote = WriteProfileString(fresh, "S", "k", "v");
  const std::string shared = dir.File("shared.cfg");
  WriteBytes(shared, "[S]\r\nk=1\r\n");
  fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                  fs::perm_options::replace);
  const bool rewrote = WriteProfileString(shared, "S", "k", "2");
  ::umask(oldMask);
  ASSERT_TRUE(wrote && rewrote);
  EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(shared).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Temporary files of killed writers go at the next write; a live writer's (locked) and other
// programs' files stay.
TEST(IniSave, StaleTemporaryFilesAreRemovedAtTheNextWrite) {
  TempFolder dir;
  const std::string path = dir.File("Varnel.cfg");
  const struct {
    const char* name;
    bool locked;
    bool removed;
  } cases[] = {
      {"Varnel.cfg.0123456789abcdef.tmp", false, true},
      {"Varnel.cfg.fedcba9876543210.tmp", true, false},
      {"Varnel.cfg.notes.tmp", false, false},
      {"Other.cfg.0123456789abcdef.tmp", false, false},
      {"Varnel.cfg.0123456789abcdef.tmp.bak", false, false},
  };
  std::vector<int> held;
  for (const auto& c : cases) {
    WriteBytes(dir.File(c.name), "[History]\r\nSearchHistory=secret\r\n");
    if (c.locked) {
      const int fd = ::open(dir.File(c.name).c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(::flock(fd, LOCK_EX), 0);
      held.push_back(fd);
    }
  }
  ASSERT_TRUE(WriteProfileString(path, "S", "k", "v"));
  for (const auto& c : cases) {
    EXPECT_EQ(std::filesystem::exists(dir.File(c.name)), !c.removed) << c.name;
  }
  for (const int fd : held) {
    ::close(fd);
  }
}

TEST(IniSave, WritesThroughALinkToTheRealFile) {
  TempFolder dir;
  const std::string real = dir.File("real.cfg");
  const std::string link = dir.File("Varnel.cfg");
  WriteBytes(real, "[S]\r\nk=1\r\n");
  std::filesystem::create_symlink(real, link);
  ASSERT_TRUE(WriteProfileString(link, "S", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "[S]\r\nk=2\r\n");
}

TEST(IniSave, FailureChangesNothing) {
  TempFolder dir;
  const std::string notAFolder = dir.File("plain");
  WriteBytes(notAFolder, "x");
  EXPECT_FALSE(WriteProfileString(notAFolder + "/Varnel.cfg", "S", "k", "v"));
  EXPECT_FALSE(WriteProfileString("", "S", "k", "v"));
  EXPECT_FALSE(WriteProfileString(dir.Folder(), "S", "k", "v"));  // a folder, not a file
  EXPECT_EQ(ReadBytes(notAFolder), "x");
  EXPECT_EQ(ReadProfileString(notAFolder + "/Varnel.cfg", "S", "k"), std::nullopt);
}

TEST(IniSave, ReadOnlyFileOrFolderStaysAsItWas) {
  if (test::RunningAsRoot()) {
    GTEST_SKIP() << "permissions do not bind root";
  }
  namespace fs = std::filesystem;
  TempFolder dir;
  const std::string path = dir.File("Varnel.cfg");
  WriteBytes(path, "[S]\r\nk=1\r\n");

  fs::permissions(path, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_FALSE(WriteProfileString(path, "S", "k", "2"));
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::replace);
  EXPECT_FALSE(WriteProfileString(path, "S", "k", "2"));  // unreadable: not overwritten blind
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);

  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec,
                  fs::perm_options::replace);
  EXPECT_FALSE(WriteProfileString(path, "S", "k", "2"));
  EXPECT_EQ(ReadBytes(path), "[S]\r\nk=1\r\n");
}

}  // namespace
}  // namespace varnel
