// Drawing of the texts laid over pictures: each text in black one pixel left, right, above and
// below, then in its colour on top, with a transparent background.
#pragma once

#include "playback/PaneOsd.h"

#include <QColor>
#include <QPoint>
#include <QString>

class QPainter;

namespace trevix {

// Draws text at anchor with the painter's font.
void DrawOutlinedText(QPainter& painter, QPoint anchor, OsdAnchor alignment, const QString& text,
                      const QColor& colour);

// Every text of plan in its UI font and colour.
void DrawOsd(QPainter& painter, const OsdPlan& plan);

} // namespace trevix
