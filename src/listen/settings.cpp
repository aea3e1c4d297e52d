#include "listen/settings.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "common/listen_protocol.h"

namespace varnel::listen {

std::string DefaultSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    return std::string(runtime) + "/" + kSocketName;
  }
  return "/tmp/varnel-" + std::to_string(getuid()) + "/" + kSocketName;
}

std::string Usage() {
  return "usage: varnel-listen [options]\n"
         "  --input FILE|-          read a sound file (WAV, FLAC, Ogg..., any rate: resampled)\n"
         "                          or raw 16 kHz mono 16-bit audio instead of the\n"
         "                          microphone; - is raw audio on stdin\n"
         "  --socket PATH           socket path (default $XDG_RUNTIME_DIR/varnel-listen.sock)\n"
         "  --model DIR             acoustic model folder\n"
         "  --dict FILE             pronunciation dictionary\n"
         "  --extra-dict FILE       Varnel's own words (default varnel.dic)\n"
         "  --buffer-ms N           microphone read size (30)\n"
         "  --vad-threshold X       voice detector threshold (2.0)\n"
         "  --vad-prespeech N       10 ms frames kept before speech (20)\n"
         "  --vad-postspeech N      10 ms frames of silence that end speech (20)\n"
         "  --vad-startspeech N     10 ms frames of voice that start speech (10)\n"
         "  --no-garbage            no phone loop beside the commands\n"
         "  --garbage-weight X      probability of entering that loop (1e-4)\n"
         "  --phone-weight X        probability of each phone inside it (1e-2)\n"
         "  --word-garbage          a loop of everyday words beside the commands (the default)\n"
         "  --no-word-garbage       no such loop\n"
         "  --word-garbage-weight X probability of entering that loop (3e-2)\n"
         "  --word-weight X         probability of each word inside it (3e-6)\n"
         "  --later-menu-word-weight X  ... of each word of the menu in it, after a word of\n"
         "                          a command or of the loop (1e-4; 0: as the others)\n"
         "  --later-word-weight X   ... of each everyday word in it right after another\n"
         "                          (3e-4; 0: as the first)\n"
         "  --standalone-word-weight X  ... of each word people say on their own (\"okay\",\n"
         "                          \"thanks\") as the first word (1e-2; 0: as the others)\n"
         "  --everyday-words N      how many of the most frequent English words join that\n"
         "                          loop, beside a few hundred picked by hand (0; up to\n"
         "                          10000, dearer in memory and time)\n"
         "  --no-neighbours         no words that sound like the commands' words in that\n"
         "                          loop (by default they join it)\n"
         "  --neighbour-weight X    probability of each of those words as the first word\n"
         "                          of the loop (1e-3)\n"
         "  --closest-neighbour-weight X  ... as the first word, of each one phone edit\n"
         "                          from a command word (1e-2)\n"
         "  --later-neighbour-weight X  ... after a word of a command or of the loop (1e-4)\n"
         "  --later-closest-neighbour-weight X  ... there, of each one phone edit from a\n"
         "                          command word (3e-4)\n"
         "  --neighbour-edits N     phone edits from a command word a neighbour may be (2)\n"
         "  --neighbour-rhymes      rhymes of command words of two syllables or more are\n"
         "                          neighbours (the default)\n"
         "  --no-neighbour-rhymes   ... they are not\n"
         "  --neighbour-vowel-changes  words that differ from a command word in vowels\n"
         "                          alone may be neighbours\n"
         "  --no-neighbour-vowel-changes  ... they may not, since another accent says\n"
         "                          the command so (the default)\n"
         "  --neighbour-compound-phones N  so are words holding a command word whole with\n"
         "                          at most N phones more (3); 0 none\n"
         "  --neighbour-min-phones N  command words of fewer phones have none (4)\n"
         "  --parameter-neighbours  so have the items of a list a command holds beside\n"
         "                          words of its own (\"twelve\" of \"Tab 12\")\n"
         "  --no-parameter-neighbours  ... they have none (the default)\n"
         "  --neighbour-fewer-phones N  neighbours by edits have at most N phones fewer\n"
         "                          than the command word (0)\n"
         "  --neighbours-per-word N  most neighbours of each command word, frequent words\n"
         "                          first (30); 0 all\n"
         "  --destructive-weight X  probability of the word that makes a command\n"
         "                          destructive (\"delete\", \"kill\", \"close\") where a\n"
         "                          command says it (1e-6)\n"
         "  --parameter-weight X    probability of the first word of an item of a list a\n"
         "                          command is said about (\"Tab <Number>\") (0.1); 1 as\n"
         "                          the command's own words\n"
         "  --prefix-weight X       probability of leaving a command for that loop after\n"
         "                          one of its words (3e-4); 0 never\n"
         "  --suffix-weight X       probability of going on into that loop after a whole\n"
         "                          command that ends in a word of its own (3e-3); 0 never\n"
         "  --beam X                decoder state and phone beam (1e-60)\n"
         "  --word-beam X           decoder word-exit beam (1e-48)\n"
         "  --top-n N               Gaussians scored per frame (8)\n"
         "  --adapt                 fit the acoustic model to the voice, learning from\n"
         "                          every command heard (the default)\n"
         "  --no-adapt              ... never\n"
         "  --adapt-after-frames N  first fit after N 10 ms frames of commands (0)\n"
         "  --adapt-prior-frames N  each fit held near the model as if N frames more had\n"
         "                          fitted it unchanged (100)\n"
         "  --adapt-mean-prior-frames N\n"
         "                          then move each Gaussian's mean toward what it heard,\n"
         "                          as if N frames had fitted it unchanged; 0 never (10)\n"
         "  --remove-noise          always subtract the room's noise spectrum before\n"
         "                          decoding; by default only when the speech stands less\n"
         "                          than --remove-noise-below dB above the noise\n"
         "  --no-remove-noise       never subtract it\n"
         "  --remove-noise-below DB that signal-to-noise ratio (30)\n"
         "  --min-speech-rise DB    sound standing less than this above the pause that ends\n"
         "                          it is a steady noise, not speech (3); 0 never\n"
         "  --word-penalty X        decoder word insertion penalty (0.65)\n"
         "  --margin-check          refuse commands that fit much worse than the sounds\n"
         "                          that fit each frame best\n"
         "  --min-margin X          lowest per-frame score of a command against them (-60)\n"
         "  --min-rival-gap X       refuse a command that another command's reading of the\n"
         "                          utterance came within X a frame of (0: never)\n"
         "  --min-other-gap X       ... or a reading as no command came within X (0: never)\n"
         "  --rival-readings N      readings of the lattice weighed, best first (20)\n"
         "  --destructive-rival-gap X  commands with \"delete\", \"kill\" or \"close\" need\n"
         "                          another command's reading at least X below (10)\n"
         "  --destructive-other-gap X  ... and a reading as no command (0)\n"
         "  --ms-per-phone N        slowest pace a command is spoken at (140)\n"
         "  --length-slack-ms N     added to that limit (200)\n"
         "  --fastest-ms-per-phone N  fastest pace a word of three phones or more may be\n"
         "                          spoken at, in ms a phone (45); 0 never refuses\n"
         "  --min-pause-after-speech MS  quiet a command needs after other speech, or it\n"
         "                          is taken as more of that speech (500; 0: never)\n"
         "  --noise-floor N         peak of the hiss added before decoding under a voice at\n"
         "                          the usual level (64); it follows the voice's level\n"
         "  --fixed-noise-floor     the same hiss whatever the voice's level\n"
         "  --whole-utterances      decode each utterance once it has ended, not as it\n"
         "                          arrives (slower to answer after long commands)\n"
         "  --stream-after MS       decode as the audio arrives only once the speech has\n"
         "                          lasted this long; shorter utterances are decoded whole\n"
         "                          at their first pause, but for those in a noisy room\n"
         "                          (0: all but the first as they come)\n"
         "  --sleep                 start asleep: no command fires until the wake phrase\n"
         "  --sleep-phrase TEXT     stops commands firing (\"go to sleep\")\n"
         "  --wake-phrase TEXT      makes them fire again (\"wake up\")\n"
         "  --keep-serving          with --input, go on serving after the input ends\n"
         "  --verify-lm             decode a heard command again with the language model\n"
         "                          and fire it only when its words agree\n"
         "  --no-verify-lm          fire what the grammar heard (the default)\n"
         "  --verify-max-distance X  phone edits a phone the two readings may differ by\n"
         "                          (0.5)\n"
         "  --phone-loop-check      decode a heard command again, forced onto its words and\n"
         "                          as free phones, and refuse it when a word fits much\n"
         "                          worse than the phones (by default only commands with\n"
         "                          \"delete\", \"kill\" or \"close\" are checked)\n"
         "  --no-phone-loop-check   fire what the grammar heard (the default)\n"
         "  --min-word-fit X        lowest score a word may have against the phones, per\n"
         "                          frame (none)\n"
         "  --destructive-min-word-fit X  the same for commands with \"delete\", \"kill\"\n"
         "                          or \"close\" (-20)\n"
         "  --verbose               print each utterance on stderr\n";
}

bool ParseSettings(const std::vector<std::string>& args, Settings& s, std::string& error,
                   bool& help) {
  help = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) {
        throw std::invalid_argument(a + " needs a value");
      }
      return args[++i];
    };
    auto number = [&](double lo, double hi, bool whole = false) {
      const std::string v = value();
      std::size_t used = 0;
      double d = 0;
      try {
        d = std::stod(v, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      // Written so that NaN, which compares false with everything, is refused too.
      if (used != v.size() || !(d >= lo && d <= hi) || (whole && d != std::floor(d))) {
        std::string text = a;
        text.append(": bad value \"").append(v).append("\"");
        throw std::invalid_argument(text);
      }
      return d;
    };
    try {
      if (a == "--help" || a == "-h") {
        help = true;
      } else if (a == "--input") {
        s.input = value();
      } else if (a == "--socket") {
        s.socketPath = value();
      } else if (a == "--model") {
        s.model = value();
      } else if (a == "--dict") {
        s.dict = value();
      } else if (a == "--extra-dict") {
        s.extraDict = value();
      } else if (a == "--buffer-ms") {
        s.bufferMs = static_cast<int>(number(10, 500, true));
      } else if (a == "--vad-threshold") {
        s.vadThreshold = number(0, 100);
      } else if (a == "--vad-prespeech") {
        s.vadPrespeech = static_cast<int>(number(0, 200, true));
      } else if (a == "--vad-postspeech") {
        s.vadPostspeech = static_cast<int>(number(1, 200, true));
      } else if (a == "--vad-startspeech") {
        s.vadStartspeech = static_cast<int>(number(1, 200, true));
      } else if (a == "--garbage-weight") {
        s.garbage.entryWeight = number(1e-30, 1);
      } else if (a == "--phone-weight") {
        s.garbage.phoneWeight = number(1e-30, 1);
      } else if (a == "--no-word-garbage") {
        s.garbage.wordsEnabled = false;
      } else if (a == "--word-garbage") {
        s.garbage.wordsEnabled = true;
      } else if (a == "--word-garbage-weight") {
        s.garbage.wordEntryWeight = number(1e-30, 1);
        s.garbage.wordsEnabled = true;  // tuning the loop asks for it
      } else if (a == "--word-weight") {
        s.garbage.wordWeight = number(1e-30, 1);
        s.garbage.wordsEnabled = true;
      } else if (a == "--everyday-words") {
        s.garbage.commonWords = static_cast<std::size_t>(number(0, 100000, true));
        s.garbage.wordsEnabled = true;
      } else if (a == "--neighbours") {
        s.neighbours = true;
      } else if (a == "--adapt") {
        s.adapt = true;
      } else if (a == "--no-adapt") {
        s.adapt = false;
      } else if (a == "--adapt-after-frames") {
        s.adaptAfterFrames = static_cast<long>(number(0, 1e9, true));
      } else if (a == "--adapt-prior-frames") {
        s.adaptPriorFrames = number(0, 1e9);
      } else if (a == "--adapt-mean-prior-frames") {
        s.adaptMeanPriorFrames = number(0, 1e9);
      } else if (a == "--no-neighbours") {
        s.neighbours = false;
      } else if (a == "--neighbour-weight") {
        s.garbage.neighbourWeight = number(1e-30, 1);
      } else if (a == "--closest-neighbour-weight") {
        s.garbage.closestNeighbourWeight = number(1e-30, 1);
      } else if (a == "--later-closest-neighbour-weight") {
        s.garbage.laterClosestNeighbourWeight = number(1e-30, 1);
      } else if (a == "--later-neighbour-weight") {
        s.garbage.laterNeighbourWeight = number(1e-30, 1);
      } else if (a == "--standalone-word-weight") {
        s.garbage.standaloneWeight = number(0, 1);
      } else if (a == "--later-word-weight") {
        s.garbage.laterWordWeight = number(0, 1);
      } else if (a == "--later-menu-word-weight") {
        s.garbage.laterMenuWordWeight = number(0, 1);
      } else if (a == "--parameter-weight") {
        s.garbage.parameterWeight = number(1e-6, 1);
      } else if (a == "--destructive-weight") {
        s.garbage.destructiveWeight = number(1e-30, 1);
      } else if (a == "--neighbour-edits") {
        s.neighbourRule.edits = static_cast<int>(number(0, 3, true));
      } else if (a == "--neighbour-rhymes") {
        s.neighbourRule.rhymes = true;
      } else if (a == "--no-neighbour-rhymes") {
        s.neighbourRule.rhymes = false;
      } else if (a == "--neighbour-vowel-changes") {
        s.neighbourRule.vowelChanges = true;
      } else if (a == "--no-neighbour-vowel-changes") {
        s.neighbourRule.vowelChanges = false;
      } else if (a == "--neighbour-compound-phones") {
        s.neighbourRule.compoundPhones = static_cast<int>(number(0, 10, true));
      } else if (a == "--parameter-neighbours") {
        s.neighbourRule.parameters = true;
      } else if (a == "--no-parameter-neighbours") {
        s.neighbourRule.parameters = false;
      } else if (a == "--neighbour-fewer-phones") {
        s.neighbourRule.fewerPhones = static_cast<int>(number(0, 3, true));
      } else if (a == "--neighbour-min-phones") {
        s.neighbourRule.minPhones = static_cast<int>(number(1, 20, true));
      } else if (a == "--neighbours-per-word") {
        s.neighbourRule.perWord = static_cast<std::size_t>(number(0, 100000, true));
      } else if (a == "--prefix-weight") {
        s.garbage.prefixWeight = number(0, 1);
      } else if (a == "--suffix-weight") {
        s.garbage.suffixWeight = number(0, 1);
      } else if (a == "--top-n") {
        s.topN = static_cast<int>(number(1, 64, true));
      } else if (a == "--remove-noise") {
        s.removeNoise = Settings::NoiseRemoval::kAlways;
      } else if (a == "--no-remove-noise") {
        s.removeNoise = Settings::NoiseRemoval::kNever;
      } else if (a == "--remove-noise-below") {
        s.removeNoiseBelowSnrDb = number(0, 100);
        s.removeNoise = Settings::NoiseRemoval::kAuto;
      } else if (a == "--beam") {
        s.beam = number(1e-300, 1);
      } else if (a == "--word-beam") {
        s.wordBeam = number(1e-300, 1);
      } else if (a == "--word-penalty") {
        s.wordPenalty = number(1e-30, 10);
      } else if (a == "--no-garbage") {
        s.garbage.enabled = false;
      } else if (a == "--min-margin") {
        s.minMargin = number(-1000, 1000);
        s.marginCheck = true;
      } else if (a == "--margin-check") {
        s.marginCheck = true;
      } else if (a == "--min-rival-gap") {
        s.rivals.minCommandGap = number(0, 1000);
      } else if (a == "--min-other-gap") {
        s.rivals.minOtherGap = number(0, 1000);
      } else if (a == "--rival-readings") {
        s.rivalReadings = static_cast<int>(number(1, 1000, true));
      } else if (a == "--destructive-rival-gap") {
        s.rivals.destructiveCommandGap = number(0, 1000);
      } else if (a == "--destructive-other-gap") {
        s.rivals.destructiveOtherGap = number(0, 1000);
      } else if (a == "--ms-per-phone") {
        s.msPerPhone = static_cast<int>(number(10, 1000, true));
      } else if (a == "--min-pause-after-speech") {
        s.minPauseAfterSpeechMs = static_cast<int>(number(0, 10000, true));
      } else if (a == "--fastest-ms-per-phone") {
        s.fastestMsPerPhone = static_cast<int>(number(0, 1000, true));
      } else if (a == "--length-slack-ms") {
        s.lengthSlackMs = static_cast<int>(number(0, 10000, true));
      } else if (a == "--min-speech-rise") {
        s.minSpeechRiseDb = number(0, 100);
      } else if (a == "--fixed-noise-floor") {
        s.fixedNoiseFloor = true;
      } else if (a == "--noise-floor") {
        s.noiseFloor = static_cast<int>(number(0, 3000, true));
      } else if (a == "--whole-utterances") {
        s.streamDecode = false;
      } else if (a == "--stream-after") {
        s.streamAfterMs = static_cast<int>(number(0, 60000, true));
        s.streamDecode = true;
      } else if (a == "--sleep") {
        s.startAsleep = true;
      } else if (a == "--sleep-phrase") {
        s.sleepPhrase = value();
      } else if (a == "--wake-phrase") {
        s.wakePhrase = value();
      } else if (a == "--keep-serving") {
        s.keepServing = true;
      } else if (a == "--verify-lm") {
        s.verifyLm = true;
      } else if (a == "--no-verify-lm") {
        s.verifyLm = false;
      } else if (a == "--verify-max-distance") {
        s.verifyMaxDistance = number(0, 10);
      } else if (a == "--phone-loop-check") {
        s.phoneLoopCheck = true;
      } else if (a == "--no-phone-loop-check") {
        s.phoneLoopCheck = false;
      } else if (a == "--min-word-fit") {
        s.phoneFit.minWordFit = number(-1000, 1000);
        s.phoneLoopCheck = true;
      } else if (a == "--destructive-min-word-fit") {
        s.phoneFit.destructiveMinWordFit = number(-1000, 1000);
        s.phoneLoopCheck = true;
      } else if (a == "--verbose") {
        s.verbose = true;
      } else {
        throw std::invalid_argument("unknown option " + a);
      }
    } catch (const std::invalid_argument& e) {
      error = e.what();
      return false;
    }
  }
  if (s.socketPath.empty()) {
    s.socketPath = DefaultSocketPath();
  }
  s.rivals.guardedCommands = {s.sleepPhrase};
  return true;
}

}  // namespace varnel::listen
