#include "playback/ui/OsdPainter.h"

#include "app/ui/UiFonts.h"

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
    painter.setPen(Qt::black);
    for (const QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)})
        painter.drawText(baseline + offset, text);
    painter.setPen(colour);
    painter.drawText(baseline, text);
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
