// The search window scaled down to fit a small screen keeps every option's whole label.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <vector>

#include "adapters/x11/search_form.h"
#include "domain/window_design.h"

// The library's pictures, which a static library does not load by itself.
static void LoadPictures() {
  Q_INIT_RESOURCE(varnel);
}

namespace varnel {
namespace {

// At twice the size on a laptop screen of 1366x768 device pixels, the window must shrink
// to two thirds; the boxes and circles the style draws must shrink with the rest.
constexpr const char* kDesktopScale = "2";
constexpr QRect kSmallScreen(0, 0, 683, 384);  // logical pixels at that scale
constexpr QRect kBigScreen(0, 0, 1920, 1080);
constexpr int kRoundingPx = 2;

QApplication& OffscreenApp() {
  static int argc = 1;
  static char name[] = "varnel_x11_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", kDesktopScale);
  static QApplication app(argc, argv);
  LoadPictures();
  return app;
}

// How many pixels the widest label lacks, at most, in the room its button leaves beside
// the circle or box.
int WorstShortfall(const SearchForm& form) {
  int worst = 0;
  for (const auto* button : form.findChildren<QAbstractButton*>()) {
    if (!button->isCheckable()) {
      continue;
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto room = qobject_cast<const QRadioButton*>(button) != nullptr
                          ? QStyle::SE_RadioButtonContents
                          : QStyle::SE_CheckBoxContents;
    const int width = button->style()->subElementRect(room, &option, button).width();
    const int needed = button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
    worst = std::max(worst, needed - width);
  }
  return worst;
}

std::vector<QRect> ChildPlaces(const SearchForm& form) {
  std::vector<QRect> places;
  for (const auto* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    places.push_back(w->geometry());
  }
  return places;
}

TEST(SearchFormFit, ScaledDownOptionsKeepTheirWholeLabels) {
  OffscreenApp();
  PlatformEvents* none = nullptr;
  SearchForm form(SearchWindowDesign(), none, [](std::uint32_t) { return 0U; });
  const int designed = WorstShortfall(form);
  form.FitInto(kSmallScreen);
  ASSERT_LT(form.height(), kSmallScreen.height());
  // Text rounds to whole pixels at the smaller size, which may cost a label a pixel or two;
  // circles kept at their own size cost labels their last letters.
  EXPECT_LE(WorstShortfall(form), std::max(designed, 0) + kRoundingPx);
}

// Moved from a small monitor to a big one, the window is the designed size again; fitted
// twice to one monitor, it is the same size both times.
TEST(SearchFormFit, GrowsBackOnARoomierMonitor) {
  OffscreenApp();
  PlatformEvents* none = nullptr;
  SearchForm form(SearchWindowDesign(), none, [](std::uint32_t) { return 0U; });
  const QSize designed = form.size();
  const qreal designedPoints = form.font().pointSizeF();
  const std::vector<QRect> designedPlaces = ChildPlaces(form);
  form.FitInto(kSmallScreen);
  const QSize small = form.size();
  ASSERT_LT(small.height(), designed.height());
  form.FitInto(kSmallScreen);
  EXPECT_EQ(form.size(), small);
  form.FitInto(kBigScreen);
  EXPECT_EQ(form.size(), designed);
  EXPECT_DOUBLE_EQ(form.font().pointSizeF(), designedPoints);
  EXPECT_EQ(ChildPlaces(form), designedPlaces);
  form.FitInto(kSmallScreen);
  EXPECT_EQ(form.size(), small);
}

}  // namespace
}  // namespace varnel
