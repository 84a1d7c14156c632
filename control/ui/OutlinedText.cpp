#include "control/ui/OutlinedText.h"

#include <QPainter>

#include <array>

namespace trevix {
namespace {

constexpr std::array<QPoint, 4> kOutline = {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1),
                                            QPoint(0, 1)};

// Draws the text four times in black around where draw puts it, then once in colour.
template <typename DrawAt>
void DrawWithOutline(QPainter& painter, const QColor& colour, const DrawAt& draw) {
    painter.save();
    painter.setPen(Qt::black);
    for (const QPoint& offset : kOutline)
        draw(offset);
    painter.setPen(colour);
    draw(QPoint(0, 0));
    painter.restore();
}

} // namespace

void DrawOutlinedText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                      const QColor& colour) {
    DrawWithOutline(painter, colour,
                    [&](QPoint offset) { painter.drawText(rect.translated(offset), flags, text); });
}

void DrawOutlinedText(QPainter& painter, QPoint baseline, const QString& text,
                      const QColor& colour) {
    DrawWithOutline(painter, colour,
                    [&](QPoint offset) { painter.drawText(baseline + offset, text); });
}

} // namespace trevix
