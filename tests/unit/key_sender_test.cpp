// Key chords, single characters and single virtual keys reach the input stream in the
// right order, with the right flags, and never leave a key down.
#include <gtest/gtest.h>

#include "core/key_sender.h"

#include "domain/extended_keys.h"
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
  p.voice.keySender->SendChord(c.ctrl, c.alt, c.shift, c.vk, c.pause);
  EXPECT_EQ(KeyLog(), c.expected);
  EXPECT_TRUE(AllKeysUp());
}

// Only keys of the extended block (Home, Left, Delete, right Ctrl ...) carry the extended
// flag; the plain modifiers never do, since an extended Alt is AltGr. The whole chord goes
// out with no yield in it.
INSTANTIATE_TEST_SUITE_P(
    Chords, SendKeyChordTest,
    ::testing::Values(
        ChordCase{"LetterThroughTheLayout", false, false, false, 65, 0, {"+65", "-65"}},
        ChordCase{"CtrlHome", true, false, false, 36, 0, {"+17", "+36x", "-36x", "-17"}},
        ChordCase{"AltLeft", false, true, false, 37, 0, {"+18", "+37x", "-37x", "-18"}},
        ChordCase{"AltF4", false, true, false, 115, 0, {"+18", "+115", "-115", "-18"}},
        ChordCase{"Delete", false, false, false, 46, 0, {"+46x", "-46x"}},
        ChordCase{"Escape", false, false, false, 27, 0, {"+27", "-27"}},
        ChordCase{
            "NumPadAddNotExtended", true, false, false, 107, 0, {"+17", "+107", "-107", "-17"}},
        ChordCase{
            "CtrlShiftTab", true, false, true, 9, 0, {"+17", "+16", "+9", "-9", "-17", "-16"}},
        ChordCase{"AllModifiersReleasedInPressOrder",
                  true,
                  true,
                  true,
                  82,
                  0,
                  {"+17", "+18", "+16", "+82", "-82", "-17", "-18", "-16"}},
        ChordCase{"PauseBelowTenYieldsOnce", false, false, false, 9, 5, {"+9", "-9", "Y"}},
        ChordCase{"NegativePauseReturnsAtOnce", false, false, false, 9, -1, {"+9", "-9"}},
        ChordCase{"KeyOutOfRangeStillReleasesCtrl", true, false, false, 300, 0, {"+17", "-17"}},
        ChordCase{"NegativeKeyStillReleasesAlt", false, true, false, -5, 0, {"+18", "-18"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoiceTest, AChordIsOneBatch) {
  EXPECT_TRUE(p.voice.keySender->SendChord(true, true, true, 'R', 0));
  p.voice.keySender->SendChord(false, true, false, 37, 0);
  std::vector<std::vector<std::int64_t>> batches;
  for (const auto& c : fake.log.Calls("InjectKeys")) batches.push_back(c.args);
  EXPECT_EQ(batches, (std::vector<std::vector<std::int64_t>>{{8, 8}, {4, 4}}));
}

TEST(ExtendedKeys, TheExtendedBlockAndNothingElse) {
  for (const int vk : {33, 34, 35, 36, 37, 38, 39, 40, 45, 46, 111, 163, 165}) {
    EXPECT_TRUE(IsExtendedKey(static_cast<std::uint32_t>(vk))) << vk;
  }
  // Shift, Ctrl, Alt, their left variants, right Shift, Enter, Tab, F4, letters, digits.
  for (const int vk : {16, 17, 18, 160, 161, 162, 164, 13, 9, 115, 65, 48, 107}) {
    EXPECT_FALSE(IsExtendedKey(static_cast<std::uint32_t>(vk))) << vk;
  }
}

struct RefusalCase {
  const char* name;
  int taken;  // events of the batch the system takes
  bool elevated;
  Events expected;  // every key event that went in, the releases included
  const char* message;
};

class ChordRefusedTest : public VoiceTest, public ::testing::WithParamInterface<RefusalCase> {};

// A chord the system takes only in part leaves no key down, says so, and reports it.
TEST_P(ChordRefusedTest, ReleasesWhatWentDownAndTellsTheUser) {
  const RefusalCase& c = GetParam();
  fake.injector.injectLimit = c.taken;
  fake.injector.injectElevated = c.elevated;
  EXPECT_FALSE(p.voice.keySender->SendChord(true, true, false, 115, 0));
  EXPECT_EQ(KeyLog(), c.expected);
  EXPECT_TRUE(AllKeysUp());
  const auto boxes = fake.log.Calls("ShowMessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(c.message), std::string::npos) << boxes[0].text;
  EXPECT_FALSE(p.window.inMessageBox);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ChordRefusedTest,
    ::testing::Values(
        RefusalCase{"NothingWentIn", 0, true, {}, "higher rights"},
        RefusalCase{"ModifiersWentIn", 2, false, {"+17", "+18", "-18", "-17"}, "did not take"},
        RefusalCase{
            "KeyLeftDown", 3, true, {"+17", "+18", "+115", "-115", "-18", "-17"}, "higher rights"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoiceTest, RefusedKeysReleaseTheirOwnPresses) {
  fake.injector.injectLimit = 3;
  p.voice.keySender->SendChord(true, true, false, 115, 0);
  // One follow-up batch releases them; the next chord goes out whole again.
  const auto batches = fake.log.Calls("InjectKeys");
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[1].args, (std::vector<std::int64_t>{3, 3}));
  fake.injector.injectLimit = -1;
  fake.log.Clear();
  p.voice.keySender->SendChord(false, false, false, 9, 0);
  EXPECT_EQ(KeyLog(), (Events{"+9", "-9"}));
}

TEST_F(VoiceTest, ChordScanCodesComeFromTheLayout) {
  p.voice.keySender->SendChord(true, false, false, 'A', 0);
  std::vector<std::vector<std::int64_t>> sent;
  for (const auto& c : fake.log.Calls("SentKey")) sent.push_back(c.args);
  const std::vector<std::vector<std::int64_t>> expected{
      {17, 0x1D, 0, 0}, {65, 0x1E, 0, 0}, {65, 0x1E, 1, 0}, {17, 0x1D, 1, 0}};
  EXPECT_EQ(sent, expected);
}

TEST_F(VoiceTest, PauseOfTenOrMoreWaitsAfterTheChord) {
  const std::uint32_t before = fake.loop.Milliseconds();
  p.voice.keySender->SendChord(false, false, false, 9, 10);
  EXPECT_GE(fake.loop.Milliseconds() - before, 10U);
  const auto& log = fake.log.Entries();
  ASSERT_FALSE(log.empty());
  // The chord went out first; only the wait (sleeps and yields) follows it.
  EXPECT_EQ(KeyLog(false), (Events{"+9", "-9"}));
  EXPECT_EQ(log[0].op, "InjectKeys");
  EXPECT_NE(log.back().op, "SentKey");
}

// A letter the layout cannot type is skipped whole: no stray Shift/Ctrl/Alt, and the chord's
// own modifier comes back up.
TEST_F(VoiceTest, UnmappedLetterSkipsTheKeyAndReleasesModifiers) {
  fake.layout.MoveCharacter('q', std::nullopt);
  p.voice.keySender->SendChord(false, true, false, 'Q', 0);
  EXPECT_EQ(KeyLog(), (Events{"+18", "-18"}));
}

TEST_F(VoiceTest, NoKeystrokeObjectSendsNothing) {
  p.voice.keySender.reset();
  p.OnCommandPhrase("Refresh");
  fake.loop.RunPending();
  EXPECT_TRUE(KeyLog().empty());
}

struct SendKeyCase {
  const char* name;
  std::string key;
  bool hold, release;
  Events expected;
  std::optional<std::optional<KeyPlace>> moved{};  // unset: the fake's US layout
};

class SendKeyTest : public VoiceTest, public ::testing::WithParamInterface<SendKeyCase> {};

TEST_P(SendKeyTest, PressesModifiersTheLayoutNeeds) {
  const SendKeyCase& c = GetParam();
  if (c.moved) {
    fake.layout.MoveCharacter(c.key.front(), *c.moved);
  }
  p.voice.keySender->SendKey(c.key, c.hold, c.release);
  EXPECT_EQ(KeyLog(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, SendKeyTest,
    ::testing::Values(SendKeyCase{"Capital", "A", false, false, {"+16", "+65", "-65", "-16"}},
                      SendKeyCase{"OnlyFirstCharacter", "ab", false, false, {"+65", "-65"}},
                      SendKeyCase{"HoldLeavesKeyAndShiftDown", "A", true, false, {"+16", "+65"}},
                      SendKeyCase{"ReleaseOnly", "A", false, true, {"-65", "-16"}},
                      SendKeyCase{"Empty", "", false, false, {}},
                      // Modifiers come up in the order they went down, not reversed.
                      SendKeyCase{"ShiftCtrlAlt",
                                  "x",
                                  false,
                                  false,
                                  {"+16", "+17", "+18", "+88", "-88", "-16", "-17", "-18"},
                                  KeyPlace{'X', 0, kMaskShift | kMaskCtrl | kMaskAlt}},
                      SendKeyCase{"NoKey", "x", false, false, {}, std::optional<KeyPlace>{}}),
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
  p.voice.keySender->PressKeyVK(c.vk, c.hold, c.release, c.compatible);
  EXPECT_EQ(KeyLog(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PressKeyVkTest,
    ::testing::Values(VkCase{"PageDownHeld", 34, true, false, false, {"+34x"}},
                      VkCase{"PageDownReleased", 34, false, true, false, {"-34x"}},
                      VkCase{"CompatibleNeverExtended", 36, false, false, true, {"+36", "-36"}},
                      VkCase{"AltNeverExtended", 18, false, false, false, {"+18", "-18"}},
                      VkCase{"RightAltExtended", 165, false, false, false, {"+165x", "-165x"}},
                      VkCase{"Tab", 9, false, false, false, {"+9", "-9"}},
                      VkCase{"Negative", -1, false, false, false, {}},
                      VkCase{"TooBig", 256, false, false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnel::testing
