// The hidden voice form: registers the forty commands and carries out recognised ones.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace varnel {

class Program;

std::int32_t CountSubstrings(const std::string& sText, const std::string& sFind,
                             std::int32_t& lCompare);

class VoxForm final : public SpeechEvents {
 public:
  explicit VoxForm(Program& program) : p_(program) {}
  VoxForm(const VoxForm&) = delete;
  VoxForm& operator=(const VoxForm&) = delete;
  ~VoxForm() = default;

  void Form_Load();    // RegisterCommands
  void Form_Unload();  // UnregisterCommands
  void OnCommandRecognize(const SpeechRecognition& r) override;
  void OnCommandOther(const std::string& command, const std::string& app,
                      const std::string& state) override;
  void OnServiceLost() override;
  void vox_command();

 private:
  void RegisterCommands();
  void UnregisterCommands();

  Program& p_;
  std::unique_ptr<SpeechService> objVox_;
  bool menuCreated_ = false;
  int m_iCommand = 0;
  std::string m_sListResult;
  Hwnd m_hFocus = 0;
  bool m_bFindReady = false;
};

}  // namespace varnel
