// The hidden voice form: registers the forty commands and carries out recognised ones.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/speech.h"
#include "ports/user_notices.h"

namespace varnel {

class Browser;
class SearchActions;
class Settings;
class Messages;
class Summoning;
class ForegroundTracker;
class VoiceActivation;
class SearchWindow;
class WindowUtils;
struct VoiceCommand;

enum class LetterCase : std::uint8_t { Exact, Ignored };

// Non-overlapping occurrences of needle, at most a hundred thousand; none of an empty needle.
std::int32_t CountSubstrings(std::string_view haystack, std::string_view needle,
                             LetterCase letterCase);

// N of the repeating commands: the leading number of the list word, rounded; 0 when there
// is none.
int ListNumber(const std::string& listResult);

// The registration failure message for an error (number 0: no error known) and line
// (0: none known); the service's own advice, when it gives one, instead.
std::string RegistrationFailureText(const std::string& recogniserName, const SpeechError& error,
                                    std::int32_t line);

class VoiceCommandSession final : public SpeechEvents {
 public:
  VoiceCommandSession(EventLoop& loop, Desktop& desktop, FormControls& controls,
                      UserNotices& notices, SpeechServices& speech, Browser& browser,
                      SearchActions& search, Settings& settings, Summoning& summoning,
                      Messages& messages, ForegroundTracker& tracker, VoiceActivation& voice,
                      SearchWindow& window, WindowUtils& winutil)
      : loop_(loop),
        desktop_(desktop),
        controls_(controls),
        notices_(notices),
        speech_(speech),
        browser_(browser),
        search_(search),
        settings_(settings),
        summoning_(summoning),
        messages_(messages),
        tracker_(tracker),
        voice_(voice),
        window_(window),
        winutil_(winutil) {}
  VoiceCommandSession(const VoiceCommandSession&) = delete;
  VoiceCommandSession& operator=(const VoiceCommandSession&) = delete;
  ~VoiceCommandSession() { *alive_ = false; }

  void Start();
  void Stop();
  // Start has run: the form holds (or tried to hold) a registration. A form that only
  // carries out handed-over command phrases is not loaded.
  bool Loaded() const { return loaded_; }

  void OnCommandRecognize(const SpeechRecognition& r) override;
  void OnCommandOther(const std::string& command, const std::string& app,
                      const std::string& state) override;
  void OnServiceLost() override;
  void OnSleepChanged(bool asleep) override;
  // Asks the recogniser to fire commands again if it sleeps.
  void WakeRecogniser();
  // Carries out the oldest recognised command that has not run yet.
  void RunNextCommand();

 private:
  // One recognition waiting for its posted code.
  struct Pending {
    std::int32_t command = 0;
    std::string listResult;
    WindowId focus = 0;
  };

  void RegisterCommands();
  void UnregisterCommands();
  void Run(const VoiceCommand& c, const Pending& what);
  // Through the voice part's key sender, when there is one; false when the system refused
  // the keys. Static: a pause may end this session.
  static bool SendChord(VoiceActivation& voice, bool ctrl, bool alt, bool shift, int vk,
                        std::int32_t pauseMs);

  EventLoop& loop_;
  Desktop& desktop_;
  FormControls& controls_;
  UserNotices& notices_;
  SpeechServices& speech_;
  Browser& browser_;
  SearchActions& search_;
  Settings& settings_;
  Summoning& summoning_;
  Messages& messages_;
  ForegroundTracker& tracker_;
  VoiceActivation& voice_;
  SearchWindow& window_;
  WindowUtils& winutil_;
  std::unique_ptr<SpeechService> service_;
  bool menuCreated_ = false;
  bool loaded_ = false;
  bool lost_ = false;  // the service went away
  // Cleared when the form is destroyed; work that yields checks it before going on.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int command_ = 0;
  std::string listResult_;
  WindowId focus_ = 0;
  bool findReady_ = false;
  // Each posted kRunVoiceCommand carries out its own recognition, so a second command
  // heard before the first has run neither replaces it nor runs twice.
  std::deque<Pending> pending_;
};

}  // namespace varnel
