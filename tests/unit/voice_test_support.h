// A program on the in-memory platform with a search window, a keystroke object and a
// scripted speech service, plus readers for the keys it sent.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "domain/codes.h"
#include "domain/window_design.h"
#include "support/fake_program.h"
#include "support/fake_speech.h"

namespace varnel::testing {

inline constexpr int kOnScreenTop = 80;

class VoiceTest : public FakeProgramTest {
 protected:
  VoiceTest() {
    fake.speech.speechFactory = [s = script](SpeechError& e) { return s->Create(e); };
    fake.injector.injectedKeysReachHook = false;
    p.voice.keySender = p.voice.MakeKeySender();
    p.window.handle = fake.viewWindow.CreateSearchWindow(SearchWindowDesign());
    p.window.loaded = true;
    Park();
    fake.log.Clear();
  }

  void Park() { fake.viewWindow.Park(); }
  void PutOnScreen() {
    fake.viewWindow.ShowView();
    fake.viewWindow.SetViewTop(kOnScreenTop);
  }

  // Key events as "+vk" (down) and "-vk" (up), with "x" appended for the extended flag,
  // and yields as "Y".
  std::vector<std::string> KeyLog(bool withYields = true) const {
    std::vector<std::string> out;
    for (const auto& c : fake.log.Entries()) {
      if (c.op == "SentKey") {
        std::string e = (c.args[2] != 0 ? "-" : "+") + std::to_string(c.args[0]);
        if (c.args[3] != 0) e += "x";
        out.push_back(e);
      } else if (c.op == "RunPendingEvents" && withYields) {
        out.emplace_back("Y");
      }
    }
    return out;
  }

  // Completed chords: "Ctrl+Alt+Shift+vk" for each non-modifier key pressed.
  std::vector<std::string> Chords() const {
    std::vector<std::string> out;
    bool ctrl = false, alt = false, shift = false;
    for (const auto& c : fake.log.Entries()) {
      if (c.op != "SentKey") continue;
      const bool down = c.args[2] == 0;
      switch (c.args[0]) {
        case 16:
          shift = down;
          break;
        case 17:
          ctrl = down;
          break;
        case 18:
          alt = down;
          break;
        default:
          if (down) {
            out.push_back(std::string(ctrl ? "Ctrl+" : "") + (alt ? "Alt+" : "") +
                          (shift ? "Shift+" : "") + std::to_string(c.args[0]));
          }
      }
    }
    return out;
  }

  // Every key pressed has been released.
  bool AllKeysUp() const {
    std::vector<int> down;
    for (const auto& c : fake.log.Entries()) {
      if (c.op != "SentKey") continue;
      const int vk = static_cast<int>(c.args[0]);
      std::erase(down, vk);
      if (c.args[2] == 0) down.push_back(vk);
    }
    return down.empty();
  }

  std::size_t Posted(Code code) const {
    std::size_t n = 0;
    for (const auto& c : fake.log.Calls("Post")) n += c.args[0] == code ? 1 : 0;
    return n;
  }

  std::shared_ptr<SpeechScript> script = std::make_shared<SpeechScript>();
};

}  // namespace varnel::testing
