#include "control/ui/ZVButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace trevix {

void DrawPictureCell(QPainter& painter, const QImage& picture, int cells, int cell,
                     const QRect& target) {
    if (picture.isNull() || cells <= 0)
        return;
    const int cellWidth = picture.width() / cells;
    if (cellWidth <= 0)
        return;
    const QRect source(cellWidth * cell, 0, cellWidth, picture.height());
    painter.drawImage(target, picture, source);
}

CZVButton::CZVButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void CZVButton::SetSkinPicture(const QImage& picture) {
    picture_ = picture;
    cellWidth_ = picture_.width() / kCells;
    update();
}

void CZVButton::SetSelected(bool selected) {
    if (selected_ == selected)
        return;
    selected_ = selected;
    update();
}

void CZVButton::SetHighlighted(bool highlighted) {
    if (highlighted_ == highlighted)
        return;
    highlighted_ = highlighted;
    update();
}

int CZVButton::CurrentCell() const {
    if (!isEnabled())
        return 3;
    if (selected_)
        return 2;
    if (pressed_)
        return 1;
    return highlighted_ ? 2 : 0;
}

QSize CZVButton::sizeHint() const {
    if (cellWidth_ > 0)
        return QSize(cellWidth_, picture_.height());
    return QWidget::sizeHint();
}

void CZVButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), palette().button());
        return;
    }
    DrawPictureCell(painter, picture_, kCells, CurrentCell(), rect());
}

void CZVButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    update();
}

void CZVButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool wasPressed = pressed_;
    pressed_ = false;
    update();
    // A click is a press and a release over the button, as with a standard push button.
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit clicked(controlId_);
}

void CZVButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            pressed_ = false;
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace trevix
