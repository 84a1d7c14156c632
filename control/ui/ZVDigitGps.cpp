#include "control/ui/ZVDigitGps.h"

#include "app/SkinFile.h"
#include "control/ui/UiThread.h"

#include <array>

namespace trevix {
namespace {

constexpr std::array<int, 3> kStrips = {skin_item::kValueDigits, skin_item::kValueMarks,
                                        skin_item::kCompassLetters};

} // namespace

const QColor CZVDigitGps::kBackground(60, 60, 60);

QRect CZVDigitGps::PanelRect() {
    return QRect(QPoint(11, 710), QPoint(178, 754));
}

CZVDigitGps::CZVDigitGps(QWidget* parent) : CZVDigitDisplay(kBackground, false, parent) {}

void CZVDigitGps::SetFix(const GPSINFO& fix) {
    if (HandedToOwnThread(this, [this, fix] { SetFix(fix); }))
        return;
    const bool same = SameShownFix(fix, fix_);
    fix_ = fix;
    if (!same)
        update();
}

GlyphList CZVDigitGps::CurrentGlyphs() const {
    return GpsGlyphs(fix_, ClientArea().height());
}

std::span<const int> CZVDigitGps::StripItems() const {
    return kStrips;
}

} // namespace trevix
