#include "playback/ui/OsdPainter.h"

#include "app/ui/UiFonts.h"
#include "control/ui/OutlinedText.h"

#include <QFontMetrics>
#include <QPainter>

namespace trevix {

void DrawOutlinedText(QPainter& painter, QPoint anchor, OsdAnchor alignment, const QString& text,
                      const QColor& colour) {
    const QFontMetrics metrics(painter.font());
    QPoint baseline = anchor;
    if (alignment == OsdAnchor::RightTop || alignment == OsdAnchor::RightBaseline)
        baseline.rx() -= metrics.horizontalAdvance(text);
    if (alignment == OsdAnchor::LeftTop || alignment == OsdAnchor::RightTop)
        baseline.ry() += metrics.ascent();
    DrawOutlinedText(painter, baseline, text, colour);
}

void DrawOsd(QPainter& painter, const OsdPlan& plan) {
    painter.save();
    painter.setFont(UiFonts::Get(plan.style.fontIndex));
    for (const OsdText& item : plan.texts)
        DrawOutlinedText(painter, QPoint(item.x, item.y), item.anchor,
                         QString::fromStdString(item.text), plan.colour);
    painter.restore();
}

} // namespace trevix
