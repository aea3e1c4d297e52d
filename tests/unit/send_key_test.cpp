// Key chords, single characters and single virtual keys reach the input stream in the
// right order, with the right flags, and never leave a key down.
#include <gtest/gtest.h>

#include "voice/send_key.h"
#include "voice_test_support.h"

namespace varnel::testing {
namespace {

using Events = std::vector<std::string>;

struct ChordCase {
  const char* name;
  bool ctrl, alt, shift;
  int vk;
  std::int32_t pause;
  Events expected;  // key events and yields, up to the end of the chord's own work
};

class SendKeyChordTest : public VoiceTest, public ::testing::WithParamInterface<ChordCase> {};

TEST_P(SendKeyChordTest, SendsTheEventsInOrder) {
  const ChordCase& c = GetParam();
  SendKeyChord(p, c.ctrl, c.alt, c.shift, c.vk, c.pause);
  EXPECT_EQ(KeyLog(), c.expected);
  EXPECT_TRUE(AllKeysUp());
}

// Modifiers and keys that type nothing (Home, the modifiers themselves) carry the extended
// flag; Tab and letters do not.
INSTANTIATE_TEST_SUITE_P(
    Chords, SendKeyChordTest,
    ::testing::Values(
        ChordCase{"LetterThroughTheLayout", false, false, false, 65, 0, {"+65", "-65"}},
        ChordCase{"CtrlHome", true, false, false, 36, 0, {"+17x", "Y", "+36x", "-36x", "-17x"}},
        ChordCase{"CtrlShiftTab",
                  true,
                  false,
                  true,
                  9,
                  0,
                  {"+17x", "Y", "+16x", "Y", "+9", "-9", "-17x", "-16x"}},
        ChordCase{"AllModifiersReleasedInPressOrder",
                  true,
                  true,
                  true,
                  82,
                  0,
                  {"+17x", "Y", "+18x", "Y", "+16x", "Y", "+82", "-82", "-17x", "-18x", "-16x"}},
        ChordCase{"PauseBelowTenYieldsOnce", false, false, false, 9, 5, {"+9", "-9", "Y"}},
        ChordCase{"NegativePauseReturnsAtOnce", false, false, false, 9, -1, {"+9", "-9"}},
        ChordCase{
            "KeyOutOfRangeStillReleasesCtrl", true, false, false, 300, 0, {"+17x", "Y", "-17x"}},
        ChordCase{"NegativeKeyStillReleasesAlt", false, true, false, -5, 0, {"+18x", "Y", "-18x"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoiceTest, ChordScanCodesComeFromTheLayout) {
  SendKeyChord(p, true, false, false, 'A', 0);
  std::vector<std::vector<std::int64_t>> sent;
  for (const auto& c : fake.Calls("KeybdEvent")) sent.push_back(c.args);
  const std::vector<std::vector<std::int64_t>> expected{
      {17, 0x1D, 1}, {65, 0x1E, 0}, {65, 0x1E, 2}, {17, 0x1D, 3}};
  EXPECT_EQ(sent, expected);
}

TEST_F(VoiceTest, PauseOfTenOrMoreWaitsAfterTheChord) {
  const std::uint32_t before = fake.TickCount();
  SendKeyChord(p, false, false, false, 9, 10);
  EXPECT_GE(fake.TickCount() - before, 10U);
  const auto& log = fake.Log();
  ASSERT_FALSE(log.empty());
  // The chord went out first; only the wait (sleeps and yields) follows it.
  EXPECT_EQ(KeyLog(false), (Events{"+9", "-9"}));
  EXPECT_EQ(log[0].op, "KeybdEvent");
  EXPECT_NE(log.back().op, "KeybdEvent");
}

struct UnmappedCase {
  const char* name;
  std::int16_t scan;
};

class UnmappedLetterTest : public VoiceTest, public ::testing::WithParamInterface<UnmappedCase> {};

// A letter the layout cannot type is skipped whole: no stray Shift/Ctrl/Alt from the bits of
// -1, and the chord's own modifier comes back up.
TEST_P(UnmappedLetterTest, SkipsTheKeyAndReleasesModifiers) {
  fake.SetKeyScan('q', GetParam().scan);
  SendKeyChord(p, false, true, false, 'Q', 0);
  EXPECT_EQ(KeyLog(), (Events{"+18x", "Y", "-18x"}));
}

INSTANTIATE_TEST_SUITE_P(Layouts, UnmappedLetterTest,
                         ::testing::Values(UnmappedCase{"Zero", 0}, UnmappedCase{"MinusOne", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoiceTest, ModifiersReleasedWhenTheKeystrokeObjectGoesDuringAYield) {
  // The search window closing while a chord yields releases the shared object.
  fake.QueueEvent("unload", [this] { p.sendKey.reset(); });
  SendKeyChord(p, true, false, false, 36, 0);
  EXPECT_EQ(KeyLog(), (Events{"+17x", "Y", "+36x", "-36x", "-17x"}));
}

TEST_F(VoiceTest, NoKeystrokeObjectSendsNothing) {
  p.sendKey.reset();
  SendKeyChord(p, true, false, false, 36, 5);
  EXPECT_TRUE(KeyLog().empty());
}

struct SendKeyCase {
  const char* name;
  std::string key;
  bool hold, release;
  std::int16_t scanOverride;  // 0: the fake's US layout
  Events expected;
};

class SendKeyTest : public VoiceTest, public ::testing::WithParamInterface<SendKeyCase> {};

TEST_P(SendKeyTest, PressesModifiersTheLayoutNeeds) {
  const SendKeyCase& c = GetParam();
  if (c.scanOverride != 0) fake.SetKeyScan(c.key.front(), c.scanOverride);
  p.sendKey->SendKey(c.key, c.hold, c.release);
  EXPECT_EQ(KeyLog(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, SendKeyTest,
    ::testing::Values(SendKeyCase{"Capital", "A", false, false, 0, {"+16", "+65", "-65", "-16"}},
                      SendKeyCase{"OnlyFirstCharacter", "ab", false, false, 0, {"+65", "-65"}},
                      SendKeyCase{"HoldLeavesKeyAndShiftDown", "A", true, false, 0, {"+16", "+65"}},
                      SendKeyCase{"ReleaseOnly", "A", false, true, 0, {"-65", "-16"}},
                      SendKeyCase{"Empty", "", false, false, 0, {}},
                      // Modifiers come up in the order they went down, not reversed.
                      SendKeyCase{"ShiftCtrlAlt",
                                  "x",
                                  false,
                                  false,
                                  0x0758,
                                  {"+16", "+17", "+18", "+88", "-88", "-16", "-17", "-18"}},
                      SendKeyCase{"NoKey", "x", false, false, -1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct VkCase {
  const char* name;
  int vk;
  bool hold, release, compatible;
  Events expected;
};

class PressKeyVkTest : public VoiceTest, public ::testing::WithParamInterface<VkCase> {};

TEST_P(PressKeyVkTest, SendsDownAndUp) {
  const VkCase& c = GetParam();
  p.sendKey->PressKeyVK(c.vk, c.hold, c.release, c.compatible);
  EXPECT_EQ(KeyLog(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PressKeyVkTest,
    ::testing::Values(VkCase{"PageDownHeld", 34, true, false, false, {"+34x"}},
                      VkCase{"PageDownReleased", 34, false, true, false, {"-34x"}},
                      VkCase{"CompatibleNeverExtended", 36, false, false, true, {"+36", "-36"}},
                      VkCase{"Tab", 9, false, false, false, {"+9", "-9"}},
                      VkCase{"Negative", -1, false, false, false, {}},
                      VkCase{"TooBig", 256, false, false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnel::testing
