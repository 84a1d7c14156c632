#include "playback/ui/OsdPainter.h"

#include "app/ui/UiFonts.h"
#include "control/ui/OutlinedText.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

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
    const QFontMetrics metrics(painter.font());
    const OsdText* previous = nullptr;
    for (const OsdText& item : plan.texts) {
        const QString text = QString::fromStdString(item.text);
        QPoint anchor(item.x, item.y);
        // A value right-aligned after its label (the G lines) is pushed right rather than
        // drawn over the label when the desktop's font is wider than the value column.
        if (previous != nullptr && item.anchor == OsdAnchor::RightBaseline &&
            previous->anchor == OsdAnchor::LeftBaseline && previous->y == item.y) {
            const int labelEnd =
                previous->x + metrics.horizontalAdvance(QString::fromStdString(previous->text));
            anchor.setX(std::max(anchor.x(), labelEnd + 1 + metrics.horizontalAdvance(text)));
        }
        DrawOutlinedText(painter, anchor, item.anchor, text, plan.colour);
        previous = &item;
    }
    painter.restore();
}

} // namespace trevix
