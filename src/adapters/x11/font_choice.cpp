#include "adapters/x11/font_choice.h"

#include <array>

namespace varnel {
namespace {

struct Fallback {
  const char* designFamily;
  std::array<const char*, 6> candidates;
};

// Humanist sans faces first (closest to Segoe UI and Tahoma), then whatever is common.
constexpr std::array kFallbacks{
    Fallback{
        "Segoe UI Semilight",
        {"Segoe UI", "Noto Sans Light", "Open Sans Light", "Noto Sans", "DejaVu Sans", nullptr}},
    Fallback{"Segoe UI Semibold",
             {"Segoe UI", "Noto Sans SemiBold", "Open Sans SemiBold", "Noto Sans", "DejaVu Sans",
              nullptr}},
    Fallback{"Segoe UI", {"Noto Sans", "Open Sans", "DejaVu Sans", nullptr, nullptr, nullptr}},
    Fallback{"Tahoma", {"DejaVu Sans", "Noto Sans", "Liberation Sans", nullptr, nullptr, nullptr}},
    Fallback{
        "MS Sans Serif",
        {"Microsoft Sans Serif", "DejaVu Sans", "Noto Sans", "Liberation Sans", nullptr, nullptr}},
};

constexpr double kWidthCompensation = 0.9;

}  // namespace

QFont ChooseFont(const FontSpec& spec, const QStringList& installed) {
  QString family = QString::fromUtf8(spec.family != nullptr ? spec.family : "Tahoma");
  const bool substituted = !installed.contains(family, Qt::CaseInsensitive);
  if (substituted) {
    QString chosen;
    for (const Fallback& f : kFallbacks) {
      if (family.compare(QString::fromUtf8(f.designFamily), Qt::CaseInsensitive) != 0) {
        continue;
      }
      for (const char* c : f.candidates) {
        if (c != nullptr && installed.contains(QString::fromUtf8(c), Qt::CaseInsensitive)) {
          chosen = QString::fromUtf8(c);
          break;
        }
      }
    }
    family = chosen.isEmpty() ? QStringLiteral("Sans Serif") : chosen;
  }
  QFont font(family);
  double points = spec.points > 0 ? spec.points : 8.25;
  // Stand-ins run wider than Segoe UI and Tahoma; keep captions within their design widths.
  if (substituted) {
    points *= kWidthCompensation;
  }
  font.setPointSizeF(points);
  const int weight = spec.bold ? 700 : spec.weight;
  font.setWeight(static_cast<QFont::Weight>(weight));
  return font;
}

}  // namespace varnel
