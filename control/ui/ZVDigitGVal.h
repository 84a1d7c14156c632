// One G-sensor value below the video area: a sign, one integer digit and two decimals; the
// no-value marker 9999.0 shows dashes. Skin items: 105 (value digits with the dash), 106 (value
// marks, of which the decimal point). Placed at (30, 678) to (93, 698) for X, (115, 678) to
// (178, 698) for Y and (115, 655) to (178, 675) for Z.
#pragma once

#include "control/ui/ZVDigitDisplay.h"

namespace trevix {

enum class GAxis { X, Y, Z };

class CZVDigitGVal : public CZVDigitDisplay {
    Q_OBJECT
public:
    static const QColor kBackground;
    static QRect PanelRect(GAxis axis);

    // Starts with no value (dashes).
    explicit CZVDigitGVal(QWidget* parent = nullptr);

    // Repaints unless the value is the same. May be called from any thread.
    void SetValue(float g);
    float Value() const { return value_; }

    GlyphList CurrentGlyphs() const override;
    std::span<const int> StripItems() const override;

private:
    float value_ = kNoGValue;
};

} // namespace trevix
