#include "control/ui/ZVDigitGVal.h"

#include "app/SkinFile.h"
#include "control/ui/UiThread.h"

#include <array>
#include <cmath>

namespace trevix {
namespace {

constexpr std::array<int, 2> kStrips = {skin_item::kValueDigits, skin_item::kValueMarks};

} // namespace

const QColor CZVDigitGVal::kBackground(60, 60, 60);

QRect CZVDigitGVal::PanelRect(GAxis axis) {
    switch (axis) {
    case GAxis::X:
        return QRect(QPoint(30, 678), QPoint(92, 697));
    case GAxis::Y:
        return QRect(QPoint(115, 678), QPoint(177, 697));
    case GAxis::Z:
        break;
    }
    return QRect(QPoint(115, 655), QPoint(177, 674));
}

CZVDigitGVal::CZVDigitGVal(QWidget* parent) : CZVDigitDisplay(kBackground, false, parent) {}

void CZVDigitGVal::SetValue(float g) {
    if (HandedToOwnThread(this, [this, g] { SetValue(g); }))
        return;
    // Two values that are no number show the same dashes.
    if (g == value_ || (std::isnan(g) && std::isnan(value_)))
        return;
    value_ = g;
    update();
}

GlyphList CZVDigitGVal::CurrentGlyphs() const {
    return GValueGlyphs(value_);
}

std::span<const int> CZVDigitGVal::StripItems() const {
    return kStrips;
}

} // namespace trevix
