// The search window's design as data: every real platform layer builds the window from it.
// Positions and sizes are in twips relative to the control's container.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "domain/controls.h"
#include "domain/scope_table.h"

namespace varnel {

enum class ControlKind : std::uint8_t {
  Label,
  PictureBox,
  TextBox,
  OptionButton,
  CheckBox,
  CommandButton,
  Image,
};

struct FontSpec {
  const char* family = nullptr;  // nullptr: inherit the form's font
  double points = 0;
  bool bold = false;
  int weight = 400;  // CSS-style weight: 300 semilight, 400 regular, 600 semibold, 700 bold
};

enum class Align : std::uint8_t { Left, Centre };

struct ControlDesign {
  ControlRef ref;
  ControlKind kind = ControlKind::Label;
  ControlRef container;      // Control::Window for controls on the form itself
  const char* caption = "";  // "&" marks the accelerator
  Twips left = 0, top = 0, width = 0, height = 0;
  FontSpec font;
  Colour back = kWhite;
  Colour fore = kBlack;
  int tabIndex = -1;
  const char* tooltip = "";
  Align align = Align::Left;
  int group = 0;  // option buttons with the same non-zero group are exclusive
};

struct WindowDesign {
  const char* caption = "";
  Twips clientWidth = 0, clientHeight = 0;
  Colour back = kWhite;
  FontSpec font;
  std::uint32_t timerIntervalMs = 0;
  std::span<const ControlDesign> controls;
};

// The search window for a scope table: one option button a row, in rows of four; the panel
// and the window grow when the rows need more room.
class SearchWindowLayout {
 public:
  explicit SearchWindowLayout(std::span<const Scope> scopes);
  SearchWindowLayout(const SearchWindowLayout&) = delete;
  SearchWindowLayout& operator=(const SearchWindowLayout&) = delete;
  ~SearchWindowLayout() = default;

  const WindowDesign& Design() const { return design_; }

 private:
  std::vector<ControlDesign> controls_;
  WindowDesign design_;
};

// The search window for the built-in scopes.
const WindowDesign& SearchWindowDesign();

// The caption without its "&" accelerator marks ("&&" stays one "&").
std::string CaptionText(const char* caption);
// The accelerator letter of a caption, lower-cased; 0 when it has none.
char CaptionAccelerator(const char* caption);

}  // namespace varnel
