// The recorder date and time below the video area: year, month and day, the day of week, hour
// and minute in large digits, the seconds. Skin items: 100 (small digits of the date), 101
// (small digits of the seconds), 102 (large digits), 103 (weekday names), 104 (date separator
// and colon). Placed right-aligned with the pane panel (item 1) at (right - 230, 578) to
// (right, 602), with a thin sunken border.
#pragma once

#include "control/ui/ZVDigitDisplay.h"
#include "recorder/RecorderTime.h"

#include <array>

namespace trevix {

class CZVDigitDateTime : public CZVDigitDisplay {
    Q_OBJECT
public:
    static constexpr int kWidth = 230;
    static constexpr int kTop = 578;
    static constexpr int kBottom = 602;
    static const QColor kBackground;

    // The display's rectangle in the panel for the pane panel's right edge.
    static QRect PanelRect(int panePanelRight);

    // Starts with the local time of now.
    explicit CZVDigitDateTime(QWidget* parent = nullptr);

    // Keeps time; repaints unless the year, month, day, hour, minute and second are the same.
    // May be called from any thread.
    void SetTime(const SYSTEMTIME& time);
    const SYSTEMTIME& Time() const { return time_; }

    GlyphList CurrentGlyphs() const override;
    std::span<const int> StripItems() const override;

private:
    SYSTEMTIME time_;
};

} // namespace trevix
