#include "listen/recogniser.h"

#include <pocketsphinx.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace varnel::listen {
namespace {

// Words of Varnel's own dictionary: "word PHONES..." lines, '#' comments.
bool AddExtraWords(ps_decoder_t* ps, const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#') continue;
    std::string phones, p;
    while (words >> p) phones += (phones.empty() ? "" : " ") + p;
    if (phones.empty() || ps_add_word(ps, word.c_str(), phones.c_str(), FALSE) < 0) {
      error = path + ": bad entry for \"" + word + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string FindExtraDictionary() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const auto beside = exe.parent_path() / "varnel.dic";
    if (std::filesystem::exists(beside, ec)) return beside.string();
  }
  if (std::filesystem::exists("/usr/share/varnel/varnel.dic", ec)) {
    return "/usr/share/varnel/varnel.dic";
  }
  return "";
}

Recogniser::~Recogniser() {
  Stop();
  if (worker_.joinable()) worker_.detach();  // blocked on a read that never ends
  if (ps_ != nullptr && finished_) ps_free(ps_);
}

bool Recogniser::Open(std::string& error) {
  const std::string threshold = std::to_string(settings_.vadThreshold);
  const std::string pre = std::to_string(settings_.vadPrespeech);
  const std::string post = std::to_string(settings_.vadPostspeech);
  const std::string start = std::to_string(settings_.vadStartspeech);
  char wip[32];
  std::snprintf(wip, sizeof wip, "%g", settings_.wordPenalty);
  std::vector<const char*> argv = {"varnel-listen",  "-hmm",           settings_.model.c_str(),
                                   "-dict",          settings_.dict.c_str(),
                                   "-vad_threshold", threshold.c_str(),
                                   "-vad_prespeech", pre.c_str(),
                                   "-vad_postspeech", post.c_str(),
                                   "-vad_startspeech", start.c_str(),
                                   "-wip",           wip};
  if (!settings_.verbose) {
    argv.push_back("-logfn");
    argv.push_back("/dev/null");
  }
  // The parser skips argv[0] like a program's own arguments.
  cmd_ln_t* config = cmd_ln_parse_r(nullptr, ps_args(), static_cast<int32>(argv.size()),
                                    const_cast<char**>(argv.data()), TRUE);
  if (config == nullptr) {
    error = "bad decoder configuration";
    return false;
  }
  ps_ = ps_init(config);
  cmd_ln_free_r(config);
  if (ps_ == nullptr) {
    error = "cannot load the speech model from " + settings_.model;
    return false;
  }
  const std::string extra =
      settings_.extraDict.empty() ? FindExtraDictionary() : settings_.extraDict;
  if (extra.empty()) {
    error = "cannot find varnel.dic";
    return false;
  }
  if (!AddExtraWords(ps_, extra, error)) return false;
  for (const auto& phone : GarbagePhones()) {
    if (ps_add_word(ps_, GarbageWord(phone).c_str(), phone.c_str(), FALSE) < 0) {
      error = "the model has no phone " + phone;
      return false;
    }
  }
  finished_ = true;  // nothing running yet
  return true;
}

int Recogniser::PhoneCount(const std::string& word) {
  if (word.rfind("ph_", 0) == 0) return 0;  // the garbage loop's own words
  std::lock_guard lock(mutex_);
  char* pron = ps_lookup_word(ps_, word.c_str());
  if (pron == nullptr) return 0;
  std::istringstream in(pron);
  std::free(pron);
  int n = 0;
  std::string p;
  while (in >> p) ++n;
  return n;
}

void Recogniser::SetGrammar(std::shared_ptr<const Grammar> grammar) {
  std::lock_guard lock(mutex_);
  pending_ = std::move(grammar);
  hasPending_ = true;
  grammarSet_.notify_all();
}

void Recogniser::Start(std::unique_ptr<AudioSource> source, bool waitForGrammar,
                       std::function<void(Heard)> onHeard, std::function<void(bool)> onEnd) {
  source_ = std::move(source);
  waitForGrammar_ = waitForGrammar;
  onHeard_ = std::move(onHeard);
  onEnd_ = std::move(onEnd);
  finished_ = false;
  worker_ = std::thread([this] { Run(); });
}

bool Recogniser::Stop() {
  stop_ = true;
  {
    std::lock_guard lock(mutex_);
    grammarSet_.notify_all();
  }
  // Reads return within a buffer's time except on a silent stdin.
  for (int i = 0; i < 50 && !finished_; ++i) usleep(10000);
  if (finished_ && worker_.joinable()) worker_.join();
  return finished_;
}

bool Recogniser::ApplyPending() {
  if (!hasPending_ || inSpeech_) return active_ && !active_->Empty();
  hasPending_ = false;
  if (uttOpen_) {
    ps_end_utt(ps_);
    uttOpen_ = false;
  }
  active_ = std::move(pending_);
  if (!active_ || active_->Empty()) return false;
  // Two names in turn: the search in use is never the one replaced.
  searchName_ = (searchFlip_++ % 2) != 0 ? "a" : "b";
  const char* name = searchName_.c_str();
  if (ps_set_jsgf_string(ps_, name, active_->Jsgf().c_str()) < 0 || ps_set_search(ps_, name) < 0) {
    std::fprintf(stderr, "varnel-listen: the decoder refused the grammar\n");
    active_.reset();
    return false;
  }
  return true;
}

void Recogniser::EndUtterance() {
  ps_end_utt(ps_);
  uttOpen_ = false;
  Heard heard;
  const char* hyp = ps_get_hyp(ps_, nullptr);
  heard.hypothesis = hyp != nullptr ? hyp : "";
  heard.speechMs = static_cast<int>(speechSamples_ * 1000 / kSampleRate) -
                   settings_.vadPostspeech * 10 + settings_.vadStartspeech * 10;
  const int limit = active_->MaxPhones() * settings_.msPerPhone + settings_.lengthSlackMs;
  heard.tooLong = heard.speechMs > limit;
  if (!heard.tooLong) heard.match = active_->Map(heard.hypothesis);

  if (settings_.verbose) {
    std::fprintf(stderr, "varnel-listen: heard \"%s\" %d ms (limit %d)%s%s\n",
                 heard.hypothesis.c_str(), heard.speechMs, limit,
                 heard.tooLong ? " (too long)" : "",
                 heard.match ? "" : " (not a command)");
  }
  onHeard_(std::move(heard));
}

void Recogniser::Run() {
  std::vector<std::int16_t> buf(static_cast<std::size_t>(kSampleRate * settings_.bufferMs / 1000));
  bool failed = false;
  while (!stop_) {
    if (waitForGrammar_) {
      std::unique_lock lock(mutex_);
      grammarSet_.wait(lock, [&] {
        const auto& g = hasPending_ ? pending_ : active_;
        return stop_ || (g && !g->Empty());
      });
    }
    if (stop_) break;
    const long n = source_->Read(buf.data(), buf.size());
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    std::lock_guard lock(mutex_);
    if (!ApplyPending()) {
      // No commands to listen for: the audio is dropped.
      if (uttOpen_) ps_end_utt(ps_);
      uttOpen_ = inSpeech_ = false;
      continue;
    }
    if (!uttOpen_) {
      ps_start_utt(ps_);
      uttOpen_ = true;
    }
    ps_process_raw(ps_, buf.data(), static_cast<std::size_t>(n), FALSE, FALSE);

    const bool speech = ps_get_in_speech(ps_) != 0;
    if (speech && !inSpeech_) speechSamples_ = 0;
    if (speech || inSpeech_) speechSamples_ += n;
    if (!speech && inSpeech_) {
      inSpeech_ = false;
      EndUtterance();
    }
    inSpeech_ = speech;
  }
  {
    std::lock_guard lock(mutex_);
    if (uttOpen_ && inSpeech_ && active_) {
      inSpeech_ = false;
      EndUtterance();
    } else if (uttOpen_) {
      ps_end_utt(ps_);
      uttOpen_ = false;
    }
  }
  onEnd_(failed);
  finished_ = true;
}

}  // namespace varnel::listen
