#include "listen/heard_log.h"

#include <cstdarg>
#include <cstdio>
#include <optional>

namespace varnel::listen {
namespace {

__attribute__((format(printf, 1, 2))) std::string Formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    std::vsnprintf(out.data(), out.size() + 1, format, again);
  }
  va_end(again);
  return out;
}

std::string How(const Heard& heard) {
  const std::string ms = std::to_string(heard.decodeMs) + " ms";
  switch (heard.decoding) {
    case Heard::Decoding::kWhole:
      return "decoded whole in " + ms;
    case Heard::Decoding::kStreamed:
      return "decoded as it came, finished in " + ms;
    case Heard::Decoding::kNone:
      break;
  }
  return "not decoded";
}

std::string Fits(const Heard& heard) {
  std::string fits;
  for (const auto& f : heard.fits) {
    fits += Formatted("%s\"%s\" %.1f", fits.empty() ? "" : ", ", f.word.c_str(), f.perFrame);
  }
  return fits.empty() ? "no word laid on the speech" : fits + " a frame";
}

}  // namespace

std::vector<std::string> VerboseLines(const Heard& heard) {
  std::vector<std::string> lines;
  lines.push_back(Formatted(
      "varnel-listen: heard \"%s\" at %ld ms, %d ms (limit %d), fastest word %.0f ms a phone, "
      "margin %.1f, SNR %.0f dB, rise %.0f dB, %s%s%s%s%s%s",
      heard.hypothesis.c_str(), heard.endMs, heard.speechMs, heard.limitMs, heard.fastestMsPerPhone,
      heard.margin, heard.snrDb, heard.riseDb, How(heard).c_str(),
      heard.denoised ? " (noise removed)" : "", heard.steady ? " (steady noise)" : "",
      heard.tooLong ? " (too long)" : "", heard.tooFast ? " (too fast)" : "",
      heard.match ? "" : " (not a command)"));
  if (heard.decoding != Heard::Decoding::kNone) {
    lines.push_back(Formatted(
        "varnel-listen: CPU time for \"%s\": %.1f ms as it came, %.1f ms at its end, %.1f ms "
        "checking, %d frames",
        heard.hypothesis.c_str(), heard.streamCpuMs, heard.endCpuMs, heard.checkCpuMs,
        heard.frames));
  }
  if (heard.quietAfterSpeechMs) {
    lines.push_back(Formatted("varnel-listen: \"%s\" came %d ms after other speech%s",
                              heard.hypothesis.c_str(), *heard.quietAfterSpeechMs,
                              heard.runsOn ? "; refused: more of that speech" : ""));
  }
  if (heard.rivals.command || heard.rivals.other) {
    const auto gap = [](const std::optional<double>& g) { return g ? *g : -1.0; };
    const bool named = !heard.nearestRival.empty();
    lines.push_back(Formatted(
        "varnel-listen: rivals of \"%s\": another command%s%s%s %.1f, no command %.1f a frame "
        "below%s%s",
        heard.hypothesis.c_str(), named ? " (\"" : "", heard.nearestRival.c_str(),
        named ? "\")" : "", gap(heard.rivals.command), gap(heard.rivals.other),
        heard.refusedFor.empty() ? "" : "; refused: ", heard.refusedFor.c_str()));
  }
  if (heard.fitChecked) {
    lines.push_back(Formatted("varnel-listen: against free phones, \"%s\": %s, in %d ms%s%s",
                              heard.hypothesis.c_str(), Fits(heard).c_str(), heard.fitMs,
                              heard.misfit.empty() ? "" : "; refused: ", heard.misfit.c_str()));
  }
  if (heard.verified) {
    lines.push_back(
        Formatted("varnel-listen: the language model heard \"%s\" for \"%s\" in %d ms%s%s",
                  heard.lmHypothesis.c_str(), heard.hypothesis.c_str(), heard.verifyMs,
                  heard.disagreement.empty() ? "" : "; refused: ", heard.disagreement.c_str()));
  }
  return lines;
}

}  // namespace varnel::listen
