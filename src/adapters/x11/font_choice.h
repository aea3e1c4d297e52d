// The installed font that stands in for a font of the window's design.
#pragma once

#include <QFont>
#include <QStringList>

#include "domain/window_design.h"

namespace varnel {

// The design's family when installed, else the closest installed family of the same weight
// (Noto Sans Light/SemiBold, Noto Sans, DejaVu Sans, ...).
QFont ChooseFont(const FontSpec& spec, const QStringList& installed);

}  // namespace varnel
