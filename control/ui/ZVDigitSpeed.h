// The speed below the video area, from the GPS fix or from the car pulse as the DisplaySpeed
// setting says (read at every drawing). Skin items: 108 (speed digits), and for the source label
// and mark the panel draws beside it (PaintSourceOnPanel) 109 (label) and 110 (mark). Placed at
// (55, 580) to (117, 609) in the panel.
#pragma once

#include "control/ui/ZVDigitDisplay.h"
#include "recorder/FrameInfo.h"

#include <functional>

namespace trevix {

class CZVDigitSpeed : public CZVDigitDisplay {
    Q_OBJECT
public:
    static const QColor kBackground;
    static QRect PanelRect();

    explicit CZVDigitSpeed(QWidget* parent = nullptr);

    // Where the speed source comes from (DisplaySpeed: 1 car pulse, otherwise GPS); asked at
    // every drawing. Without one the source is GPS.
    void SetSpeedSourceReader(std::function<int()> reader);
    int SpeedSource() const;

    // GPS speed = the fix's speed when the fix is valid, else 0; repaints unless the GPS speed,
    // the valid flag and the pulse speed are unchanged. May be called from any thread.
    void SetSpeed(int carPulseKmh, const GPSINFO& fix);
    const SpeedReading& Reading() const { return reading_; }

    // Repaints in the current speed source, with the panel's source label and mark.
    void Redraw();

    // The source label and mark, drawn by the panel on itself (painter in panel coordinates).
    void PaintSourceOnPanel(QPainter& panelPainter) const;
    // The panel area they cover.
    QRect SourceAreaOnPanel() const;

    GlyphList CurrentGlyphs() const override;
    std::span<const int> StripItems() const override;

private:
    std::function<int()> sourceReader_;
    SpeedReading reading_;
};

} // namespace trevix
