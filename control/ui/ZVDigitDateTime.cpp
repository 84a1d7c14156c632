#include "control/ui/ZVDigitDateTime.h"

#include "app/SkinFile.h"
#include "control/ui/UiThread.h"

#include <QDateTime>

namespace trevix {
namespace {

constexpr std::array<int, 5> kStrips = {skin_item::kSmallDigitsA, skin_item::kSmallDigitsB,
                                        skin_item::kLargeDigits, skin_item::kWeekdayNames,
                                        skin_item::kDateSeparators};

} // namespace

const QColor CZVDigitDateTime::kBackground(23, 60, 141);

QRect CZVDigitDateTime::PanelRect(int panePanelRight) {
    return QRect(QPoint(panePanelRight - kWidth, kTop), QPoint(panePanelRight - 1, kBottom - 1));
}

CZVDigitDateTime::CZVDigitDateTime(QWidget* parent)
    : CZVDigitDisplay(kBackground, true, parent),
      time_(FromRecorderMs(QDateTime::currentMSecsSinceEpoch())) {}

void CZVDigitDateTime::SetTime(const SYSTEMTIME& time) {
    if (HandedToOwnThread(this, [this, time] { SetTime(time); }))
        return;
    const bool same = SameShownTime(time, time_);
    time_ = time;
    if (!same)
        update();
}

GlyphList CZVDigitDateTime::CurrentGlyphs() const {
    return DateTimeGlyphs(time_, ClientArea().height());
}

std::span<const int> CZVDigitDateTime::StripItems() const {
    return kStrips;
}

} // namespace trevix
