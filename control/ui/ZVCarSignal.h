// The car-signal indicator below the video area: brake and turn lamps, and for the models with
// external inputs the four input lamps with their labels; which lamps is decided by the
// CurrentModel setting, read at every drawing. Skin items: 111 and 112 (left and right lamps,
// models 20-22), 113 (combined lamp, models 23 and 24), 114 (input lamps), 115 (input labels).
// Placed at (15, 622) to (178, 648) in the panel.
#pragma once

#include "control/ui/ZVDigitDisplay.h"

#include <cstdint>
#include <functional>

namespace trevix {

class CZVCarSignal : public CZVDigitDisplay {
    Q_OBJECT
public:
    static const QColor kBackground;
    static QRect PanelRect();

    explicit CZVCarSignal(QWidget* parent = nullptr);

    // Where the model comes from (CurrentModel); asked at every drawing. Without one the
    // viewer's default model is used.
    void SetModelReader(std::function<int()> reader);
    int Model() const;

    // Repaints unless the bits are the same. May be called from any thread.
    void SetBits(std::uint8_t bits);
    std::uint8_t Bits() const { return bits_; }
    // Repaints for another model.
    void Redraw();

    GlyphList CurrentGlyphs() const override;
    std::span<const int> StripItems() const override;

private:
    std::function<int()> modelReader_;
    std::uint8_t bits_ = 0;
};

} // namespace trevix
