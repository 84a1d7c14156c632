// Text drawn over pictures or the panel: black one pixel left, right, above and below, then in
// its colour on top, with a transparent background.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

namespace trevix {

void DrawOutlinedText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                      const QColor& colour);
// The same with the text's baseline starting at baseline.
void DrawOutlinedText(QPainter& painter, QPoint baseline, const QString& text,
                      const QColor& colour);

} // namespace trevix
