// The Linux speech client against a real varnel-listen fed with espeak-ng speech.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstring>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "adapters/x11/listen_client.h"
#include "common/listen_protocol.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

class PollWatcher final : public FdWatcher {
 public:
  void Watch(int fd, std::function<void()> onReadable) override {
    fds_[fd] = std::move(onReadable);
  }
  void Unwatch(int fd) override { fds_.erase(fd); }
  // Runs callbacks until `done` or the time is up.
  bool RunUntil(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) {
        return false;
      }
      std::vector<pollfd> p;
      for (const auto& [fd, cb] : fds_) {
        p.push_back({fd, POLLIN, 0});
      }
      if (poll(p.data(), p.size(), 50) <= 0) {
        continue;
      }
      for (const auto& q : p) {
        const auto it = fds_.find(q.fd);
        if (q.revents != 0 && it != fds_.end()) {
          auto cb = it->second;  // the callback may unwatch itself
          cb();
        }
      }
    }
    return true;
  }
  std::size_t Count() const { return fds_.size(); }

 private:
  std::map<int, std::function<void()>> fds_;
};

struct Recorder final : SpeechEvents {
  void OnCommandRecognize(const SpeechRecognition& r) override { recognised.push_back(r); }
  void OnCommandOther(const std::string& c, const std::string& app, const std::string&) override {
    others.push_back(c + "|" + app);
  }
  void OnServiceLost() override { ++lost; }
  void OnSleepChanged(bool asleep) override { sleeps.push_back(asleep); }
  std::vector<SpeechRecognition> recognised;
  std::vector<bool> sleeps;  // each change of state told, true for asleep
  std::vector<std::string> others;
  int lost = 0;
};

// The program's forty commands; two-form entries become lists named after the first form.
const std::vector<std::pair<int, std::vector<std::string>>> kTable = {
    {0, {"Menu"}},
    {1, {"Do It"}},
    {2, {"Find", "Find It"}},
    {3, {"Hide It"}},
    {4, {"Close It"}},
    {5, {"Cancel"}},
    {6, {"Delete"}},
    {7, {"Rename"}},
    {8, {"Refresh"}},
    {9, {"Search Document"}},
    {10, {"Page Down", "Next Page"}},
    {11, {"Page Up", "Previous Page"}},
    {12, {"Take Me Home"}},
    {13, {"Take Me Down"}},
    {14, {"Find Next"}},
    {15, {"Find Previous"}},
    {16, {"Tab <Number>"}},
    {17, {"Back Tab <Number>"}},
    {18, {"Highlight", "Select All"}},
    {19, {"Select Next <Number>"}},
    {20, {"Select Previous <Number>"}},
    {21, {"Copy Sel", "Copy Select"}},
    {22, {"Launch Browser"}},
    {23, {"Snap Back"}},
    {24, {"Varnel"}},
    {25, {"Focus"}},
    {26, {"Zoom In"}},
    {27, {"Zoom Out"}},
    {28, {"Full Screen"}},
    {29, {"Create Tab"}},
    {30, {"Previous Tab"}},
    {31, {"Next Tab"}},
    {32, {"Kill Tab"}},
    {33, {"Go Backward"}},
    {34, {"Go Forward"}},
    {35, {"Go Home"}},
    {36, {"Omni Box", "URL Box"}},
    {37, {"Bookmark"}},
    {38, {"Fetch"}},
    {39, {"History"}}};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

std::string Speak(const fs::path& dir, const std::string& text) {
  const fs::path wav = dir / "say.wav", raw = dir / "say.raw";
  const std::string cmd = "espeak-ng -v en-us -s 150 -w '" + wav.string() + "' '" + text +
                          "' && sox '" + wav.string() +
                          "' -r 16000 -c 1 -b 16 -e signed-integer -t raw '" + raw.string() +
                          "' silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse";
  if (std::system(cmd.c_str()) != 0) {
    return "";
  }
  return ReadFile(raw);
}

// A private PulseAudio server whose null sink's monitor stands in for a microphone: what is
// played into the sink is what varnel-listen hears.
class PulseServer {
 public:
  PulseServer() = default;
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;
  ~PulseServer() { Stop(); }

  bool Start(const fs::path& dir) {
    const fs::path runtime = dir / "pulse";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    socket_ = runtime / "native";
    fs::remove(socket_);
    log_ = dir / "pulse.log";
    // The sink first: once the socket is there, the "microphone" is too.
    const std::string sink = "--load=module-null-sink sink_name=mic rate=16000 channels=1";
    const std::string native =
        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_.string();
    pid_ = fork();
    if (pid_ == 0) {
      setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      setenv("HOME", dir.c_str(), 1);
      const int log = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(log, 1);
      dup2(log, 2);
      execlp("pulseaudio", "pulseaudio", "-n", "-F", "/dev/null", "--daemonize=no",
             "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes", sink.c_str(),
             native.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 200 && !fs::exists(socket_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fs::exists(socket_);
  }
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  std::string Address() const { return "unix:" + socket_.string(); }
  std::string Log() const { return ReadFile(log_); }
  // Plays the text, spoken, into the sink; returns when it has been played.
  bool Say(const fs::path& dir, const std::string& text) const {
    const fs::path wav = dir / "mic.wav";
    const std::string cmd = "espeak-ng -v en-us -s 150 -w '" + wav.string() + "' '" + text +
                            "' && PULSE_SERVER='" + Address() + "' PULSE_SINK=mic paplay '" +
                            wav.string() + "'";
    return std::system(cmd.c_str()) == 0;
  }

 private:
  pid_t pid_ = -1;
  fs::path socket_, log_;
};

class ListenClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/varnel-listen-test-XXXXXX";
    dir_ = mkdtemp(tmpl);
    sock_ = dir_ / "listen.sock";
    setenv("VARNEL_LISTEN_SOCKET", sock_.c_str(), 1);
  }
  void TearDown() override {
    speech_.reset();  // the client goes first, as it would at the end of a test's body
    StopServer();
    fs::remove_all(dir_);
  }
  // Reads raw audio from a pipe unless `args` say otherwise; `env` is added to its
  // environment.
  void StartServer(std::vector<std::string> args = {"--input", "-"},
                   const std::vector<std::pair<std::string, std::string>>& env = {}) {
    int in[2];
    ASSERT_EQ(pipe(in), 0);
    args.insert(args.begin(), VARNEL_LISTEN_EXE);
    for (const char* a : {"--verbose", "--socket"}) {
      args.emplace_back(a);
    }
    args.push_back(sock_.string());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const std::string logPath = Log().string();
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      close(in[1]);
      if (std::getenv("VARNEL_LISTEN_VERBOSE") == nullptr) {
        const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, 2);
      }
      for (const auto& [name, value] : env) {
        setenv(name.c_str(), value.c_str(), 1);
      }
      execv(VARNEL_LISTEN_EXE, argv.data());
      _exit(127);
    }
    close(in[0]);
    audio_ = in[1];
    for (int i = 0; i < 200 && !fs::exists(sock_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(fs::exists(sock_));
    EXPECT_EQ(fs::status(sock_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
  }
  void StopServer() {
    if (audio_ >= 0) {
      close(audio_);
    }
    audio_ = -1;
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  // Where varnel-listen's stderr (its --verbose lines) goes, unless VARNEL_LISTEN_VERBOSE
  // shows it on the terminal.
  fs::path Log() const { return dir_ / "listen.log"; }
  std::optional<std::string> ServerLog() const {
    if (std::getenv("VARNEL_LISTEN_VERBOSE") != nullptr) {
      return std::nullopt;
    }
    return ReadFile(Log());
  }
  // Starts varnel-listen (`args` and `env` as for StartServer) and connects the Linux speech
  // service to it with the table live: `speech_`, reporting to `heard_`, run by `loop_`.
  void StartListening(std::vector<std::string> args = {"--input", "-"},
                      const std::vector<std::pair<std::string, std::string>>& env = {}) {
    ASSERT_NO_FATAL_FAILURE(StartServer(std::move(args), env));
    SpeechError err;
    speech_ = CreateListenSpeechService(err, loop_);
    ASSERT_NE(speech_, nullptr) << err.text;
    RegisterTable(*speech_, heard_);
  }
  void RegisterTable(SpeechService& s, Recorder& r) {
    ASSERT_FALSE(s.Register(&r));
    ASSERT_FALSE(s.CreateMenu("Varnel", "Pellar", 9));
    std::string numbers;
    for (int i = 1; i <= 25; ++i) {
      numbers += std::to_string(i) + '\0';
    }
    ASSERT_FALSE(s.SetList("Number", 25, numbers));
    for (const auto& [id, forms] : kTable) {
      if (forms.size() == 2) {
        ASSERT_FALSE(s.SetList(forms[0], 2, forms[0] + '\0' + forms[1] + '\0'));
        ASSERT_FALSE(s.AddCommand(id, "<" + forms[0] + ">", "Varnel")) << id;
      } else {
        ASSERT_FALSE(s.AddCommand(id, forms[0], "Varnel")) << id;
      }
    }
    ASSERT_FALSE(s.SetActive(true));
  }
  // Streams the speech and a pause after it, then waits for the event it causes. Parts are
  // spoken separately with `gapMs` of silence between them.
  void Say(const std::string& text, const std::vector<std::string>& parts = {}, int gapMs = 0) {
    const std::size_t before = heard_.recognised.size() + heard_.others.size();
    ASSERT_NO_FATAL_FAILURE(Play(text, parts, gapMs));
    ASSERT_TRUE(loop_.RunUntil(
        [&] { return heard_.recognised.size() + heard_.others.size() > before; }, 20000))
        << text;
  }
  // Says each command in turn: each must come back, in that order.
  void SayCommandsInTurn(const std::vector<std::pair<const char*, int>>& said) {
    for (const auto& [text, id] : said) {
      Say(text);
    }
    loop_.RunUntil([] { return false; }, 300);
    ASSERT_EQ(heard_.recognised.size(), said.size());
    for (std::size_t i = 0; i < said.size(); ++i) {
      EXPECT_EQ(heard_.recognised[i].id, said[i].second) << said[i].first;
    }
  }
  // Says `first`, hesitates for less than the end of speech, then says `second`: the whole
  // must come back as the one command `id` with the list item `item`, and nothing else.
  void SayAcrossAHesitation(const std::string& first, const std::string& second, int id,
                            const std::string& item) {
    const std::string text = first + ", " + second;
    Say(text, {first, second}, 150);
    loop_.RunUntil([] { return false; }, 300);
    ASSERT_EQ(heard_.recognised.size(), 1u) << "a paused command was split or lost: " << text;
    EXPECT_EQ(heard_.recognised[0].id, id) << text;
    EXPECT_EQ(heard_.recognised[0].listResults, std::vector<std::string>{item}) << text;
    EXPECT_TRUE(heard_.others.empty()) << text;
  }
  // Streams the speech and a pause after it without waiting for an event.
  void Play(const std::string& text, const std::vector<std::string>& parts = {}, int gapMs = 0) {
    std::string pcm = std::string(16000, '\0');
    for (const auto& part : parts.empty() ? std::vector<std::string>{text} : parts) {
      std::string speech = Speak(dir_, part);
      ASSERT_FALSE(speech.empty()) << "espeak-ng/sox failed";
      Scale(speech, speechGain_);
      if (pcm.size() > 16000) {
        pcm += std::string(static_cast<std::size_t>(gapMs) * 32, '\0');
      }
      pcm += speech;
    }
    pcm += std::string(std::size_t{16000} * 2, '\0');
    AddNoise(pcm);
    ASSERT_EQ(write(audio_, pcm.data(), pcm.size()), static_cast<ssize_t>(pcm.size()));
  }

  // 16-bit little-endian samples times `gain`.
  static void Scale(std::string& pcm, double gain) {
    for (std::size_t i = 0; gain != 1.0 && i + 1 < pcm.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(pcm[i]);
      const auto hi = static_cast<unsigned char>(pcm[i + 1]);
      const int sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
      const auto scaled = static_cast<std::uint16_t>(
          std::clamp(static_cast<int>(std::lround(sample * gain)), -32768, 32767));
      pcm[i] = static_cast<char>(scaled & 0xff);
      pcm[i + 1] = static_cast<char>(scaled >> 8);
    }
  }

  // A room's steady hiss of `noiseAmp_` at most under all of the audio, 16-bit little-endian.
  void AddNoise(std::string& pcm) {
    for (std::size_t i = 0; noiseAmp_ > 0 && i + 1 < pcm.size(); i += 2) {
      noiseSeed_ ^= noiseSeed_ << 13;
      noiseSeed_ ^= noiseSeed_ >> 17;
      noiseSeed_ ^= noiseSeed_ << 5;
      const auto span = static_cast<std::uint32_t>(2 * noiseAmp_ + 1);
      const int hiss = static_cast<int>(noiseSeed_ % span) - noiseAmp_;
      const auto lo = static_cast<unsigned char>(pcm[i]);
      const auto hi = static_cast<unsigned char>(pcm[i + 1]);
      const int sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
      const auto mixed = static_cast<std::uint16_t>(std::clamp(sample + hiss, -32768, 32767));
      pcm[i] = static_cast<char>(mixed & 0xff);
      pcm[i + 1] = static_cast<char>(mixed >> 8);
    }
  }

  fs::path dir_, sock_;
  pid_t pid_ = -1;
  int audio_ = -1;
  int noiseAmp_ = 0;
  double speechGain_ = 1.0;  // of the spoken commands
  std::uint32_t noiseSeed_ = 2463534242U;
  // Set by StartListening; declared so that the service goes before what it refers to.
  PollWatcher loop_;
  Recorder heard_;
  std::unique_ptr<SpeechService> speech_;
};

// A bare client on the socket, for what the speech service does not pass on.
class RawClient {
 public:
  explicit RawClient(const fs::path& sock) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, sock.c_str(), sizeof addr.sun_path - 1);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~RawClient() { close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;
  bool Connected() const { return connected_; }
  // Sends the request and returns its reply; events that come first are kept.
  listen::Fields Request(listen::Fields args) {
    const std::string seq = std::to_string(++seq_);
    args.insert(args.begin(), {"req", seq});
    const auto frame = listen::EncodeFrame(args);
    if (!frame || write(fd_, frame->data(), frame->size()) != static_cast<ssize_t>(frame->size())) {
      return {};
    }
    while (auto f = Next(5000)) {
      if (((*f)[0] == "ok" || (*f)[0] == "error") && f->size() > 1 && (*f)[1] == seq) {
        return *f;
      }
      events_.push_back(*f);
    }
    return {};
  }
  // The next event, or nullopt after `ms` without one.
  std::optional<listen::Fields> NextEvent(int ms) {
    if (!events_.empty()) {
      auto f = events_.front();
      events_.erase(events_.begin());
      return f;
    }
    return Next(ms);
  }

 private:
  std::optional<listen::Fields> Next(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      if (auto f = reader_.Next()) {
        return f;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      pollfd p{fd_, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
        return std::nullopt;
      }
      char buf[4096];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) {
        return std::nullopt;
      }
      reader_.Append(buf, static_cast<std::size_t>(n));
    }
  }

  int fd_;
  bool connected_ = false;
  int seq_ = 0;
  listen::FrameReader reader_;
  std::vector<listen::Fields> events_;
};

// Tests that speak their utterances with espeak-ng and sox.
class ListenSpokenTest : public ListenClientTest {
 protected:
  void SetUp() override {
    ListenClientTest::SetUp();
    if (std::system("command -v espeak-ng >/dev/null && command -v sox >/dev/null") != 0) {
      GTEST_SKIP() << "espeak-ng or sox missing";
    }
  }
};

// In a noisy room the noise spectrum is taken out before decoding, and only there.
TEST_F(ListenSpokenTest, CommandsAreHeardInANoisyRoom) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  noiseAmp_ = 1200;  // the speech stands some 20 dB above it
  // The room is noisy before anyone speaks: the voice detector takes the noise's onset for
  // speech until it has learnt the new level, but a sound that steady is reported as nothing.
  std::string room(std::size_t{16000} * 2 * 4, '\0');
  AddNoise(room);
  ASSERT_EQ(write(audio_, room.data(), room.size()), static_cast<ssize_t>(room.size()));
  loop_.RunUntil([] { return false; }, 1000);
  EXPECT_TRUE(heard_.others.empty());
  for (const auto& [text, id] : {std::pair{"Zoom In", 26}, {"Tab three", 16}}) {
    Say(text);
    ASSERT_EQ(heard_.recognised.size(), 1u) << text << " came back as other speech";
    EXPECT_EQ(heard_.recognised[0].id, id) << text;
    heard_.recognised.clear();
  }
  StopServer();
  if (const auto log = ServerLog()) {
    // Both with the noise taken out. The first is decoded whole, since nothing before it told
    // how noisy the room was; the second as it came, short as it is (in a noisy room the
    // running mean is steadier than a short utterance's own).
    for (const auto& [heard, how] :
         {std::pair{"\"zoom in\"", "decoded whole"}, {"\"tab three\"", "decoded as it came"}}) {
      const auto at = log->find(heard);
      ASSERT_NE(at, std::string::npos) << *log;
      const std::string line = log->substr(at, log->find('\n', at) - at);
      EXPECT_NE(line.find(how), std::string::npos) << line;
      EXPECT_NE(line.find("(noise removed)"), std::string::npos) << line;
    }
    EXPECT_GE(Count(*log, "(steady noise)"), 1) << *log;
  }
}

// A microphone turned well down: the voice comes in 36 dB quieter, and is heard as well.
TEST_F(ListenSpokenTest, AQuietMicrophoneIsHeard) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  speechGain_ = 0.015;
  ASSERT_NO_FATAL_FAILURE(SayCommandsInTurn({{"Zoom In", 26},
                                             {"Tab three", 16},
                                             {"Page Down", 10},
                                             {"Go Backward", 33},
                                             {"Refresh", 8}}));
  EXPECT_TRUE(heard_.others.empty());
}

// A number command has a way to fit speech for every number, so that words that sound like
// nothing in the menu came out as one ("closet" as "Tab 6"): a number costs more than a
// command's own word, and number commands are still heard.
TEST_F(ListenSpokenTest, NumberCommandsTakeNoStraySpeech) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  for (const char* phrase : {"closet", "next time", "Cornell", "who was that"}) {
    Say(phrase);
    EXPECT_TRUE(heard_.recognised.empty()) << phrase << " fired " << heard_.recognised[0].command;
    heard_.recognised.clear();
  }
  ASSERT_NO_FATAL_FAILURE(SayCommandsInTurn({{"Tab three", 16},
                                             {"Back Tab twelve", 17},
                                             {"Select Next seven", 19},
                                             {"Tab twenty five", 16}}));
}

// Words people say on their own, to someone in the room or as they begin a sentence, come
// back as other speech, not as the command nearest their sounds.
TEST_F(ListenSpokenTest, WordsSaidOnTheirOwnAreNoCommand) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  for (const char* word : {"no", "okay", "sure", "hello", "thanks", "yes", "right", "well"}) {
    Say(word);
    EXPECT_TRUE(heard_.recognised.empty()) << word << " fired " << heard_.recognised[0].command;
    heard_.recognised.clear();
  }
  ASSERT_NO_FATAL_FAILURE(SayCommandsInTurn({{"Menu", 0}, {"Go Home", 35}, {"Find Next", 14}}));
}

// A pause splits a sentence into utterances, and a part of it said right after the rest is
// more of it, whatever it sounds like. After a command, or after a pause of its own, a command
// fires.
TEST_F(ListenSpokenTest, ACommandRightAfterOtherSpeechIsMoreOfIt) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  const struct {
    std::vector<std::string> parts;
    int gapMs;
    std::vector<int> fired;
  } cases[] = {
      {{"I was thinking about it", "Zoom In"}, 300, {}},
      {{"I was thinking about it", "Zoom In"}, 900, {26}},
      {{"Zoom Out", "Zoom In"}, 300, {27, 26}},
  };
  for (const auto& c : cases) {
    const std::string what = c.parts[0] + " / " + c.parts[1] + " " + std::to_string(c.gapMs);
    heard_.recognised.clear();
    heard_.others.clear();
    ASSERT_NO_FATAL_FAILURE(Play(what, c.parts, c.gapMs));
    ASSERT_TRUE(
        loop_.RunUntil([&] { return heard_.recognised.size() + heard_.others.size() >= 2; }, 20000))
        << what << ": the pause did not split the speech";
    std::vector<int> fired;
    for (const auto& r : heard_.recognised) {
      fired.push_back(r.id);
    }
    EXPECT_EQ(fired, c.fired) << what;
  }
}

// A microphone unmuted onto its own hiss: the detector takes the hiss's onset for speech
// until it has learnt the new level, but a sound that steady is nobody speaking.
TEST_F(ListenSpokenTest, AHissComingOnIsNoSpeech) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  Say("Zoom In");
  std::string muted(std::size_t{16000} * 2, '\0');
  ASSERT_EQ(write(audio_, muted.data(), muted.size()), static_cast<ssize_t>(muted.size()));
  noiseAmp_ = 30;
  std::string hiss(std::size_t{16000} * 2 * 4, '\0');
  AddNoise(hiss);
  ASSERT_EQ(write(audio_, hiss.data(), hiss.size()), static_cast<ssize_t>(hiss.size()));
  loop_.RunUntil([] { return false; }, 1500);
  Say("Tab three");
  loop_.RunUntil([] { return false; }, 300);
  ASSERT_EQ(heard_.recognised.size(), 2u);
  EXPECT_EQ(heard_.recognised[0].id, 26);
  EXPECT_EQ(heard_.recognised[1].id, 16);
  EXPECT_TRUE(heard_.others.empty());
  StopServer();
  if (const auto log = ServerLog()) {
    EXPECT_EQ(Count(*log, "(steady noise)"), 1) << *log;
  }
}

// Decoding each utterance once it has ended, at the first pause in it: a hesitation must not
// split a command.
TEST_F(ListenSpokenTest, WholeUtterancesAreDecodedAtTheirEnd) {
  ASSERT_NO_FATAL_FAILURE(StartListening({"--input", "-", "--whole-utterances"}));
  Say("Zoom In");
  Say("Tab, three", {"Tab", "three"}, 150);
  loop_.RunUntil([] { return false; }, 300);
  ASSERT_EQ(heard_.recognised.size(), 2u);
  EXPECT_EQ(heard_.recognised[0].id, 26);
  EXPECT_EQ(heard_.recognised[1].id, 16);
  EXPECT_EQ(heard_.recognised[1].listResults, std::vector<std::string>{"3"});
  EXPECT_TRUE(heard_.others.empty());
  StopServer();
  if (const auto log = ServerLog()) {
    EXPECT_EQ(Count(*log, "decoded whole"), 2) << *log;
    EXPECT_EQ(Count(*log, "decoded as it came"), 0) << *log;
  }
}

// With the phone loop check, destructive commands are decoded again, whole or as they came,
// and said plainly they still fire; other commands are not decoded again.
TEST_F(ListenSpokenTest, DestructiveCommandsAreLaidAgainstFreePhones) {
  ASSERT_NO_FATAL_FAILURE(
      StartListening({"--input", "-", "--phone-loop-check", "--stream-after", "0"}));
  ASSERT_NO_FATAL_FAILURE(SayCommandsInTurn({{"Delete", 6}, {"Zoom In", 26}, {"Close It", 4}}));
  StopServer();
  if (const auto log = ServerLog()) {
    EXPECT_EQ(Count(*log, "against free phones"), 2) << *log;
    EXPECT_NE(log->find("against free phones, \"delete\": \"delete\" "), std::string::npos) << *log;
    EXPECT_NE(log->find("against free phones, \"close it\": \"close\" "), std::string::npos)
        << *log;
    EXPECT_EQ(Count(*log, "decoded as it came"), 2) << *log;
    EXPECT_EQ(Count(*log, "refused"), 0) << *log;
  }
}

// A destructive command is weighed against the other commands decoded alone, whole or as it
// came: said plainly it fires, with the command that came nearest in the log; other commands
// are not weighed. Every decoding logs its CPU time.
TEST_F(ListenSpokenTest, DestructiveCommandsAreWeighedAgainstTheOthers) {
  ASSERT_NO_FATAL_FAILURE(StartListening({"--input", "-", "--stream-after", "0"}));
  ASSERT_NO_FATAL_FAILURE(
      SayCommandsInTurn({{"Delete", 6}, {"Zoom In", 26}, {"Kill Tab", 32}, {"Close It", 4}}));
  StopServer();
  if (const auto log = ServerLog()) {
    for (const char* heard : {"delete", "kill tab", "close it"}) {
      const std::string rivals = std::string("rivals of \"") + heard + "\": another command (\"";
      EXPECT_NE(log->find(rivals), std::string::npos) << heard << "\n" << *log;
    }
    EXPECT_EQ(Count(*log, "rivals of"), 3) << *log;
    EXPECT_EQ(Count(*log, "refused"), 0) << *log;
    EXPECT_EQ(Count(*log, "decoded as it came"), 3) << *log;
    EXPECT_EQ(Count(*log, "CPU time for \""), 4) << *log;
  }
}

// Every command heard fits the model to the voice a little more, and the fitted model still
// hears the commands; with --no-adapt the model stays as it was.
class ListenVoiceFitTest : public ListenSpokenTest {
 protected:
  void SayCommandsAndCountFits(const std::vector<std::string>& options, int fits) {
    ASSERT_NO_FATAL_FAILURE(StartListening(options));
    ASSERT_NO_FATAL_FAILURE(SayCommandsInTurn({{"Zoom In", 26},
                                               {"Launch Browser", 22},
                                               {"Go Home", 35},
                                               {"Full Screen", 28},
                                               {"Zoom In", 26}}));
    StopServer();
    if (const auto log = ServerLog()) {
      EXPECT_EQ(Count(*log, "fitted the model to the voice ("), fits) << *log;
      EXPECT_EQ(Count(*log, "not fitting"), 0) << *log;
    }
  }
};

TEST_F(ListenVoiceFitTest, EveryCommandFitsTheModel) {
  SayCommandsAndCountFits({"--input", "-"}, 5);
}

TEST_F(ListenVoiceFitTest, NoFitWhenAskedNotTo) {
  SayCommandsAndCountFits({"--input", "-", "--no-adapt"}, 0);
}

// By default each mean also moves on its own, reaching the decoder through a means file it
// reloads; the one transform alone goes to it as a transform. Either way every command after
// a fit is still heard.
TEST_F(ListenVoiceFitTest, OneTransformAloneWhenAsked) {
  SayCommandsAndCountFits({"--input", "-", "--adapt-mean-prior-frames", "0"}, 5);
}

TEST_F(ListenVoiceFitTest, NoFitBeforeEnoughSpeech) {
  SayCommandsAndCountFits({"--input", "-", "--adapt-after-frames", "100000"}, 0);
}

// Short utterances are decoded whole at their first pause, long ones as they come from the
// moment they grow long, catching up on what was said before.
TEST_F(ListenSpokenTest, OnlyLongUtterancesAreDecodedAsTheyCome) {
  ASSERT_NO_FATAL_FAILURE(StartListening({"--input", "-", "--stream-after", "1200"}));
  struct Case {
    std::string text;
    int id;
    std::vector<std::string> items;
    const char* decoded;
  } cases[] = {
      {"Zoom In", 26, {}, "decoded whole"},  // the first: whole to learn the mean
      {"Select Previous twenty five", 20, {"25"}, "decoded as it came"},
      {"Page Down", 10, {"Page Down"}, "decoded whole"},
      {"Select Next twelve", 19, {"12"}, "decoded as it came"},
      {"Tab three", 16, {"3"}, "decoded whole"},
  };
  for (const auto& c : cases) {
    Say(c.text);
    ASSERT_EQ(heard_.recognised.size(), 1u) << c.text << " came back as other speech";
    EXPECT_EQ(heard_.recognised[0].id, c.id) << c.text;
    EXPECT_EQ(heard_.recognised[0].listResults, c.items) << c.text;
    heard_.recognised.clear();
  }
  // Decoded whole at the hesitation, then grown long after it: the stream takes over.
  ASSERT_NO_FATAL_FAILURE(SayAcrossAHesitation("Back Tab", "seven", 17, "7"));
  StopServer();
  if (const auto log = ServerLog()) {
    EXPECT_EQ(Count(*log, "decoded as it came"), 3) << *log;
    for (const auto& c : cases) {
      std::string heard = c.text;
      std::transform(heard.begin(), heard.end(), heard.begin(),
                     [](unsigned char ch) { return std::tolower(ch); });
      const auto at = log->find('"' + heard + '"');
      ASSERT_NE(at, std::string::npos) << heard << "\n" << *log;
      const std::string line = log->substr(at, log->find('\n', at) - at);
      EXPECT_NE(line.find(c.decoded), std::string::npos) << line;
    }
  }
}

TEST_F(ListenClientTest, HearsTheMicrophone) {
  if (std::system("command -v pulseaudio >/dev/null && command -v paplay >/dev/null && "
                  "command -v espeak-ng >/dev/null") != 0) {
    GTEST_SKIP() << "pulseaudio, paplay or espeak-ng missing";
  }
  PulseServer pulse;
  if (!pulse.Start(dir_)) {
    // Where no sound server may run (a sandbox without the rights it wants), there is no
    // microphone to test.
    GTEST_SKIP() << "the private PulseAudio server did not start: " << pulse.Log();
  }
  ASSERT_NO_FATAL_FAILURE(
      StartListening({}, {{"PULSE_SERVER", pulse.Address()}, {"PULSE_SOURCE", "mic.monitor"}}));
  const struct {
    std::string text;
    int id;
    std::vector<std::string> items;
  } cases[] = {{"Zoom In", 26, {}}, {"Tab three", 16, {"3"}}};
  for (const auto& c : cases) {
    heard_.recognised.clear();
    ASSERT_TRUE(pulse.Say(dir_, c.text)) << pulse.Log();
    ASSERT_TRUE(
        loop_.RunUntil([&] { return !heard_.recognised.empty() || !heard_.others.empty(); }, 10000))
        << c.text << " was not heard";
    ASSERT_EQ(heard_.recognised.size(), 1u) << c.text << " came back as other speech";
    EXPECT_EQ(heard_.recognised[0].id, c.id) << c.text;
    EXPECT_EQ(heard_.recognised[0].listResults, c.items) << c.text;
  }
  // A sound server that restarts takes the microphone away for a moment only.
  pulse.Stop();
  loop_.RunUntil([] { return false; }, 300);
  ASSERT_TRUE(pulse.Start(dir_)) << pulse.Log();
  heard_.recognised.clear();
  bool heard = false;
  // Until varnel-listen has found the new server, what is played goes unheard.
  for (int i = 0; i < 5 && !heard; ++i) {
    ASSERT_TRUE(pulse.Say(dir_, "Zoom In")) << pulse.Log();
    heard = loop_.RunUntil([&] { return !heard_.recognised.empty(); }, 2000);
  }
  EXPECT_TRUE(heard) << "nothing heard after the sound server came back";
  EXPECT_EQ(heard_.lost, 0);
  // Stopped while it waits for a sound server, it still ends at once (TearDown waits).
  pulse.Stop();
  loop_.RunUntil([] { return false; }, 300);
}

TEST_F(ListenClientTest, NoMicrophoneIsAClearError) {
  const std::string cmd = "PULSE_SERVER='unix:" + (dir_ / "none").string() + "' '" +
                          VARNEL_LISTEN_EXE + "' --socket '" + sock_.string() + "' 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p) != nullptr) {
    out += buf;
  }
  const int status = pclose(p);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << out;
  EXPECT_NE(out.find("cannot open the microphone"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(sock_));
}

// "Go to sleep" stops commands firing until "wake up"; a client can do either, and every
// registered client hears of the change.
TEST_F(ListenSpokenTest, SleepsAndWakes) {
  ASSERT_NO_FATAL_FAILURE(StartListening({"--input", "-", "--sleep"}));
  RawClient watcher(sock_);
  ASSERT_TRUE(watcher.Connected());
  ASSERT_EQ(watcher.Request({"register", "1"}).at(0), "ok");
  const listen::Fields asleep = {"awake", "0"}, awake = {"awake", "1"};
  EXPECT_EQ(watcher.NextEvent(2000), asleep) << "a client registering is told it sleeps";
  loop_.RunUntil([&] { return !heard_.sleeps.empty(); }, 2000);
  EXPECT_EQ(heard_.sleeps, std::vector<bool>{true}) << "the program is told it sleeps";

  struct Step {
    std::string say;                      // spoken, or "" for the request below
    listen::Fields request;               // sent by the watching client
    std::optional<listen::Fields> event;  // the state change it brings
    bool commandFires;                    // "Zoom In" said next fires
  } steps[] = {
      {"", {}, std::nullopt, false},  // started asleep
      {"wake up", {}, awake, true},          {"go to sleep", {}, asleep, false},
      {"", {"set-awake", "1"}, awake, true}, {"", {"set-awake", "0"}, asleep, false},
  };
  for (const auto& step : steps) {
    const std::string what =
        step.say.empty() && !step.request.empty() ? "set-awake " + step.request[1] : step.say;
    if (!step.say.empty()) {
      ASSERT_NO_FATAL_FAILURE(Play(step.say));
    } else if (!step.request.empty()) {
      ASSERT_EQ(watcher.Request(step.request).at(0), "ok") << what;
    }
    if (step.event) {
      EXPECT_EQ(watcher.NextEvent(20000), step.event) << what;
    }
    // The phrases themselves are no command and no other speech.
    loop_.RunUntil([] { return false; }, 200);
    EXPECT_TRUE(heard_.recognised.empty()) << what;
    EXPECT_TRUE(heard_.others.empty()) << what;
    if (step.event) {
      ASSERT_FALSE(heard_.sleeps.empty()) << what;
      EXPECT_EQ(heard_.sleeps.back(), *step.event == asleep) << what;
    }
    heard_.others.clear();
    Say("Zoom In");
    if (step.commandFires) {
      ASSERT_EQ(heard_.recognised.size(), 1u) << "no command after " << what;
      EXPECT_EQ(heard_.recognised[0].id, 26);
    } else {
      EXPECT_TRUE(heard_.recognised.empty()) << "a command fired asleep, after " << what;
      EXPECT_EQ(heard_.others.size(), 1u) << "asleep, speech is other speech";
    }
    heard_.recognised.clear();
    heard_.others.clear();
  }
  EXPECT_FALSE(watcher.NextEvent(200)) << "no state event without a change";
  EXPECT_EQ(heard_.sleeps, (std::vector<bool>{true, false, true, false, true}));
}

// A new menu is listened for at once, with the neighbours of its words joining the word loop
// once found; sleeping and waking change nothing there.
TEST_F(ListenSpokenTest, ANewMenuDoesNotWaitForTheNeighbours) {
  ASSERT_NO_FATAL_FAILURE(StartListening());
  Say("Zoom In");
  ASSERT_EQ(heard_.recognised.size(), 1u);
  EXPECT_EQ(heard_.recognised[0].id, 26);
  RawClient watcher(sock_);
  ASSERT_TRUE(watcher.Connected());
  ASSERT_EQ(watcher.Request({"register", "1"}).at(0), "ok");
  // Asleep the grammar holds the wake phrase's words, too short to have neighbours.
  for (const char* awake : {"0", "1", "0", "1"}) {
    ASSERT_EQ(watcher.Request({"set-awake", awake}).at(0), "ok") << awake;
    watcher.NextEvent(2000);
    Say("Zoom In");
  }
  EXPECT_EQ(heard_.recognised.size(), 3u);
  StopServer();
  if (const auto log = ServerLog()) {
    const auto search = log->find("CPU time for the new menu's search");
    const auto neighbours = log->find(" neighbours of ");
    ASSERT_NE(search, std::string::npos) << *log;
    ASSERT_NE(neighbours, std::string::npos) << *log;
    EXPECT_LT(search, neighbours) << "the first menu's search waited for its neighbours\n" << *log;
    EXPECT_EQ(Count(*log, " neighbours of "), 1) << *log;
  }
}

TEST_F(ListenClientTest, NotRunningIsAnError) {
  PollWatcher w;
  SpeechError e;
  EXPECT_EQ(CreateListenSpeechService(e, w), nullptr);
  EXPECT_EQ(e.text, "varnel-listen is not running");
  EXPECT_NE(e.number, 0);
}

TEST_F(ListenSpokenTest, CommandsComeBackAndOtherSpeechDoesNot) {
  // Every utterance decoded as it comes, however short.
  ASSERT_NO_FATAL_FAILURE(StartListening({"--input", "-", "--stream-after", "0"}));
  const auto unknown = speech_->AddCommand(40, "Frobnicate Xyzzy", "Varnel");
  ASSERT_TRUE(unknown);
  EXPECT_NE(unknown->text.find("frobnicate"), std::string::npos);

  // A second client that sends garbage is cut off without disturbing the first.
  const int bad = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, sock_.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(connect(bad, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  const char oversized[] = "\xff\xff\xff\xff garbage";
  ASSERT_GT(write(bad, oversized, sizeof oversized), 0);
  char c = 0;
  EXPECT_EQ(read(bad, &c, 1), 0);
  close(bad);

  struct Case {
    std::string text;
    int id;
    std::vector<std::string> items;
  } cases[] = {
      {"Page Down", 10, {"Page Down"}},
      {"Tab three", 16, {"3"}},
      {"Zoom In", 26, {}},
      {"Varnel", 24, {}},
  };
  for (const auto& c : cases) {
    Say(c.text);
    ASSERT_EQ(heard_.recognised.size(), 1u) << c.text << " came back as other speech";
    EXPECT_EQ(heard_.recognised[0].id, c.id) << c.text;
    EXPECT_EQ(heard_.recognised[0].listResults, c.items) << c.text;
    EXPECT_EQ(heard_.recognised[0].action, "Varnel");
    heard_.recognised.clear();
  }
  // Menu changes replace the decoder's graph; the one in use must survive them.
  for (int i = 0; i < 3; ++i) {
    ASSERT_FALSE(speech_->SetActive(false));
    ASSERT_FALSE(speech_->SetActive(true));
    const std::string pause(std::size_t{16000} * 2 / 2, '\0');
    ASSERT_EQ(write(audio_, pause.data(), pause.size()), static_cast<ssize_t>(pause.size()));
    loop_.RunUntil([] { return false; }, 100);
  }
  Say("Zoom In");
  ASSERT_EQ(heard_.recognised.size(), 1u) << "lost after menu changes";
  EXPECT_EQ(heard_.recognised[0].id, 26);
  heard_.recognised.clear();
  // A pause shorter than the end of speech, after which decoding has already begun: the
  // words after it still belong to the same command.
  ASSERT_NO_FATAL_FAILURE(SayAcrossAHesitation("Tab", "three", 16, "3"));
  heard_.recognised.clear();
  Say("please send the quarterly report to the finance team before the meeting tomorrow");
  EXPECT_TRUE(heard_.recognised.empty()) << "dictation fired " << heard_.recognised[0].command;
  ASSERT_EQ(heard_.others.size(), 1u);
  EXPECT_EQ(heard_.others[0], "|Varnel");
  // Short enough for the longest command, far too long for the one whose word it holds.
  Say("cancel my subscription");
  EXPECT_TRUE(heard_.recognised.empty()) << "a sentence fired " << heard_.recognised[0].command;
  EXPECT_EQ(heard_.others.size(), 2u);

  // The recogniser going away is reported once.
  StopServer();
  if (const auto log = ServerLog()) {
    // Clean speech over digital silence is decoded as it is.
    EXPECT_EQ(log->find("(noise removed)"), std::string::npos) << *log;
    // The first utterance whole, to give the decoder a cepstral mean; the rest as they came,
    // but for the dictation, too long to be worth decoding.
    EXPECT_EQ(Count(*log, "decoded whole"), 1) << *log;
    EXPECT_EQ(Count(*log, "decoded as it came"), 6) << *log;
  }
  EXPECT_TRUE(loop_.RunUntil([&] { return heard_.lost > 0; }, 5000));
  loop_.RunUntil([] { return false; }, 200);
  EXPECT_EQ(heard_.lost, 1);
  EXPECT_EQ(loop_.Count(), 0u);
  EXPECT_TRUE(speech_->SetActive(false));
}

// A server may send an event right behind a reply, so that one read brings both: the event
// must still reach the program then, not wait in the client until more comes.
TEST(ListenClientEvents, AnEventThatCameWithAReplyIsHandedOut) {
  char tmpl[] = "/tmp/varnel-events-test-XXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  const fs::path sock = dir / "listen.sock";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, sock.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  std::thread server([listener] {
    const int client = accept(listener, nullptr, nullptr);
    listen::FrameReader reader;
    char buf[4096];
    ssize_t n = 0;
    while (client >= 0 && (n = read(client, buf, sizeof buf)) > 0) {
      reader.Append(buf, static_cast<std::size_t>(n));
      while (auto request = reader.Next()) {
        // The reply and an event in one write.
        const std::string both = *listen::EncodeFrame({"ok", request->at(1)}) +
                                 *listen::EncodeFrame({listen::kAwakeEvent, "0"});
        [[maybe_unused]] const auto w = write(client, both.data(), both.size());
      }
    }
    if (client >= 0) {
      close(client);
    }
  });
  setenv("VARNEL_LISTEN_SOCKET", sock.c_str(), 1);
  PollWatcher watcher;
  SpeechError err;
  auto service = CreateListenSpeechService(err, watcher);
  ASSERT_NE(service, nullptr) << err.text;
  Recorder heard;
  EXPECT_FALSE(service->Register(&heard));
  watcher.RunUntil([&] { return !heard.sleeps.empty(); }, 1000);
  EXPECT_EQ(heard.sleeps, std::vector<bool>{true});
  service.reset();  // says goodbye and closes: the server's thread ends
  server.join();
  close(listener);
  unsetenv("VARNEL_LISTEN_SOCKET");
  fs::remove_all(dir);
}

// Another user could serve the socket and type into the user's windows: the client talks only
// to a socket of the user's, in a folder only the user can change, served by the user's own
// process. Needs root to play the other user (nobody).
TEST(ListenClientTrust, RefusesWhatAnotherUserControls) {
  constexpr uid_t kNobody = 65534;
  if (getuid() != 0) {
    GTEST_SKIP() << "needs root to act as another user";
  }
  struct Case {
    const char* name;
    fs::perms folderMode;
    uid_t folderOwner, socketOwner, serverUser;
    const char* says;  // empty: trusted
  } cases[] = {
      {"own", fs::perms::owner_all, 0, 0, 0, ""},
      {"folder of another user", fs::perms::owner_all, kNobody, 0, 0, "is another user's"},
      {"folder others can write", fs::perms::all, 0, 0, 0, "writable by others"},
      {"socket of another user", fs::perms::owner_all, 0, kNobody, 0, "is another user's"},
      {"served by another user", fs::perms::owner_all, 0, 0, kNobody, "served by another user"},
  };
  char tmpl[] = "/tmp/varnel-trust-test-XXXXXX";
  const fs::path root = mkdtemp(tmpl);
  for (const auto& c : cases) {
    const fs::path dir = root / c.name, sock = dir / "listen.sock";
    fs::create_directory(dir);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, sock.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << c.name;
    ASSERT_EQ(chown(sock.c_str(), c.socketOwner, 0), 0);
    fs::permissions(dir, c.folderMode);
    ASSERT_EQ(chown(dir.c_str(), c.folderOwner, 0), 0);
    // The server listens as its user (the peer's credentials are the listener's); a byte says
    // it is ready, then what it receives goes back to the test through the pipe.
    int got[2];
    ASSERT_EQ(pipe(got), 0);
    const pid_t server = fork();
    if (server == 0) {
      close(got[0]);
      if (setuid(c.serverUser) != 0 || ::listen(listener, 4) != 0) {
        _exit(1);
      }
      [[maybe_unused]] const auto ready = write(got[1], "R", 1);
      const int client = accept(listener, nullptr, nullptr);
      char buf[256];
      ssize_t n = 0;
      while (client >= 0 && (n = read(client, buf, sizeof buf)) > 0) {
        [[maybe_unused]] const auto w = write(got[1], buf, static_cast<std::size_t>(n));
      }
      _exit(0);
    }
    close(got[1]);
    char ready = 0;
    ASSERT_EQ(read(got[0], &ready, 1), 1) << c.name << ": the server did not start";
    setenv("VARNEL_LISTEN_SOCKET", sock.c_str(), 1);
    PollWatcher w;
    SpeechError err;
    auto s = CreateListenSpeechService(err, w);
    const bool connected = s != nullptr;
    Recorder r;
    if (s) {
      s->Register(&r);  // the server never answers: only what it received counts
    }
    s.reset();
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    char buf[64];
    const ssize_t received = read(got[0], buf, sizeof buf);
    close(got[0]);
    close(listener);
    if (std::string(c.says).empty()) {
      EXPECT_TRUE(connected) << err.text;
      EXPECT_GT(received, 0) << c.name;
      continue;
    }
    EXPECT_GT(err.number, 0) << c.name;
    EXPECT_NE(err.text.find(c.says), std::string::npos) << c.name << ": " << err.text;
    EXPECT_EQ(err.advice, "Voice off: " + err.text) << c.name;
    EXPECT_LE(received, 0) << c.name << ": the server got a request";
  }
  unsetenv("VARNEL_LISTEN_SOCKET");
  fs::remove_all(root);
}

}  // namespace
}  // namespace varnel
