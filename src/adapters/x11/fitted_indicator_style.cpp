#include "adapters/x11/fitted_indicator_style.h"

#include <algorithm>
#include <cmath>

namespace varnel {

int FittedIndicatorStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                      const QWidget* widget) const {
  const int size = QProxyStyle::pixelMetric(metric, option, widget);
  switch (metric) {
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_RadioButtonLabelSpacing:
    case PM_CheckBoxLabelSpacing:
      return std::max(1, static_cast<int>(std::lround(size * scale_)));
    default:
      return size;
  }
}

}  // namespace varnel
