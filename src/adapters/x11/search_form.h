// The search window as Qt widgets, built from the design table. It previews the keys typed
// into any of its controls and reports the window's events to the program.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "adapters/x11/fitted_indicator_style.h"
#include "domain/window_design.h"
#include "ports/platform.h"

class QButtonGroup;

namespace varnel {

class SearchForm final : public QWidget {
 public:
  // `sink` is read at every event (the program may come and go); `vkOfKeycode` maps an X
  // keycode to its virtual-key code.
  SearchForm(const WindowDesign& design, PlatformEvents* const& sink,
             std::function<std::uint32_t(std::uint32_t)> vkOfKeycode);
  ~SearchForm() override;

  // The program asked the window to close itself or the user closed it.
  std::function<void()> onClosed;

  // ---- the form
  void ShowForm();
  bool Shown() const { return shown_; }
  bool Parked() const { return parked_; }
  QRect Frame() const;  // the outer frame; parked, where it was last seen
  void Park();
  void SetTop(int top);                // and shows a parked window again
  void SetPlace(QPoint frameTopLeft);  // the same with a new left
  void MoveTo(const QRect& frame);
  // The window manager's frame, known before the window is first mapped, so that the first
  // showing lands where the program puts it.
  void SetFrameExtents(QMargins frame) {
    frame_ = frame;
    frameKnown_ = true;
  }
  // Scales the whole design down (controls, fonts and picture together) when the window and
  // its frame do not fit into `area`; with Fit::Grow also back up, as far as the design's
  // own size, when the area has more room than the window was fitted to.
  enum class Fit { ShrinkOnly, Grow };
  void FitInto(QRect area, Fit how = Fit::Grow);
  // The frame as the window manager put it, for managers that tell it only once the window
  // is mapped: the window shrinks to fit `area` with it, and the frame goes to the program's
  // place.
  void LearnFrame(QMargins frame, QRect area);

  // ---- controls
  QWidget* Widget(ControlRef c) const;
  std::optional<ControlRef> RefOf(const QWidget* w) const;
  std::optional<ControlRef> FocusedControl() const;
  std::string Text(ControlRef c) const;
  void SetText(ControlRef c, const std::string& text);
  int SelStart(ControlRef c) const;
  int SelLength(ControlRef c) const;
  void SetSelection(ControlRef c, int start, int length);
  int Value(ControlRef c) const;
  void SetValue(ControlRef c, int value);
  Colour ForeColor(ControlRef c) const;
  void SetForeColor(ControlRef c, Colour colour);
  bool SetTabStop(ControlRef c, bool on);
  bool SetFocus(ControlRef c);
  // The installed fonts chosen for the design's fonts, "design -> chosen" one a line.
  QString FontReport() const { return fontReport_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  struct Item {
    ControlDesign design;
    QWidget* widget = nullptr;
    std::string caption;
    Colour fore = kBlack;
    bool tabStop = true;
  };

  void Build(const WindowDesign& design);
  QWidget* Make(const ControlDesign& d, QWidget* parent);
  const Item* Find(ControlRef c) const;
  Item* Find(ControlRef c);
  void ApplyColours(QWidget* w, Colour back, Colour fore) const;
  bool PreviewKey(QObject* watched, QKeyEvent* key);
  void Raise(ControlRef c);
  void Select(Item& item, bool checked);

  PlatformEvents* const& sink_;
  std::function<std::uint32_t(std::uint32_t)> vkOfKeycode_;
  std::vector<Item> items_;
  std::vector<QButtonGroup*> groups_;
  // Set on the option buttons and check boxes; they let go of it before it goes.
  FittedIndicatorStyle indicatorStyle_;
  QString fontReport_;
  bool shown_ = false;
  bool parked_ = false;
  bool closing_ = false;
  int leftPx_ = 0, topPx_ = 0;
  QMargins frame_;
  bool frameKnown_ = false;  // told by the window manager, before or after the mapping
  QPoint placedAt_;          // where the program last put the frame
  QSize designedSize_;       // inside, before any fitting
  double scale_ = 1.0;       // of the design, after FitInto
  bool placed_ = false;      // mapped at least once: the toolkit knows the frame from then on
  bool doitPressed_ = false;
  bool painted_ = false;
};

// Stable stand-ins for control handles: controls are not X windows, and the top bit keeps
// these apart from every X resource id.
WindowId PseudoHandle(ControlRef c);

}  // namespace varnel
