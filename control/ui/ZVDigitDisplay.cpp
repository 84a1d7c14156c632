#include "control/ui/ZVDigitDisplay.h"

#include <QPainter>

namespace trevix {
namespace {

constexpr int kEdge = 1;

} // namespace

CZVDigitDisplay::CZVDigitDisplay(const QColor& background, bool sunkenEdge, QWidget* parent)
    : QWidget(parent), background_(background), sunkenEdge_(sunkenEdge) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void CZVDigitDisplay::SetStrip(int item, const QImage& picture) {
    strips_.Set(item, picture);
    update();
}

void CZVDigitDisplay::LoadStrips(const CSkin& skin) {
    strips_.Load(skin, StripItems());
    update();
}

QRect CZVDigitDisplay::ClientArea() const {
    return sunkenEdge_ ? rect().adjusted(kEdge, kEdge, -kEdge, -kEdge) : rect();
}

void CZVDigitDisplay::paintEvent(QPaintEvent* /*event*/) {
    ++paintCount_;
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (sunkenEdge_) {
        // Darker above and left, lighter below and right.
        const QRect outer = rect();
        painter.setPen(background_.darker(170));
        painter.drawLine(outer.topLeft(), outer.topRight());
        painter.drawLine(outer.topLeft(), outer.bottomLeft());
        painter.setPen(background_.lighter(170));
        painter.drawLine(outer.bottomLeft(), outer.bottomRight());
        painter.drawLine(outer.topRight(), outer.bottomRight());
    }
    const QRect client = ClientArea();
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    const GlyphList glyphs = CurrentGlyphs();
    DrawGlyphs(painter, strips_, glyphs);
}

} // namespace trevix
