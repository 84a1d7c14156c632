// The GPS position below the video area: latitude on the upper line, longitude on the lower,
// each in degrees, minutes and seconds with two decimals and its letter; dashes without a valid
// fix. Skin items: 105 (value digits with the dash), 106 (decimal point, degree, minute and
// second marks), 107 (compass letters). Placed at (11, 710) to (179, 755) in the panel.
#pragma once

#include "control/ui/ZVDigitDisplay.h"
#include "recorder/FrameInfo.h"

namespace trevix {

class CZVDigitGps : public CZVDigitDisplay {
    Q_OBJECT
public:
    static const QColor kBackground;
    static QRect PanelRect();

    // Starts without a fix: N 0 0 0.0, E 0 0 0.0, invalid.
    explicit CZVDigitGps(QWidget* parent = nullptr);

    // Repaints unless the fix shows the same (valid flag, letters, degrees, minutes, seconds).
    // May be called from any thread.
    void SetFix(const GPSINFO& fix);
    const GPSINFO& Fix() const { return fix_; }

    GlyphList CurrentGlyphs() const override;
    std::span<const int> StripItems() const override;

private:
    GPSINFO fix_;
};

} // namespace trevix
