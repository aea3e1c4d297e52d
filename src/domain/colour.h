// A colour of the design: a fixed red, green and blue, or one of the desktop theme's colours,
// which each system resolves when it draws so the window follows the user's theme.
#pragma once

#include <compare>
#include <cstdint>

namespace varnel {

enum class ThemeColour : std::uint8_t { None, WindowBackground, WindowText };

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  ThemeColour theme = ThemeColour::None;

  static constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {r, g, b, ThemeColour::None};
  }
  static constexpr Colour Themed(ThemeColour t) { return {0, 0, 0, t}; }
  [[nodiscard]] constexpr bool IsThemed() const { return theme != ThemeColour::None; }

  friend constexpr auto operator<=>(const Colour&, const Colour&) = default;
};

// The design's colours.
inline constexpr Colour kHeadingBlue = Colour::Rgb(0x00, 0x73, 0xE6);
inline constexpr Colour kHoverGreen = Colour::Rgb(0xAE, 0xFF, 0xAE);
inline constexpr Colour kWhite = Colour::Rgb(0xFF, 0xFF, 0xFF);
inline constexpr Colour kBlack = Colour::Rgb(0x00, 0x00, 0x00);
inline constexpr Colour kThemeBackground = Colour::Themed(ThemeColour::WindowBackground);
inline constexpr Colour kThemeText = Colour::Themed(ThemeColour::WindowText);

}  // namespace varnel
