// The search window built from its design table: a top-level window of class "Varnel" with
// native child controls, painted picture boxes and the microphone image.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "adapters/shared/monitor_places.h"
#include "domain/window_design.h"
#include "ports/platform.h"

namespace varnel::win {

// Private messages of the search window.
inline constexpr UINT kMsgDeferredCode = WM_APP + 1;
inline constexpr UINT kMsgCommandPhrase = WM_APP + 2;
// Tag of the WM_COPYDATA block that carries a command phrase ("VRNL").
inline constexpr ULONG_PTR kPhraseTag = 0x4C4E5256;
inline constexpr std::size_t kMaxPhraseBytes = 4096;

class SearchForm {
 public:
  explicit SearchForm(PlatformEvents*& sink) : sink_(sink) {}
  SearchForm(const SearchForm&) = delete;
  SearchForm& operator=(const SearchForm&) = delete;
  ~SearchForm();

  bool Create(const WindowDesign& design);
  void Destroy();
  HWND Handle() const { return hwnd_; }

  // Key preview and keyboard handling that a dialog manager would do. True when `msg` was
  // consumed and must not be dispatched.
  bool PreTranslate(MSG& msg);

  void StartTimer(UINT intervalMs);
  void SetPointer(Pointer pointer);

  // Geometry in twips (outer window, screen coordinates).
  Rect Frame();  // pixels from the work area's top left
  void SetTop(int top);
  void Move(const Rect& frame);
  void Park();  // out of sight, beyond every monitor
  bool Parked() const { return parked_; }
  WindowState State();
  void SetState(WindowState state);
  Rect WorkArea();

  // Controls.
  std::string Text(ControlRef c);
  void SetText(ControlRef c, const std::string& text);
  int SelStart(ControlRef c);
  int SelLength(ControlRef c);
  void SetSelection(ControlRef c, int start, int length);
  int Value(ControlRef c);
  void SetValue(ControlRef c, int value);
  bool Enabled(ControlRef c);
  void SetEnabled(ControlRef c, bool enabled);
  bool Visible(ControlRef c);
  void SetVisible(ControlRef c, bool visible);
  Colour ForeColor(ControlRef c);
  void SetForeColor(ControlRef c, Colour colour);
  int ControlTop(ControlRef c);
  void SetControlTop(ControlRef c, int top);
  bool SetTabStop(ControlRef c, bool on);
  bool SetFocus(ControlRef c);
  std::optional<ControlRef> ActiveControl();
  HWND ControlWindow(ControlRef c);

 private:
  struct Child {
    ControlDesign design;
    HWND hwnd = nullptr;
    Twips top = 0;
    bool visible = true;
    bool enabled = true;
    bool tabStop = true;
    Colour fore = kBlack;
    Colour back = kWhite;
    std::string text;  // picture boxes and images have none; others mirror the window text
  };

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

  Child* Find(ControlRef c);
  Child* FindByWindow(HWND h);
  RECT PixelRect(const Child& c) const;  // in the form's client area
  // The design's twips in the window's pixels, at the DPI it is laid out at.
  int ToPx(Twips t) const { return MulDiv(t, static_cast<int>(layoutDpi_), kTwipsPerInch); }
  Twips ToTw(int px) const { return MulDiv(px, kTwipsPerInch, static_cast<int>(layoutDpi_)); }
  // `dpi`, or less where the design and the frame would not fit into `work` at `dpi`.
  UINT FittingDpi(UINT dpi, const RECT& work) const;
  // The window's outer size for the design at layoutDpi_ inside a frame at dpi_.
  SIZE OuterSize() const;
  bool EffectivelyVisible(const Child& c);
  void ApplyVisibility();
  void Layout();
  void RebuildFonts();
  HFONT FontFor(const FontSpec& spec);
  HBRUSH BrushFor(Colour colour);
  void Paint(HDC dc);
  void PaintMicrophone(HDC dc, RECT r);
  void SelectOption(Child& option, bool raise);
  void OnCommand(HWND child, WORD code);
  void RaiseClick(ControlRef ref);
  void RestoreFocus();  // the focus to the control that had it, else the terms
  RECT WindowPx();
  // The work area and DPI of the monitor the window's coordinates are measured on.
  struct Monitor {
    HMONITOR handle = nullptr;
    std::string name;  // the display device's, which outlives the handle across replugging
    RECT work{};
    UINT dpi = 96;
  };
  Monitor MonitorInfo(HMONITOR m);
  Monitor ForegroundMonitor();  // the monitor of the window in front
  Monitor ShownOn();            // the monitor the window is measured on
  void RememberPlace(const Monitor& m, int frameLeft);

  PlatformEvents*& sink_;
  const WindowDesign* design_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  static constexpr int kTwipsPerInch = 1440;
  UINT dpi_ = 96;        // the monitor's, for the frame
  UINT layoutDpi_ = 96;  // for the design: dpi_, unless that would not fit the screen
  Pointer pointer_ = Pointer::Normal;
  std::vector<Child> controls_;
  std::map<std::wstring, HFONT> fonts_;
  std::map<Colour, HBRUSH> brushes_;
  std::deque<std::string> phrases_;
  std::map<int, ControlRef> selected_;  // option group -> its selected option
  bool unloading_ = false;
  HWND lastFocus_ = nullptr;  // the control with the focus when the window was last deactivated
  bool parked_ = false;
  HMONITOR monitor_ = nullptr;  // where the frame is measured, from its work area
  MonitorPlaces places_;        // the window's place on each monitor it has been on
};

// The colour of a design value: system colours (high bit set) are looked up.
COLORREF ToColorRef(Colour c);

}  // namespace varnel::win
