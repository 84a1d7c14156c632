// Text drawn over pictures or the panel: black one pixel left, right, above and below, then in
// its colour on top, with a transparent background.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace trevix {

void DrawOutlinedText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                      const QColor& colour);

} // namespace trevix
