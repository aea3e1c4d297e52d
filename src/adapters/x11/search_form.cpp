#include "adapters/x11/search_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

#include "adapters/x11/font_choice.h"
#include "adapters/x11/startup_trace.h"
#include "domain/codes.h"

namespace varnel {
namespace {

constexpr int kTwipsPerPixel = 15;  // device-independent pixels; Qt scales on high-dpi screens
// Room for a frame the window manager has not told yet: a generous title bar and borders.
constexpr QMargins kUntoldFrame(4, 32, 4, 4);

int Px(Twips t) {
  return static_cast<int>(std::lround(t / static_cast<double>(kTwipsPerPixel)));
}

// Names for controls without a caption, for assistive technologies.
QString UncaptionedName(Control id) {
  switch (id) {
    case Control::Terms:
      return QStringLiteral("Search Terms");
    case Control::ScopePanel:
      return QStringLiteral("Search Scope");
    case Control::DatePanel:
      return QStringLiteral("Date Range");
    case Control::TermsFrame:
      return QStringLiteral("Search Terms Frame");
    case Control::Rule:
      return QStringLiteral("Rule");
    case Control::Microphone:
      return QStringLiteral("Microphone");
    default:
      return QStringLiteral("Control");
  }
}

QColor ToColor(Colour c, const QPalette& palette) {
  switch (c.theme) {
    case ThemeColour::WindowBackground:
      return palette.color(QPalette::Base);
    case ThemeColour::WindowText:
      return palette.color(QPalette::Text);
    case ThemeColour::None:
      break;
  }
  return {c.red, c.green, c.blue};
}

QPixmap RenderSvg(const QString& resource, QSize size, qreal ratio) {
  QSvgRenderer renderer(resource);
  QPixmap pm(size * ratio);
  pm.setDevicePixelRatio(ratio);
  pm.fill(Qt::transparent);
  QPainter painter(&pm);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return pm;
}

int Mask(Qt::KeyboardModifiers m) {
  return ((m & Qt::ShiftModifier) ? 1 : 0) + ((m & Qt::ControlModifier) ? 2 : 0) +
         ((m & Qt::AltModifier) ? 4 : 0);
}

}  // namespace

WindowId PseudoHandle(ControlRef c) {
  return 0x80000000U | (static_cast<WindowId>(c.id) << 8) | static_cast<WindowId>(c.index & 0xff);
}

SearchForm::SearchForm(const WindowDesign& design, PlatformEvents* const& sink,
                       std::function<std::uint32_t(std::uint32_t)> vkOfKeycode)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      sink_(sink),
      vkOfKeycode_(std::move(vkOfKeycode)) {
  Build(design);
  qApp->installEventFilter(this);
}

SearchForm::~SearchForm() {
  qApp->removeEventFilter(this);
  // The widgets outlive the members; back to the application's style before this one goes.
  for (Item& i : items_) {
    if (i.widget->style() == &indicatorStyle_) {
      i.widget->setStyle(nullptr);
    }
  }
}

void SearchForm::Build(const WindowDesign& design) {
  setWindowTitle(QString::fromUtf8(design.caption));
  setAccessibleName(QString::fromUtf8(design.caption).trimmed());
  QIcon icon;
  for (int size : {16, 32, 48}) {
    icon.addPixmap(RenderSvg(":/varnel/icon.svg", {size, size}, 1));
  }
  setWindowIcon(icon);
  designedSize_ = QSize(Px(design.clientWidth), Px(design.clientHeight));
  setFixedSize(designedSize_);
  setMouseTracking(true);

  TraceStartup("icon");
  const QStringList installed = QFontDatabase::families();
  TraceStartup("font families");
  QStringList report;
  auto noteFont = [&](const FontSpec& spec, const QFont& f) {
    const QString line = QStringLiteral("%1 %2 -> %3 %4")
                             .arg(QString::fromUtf8(spec.family), QString::number(spec.points),
                                  f.family(), QString::number(f.weight()));
    if (!report.contains(line)) {
      report << line;
    }
  };
  const QFont formFont = ChooseFont(design.font, installed);
  noteFont(design.font, formFont);
  setFont(formFont);
  ApplyColours(this, design.back, kBlack);

  items_.reserve(design.controls.size());
  for (const ControlDesign& d : design.controls) {
    QWidget* parent = this;
    if (d.container.id != Control::Window) {
      if (Item* c = Find(d.container)) {
        parent = c->widget;
      }
    }
    QWidget* w = Make(d, parent);
    if (d.font.family != nullptr) {
      const QFont f = ChooseFont(d.font, installed);
      noteFont(d.font, f);
      w->setFont(f);
    }
    w->setGeometry(Px(d.left), Px(d.top), Px(d.width), Px(d.height));
    if (*d.tooltip != '\0') {
      w->setToolTip(QString::fromUtf8(d.tooltip));
    }
    const QString caption = QString::fromStdString(CaptionText(d.caption));
    w->setAccessibleName(caption.isEmpty() ? UncaptionedName(d.ref.id) : caption);
    items_.push_back({d, w, d.caption, d.fore, true});
  }
  fontReport_ = report.join('\n');
  TraceStartup("controls");
}

QWidget* SearchForm::Make(const ControlDesign& d, QWidget* parent) {
  QWidget* w = nullptr;
  const QString caption = QString::fromUtf8(d.caption);
  switch (d.kind) {
    case ControlKind::Label: {
      auto* l = new QLabel(QString::fromStdString(CaptionText(d.caption)), parent);
      l->setTextFormat(Qt::PlainText);
      l->setWordWrap(true);
      l->setAlignment((d.align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      l->setAutoFillBackground(true);
      if (d.ref.id == Control::DoIt) {
        l->setMouseTracking(true);
        l->installEventFilter(this);
      }
      w = l;
      break;
    }
    case ControlKind::PictureBox: {
      w = new QWidget(parent);
      w->setAutoFillBackground(true);
      break;
    }
    case ControlKind::TextBox: {
      auto* e = new QLineEdit(parent);
      e->setFrame(false);
      e->setFocusPolicy(Qt::ClickFocus);
      w = e;
      break;
    }
    case ControlKind::OptionButton: {
      auto* r = new QRadioButton(caption, parent);
      r->setStyle(&indicatorStyle_);
      r->setShortcut(QKeySequence());  // accelerators are the program's (OnAltCharacter)
      r->setFocusPolicy(Qt::ClickFocus);
      r->setAutoFillBackground(true);
      if (d.group >= static_cast<int>(groups_.size())) {
        groups_.resize(d.group + 1, nullptr);
      }
      if (groups_[d.group] == nullptr) {
        groups_[d.group] = new QButtonGroup(this);
      }
      groups_[d.group]->addButton(r);
      r->setChecked(d.ref.index == 0);
      const ControlRef ref = d.ref;
      connect(r, &QRadioButton::clicked, this, [this, ref] { Raise(ref); });
      w = r;
      break;
    }
    case ControlKind::CheckBox: {
      auto* c = new QCheckBox(caption, parent);
      c->setStyle(&indicatorStyle_);
      c->setShortcut(QKeySequence());
      c->setFocusPolicy(Qt::ClickFocus);
      c->setAutoFillBackground(true);
      const ControlRef ref = d.ref;
      connect(c, &QCheckBox::clicked, this, [this, ref] { Raise(ref); });
      w = c;
      break;
    }
    case ControlKind::CommandButton: {
      auto* b = new QPushButton(caption, parent);
      b->setShortcut(QKeySequence());
      b->setFocusPolicy(Qt::ClickFocus);
      const ControlRef ref = d.ref;
      connect(b, &QPushButton::clicked, this, [this, ref] { Raise(ref); });
      w = b;
      break;
    }
    case ControlKind::Image: {
      auto* l = new QLabel(parent);
      const QSize size(Px(d.width), Px(d.height));
      l->setPixmap(RenderSvg(":/varnel/mic.svg", size, devicePixelRatioF()));
      w = l;
      break;
    }
  }
  ApplyColours(w, d.back, d.fore);
  return w;
}

void SearchForm::ApplyColours(QWidget* w, Colour back, Colour fore) const {
  QPalette pal = w->palette();
  const QColor b = ToColor(back, pal);
  const QColor f = ToColor(fore, pal);
  pal.setColor(QPalette::Window, b);
  pal.setColor(QPalette::Base, b);
  pal.setColor(QPalette::Button, b);
  pal.setColor(QPalette::WindowText, f);
  pal.setColor(QPalette::Text, f);
  pal.setColor(QPalette::ButtonText, f);
  w->setPalette(pal);
}

const SearchForm::Item* SearchForm::Find(ControlRef c) const {
  for (const Item& i : items_) {
    if (i.design.ref == c) {
      return &i;
    }
  }
  return nullptr;
}

SearchForm::Item* SearchForm::Find(ControlRef c) {
  return const_cast<Item*>(std::as_const(*this).Find(c));
}

QWidget* SearchForm::Widget(ControlRef c) const {
  if (c.id == Control::Window) {
    return const_cast<SearchForm*>(this);
  }
  const Item* i = Find(c);
  return i != nullptr ? i->widget : nullptr;
}

std::optional<ControlRef> SearchForm::RefOf(const QWidget* w) const {
  for (const QWidget* cur = w; cur != nullptr && cur != this; cur = cur->parentWidget()) {
    for (const Item& i : items_) {
      if (i.widget == cur) {
        return i.design.ref;
      }
    }
  }
  return std::nullopt;
}

std::optional<ControlRef> SearchForm::FocusedControl() const {
  const QWidget* f = focusWidget();
  if (f == nullptr) {
    return std::nullopt;
  }
  return RefOf(f);
}

// ---- the form

void SearchForm::ShowForm() {
  shown_ = true;
  if (!parked_) {
    show();
  }
}

QRect SearchForm::Frame() const {
  return {QPoint(leftPx_, topPx_), frameGeometry().size()};
}

void SearchForm::Park() {
  // Withdrawn, so it is never seen and never takes the focus.
  parked_ = true;
  if (isVisible()) {
    hide();
  }
}

void SearchForm::SetTop(int top) {
  parked_ = false;
  topPx_ = top;
  placedAt_ = QPoint(leftPx_, topPx_);
  if (!placed_ && shown_) {
    // Before the first mapping the toolkit places the inside of the window where the frame
    // should go; the frame would then sit above and left of the program's place.
    setGeometry(QRect(QPoint(leftPx_ + frame_.left(), topPx_ + frame_.top()), size()));
    placed_ = true;
  } else {
    move(leftPx_, topPx_);
  }
  if (shown_ && !isVisible()) {
    show();
  }
}

void SearchForm::SetPlace(QPoint frameTopLeft) {
  leftPx_ = frameTopLeft.x();
  SetTop(frameTopLeft.y());
}

void SearchForm::FitInto(QRect area, Fit how) {
  // A window manager that has not told its frame yet may still draw one; a window too big
  // for the area with it would be moved by the manager, title bar off the screen.
  const QMargins frame = frameKnown_ ? frame_ : kUntoldFrame;
  // Measured from the designed size, so a window shrunk for a small monitor grows back on a
  // bigger one and fitting twice to one area changes nothing.
  const QSize outer = designedSize_.grownBy(frame);
  // The program puts the window a little above the middle, not at the top: a frame's height
  // more in hand keeps its bottom edge in the area too.
  const QSize room = area.size().shrunkBy(QMargins(0, frame.top(), 0, frame.bottom()));
  const double scale = std::min({1.0, room.width() / static_cast<double>(outer.width()),
                                 room.height() / static_cast<double>(outer.height())});
  const QSize inner(static_cast<int>(outer.width() * scale) - frame.left() - frame.right(),
                    static_cast<int>(outer.height() * scale) - frame.top() - frame.bottom());
  // Nothing to do when the design fits and was never shrunk (the size then stays whatever
  // the program last gave it), when it is fitted to this area already, or when only a
  // shrink is asked for and this would grow it.
  if ((scale_ >= 1.0 && scale >= 1.0) || (scale == scale_ && inner == size()) ||
      (how == Fit::ShrinkOnly && scale >= scale_)) {
    return;
  }
  const double change = scale / scale_;
  scale_ = scale;
  indicatorStyle_.SetScale(scale_);
  auto scaled = [this](Twips t) {
    return static_cast<int>(std::lround(t * scale_ / kTwipsPerPixel));
  };
  auto scaleFont = [change](QWidget* w) {
    QFont f = w->font();
    f.setPointSizeF(f.pointSizeF() * change);
    w->setFont(f);
  };
  // The outer size must fit: the inside rounded down.
  setFixedSize(inner);
  scaleFont(this);
  for (Item& i : items_) {
    const ControlDesign& d = i.design;
    i.widget->setGeometry(scaled(d.left), scaled(d.top), scaled(d.width), scaled(d.height));
    if (d.font.family != nullptr) {
      scaleFont(i.widget);
    }
    if (auto* image = qobject_cast<QLabel*>(i.widget);
        image != nullptr && d.kind == ControlKind::Image) {
      image->setPixmap(RenderSvg(":/varnel/mic.svg", image->size(), devicePixelRatioF()));
    }
  }
}

void SearchForm::LearnFrame(QMargins frame, QRect area) {
  if (frameKnown_ && frame == frame_) {
    return;
  }
  if (!frameKnown_) {
    // Moves before the frame was told were the manager's, not the user's.
    leftPx_ = placedAt_.x();
    topPx_ = placedAt_.y();
  }
  frame_ = frame;
  frameKnown_ = true;
  // The place was chosen for the size the window has: a frame thinner than feared must not
  // push its bottom out of the area.
  FitInto(area, Fit::ShrinkOnly);
  if (placed_ && isVisible() && !parked_) {
    // The inside, not the frame: the toolkit may not know the new frame yet.
    setGeometry(QRect(QPoint(leftPx_ + frame_.left(), topPx_ + frame_.top()), size()));
  }
}

void SearchForm::MoveTo(const QRect& frame) {
  leftPx_ = frame.left();
  // The design fixes the size; a different outer size changes the inner one by as much.
  const QSize frameExtra = frameGeometry().size() - size();
  const QSize inner = frame.size() - frameExtra;
  if (inner != size() && inner.width() > 0 && inner.height() > 0) {
    setFixedSize(inner);
  }
  if (parked_) {
    topPx_ = frame.top();  // where it comes back
  } else {
    SetTop(frame.top());
  }
}

void SearchForm::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible() && !parked_) {  // the user dragged the window
    // The toolkit learns the frame a little after the mapping; until then the frame known
    // beforehand stands in.
    const QPoint frame = frameGeometry().topLeft() == geometry().topLeft()
                             ? geometry().topLeft() - QPoint(frame_.left(), frame_.top())
                             : frameGeometry().topLeft();
    leftPx_ = frame.x();
    topPx_ = frame.y();
  }
}

// ---- controls

std::string SearchForm::Text(ControlRef c) const {
  const Item* i = Find(c);
  if (i == nullptr) {
    return c.id == Control::Window ? windowTitle().toStdString() : "";
  }
  if (auto* e = qobject_cast<QLineEdit*>(i->widget)) {
    return e->text().toStdString();
  }
  return i->caption;
}

void SearchForm::SetText(ControlRef c, const std::string& text) {
  if (c.id == Control::Window) {
    setWindowTitle(QString::fromStdString(text));
    return;
  }
  Item* i = Find(c);
  if (i == nullptr) {
    return;
  }
  if (auto* e = qobject_cast<QLineEdit*>(i->widget)) {
    e->setText(QString::fromStdString(text));
    e->setCursorPosition(0);  // as a Win32 edit control leaves it; Qt would put it at the end
    return;
  }
  i->caption = text;
  if (auto* l = qobject_cast<QLabel*>(i->widget)) {
    l->setText(QString::fromStdString(CaptionText(text.c_str())));
  } else if (auto* b = qobject_cast<QAbstractButton*>(i->widget)) {
    b->setText(QString::fromStdString(text));
    b->setShortcut(QKeySequence());
  }
  const QString name = QString::fromStdString(CaptionText(text.c_str()));
  if (!name.isEmpty()) {
    i->widget->setAccessibleName(name);
  }
}

int SearchForm::SelStart(ControlRef c) const {
  auto* e = qobject_cast<QLineEdit*>(Widget(c));
  if (e == nullptr) {
    return 0;
  }
  return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

int SearchForm::SelLength(ControlRef c) const {
  auto* e = qobject_cast<QLineEdit*>(Widget(c));
  return e != nullptr && e->hasSelectedText() ? e->selectionLength() : 0;
}

void SearchForm::SetSelection(ControlRef c, int start, int length) {
  auto* e = qobject_cast<QLineEdit*>(Widget(c));
  if (e == nullptr) {
    return;
  }
  const QString text = e->text();
  const int size = static_cast<int>(text.size());
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  // Positions are UTF-16 units: never leave one end between the halves of a surrogate pair.
  auto splitsPair = [&text](int at) {
    return at > 0 && at < text.size() && text.at(at).isLowSurrogate() &&
           text.at(at - 1).isHighSurrogate();
  };
  if (splitsPair(start)) {
    --start;
    ++length;
  }
  if (splitsPair(start + length)) {
    ++length;
  }
  if (length == 0) {
    e->deselect();
    e->setCursorPosition(start);
  } else {
    e->setSelection(start, length);
  }
}

int SearchForm::Value(ControlRef c) const {
  auto* b = qobject_cast<QAbstractButton*>(Widget(c));
  return b != nullptr && b->isChecked() ? 1 : 0;
}

void SearchForm::Select(Item& item, bool checked) {
  auto* b = qobject_cast<QAbstractButton*>(item.widget);
  if (b == nullptr) {
    return;
  }
  QButtonGroup* g = b->group();
  if (!checked && g != nullptr && g->exclusive()) {
    // An exclusive group refuses to clear its checked button; clearing one is allowed here.
    g->setExclusive(false);
    b->setChecked(false);
    g->setExclusive(true);
    return;
  }
  b->setChecked(checked);
}

void SearchForm::SetValue(ControlRef c, int value) {
  Item* i = Find(c);
  if (i == nullptr) {
    return;
  }
  auto* b = qobject_cast<QAbstractButton*>(i->widget);
  if (b == nullptr) {
    return;
  }
  const bool on = value != 0;
  const bool changed = b->isChecked() != on;
  Select(*i, on);
  if (i->design.kind == ControlKind::OptionButton) {
    // A scope that becomes selected raises its click, as the Win32 view does; selecting it
    // again, or a date range, raises nothing.
    if (on && changed && c.id == Control::Scope) {
      Raise(c);
    }
  } else if (changed) {
    Raise(c);
  }
}

Colour SearchForm::ForeColor(ControlRef c) const {
  const Item* i = Find(c);
  return i != nullptr ? i->fore : kBlack;
}

void SearchForm::SetForeColor(ControlRef c, Colour colour) {
  Item* i = Find(c);
  if (i == nullptr || i->fore == colour) {
    return;
  }
  i->fore = colour;
  ApplyColours(i->widget, i->design.back, colour);
}

bool SearchForm::SetTabStop(ControlRef c, bool on) {
  Item* i = Find(c);
  if (i == nullptr || i->design.kind == ControlKind::Label ||
      i->design.kind == ControlKind::Image) {
    return false;
  }
  i->tabStop = on;  // Tab itself never reaches the controls; see PreviewKey()
  return true;
}

bool SearchForm::SetFocus(ControlRef c) {
  QWidget* w = Widget(c);
  if (w == nullptr || c.id == Control::Window || !w->isEnabled() || w->isHidden() ||
      w->focusPolicy() == Qt::NoFocus) {
    return false;
  }
  w->setFocus(Qt::OtherFocusReason);
  return true;
}

void SearchForm::Raise(ControlRef c) {
  if (sink_ != nullptr) {
    sink_->OnClick(c);
  }
}

// ---- events

void SearchForm::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (sink_ != nullptr && !sink_->OnCloseRequest()) {
    event->ignore();  // hidden instead, while the tray icon stays
    return;
  }
  closing_ = true;
  if (sink_ != nullptr) {
    sink_->OnViewClosed();
  }
  event->accept();
  if (onClosed) {
    onClosed();
  }
}

void SearchForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Parked and shown again before the input focus left it: the toolkit's focus window never
  // changed, so nothing would make the form active again and it would look unfocused.
  if (QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this) {
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(this);
    QT_WARNING_POP
  }
}

void SearchForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (sink_ == nullptr) {
    return;
  }
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
    sink_->OnDeactivate();
  } else if (event->type() == QEvent::WindowStateChange) {
    sink_->OnViewResized();
  }
}

void SearchForm::mouseMoveEvent(QMouseEvent* event) {
  // Only the form's own background; moves over child controls bubble up to here too.
  if (sink_ != nullptr && childAt(event->position().toPoint()) == nullptr) {
    sink_->OnPointerOver({Control::Window, 0});
  }
  QWidget::mouseMoveEvent(event);
}

void SearchForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (sink_ != nullptr && childAt(event->position().toPoint()) == nullptr) {
    sink_->OnBackgroundDoubleClick();
  }
  QWidget::mouseDoubleClickEvent(event);
}

bool SearchForm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if (watched == this && t == QEvent::Paint && !painted_) {
    painted_ = true;
    TraceStartup("first paint");
  }
  if (t == QEvent::KeyPress || t == QEvent::KeyRelease) {
    return PreviewKey(watched, static_cast<QKeyEvent*>(event));
  }
  QWidget* doit = Widget({Control::DoIt, 0});
  if (watched == doit && sink_ != nullptr) {
    auto* m = static_cast<QMouseEvent*>(event);
    if (t == QEvent::MouseMove) {
      sink_->OnPointerOver({Control::DoIt, 0});
    } else if (t == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
      doitPressed_ = true;
    } else if (t == QEvent::MouseButtonRelease && m->button() == Qt::LeftButton) {
      const bool inside = doit->rect().contains(m->position().toPoint());
      if (doitPressed_ && inside) {
        doitPressed_ = false;
        sink_->OnClick({Control::DoIt, 0});
        return true;
      }
      doitPressed_ = false;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Key preview: the program sees every key of the window before the focused control.
bool SearchForm::PreviewKey(QObject* watched, QKeyEvent* key) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (w == nullptr || w->window() != this) {
    return false;
  }
  // Qt offers one key event to each parent in turn; take it once, at its first receiver: the
  // window's own focus widget, which gets the keys even while the form is not the active window.
  QWidget* first = focusWidget();
  if (first == nullptr) {
    first = this;
  }
  if (w != first) {
    return false;
  }
  if (sink_ == nullptr) {
    return false;
  }

  const Qt::KeyboardModifiers mods = key->modifiers();
  const std::uint32_t vk = vkOfKeycode_(key->nativeScanCode());
  if (key->type() == QEvent::KeyRelease) {
    if (!key->isAutoRepeat() && vk != 0) {
      sink_->OnKeyUp(static_cast<int>(vk), Mask(mods));
    }
    return false;
  }
  bool swallow = vk != 0 && sink_->OnKeyDown(static_cast<int>(vk), Mask(mods), key->isAutoRepeat());
  if ((mods & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) == Qt::AltModifier) {
    const QString text = key->text();
    const char32_t ch = text.size() == 1 ? text.at(0).unicode() : 0;
    swallow = sink_->OnAltCharacter(ch) || swallow;
    return swallow;
  }
  if (swallow) {
    return true;
  }

  int ch = 0;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    ch = 13;
  } else if (key->key() == Qt::Key_Escape) {
    ch = 27;
  } else if (key->text().size() == 1) {
    ch = key->text().at(0).unicode();
  }
  if (ch == 0) {
    return false;
  }
  sink_->OnCharacterTyped(ch);
  return ch == 0;
}

}  // namespace varnel
