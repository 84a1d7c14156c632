#include "control/ui/ZVCheckBox.h"

#include "control/ui/UiThread.h"
#include "control/ui/ZVButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace trevix {

CZVCheckBox::CZVCheckBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void CZVCheckBox::SetSkinPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void CZVCheckBox::SetState(int state) {
    if (HandedToOwnThread(this, [this, state] { SetState(state); }))
        return;
    const int normalised = state != 0 ? 1 : 0;
    if (state_ == normalised)
        return;
    state_ = normalised;
    update();
}

int CZVCheckBox::CurrentCell() const {
    if (!isEnabled())
        return 2;
    return state_ != 0 ? 0 : 1;
}

void CZVCheckBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (picture_.isNull())
        painter.fillRect(rect(), palette().button());
    else
        DrawPictureCell(painter, picture_, kCells, CurrentCell(), rect());
}

void CZVCheckBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    state_ = state_ != 0 ? 0 : 1;
    emit stateChanged(this, state_);
    update();
}

void CZVCheckBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace trevix
