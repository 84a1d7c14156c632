#include "playback/ui/OsdPainter.h"

#include "app/ui/UiFonts.h"
#include "control/ui/OutlinedText.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace trevix {

std::vector<PlacedOsdText> PlaceOsd(const OsdPlan& plan, const QFontMetrics& metrics) {
    std::vector<PlacedOsdText> placed;
    const OsdText* previous = nullptr;
    for (const OsdText& item : plan.texts) {
        QString text = QString::fromStdString(item.text);
        QPoint baseline(item.x, item.y);
        // A value right-aligned after its label (the G lines) is pushed right rather than
        // drawn over the label when the desktop's font is wider than the value column.
        if (previous != nullptr && item.anchor == OsdAnchor::RightBaseline &&
            previous->anchor == OsdAnchor::LeftBaseline && previous->y == item.y) {
            const int labelEnd =
                previous->x + metrics.horizontalAdvance(QString::fromStdString(previous->text));
            baseline.setX(std::max(baseline.x(), labelEnd + 1 + metrics.horizontalAdvance(text)));
        }
        if (item.anchor == OsdAnchor::RightTop || item.anchor == OsdAnchor::RightBaseline)
            baseline.rx() -= metrics.horizontalAdvance(text);
        if (item.anchor == OsdAnchor::LeftTop || item.anchor == OsdAnchor::RightTop)
            baseline.ry() += metrics.ascent();
        placed.push_back({std::move(text), baseline});
        previous = &item;
    }
    return placed;
}

void DrawOsd(QPainter& painter, const OsdPlan& plan) {
    painter.save();
    painter.setFont(UiFonts::Get(plan.style.fontIndex));
    for (const PlacedOsdText& item : PlaceOsd(plan, QFontMetrics(painter.font())))
        DrawOutlinedText(painter, item.baseline, item.text, plan.colour);
    painter.restore();
}

void OsdTextImages::Draw(QPainter& painter, const OsdPlan& plan) {
    const QFont font = UiFonts::Get(plan.style.fontIndex);
    const qreal pixelRatio =
        painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    if (font != font_ || plan.colour != colour_ || pixelRatio != pixelRatio_ ||
        entries_.size() > kMaxEntries) {
        entries_.clear();
        font_ = font;
        colour_ = plan.colour;
        pixelRatio_ = pixelRatio;
    }
    const QFontMetrics metrics(font);
    for (const PlacedOsdText& item : PlaceOsd(plan, metrics)) {
        const Entry& entry = EntryOf(item.text, metrics, pixelRatio);
        painter.drawImage(item.baseline - entry.origin, entry.image);
    }
}

const OsdTextImages::Entry& OsdTextImages::EntryOf(const QString& text, const QFontMetrics& metrics,
                                                   qreal pixelRatio) {
    const auto found = entries_.constFind(text);
    if (found != entries_.cend())
        return *found;
    // Room for the glyphs and their outline, one pixel on every side.
    const QRect box = metrics.boundingRect(text).adjusted(-2, -2, 2, 2);
    Entry entry;
    entry.origin = -box.topLeft();
    entry.image = QImage(box.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    entry.image.setDevicePixelRatio(pixelRatio);
    entry.image.fill(Qt::transparent);
    {
        QPainter painter(&entry.image);
        painter.setFont(font_);
        DrawOutlinedText(painter, entry.origin, text, colour_);
    }
    return *entries_.insert(text, std::move(entry));
}

} // namespace trevix
