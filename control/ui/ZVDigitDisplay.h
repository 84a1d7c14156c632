// The common part of the status displays: a small child window of the main panel that fills
// its background and copies glyph cells from picture strips of the skin. Each display keeps the
// value it shows; its setter schedules a repaint only when the shown value changes.
#pragma once

#include "control/StatusGlyphs.h"
#include "control/ui/GlyphPainter.h"

#include <QColor>
#include <QWidget>

#include <span>

namespace trevix {

class CSkin;

class CZVDigitDisplay : public QWidget {
    Q_OBJECT
public:
    // Gives the display one of its strips (another skin, tests).
    void SetStrip(int item, const QImage& picture);
    // Reads the display's strips (StripItems) from the skin.
    void LoadStrips(const CSkin& skin);
    const GlyphStrips& Strips() const { return strips_; }

    const QColor& BackgroundColor() const { return background_; }
    // The area the glyphs are placed in: the window less its border.
    QRect ClientArea() const;
    // Paints since construction (for tests of the redraw rules).
    int PaintCount() const { return paintCount_; }

    // What the display shows now, in client-area coordinates.
    virtual GlyphList CurrentGlyphs() const = 0;
    // The skin items of the strips the display draws from.
    virtual std::span<const int> StripItems() const = 0;

protected:
    // sunkenEdge: a thin sunken border around the client area.
    CZVDigitDisplay(const QColor& background, bool sunkenEdge, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;

private:
    GlyphStrips strips_;
    QColor background_;
    bool sunkenEdge_;
    int paintCount_ = 0;
};

} // namespace trevix
