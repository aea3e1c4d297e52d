// Every one of the forty commands, recognised, sends exactly its keys.
#include "domain/command_table.h"

#include <gtest/gtest.h>

#include "voice_test_support.h"

namespace varnel::testing {
namespace {

using Strings = std::vector<std::string>;

struct Row {
  std::int32_t id;
  Strings list;  // words recognised with it
  Strings chords;
};

// Commands that call on the program rather than send keys expect none here; their effects
// have tests of their own.
const std::vector<Row> kRows{
    {0, {}, {"93"}},
    {1, {}, {"13"}},
    {2, {"Find"}, {}},
    {3, {}, {}},
    {4, {}, {"Alt+115"}},
    {5, {}, {"27"}},
    {6, {}, {"46"}},
    {7, {}, {"113"}},
    {8, {}, {"116"}},
    {9, {}, {"Ctrl+70", "46"}},
    {10, {"Next Page"}, {"34"}},
    {11, {"Page Up"}, {"33"}},
    {12, {}, {"Ctrl+36"}},
    {13, {}, {"Ctrl+35"}},
    {14, {}, {"32", "8", "13"}},
    {15, {}, {"Shift+114"}},
    {16, {"3"}, {"9", "9", "9"}},
    {17, {"2"}, {"Shift+9", "Shift+9"}},
    {18, {"Select All"}, {"Ctrl+65"}},
    {19, {"2"}, {"Shift+40", "Shift+40"}},
    {20, {"1"}, {"Shift+38"}},
    {21, {"Copy Sel"}, {"Ctrl+67"}},
    {22, {}, {}},
    {23, {}, {}},
    {24, {}, {}},
    {25, {}, {"Ctrl+76", "117", "117"}},
    {26, {}, {"Ctrl+107"}},
    {27, {}, {"Ctrl+109"}},
    {28, {}, {"122"}},
    {29, {}, {"Ctrl+84"}},
    {30, {}, {"Ctrl+Shift+9"}},
    {31, {}, {"Ctrl+9"}},
    {32, {}, {"Ctrl+115"}},
    {33, {}, {"Alt+37"}},
    {34, {}, {"Alt+39"}},
    {35, {}, {"Alt+36"}},
    {36, {"URL Box"}, {"Ctrl+76"}},
    {37, {}, {"Ctrl+68"}},
    {38, {}, {"Ctrl+Alt+82"}},
    {39, {}, {"Ctrl+72"}},
};

class CommandTableTest : public VoiceTest {};

TEST_F(CommandTableTest, EveryCommandSendsItsKeys) {
  ASSERT_EQ(kRows.size(), static_cast<std::size_t>(kVoiceCommandCount));
  p.voice.StartSession();
  ASSERT_TRUE(p.voice.active);
  for (const Row& row : kRows) {
    fake.loop.RunPending();
    fake.log.Clear();
    script->Recognize(row.id, "", row.list);
    fake.loop.RunPending();
    EXPECT_EQ(Chords(), row.chords) << "command " << row.id;
    EXPECT_TRUE(AllKeysUp()) << "command " << row.id;
  }
}

TEST_F(CommandTableTest, RepeatingCommandsWithoutANumberSendNothing) {
  p.voice.StartSession();
  for (std::int32_t id : {16, 17, 19, 20}) {
    for (const Strings& list : {Strings{}, Strings{""}, Strings{"many"}, Strings{"0"}}) {
      fake.log.Clear();
      script->Recognize(id, "", list);
      fake.loop.RunPending();
      EXPECT_TRUE(Chords().empty()) << "command " << id;
    }
  }
}

TEST_F(CommandTableTest, RepeatsPauseAfterEveryChord) {
  p.voice.StartSession();
  fake.loop.RunPending();
  fake.log.Clear();
  script->Recognize(16, "", {"2"});
  fake.loop.RunPending();
  const Strings keys = KeyLog();
  EXPECT_EQ(keys, (Strings{"+9", "-9", "Y", "+9", "-9", "Y"}));
}

}  // namespace
}  // namespace varnel::testing
