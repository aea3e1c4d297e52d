// What --verbose says of each utterance: the "heard" line other tools read, then one line for
// each check that ran.
#include "listen/heard_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnel::listen {
namespace {

Heard Streamed(const std::string& hypothesis) {
  Heard h;
  h.hypothesis = hypothesis;
  h.match = Match{};
  h.endMs = 5120;
  h.speechMs = 900;
  h.limitMs = 1880;
  h.fastestMsPerPhone = 82.4;
  h.snrDb = 40.2;
  h.riseDb = 41;
  h.decoding = Heard::Decoding::kStreamed;
  h.decodeMs = 3;
  h.streamCpuMs = 120.25;
  h.endCpuMs = 4;
  h.checkCpuMs = 0.5;
  h.frames = 90;
  return h;
}

TEST(ListenHeardLog, SaysWhatWasHeardAndWhy) {
  struct Case {
    const char* name;
    Heard heard;
    std::vector<std::string> lines;
  };
  Heard whole = Streamed("ow_clear ow_receipt");
  whole.match.reset();
  whole.decoding = Heard::Decoding::kWhole;
  whole.denoised = true;
  Heard steady = Streamed("");
  steady.match.reset();
  steady.decoding = Heard::Decoding::kNone;
  steady.steady = true;
  steady.tooLong = true;
  Heard checked = Streamed("delete");
  checked.match.reset();
  checked.rivals.command = 4.25;
  checked.nearestRival = "history";
  checked.refusedFor = "another command came within 10 a frame";
  checked.fitChecked = true;
  checked.fitMs = 12;
  checked.verified = true;
  checked.lmHypothesis = "the lead";
  checked.verifyMs = 300;
  checked.disagreement = "\"lead\" is not \"delete\"";
  Heard fits = Streamed("kill tab");
  fits.fitChecked = true;
  fits.fits = {{"kill", 30, -3.25}, {"tab", 25, 1.5}};
  Heard runOn = Streamed("find next");
  runOn.match.reset();
  runOn.quietAfterSpeechMs = 290;
  runOn.runsOn = true;
  Heard afterPause = Streamed("zoom in");
  afterPause.quietAfterSpeechMs = 1240;
  const std::string cpu =
      "CPU time for \"%s\": 120.2 ms as it came, 4.0 ms at its end, 0.5 ms checking, 90 frames";
  const auto withCpu = [&](const std::string& hyp) {
    std::string line = "varnel-listen: " + cpu;
    line.replace(line.find("%s"), 2, hyp);
    return line;
  };

  const Case cases[] = {
      {"a command decoded as it came",
       Streamed("tab three"),
       {std::string(
            "varnel-listen: heard \"tab three\" at 5120 ms, 900 ms (limit 1880), fastest word 82 "
            "ms "
            "a phone, margin 0.0, SNR 40 dB, rise 41 dB, decoded as it came, finished in 3 ms"),
        withCpu("tab three")}},
      {"other words, decoded whole with the noise taken out",
       whole,
       {std::string(
            "varnel-listen: heard \"ow_clear ow_receipt\" at 5120 ms, 900 ms (limit 1880), fastest "
            "word 82 ms a phone, margin 0.0, SNR 40 dB, rise 41 dB, decoded whole in 3 ms (noise "
            "removed) (not a command)"),
        withCpu("ow_clear ow_receipt")}},
      {"a steady noise, not decoded",
       steady,
       {std::string(
           "varnel-listen: heard \"\" at 5120 ms, 900 ms (limit 1880), fastest word 82 ms a phone, "
           "margin 0.0, SNR 40 dB, rise 41 dB, not decoded (steady noise) (too long) (not a "
           "command)")}},
      {"refused for a rival, a misfit and the language model",
       checked,
       {std::string(
            "varnel-listen: heard \"delete\" at 5120 ms, 900 ms (limit 1880), fastest word 82 ms a "
            "phone, margin 0.0, SNR 40 dB, rise 41 dB, decoded as it came, finished in 3 ms (not a "
            "command)"),
        withCpu("delete"),
        std::string(
            "varnel-listen: rivals of \"delete\": another command (\"history\") 4.2, no command "
            "-1.0 a frame below; refused: another command came within 10 a frame"),
        "varnel-listen: against free phones, \"delete\": no word laid on the speech, in 12 ms",
        std::string(
            "varnel-listen: the language model heard \"the lead\" for \"delete\" in 300 ms; "
            "refused: \"lead\" is not \"delete\"")}},
      {"each word's fit",
       fits,
       {std::string(
            "varnel-listen: heard \"kill tab\" at 5120 ms, 900 ms (limit 1880), fastest word 82 ms "
            "a phone, margin 0.0, SNR 40 dB, rise 41 dB, decoded as it came, finished in 3 ms"),
        withCpu("kill tab"),
        std::string(
            "varnel-listen: against free phones, \"kill tab\": \"kill\" -3.2, \"tab\" 1.5 a frame, "
            "in 0 ms")}},
      {"more of the speech before it",
       runOn,
       {std::string(
            "varnel-listen: heard \"find next\" at 5120 ms, 900 ms (limit 1880), fastest word 82 "
            "ms a phone, margin 0.0, SNR 40 dB, rise 41 dB, decoded as it came, finished in 3 ms "
            "(not a command)"),
        withCpu("find next"),
        "varnel-listen: \"find next\" came 290 ms after other speech; refused: more of that "
        "speech"}},
      {"after a pause of its own",
       afterPause,
       {std::string(
            "varnel-listen: heard \"zoom in\" at 5120 ms, 900 ms (limit 1880), fastest word 82 "
            "ms a phone, margin 0.0, SNR 40 dB, rise 41 dB, decoded as it came, finished in 3 ms"),
        withCpu("zoom in"), "varnel-listen: \"zoom in\" came 1240 ms after other speech"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VerboseLines(c.heard), c.lines) << c.name;
  }
}

}  // namespace
}  // namespace varnel::listen
