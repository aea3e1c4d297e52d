// The box of a check box and the circle of an option button at the form's fitted scale. The
// style draws them at its own size whatever the form's scale, so on a form scaled down to
// fit a small screen they would take the room of their labels' last letters.
#pragma once

#include <QProxyStyle>

namespace varnel {

class FittedIndicatorStyle final : public QProxyStyle {
 public:
  void SetScale(double scale) { scale_ = scale; }
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override;

 private:
  double scale_ = 1.0;
};

}  // namespace varnel
