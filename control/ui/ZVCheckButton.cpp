#include "control/ui/ZVCheckButton.h"

#include "app/ui/UiFonts.h"
#include "control/ui/ZVButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

namespace trevix {

CZVCheckButton::CZVCheckButton(QWidget* parent) : QWidget(parent), font_(UiFonts::Get(1)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void CZVCheckButton::SetSkinPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void CZVCheckButton::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void CZVCheckButton::SetCaptionOffset(int offset) {
    captionOffset_ = offset;
    update();
}

void CZVCheckButton::SetCaptionFont(const QFont& font) {
    font_ = font;
    update();
}

void CZVCheckButton::SetSelected(bool selected) {
    if (selected_ == selected)
        return;
    selected_ = selected;
    update();
}

int CZVCheckButton::CurrentCell() const {
    if (selected_)
        return hover_ ? 3 : 2;
    return hover_ ? 1 : 0;
}

QRect CZVCheckButton::CaptionRect() const {
    const QFontMetrics metrics(font_);
    const int textWidth = metrics.horizontalAdvance(caption_);
    const int textHeight = metrics.height();
    const int centreX = width() / 2 + (captionOffset_ != 0 ? 10 : 0);
    // Bottom-aligned at half the text height below the middle: the text is centred vertically.
    const int bottom = height() / 2 + textHeight / 2;
    return QRect(centreX - textWidth / 2, bottom - textHeight, textWidth, textHeight);
}

void CZVCheckButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (picture_.isNull())
        painter.fillRect(rect(), palette().button());
    else
        DrawPictureCell(painter, picture_, kCells, CurrentCell(), rect());
    if (caption_.isEmpty())
        return;
    painter.setFont(font_);
    painter.setPen(isEnabled() ? QColor(255, 255, 255) : QColor(180, 180, 180));
    painter.drawText(CaptionRect(), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                     caption_);
}

void CZVCheckButton::mouseMoveEvent(QMouseEvent* event) {
    if (!hover_) {
        hover_ = true;
        update();
        hoverTimer_.start(kHoverPollMs, this);
    }
    QWidget::mouseMoveEvent(event);
}

void CZVCheckButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    QWidget::mousePressEvent(event);
}

void CZVCheckButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (wasPressed && rect().contains(event->position().toPoint()))
            emit clicked(controlId_);
    }
    QWidget::mouseReleaseEvent(event);
}

void CZVCheckButton::timerEvent(QTimerEvent* event) {
    if (event->timerId() != hoverTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
        hover_ = false;
        hoverTimer_.stop();
        update();
    }
}

void CZVCheckButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace trevix
