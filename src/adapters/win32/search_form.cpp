#include "adapters/win32/search_form.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "adapters/win32/win_handles.h"
#include "adapters/win32/win_text.h"
#include "domain/codes.h"

namespace varnel::win {
namespace {

constexpr wchar_t kClassName[] = L"Varnel";
constexpr UINT_PTR kTimerId = 1;
constexpr int kFirstControlId = 100;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
constexpr int kParkGap = 100;         // pixels between the parked window and the screen
constexpr double kPointsPerInch = 72.0;
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// However small the screen, the design is not laid out smaller than at half the usual DPI.
constexpr UINT kLeastLayoutDpi = 48;
// How far the window's place may round off, as the program works it out in twips.
constexpr long kPlaceRoundingPx = 2;

Rect ToRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// A user32 function of newer Windows versions than the oldest this runs on; null there.
template <typename Fn>
Fn NewerUser32(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT MonitorDpi(HMONITOR m, UINT fallback) {
  using Fn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto fn = [] {
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    return shcore == nullptr ? nullptr
                             : reinterpret_cast<Fn>(reinterpret_cast<void*>(
                                   GetProcAddress(shcore, "GetDpiForMonitor")));
  }();
  UINT x = 0, y = 0;
  if (fn != nullptr && m != nullptr && SUCCEEDED(fn(m, 0, &x, &y)) && y != 0) {
    return y;
  }
  return fallback;
}

// WM_SYSCOMMAND's low four bits are the system's own.
constexpr WPARAM kSysCommandMask = 0xFFF0;

UINT WindowDpi(HWND h) {
  using Fn = UINT(WINAPI*)(HWND);
  static const auto fn = NewerUser32<Fn>("GetDpiForWindow");
  if (fn != nullptr && h != nullptr) {
    const UINT dpi = fn(h);
    if (dpi != 0) {
      return dpi;
    }
  }
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The side of a check box's or option button's box as the system draws it at `dpi`.
int CheckBoxSide(UINT dpi) {
  using Fn = int(WINAPI*)(int, UINT);
  static const auto fn = NewerUser32<Fn>("GetSystemMetricsForDpi");
  if (fn != nullptr) {
    return fn(SM_CXMENUCHECK, dpi);
  }
  return MulDiv(GetSystemMetrics(SM_CXMENUCHECK), static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

void AdjustForDpi(RECT& r, DWORD style, DWORD exStyle, UINT dpi) {
  using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto fn = NewerUser32<Fn>("AdjustWindowRectExForDpi");
  if (fn != nullptr && fn(&r, style, FALSE, exStyle, dpi) != 0) {
    return;
  }
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(const std::wstring& family) {
  if (family.empty() || family.size() >= LF_FACESIZE) {
    return false;
  }
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  family.copy(lf.lfFaceName, family.size());
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &lf, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// The installed family closest to the designed one: the design names weights as families
// ("Segoe UI Semilight") that older systems lack.
std::wstring ChooseFamily(const std::wstring& designed) {
  std::vector<std::wstring> candidates{designed};
  for (const wchar_t* suffix : {L" Semilight", L" Semibold", L" Light"}) {
    const std::wstring s(suffix);
    if (designed.size() > s.size() && designed.ends_with(s)) {
      candidates.push_back(designed.substr(0, designed.size() - s.size()));
    }
  }
  if (designed == L"MS Sans Serif") {
    candidates.emplace_back(L"Microsoft Sans Serif");
  }
  candidates.emplace_back(L"Segoe UI");
  candidates.emplace_back(L"Tahoma");
  for (const auto& c : candidates) {
    if (FontInstalled(c)) {
      return c;
    }
  }
  return designed;
}

bool IsOption(const ControlDesign& d) {
  return d.kind == ControlKind::OptionButton;
}

// The modifiers held now, Shift 1, Ctrl 2, Alt 4.
int ModifierMask() {
  return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

bool HasWindow(ControlKind k) {
  return k != ControlKind::PictureBox && k != ControlKind::Image;
}

}  // namespace

COLORREF ToColorRef(Colour c) {
  switch (c.theme) {
    case ThemeColour::WindowBackground:
      return GetSysColor(COLOR_WINDOW);
    case ThemeColour::WindowText:
      return GetSysColor(COLOR_WINDOWTEXT);
    case ThemeColour::None:
      break;
  }
  return RGB(c.red, c.green, c.blue);
}

SearchForm::~SearchForm() {
  Destroy();
  for (auto& [key, font] : fonts_) {
    DeleteObject(font);
  }
  for (auto& [key, brush] : brushes_) {
    DeleteObject(brush);
  }
}

bool SearchForm::Create(const WindowDesign& design) {
  if (hwnd_ != nullptr) {
    return true;
  }
  design_ = &design;
  HINSTANCE inst = GetModuleHandleW(nullptr);

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = inst;
  wc.hIcon = static_cast<HICON>(
      LoadImageW(inst, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when already registered

  hwnd_ = CreateWindowExW(0, kClassName, Widen(design.caption).c_str(), kWindowStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, 400, 400, nullptr, nullptr, inst, this);
  if (hwnd_ == nullptr) {
    return false;
  }
  dpi_ = WindowDpi(hwnd_);
  layoutDpi_ =
      FittingDpi(dpi_, MonitorInfo(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY)).work);
  const SIZE outer = OuterSize();
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  controls_.clear();
  controls_.reserve(design.controls.size());
  for (const auto& d : design.controls) {
    Child c;
    c.design = d;
    c.top = d.top;
    c.fore = d.fore;
    c.back = d.back;
    c.text = d.caption;
    c.tabStop = d.kind != ControlKind::Label && d.kind != ControlKind::Image;
    controls_.push_back(c);
  }

  int id = kFirstControlId;
  bool previousWasOption = false;
  for (auto& c : controls_) {
    const auto& d = c.design;
    if (!HasWindow(d.kind)) {
      previousWasOption = false;
      continue;
    }
    // Each option group starts a dialog group and everything else is a group of its own,
    // so automatic radio buttons only ever clear their own group.
    DWORD s = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    if (!IsOption(d) || !previousWasOption) {
      s |= WS_GROUP;
    }
    const wchar_t* cls = L"STATIC";
    switch (d.kind) {
      case ControlKind::Label:
        s |= d.align == Align::Centre ? SS_CENTER : SS_LEFT;
        if (d.ref.id == Control::Message) {
          // One line: where a scale's fonts run a little wider, an ellipsis ends it rather
          // than a second line below the control's edge.
          s = (s & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS;
        }
        if (d.ref.id == Control::DoIt) {
          s |= SS_NOTIFY;
        }
        break;
      case ControlKind::TextBox:
        cls = L"EDIT";
        s |= ES_AUTOHSCROLL | ES_LEFT;
        break;
      case ControlKind::OptionButton:
        cls = L"BUTTON";
        s |= BS_AUTORADIOBUTTON;
        break;
      case ControlKind::CheckBox:
        cls = L"BUTTON";
        s |= BS_AUTOCHECKBOX;
        break;
      case ControlKind::CommandButton:
        cls = L"BUTTON";
        s |= BS_PUSHBUTTON;
        break;
      default:
        break;
    }
    previousWasOption = IsOption(d);
    c.hwnd = CreateWindowExW(0, cls, Widen(c.text).c_str(), s, 0, 0, 1, 1, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), inst, nullptr);
    if (c.hwnd == nullptr) {
      continue;
    }
    // A later control of the design lies above an earlier one it overlaps.
    SetWindowPos(c.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (d.ref.id == Control::DoIt) {
      SetWindowSubclass(c.hwnd, LabelProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    if (IsOption(d) && d.ref.index == 0) {
      SendMessageW(c.hwnd, BM_SETCHECK, BST_CHECKED, 0);
      selected_[d.group] = d.ref;
    }
    if (d.tooltip != nullptr && *d.tooltip != '\0') {
      if (tooltip_ == nullptr) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, inst, nullptr);
      }
      if (tooltip_ != nullptr) {
        std::wstring tip = Widen(d.tooltip);
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd_;
        ti.uId = reinterpret_cast<UINT_PTR>(c.hwnd);
        ti.lpszText = tip.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
      }
    }
  }
  RebuildFonts();
  Layout();
  if (design.timerIntervalMs != 0) {
    StartTimer(design.timerIntervalMs);
  }
  return true;
}

void SearchForm::Destroy() {
  if (hwnd_ == nullptr) {
    return;
  }
  HWND h = hwnd_;
  KillTimer(h, kTimerId);
  DestroyWindow(h);  // WM_DESTROY clears hwnd_
  hwnd_ = nullptr;
  tooltip_ = nullptr;
  for (auto& c : controls_) {
    c.hwnd = nullptr;
  }
}

void SearchForm::StartTimer(UINT intervalMs) {
  if (hwnd_ != nullptr) {
    SetTimer(hwnd_, kTimerId, intervalMs, nullptr);
  }
}

void SearchForm::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  SetCursor(LoadCursorW(nullptr, pointer == Pointer::Busy ? IDC_WAIT : IDC_ARROW));
}

// ---- layout, fonts, colours

SearchForm::Child* SearchForm::Find(ControlRef c) {
  for (auto& x : controls_) {
    if (x.design.ref == c) {
      return &x;
    }
  }
  return nullptr;
}

SearchForm::Child* SearchForm::FindByWindow(HWND h) {
  if (h == nullptr) {
    return nullptr;
  }
  for (auto& x : controls_) {
    if (x.hwnd == h) {
      return &x;
    }
  }
  return nullptr;
}

RECT SearchForm::PixelRect(const Child& c) const {
  Twips left = c.design.left;
  Twips top = c.top;
  ControlRef container = c.design.container;
  for (int depth = 0; container.id != Control::Window && depth < 8; ++depth) {
    const Child* parent = nullptr;
    for (const auto& x : controls_) {
      if (x.design.ref == container) {
        parent = &x;
      }
    }
    if (parent == nullptr) {
      break;
    }
    left += parent->design.left;
    top += parent->top;
    container = parent->design.container;
  }
  RECT r{ToPx(left), ToPx(top), ToPx(left + c.design.width), ToPx(top + c.design.height)};
  if (c.design.kind == ControlKind::OptionButton || c.design.kind == ControlKind::CheckBox) {
    // The system draws the box at the monitor's DPI: laid out smaller, its caption keeps
    // the room the box takes beyond the design's.
    r.right += CheckBoxSide(dpi_) - CheckBoxSide(layoutDpi_);
    // At the window's edge it grows to the left instead.
    const long beyond = r.right - ToPx(design_->clientWidth);
    if (c.design.container.id == Control::Window && beyond > 0) {
      r.left -= beyond;
      r.right -= beyond;
    }
  }
  return r;
}

bool SearchForm::EffectivelyVisible(const Child& c) {
  if (!c.visible) {
    return false;
  }
  if (c.design.container.id == Control::Window) {
    return true;
  }
  const Child* parent = Find(c.design.container);
  return parent == nullptr || EffectivelyVisible(*parent);
}

void SearchForm::ApplyVisibility() {
  for (auto& c : controls_) {
    if (c.hwnd == nullptr) {
      continue;
    }
    const bool show = EffectivelyVisible(c);
    if ((IsWindowVisible(c.hwnd) != 0) != show) {
      ShowWindow(c.hwnd, show ? SW_SHOWNA : SW_HIDE);
    }
  }
  if (hwnd_ != nullptr) {
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

UINT SearchForm::FittingDpi(UINT dpi, const RECT& work) const {
  RECT frame{0, 0, 0, 0};
  AdjustForDpi(frame, kWindowStyle, 0, dpi);
  // The program centres the whole window, frame and all, in the work area (a little above
  // the middle): it fits wherever its outer size does, but for the place's rounding.
  const long roomWidth = (work.right - work.left) - (frame.right - frame.left) - kPlaceRoundingPx;
  const long roomHeight = (work.bottom - work.top) - (frame.bottom - frame.top) - kPlaceRoundingPx;
  if (roomWidth <= 0 || roomHeight <= 0 || design_->clientWidth <= 0 ||
      design_->clientHeight <= 0) {
    return dpi;
  }
  const auto fitting = [](long room, Twips size) {
    return static_cast<UINT>(room * kTwipsPerInch / size);
  };
  const UINT fits = std::min(fitting(roomWidth, design_->clientWidth),
                             fitting(roomHeight, design_->clientHeight));
  return std::min(dpi, std::max(fits, kLeastLayoutDpi));
}

SIZE SearchForm::OuterSize() const {
  RECT r{0, 0, ToPx(design_->clientWidth), ToPx(design_->clientHeight)};
  AdjustForDpi(r, kWindowStyle, 0, dpi_);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void SearchForm::Layout() {
  for (auto& c : controls_) {
    if (c.hwnd == nullptr) {
      continue;
    }
    const RECT r = PixelRect(c);
    SetWindowPos(c.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (hwnd_ != nullptr) {
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

HFONT SearchForm::FontFor(const FontSpec& spec) {
  const FontSpec& f = spec.family != nullptr ? spec : design_->font;
  const std::wstring family = ChooseFamily(Widen(f.family != nullptr ? f.family : "Tahoma"));
  const int weight = f.bold ? FW_BOLD : f.weight;
  // Laid out smaller to fit, a font rounds down, so that no caption outgrows its control.
  const double pixels = f.points * layoutDpi_ / kPointsPerInch;
  const int height = -static_cast<int>(layoutDpi_ < dpi_ ? std::floor(pixels) : std::round(pixels));
  const std::wstring key = family + L"|" + std::to_wstring(height) + L"|" + std::to_wstring(weight);
  if (auto it = fonts_.find(key); it != fonts_.end()) {
    return it->second;
  }
  HFONT font = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, family.c_str());
  if (font == nullptr) {
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  fonts_.emplace(key, font);
  return font;
}

void SearchForm::RebuildFonts() {
  std::map<std::wstring, HFONT> old;
  old.swap(fonts_);
  for (auto& c : controls_) {
    if (c.hwnd != nullptr) {
      SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.design.font)), TRUE);
    }
  }
  for (auto& [key, font] : old) {
    DeleteObject(font);
  }
}

HBRUSH SearchForm::BrushFor(Colour colour) {
  if (auto it = brushes_.find(colour); it != brushes_.end()) {
    return it->second;
  }
  HBRUSH b = CreateSolidBrush(ToColorRef(colour));
  brushes_.emplace(colour, b);
  return b;
}

void SearchForm::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, BrushFor(design_->back));
  for (auto& c : controls_) {
    if (c.hwnd != nullptr || !EffectivelyVisible(c)) {
      continue;
    }
    RECT r = PixelRect(c);
    if (c.design.kind == ControlKind::PictureBox) {
      FillRect(dc, &r, BrushFor(c.back));
    } else if (c.design.kind == ControlKind::Image) {
      PaintMicrophone(dc, r);
    }
  }
}

// A studio microphone drawn to fit the image's box: head with a grille, cradle, stem, foot.
void SearchForm::PaintMicrophone(HDC dc, RECT r) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w < 8 || h < 8) {
    return;
  }
  const int cx = r.left + w / 2;
  const int headW = w * 40 / 100;
  const int headTop = r.top + h * 5 / 100;
  const int headBottom = r.top + h * 55 / 100;
  const int pen = std::max(2, w / 25);

  HBRUSH body = CreateSolidBrush(RGB(60, 60, 60));
  HPEN outline = CreatePen(PS_SOLID, 1, RGB(30, 30, 30));
  HPEN grille = CreatePen(PS_SOLID, 1, RGB(150, 150, 150));
  HPEN cradle = CreatePen(PS_SOLID, pen, RGB(90, 90, 90));
  HGDIOBJ oldBrush = SelectObject(dc, body);
  HGDIOBJ oldPen = SelectObject(dc, outline);

  RoundRect(dc, cx - headW / 2, headTop, cx + headW / 2, headBottom, headW, headW);
  SelectObject(dc, grille);
  for (int y = headTop + headW / 3; y < headBottom - headW / 4; y += std::max(3, h / 40)) {
    MoveToEx(dc, cx - headW / 2 + pen, y, nullptr);
    LineTo(dc, cx + headW / 2 - pen, y);
  }
  SelectObject(dc, cradle);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  const int cw = headW * 3 / 2;
  const int cradleTop = r.top + h * 25 / 100;
  const int cradleBottom = r.top + h * 68 / 100;
  Arc(dc, cx - cw / 2, cradleTop, cx + cw / 2, cradleBottom, cx + cw / 2,
      (cradleTop + cradleBottom) / 2, cx - cw / 2, (cradleTop + cradleBottom) / 2);
  MoveToEx(dc, cx, cradleBottom, nullptr);
  LineTo(dc, cx, r.top + h * 90 / 100);
  MoveToEx(dc, cx - w * 30 / 100, r.top + h * 92 / 100, nullptr);
  LineTo(dc, cx + w * 30 / 100, r.top + h * 92 / 100);

  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(cradle);
  DeleteObject(grille);
  DeleteObject(outline);
  DeleteObject(body);
}

// ---- window procedure

LRESULT CALLBACK SearchForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<SearchForm*>(cs->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<SearchForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->Handle(msg, wParam, lParam);
}

LRESULT CALLBACK SearchForm::LabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR selfPtr) {
  auto* self = reinterpret_cast<SearchForm*>(selfPtr);
  if (msg == WM_MOUSEMOVE && self->sink_ != nullptr) {
    if (const Child* c = self->FindByWindow(hwnd)) {
      self->sink_->OnPointerOver(c->design.ref);
    }
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, LabelProc, 1);
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT SearchForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND h = hwnd_;
  switch (msg) {
    case kMsgDeferredCode:
      if (sink_ != nullptr) {
        sink_->OnDeferredCode(static_cast<Code>(wParam));
      }
      return 0;
    case kMsgCommandPhrase:
      if (!phrases_.empty()) {
        std::string phrase = std::move(phrases_.front());
        phrases_.pop_front();
        if (sink_ != nullptr) {
          sink_->OnCommandPhrase(phrase);
        }
      }
      return 0;
    case WM_COPYDATA: {
      const auto* cd = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (cd == nullptr || cd->dwData != kPhraseTag || cd->cbData > kMaxPhraseBytes) {
        return FALSE;
      }
      // The block is only valid during the send: keep a copy and act after it has returned,
      // so the sender is never held while the phrase is carried out.
      phrases_.emplace_back(static_cast<const char*>(cd->lpData), cd->cbData);
      PostMessageW(h, kMsgCommandPhrase, 0, 0);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kTimerId && sink_ != nullptr) {
        sink_->OnTimer();
      }
      return 0;
    case WM_SIZE:
      if (sink_ != nullptr) {
        sink_->OnViewResized();
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        // Remember the control with the focus, to give it back on the next activation.
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(h, focus) != 0) {
          lastFocus_ = focus;
        }
        if (sink_ != nullptr) {
          sink_->OnDeactivate();
        }
      } else if (HIWORD(wParam) == 0) {
        // Activated by a click on the caption or by Alt+Tab: a control must have the focus
        // at once, or the first keys go to the bare window (as WM_SYSCHAR on Windows).
        RestoreFocus();
      }
      return 0;
    case WM_SYSCOMMAND:
      // The user's close (close box, Alt+F4) may only hide the window; a WM_CLOSE sent by
      // another program (the installer) still ends Varnel.
      if ((wParam & kSysCommandMask) == SC_CLOSE && sink_ != nullptr && !unloading_ &&
          !sink_->OnCloseRequest()) {
        return 0;
      }
      return DefWindowProcW(h, msg, wParam, lParam);
    case WM_CLOSE:
    case WM_ENDSESSION:
      if (msg == WM_ENDSESSION && wParam == FALSE) {
        return 0;
      }
      if (!unloading_) {
        unloading_ = true;
        if (sink_ != nullptr) {
          sink_->OnViewClosed();
        }
        if (IsWindow(h) != 0) {
          DestroyWindow(h);
        }
      }
      return 0;
    case WM_DESTROY:
      KillTimer(h, kTimerId);
      if (hwnd_ == h) {
        hwnd_ = nullptr;
      }
      PostQuitMessage(0);
      return 0;
    case WM_MOUSEMOVE:
      if (sink_ != nullptr) {
        sink_->OnPointerOver(ControlRef{Control::Window, 0});
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      if (sink_ != nullptr) {
        sink_->OnBackgroundDoubleClick();
      }
      return 0;
    case WM_SETCURSOR:
      if (pointer_ == Pointer::Busy) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the whole client area
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      const Child* c = FindByWindow(reinterpret_cast<HWND>(lParam));
      if (c == nullptr) {
        break;
      }
      auto* dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, ToColorRef(c->fore));
      SetBkColor(dc, ToColorRef(c->back));
      return reinterpret_cast<LRESULT>(BrushFor(c->back));
    }
    case WM_COMMAND:
      if (lParam != 0) {
        OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      }
      return 0;
    case kDpiChanged: {
      const auto* r = reinterpret_cast<const RECT*>(lParam);
      dpi_ = HIWORD(wParam);
      layoutDpi_ = FittingDpi(dpi_, MonitorInfo(MonitorFromRect(r, MONITOR_DEFAULTTONEAREST)).work);
      RebuildFonts();
      Layout();
      // The suggested size scales the old one; the design may fit this monitor only smaller.
      const SIZE outer = OuterSize();
      // Parked, only the size follows: the suggested place would be on a monitor.
      SetWindowPos(h, nullptr, r->left, r->top, outer.cx, outer.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | (parked_ ? SWP_NOMOVE : 0));
      if (parked_) {
        Park();
      }
      return 0;
    }
    case WM_DISPLAYCHANGE:
      // The screen may now reach where the window was parked.
      if (parked_) {
        Park();
      }
      break;
    default:
      break;
  }
  if (msg == static_cast<UINT>(kSummonMessage) && sink_ != nullptr) {
    // The other instance waits in its send: the logic only posts, so answer at once.
    sink_->OnWindowMessage(ToId(h), static_cast<Code>(msg), static_cast<std::uint32_t>(wParam),
                           static_cast<std::uint32_t>(lParam));
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

void SearchForm::RestoreFocus() {
  HWND target = lastFocus_;
  if (target == nullptr || IsChild(hwnd_, target) == 0 || IsWindowEnabled(target) == 0 ||
      IsWindowVisible(target) == 0) {
    const Child* terms = Find(ControlRef{Control::Terms, 0});
    target = terms != nullptr ? terms->hwnd : nullptr;
  }
  if (target != nullptr) {
    ::SetFocus(target);
  }
}

void SearchForm::RaiseClick(ControlRef ref) {
  if (sink_ != nullptr) {
    sink_->OnClick(ref);
  }
}

void SearchForm::OnCommand(HWND child, WORD code) {
  Child* c = FindByWindow(child);
  if (c == nullptr) {
    return;
  }
  const ControlRef ref = c->design.ref;
  switch (c->design.kind) {
    case ControlKind::OptionButton:
      // Buttons also notify when they merely receive the focus; only a real check counts.
      if (code == BN_CLICKED && SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        SelectOption(*c, true);
      }
      break;
    case ControlKind::CheckBox:
    case ControlKind::CommandButton:
    case ControlKind::Label:
      static_assert(BN_CLICKED == STN_CLICKED, "a label's click and a button's share one code");
      if (code == BN_CLICKED) {
        RaiseClick(ref);
      }
      break;
    default:
      break;
  }
}

void SearchForm::SelectOption(Child& option, bool raise) {
  for (auto& other : controls_) {
    if (!IsOption(other.design) || other.design.group != option.design.group ||
        other.hwnd == nullptr) {
      continue;
    }
    const bool on = &other == &option;
    if ((SendMessageW(other.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) != on) {
      SendMessageW(other.hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
  // A user's click has checked the button before it notifies: the group's last choice
  // tells whether the selection really changed.
  const ControlRef previous = selected_[option.design.group];
  selected_[option.design.group] = option.design.ref;
  if (raise && !(previous == option.design.ref) && option.design.ref.id == Control::Scope) {
    RaiseClick(option.design.ref);
  }
}

// ---- keyboard

bool SearchForm::PreTranslate(MSG& m) {
  if (hwnd_ == nullptr || m.hwnd == nullptr) {
    return false;
  }
  if (m.hwnd != hwnd_ && IsChild(hwnd_, m.hwnd) == 0) {
    return false;
  }
  switch (m.message) {
    case WM_CHAR: {
      int ch = static_cast<int>(m.wParam);
      if (sink_ != nullptr) {
        sink_->OnCharacterTyped(ch);
      }
      if (ch == 0 || IsWindow(m.hwnd) == 0) {
        return true;
      }
      m.wParam = static_cast<WPARAM>(ch);
      return false;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      if (sink_ != nullptr) {
        sink_->OnKeyUp(static_cast<int>(m.wParam), ModifierMask());
      }
      return IsWindow(m.hwnd) == 0;
    }
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN: {
      if (sink_ == nullptr) {
        return false;
      }
      constexpr LPARAM kRepeatBit = LPARAM{1} << 30;  // the key was down already
      const bool swallow = sink_->OnKeyDown(static_cast<int>(m.wParam), ModifierMask(),
                                            (m.lParam & kRepeatBit) != 0);
      // A system key-down must reach TranslateMessage: its WM_SYSCHAR carries the accelerator.
      return IsWindow(m.hwnd) == 0 || (swallow && m.message == WM_KEYDOWN);
    }
    case WM_SYSCHAR:
      if (m.wParam == L' ') {
        return false;  // Alt+Space: the window menu
      }
      return sink_ != nullptr && sink_->OnAltCharacter(static_cast<char32_t>(m.wParam));
    default:
      return false;
  }
}

// ---- geometry

RECT SearchForm::WindowPx() {
  RECT r{};
  if (hwnd_ == nullptr) {
    return r;
  }
  if (IsIconic(hwnd_) != 0) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    GetWindowPlacement(hwnd_, &wp);
    return wp.rcNormalPosition;
  }
  GetWindowRect(hwnd_, &r);
  return r;
}

SearchForm::Monitor SearchForm::MonitorInfo(HMONITOR m) {
  MONITORINFOEXW mi{};
  mi.cbSize = sizeof(mi);
  // A monitor unplugged since leaves a handle that answers nothing: the primary one stands in.
  if (m == nullptr || GetMonitorInfoW(m, &mi) == 0) {
    m = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (GetMonitorInfoW(m, &mi) == 0) {
      mi.rcWork = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
  }
  Monitor out;
  out.handle = m;
  out.name = Narrow(mi.szDevice);
  out.work = mi.rcWork;
  out.dpi = MonitorDpi(m, dpi_);
  return out;
}

SearchForm::Monitor SearchForm::ForegroundMonitor() {
  const HWND front = GetForegroundWindow();
  if (front != nullptr && front != hwnd_ && IsChild(hwnd_, front) == 0) {
    return MonitorInfo(MonitorFromWindow(front, MONITOR_DEFAULTTOPRIMARY));
  }
  if (!parked_ && hwnd_ != nullptr) {
    return MonitorInfo(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY));
  }
  return MonitorInfo(monitor_);
}

SearchForm::Monitor SearchForm::ShownOn() {
  // A window the user has dragged to another monitor is measured from that one.
  if (!parked_ && hwnd_ != nullptr) {
    monitor_ = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
  }
  return MonitorInfo(monitor_);
}

void SearchForm::Park() {
  if (hwnd_ == nullptr) {
    return;
  }
  const RECT r = WindowPx();
  if (!parked_) {
    RememberPlace(ShownOn(), r.left);
  }
  // Above the top of the virtual screen no monitor can be, whatever their arrangement.
  const int y = GetSystemMetrics(SM_YVIRTUALSCREEN) - (r.bottom - r.top) - kParkGap;
  parked_ = true;
  SetWindowPos(hwnd_, nullptr, r.left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SearchForm::RememberPlace(const Monitor& m, int frameLeft) {
  places_.Remember(m.name, ToRect(m.work), frameLeft);
}

// Measured from the work area of the monitor the window is shown on, so a window on a
// monitor above or left of the primary one still counts as on screen.
Rect SearchForm::Frame() {
  const Monitor m = ShownOn();
  const RECT r = WindowPx();
  return {r.left - m.work.left, r.top - m.work.top, r.right - m.work.left, r.bottom - m.work.top};
}

void SearchForm::SetTop(int top) {
  if (hwnd_ == nullptr) {
    return;
  }
  RECT r = WindowPx();
  if (!parked_) {
    const Monitor m = ShownOn();
    RememberPlace(m, r.left);
    SetWindowPos(hwnd_, nullptr, r.left, m.work.top + top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  // Back from the parked place onto the monitor of the window in front, at the place it had
  // there, or centred across it; laid out anew when that monitor has less room or more.
  const Monitor target = ForegroundMonitor();
  if (const UINT fitting = FittingDpi(dpi_, target.work); fitting != layoutDpi_) {
    layoutDpi_ = fitting;
    RebuildFonts();
    Layout();
    const SIZE outer = OuterSize();
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    r = WindowPx();
  }
  const Rect at =
      places_.ComeBack(target.name, ToRect(target.work), top, r.right - r.left, r.bottom - r.top);
  monitor_ = target.handle;
  parked_ = false;
  SetWindowPos(hwnd_, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SearchForm::Move(const Rect& frame) {
  if (hwnd_ == nullptr) {
    return;
  }
  const Monitor m = MonitorInfo(monitor_);
  // Parked, only the size follows: the place stays out of sight.
  SetWindowPos(hwnd_, nullptr, m.work.left + frame.left, m.work.top + frame.top,
               frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (parked_ ? SWP_NOMOVE : 0));
  RememberPlace(m, m.work.left + frame.left);
}

WindowState SearchForm::State() {
  if (hwnd_ == nullptr) {
    return WindowState::Normal;
  }
  if (IsIconic(hwnd_) != 0) {
    return WindowState::Minimised;
  }
  if (IsZoomed(hwnd_) != 0) {
    return WindowState::Maximised;
  }
  return WindowState::Normal;
}

void SearchForm::SetState(WindowState state) {
  if (hwnd_ == nullptr || State() == state) {
    return;
  }
  const int cmd = state == WindowState::Minimised   ? SW_MINIMIZE
                  : state == WindowState::Maximised ? SW_MAXIMIZE
                                                    : SW_RESTORE;
  ShowWindow(hwnd_, cmd);
}

// The screen is the work area of the monitor in front, where the window is centred.
Rect SearchForm::WorkArea() {
  const Monitor m = ForegroundMonitor();
  monitor_ = m.handle;
  return {0, 0, m.work.right - m.work.left, m.work.bottom - m.work.top};
}

// ---- controls

std::string SearchForm::Text(ControlRef c) {
  if (c.id == Control::Window) {
    if (hwnd_ == nullptr) {
      return {};
    }
    std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    t.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, t.data(), static_cast<int>(t.size()))));
    return Narrow(t);
  }
  Child* x = Find(c);
  if (x == nullptr) {
    return {};
  }
  if (x->hwnd == nullptr) {
    return x->text;
  }
  std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(x->hwnd)) + 1, L'\0');
  t.resize(static_cast<std::size_t>(GetWindowTextW(x->hwnd, t.data(), static_cast<int>(t.size()))));
  return Narrow(t);
}

void SearchForm::SetText(ControlRef c, const std::string& text) {
  if (c.id == Control::Window) {
    if (hwnd_ != nullptr) {
      SetWindowTextW(hwnd_, Widen(text).c_str());
    }
    return;
  }
  Child* x = Find(c);
  if (x == nullptr) {
    return;
  }
  x->text = text;
  if (x->hwnd != nullptr) {
    SetWindowTextW(x->hwnd, Widen(text).c_str());
  }
}

int SearchForm::SelStart(ControlRef c) {
  Child* x = Find(c);
  if (x == nullptr || x->hwnd == nullptr || x->design.kind != ControlKind::TextBox) {
    return 0;
  }
  DWORD start = 0, end = 0;
  SendMessageW(x->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int SearchForm::SelLength(ControlRef c) {
  Child* x = Find(c);
  if (x == nullptr || x->hwnd == nullptr || x->design.kind != ControlKind::TextBox) {
    return 0;
  }
  DWORD start = 0, end = 0;
  SendMessageW(x->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void SearchForm::SetSelection(ControlRef c, int start, int length) {
  Child* x = Find(c);
  if (x == nullptr || x->hwnd == nullptr || x->design.kind != ControlKind::TextBox) {
    return;
  }
  std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(x->hwnd)) + 1, L'\0');
  t.resize(static_cast<std::size_t>(GetWindowTextW(x->hwnd, t.data(), static_cast<int>(t.size()))));
  const int len = static_cast<int>(t.size());
  start = std::clamp(start, 0, len);
  int end = start + std::clamp(length, 0, len - start);
  // Positions are UTF-16 units: never leave one end between the halves of a surrogate pair.
  auto splitsPair = [&t](int at) {
    return at > 0 && at < static_cast<int>(t.size()) &&
           IS_LOW_SURROGATE(t[static_cast<std::size_t>(at)]) &&
           IS_HIGH_SURROGATE(t[static_cast<std::size_t>(at) - 1]);
  };
  if (splitsPair(start)) {
    --start;
  }
  if (splitsPair(end)) {
    ++end;
  }
  SendMessageW(x->hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

int SearchForm::Value(ControlRef c) {
  Child* x = Find(c);
  if (x == nullptr || x->hwnd == nullptr) {
    return 0;
  }
  if (x->design.kind != ControlKind::OptionButton && x->design.kind != ControlKind::CheckBox) {
    return 0;
  }
  return SendMessageW(x->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void SearchForm::SetValue(ControlRef c, int value) {
  Child* x = Find(c);
  if (x == nullptr || x->hwnd == nullptr) {
    return;
  }
  const bool was = SendMessageW(x->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (x->design.kind == ControlKind::OptionButton) {
    if (value == 0) {
      if (was) {
        SendMessageW(x->hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
      }
      if (selected_[x->design.group] == x->design.ref) {
        selected_[x->design.group] = ControlRef{Control::Window, -1};
      }
    } else if (!was) {
      SelectOption(*x, true);
    }
  } else if (x->design.kind == ControlKind::CheckBox) {
    const bool on = value != 0;
    if (on == was) {
      return;
    }
    SendMessageW(x->hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    RaiseClick(x->design.ref);
  }
}

bool SearchForm::Enabled(ControlRef c) {
  Child* x = Find(c);
  return x != nullptr && x->enabled;
}

void SearchForm::SetEnabled(ControlRef c, bool enabled) {
  Child* x = Find(c);
  if (x == nullptr) {
    return;
  }
  x->enabled = enabled;
  if (x->hwnd != nullptr) {
    EnableWindow(x->hwnd, enabled ? TRUE : FALSE);
  }
}

bool SearchForm::Visible(ControlRef c) {
  if (c.id == Control::Window) {
    return hwnd_ != nullptr && IsWindowVisible(hwnd_) != 0;
  }
  Child* x = Find(c);
  return x != nullptr && x->visible;
}

void SearchForm::SetVisible(ControlRef c, bool visible) {
  Child* x = Find(c);
  if (x == nullptr || x->visible == visible) {
    return;
  }
  x->visible = visible;
  ApplyVisibility();
}

Colour SearchForm::ForeColor(ControlRef c) {
  Child* x = Find(c);
  return x == nullptr ? kBlack : x->fore;
}

void SearchForm::SetForeColor(ControlRef c, Colour colour) {
  Child* x = Find(c);
  if (x == nullptr || x->fore == colour) {
    return;
  }
  x->fore = colour;
  if (x->hwnd != nullptr) {
    InvalidateRect(x->hwnd, nullptr, TRUE);
  }
}

int SearchForm::ControlTop(ControlRef c) {
  Child* x = Find(c);
  return x == nullptr ? 0 : ToPx(x->top);
}

void SearchForm::SetControlTop(ControlRef c, int top) {
  Child* x = Find(c);
  if (x == nullptr || x->top == ToTw(top)) {
    return;
  }
  x->top = ToTw(top);
  Layout();
}

bool SearchForm::SetTabStop(ControlRef c, bool on) {
  Child* x = Find(c);
  if (x == nullptr || x->design.kind == ControlKind::Label ||
      x->design.kind == ControlKind::Image) {
    return false;
  }
  x->tabStop = on;
  if (x->hwnd != nullptr) {
    auto style = GetWindowLongPtrW(x->hwnd, GWL_STYLE);
    style = on ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(x->hwnd, GWL_STYLE, style);
  }
  return true;
}

bool SearchForm::SetFocus(ControlRef c) {
  Child* x = Find(c);
  if (x == nullptr || x->hwnd == nullptr || x->design.kind == ControlKind::Label) {
    return false;
  }
  if (IsWindowEnabled(x->hwnd) == 0 || IsWindowVisible(x->hwnd) == 0) {
    return false;
  }
  ::SetFocus(x->hwnd);
  return GetFocus() == x->hwnd;
}

std::optional<ControlRef> SearchForm::ActiveControl() {
  const Child* x = FindByWindow(GetFocus());
  if (x == nullptr) {
    return std::nullopt;
  }
  return x->design.ref;
}

HWND SearchForm::ControlWindow(ControlRef c) {
  if (c.id == Control::Window) {
    return hwnd_;
  }
  Child* x = Find(c);
  return x == nullptr ? nullptr : x->hwnd;
}

}  // namespace varnel::win
