// Virtual-key codes: the numbers the key logic, the voice commands and every system layer
// share. They are Windows' own codes; the X11 layer maps keysyms onto them. Letters and
// digits are their upper-case ASCII characters ('A', '1').
#pragma once

namespace varnel::vk {

inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Alt = 18;
inline constexpr int Pause = 19;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Digit1 = 49;   // the digit row: "0" is 48, "1" to "9" follow
inline constexpr int LetterA = 65;  // "A" to "Z" follow in order
inline constexpr int LeftWin = 91;
inline constexpr int Numpad0 = 96;  // "1" to "9" of the keypad follow in order
inline constexpr int Numpad9 = 105;
inline constexpr int RightWin = 92;
inline constexpr int Apps = 93;       // the context-menu key
inline constexpr int Add = 107;       // the keypad's "+"
inline constexpr int Subtract = 109;  // the keypad's "-"
inline constexpr int F1 = 112;        // F2 to F24 follow in order
inline constexpr int FunctionKeys = 24;
// The sided modifiers a low-level hook reports.
inline constexpr int LeftShift = 160;
inline constexpr int RightShift = 161;
inline constexpr int LeftControl = 162;
inline constexpr int RightControl = 163;
inline constexpr int LeftAlt = 164;
inline constexpr int RightAlt = 165;  // AltGr where the layout has one
inline constexpr int Slash = 191;     // the "/?" key of a US layout
// Every code fits in a byte.
inline constexpr int Count = 256;

constexpr int Letter(char upper) {
  return LetterA + (upper - 'A');
}
constexpr int Function(int number) {  // F1 to F24
  return F1 + number - 1;
}

}  // namespace varnel::vk
