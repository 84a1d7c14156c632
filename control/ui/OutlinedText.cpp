#include "control/ui/OutlinedText.h"

#include <QPainter>

#include <array>

namespace trevix {

void DrawOutlinedText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                      const QColor& colour) {
    painter.save();
    painter.setPen(Qt::black);
    constexpr std::array<QPoint, 4> kOutline = {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1),
                                                QPoint(0, 1)};
    for (const QPoint& offset : kOutline)
        painter.drawText(rect.translated(offset), flags, text);
    painter.setPen(colour);
    painter.drawText(rect, flags, text);
    painter.restore();
}

} // namespace trevix
