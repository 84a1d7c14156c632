#include "control/ui/ZVDigitSpeed.h"

#include "app/SkinFile.h"
#include "control/ui/UiThread.h"

#include <QPainter>

#include <array>

namespace trevix {
namespace {

constexpr std::array<int, 3> kStrips = {skin_item::kSpeedDigits, skin_item::kSpeedSourceLabel,
                                        skin_item::kSpeedSourceMark};

QRect GlyphRect(const GlyphDraw& glyph) {
    return QRect(glyph.x, glyph.y, glyph.width, glyph.height);
}

} // namespace

const QColor CZVDigitSpeed::kBackground(60, 60, 60);

QRect CZVDigitSpeed::PanelRect() {
    return QRect(QPoint(55, 580), QPoint(116, 608));
}

CZVDigitSpeed::CZVDigitSpeed(QWidget* parent) : CZVDigitDisplay(kBackground, false, parent) {}

void CZVDigitSpeed::SetSpeedSourceReader(std::function<int()> reader) {
    sourceReader_ = std::move(reader);
}

int CZVDigitSpeed::SpeedSource() const {
    return sourceReader_ ? sourceReader_() : kSpeedSourceGps;
}

void CZVDigitSpeed::SetSpeed(int carPulseKmh, const GPSINFO& fix) {
    if (HandedToOwnThread(this, [this, carPulseKmh, fix] { SetSpeed(carPulseKmh, fix); }))
        return;
    const SpeedReading reading = MakeSpeedReading(carPulseKmh, fix);
    if (reading == reading_)
        return;
    reading_ = reading;
    update();
}

void CZVDigitSpeed::Redraw() {
    if (HandedToOwnThread(this, [this] { Redraw(); }))
        return;
    update();
    if (QWidget* panel = parentWidget())
        panel->update(SourceAreaOnPanel());
}

void CZVDigitSpeed::PaintSourceOnPanel(QPainter& panelPainter) const {
    const GlyphList glyphs = SpeedSourceGlyphs(SpeedSource());
    DrawGlyphs(panelPainter, Strips(), glyphs);
}

QRect CZVDigitSpeed::SourceAreaOnPanel() const {
    QRect area;
    // Both sources cover the same cells; take the union of both to be sure.
    for (const int source : {kSpeedSourceGps, kSpeedSourceCarPulse})
        for (const GlyphDraw& glyph : SpeedSourceGlyphs(source))
            area = area.united(GlyphRect(glyph));
    return area;
}

GlyphList CZVDigitSpeed::CurrentGlyphs() const {
    return SpeedGlyphs(reading_, SpeedSource());
}

std::span<const int> CZVDigitSpeed::StripItems() const {
    return kStrips;
}

} // namespace trevix
