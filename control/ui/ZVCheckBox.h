// Skinned two-state box (the mute box): three cells, on, off and disabled. A left press
// toggles it and tells the parent the new state; a disabled box takes no press. The mute box is
// created from skin item 48 with control id 1123; its state is "sound on" (1) or muted (0).
#pragma once

#include "app/ui/SkinnedControl.h"

#include <QImage>
#include <QWidget>

namespace trevix {

// The number of the box's notification to its parent.
inline constexpr int kMsgCheckBoxChanged = 2124;

class CZVCheckBox : public QWidget, public SkinnedControl {
    Q_OBJECT
public:
    static constexpr int kCells = 3;

    explicit CZVCheckBox(QWidget* parent = nullptr);

    void SetSkinPicture(const QImage& picture) override;
    void SetControlId(int controlId) override { controlId_ = controlId; }
    int ControlId() const override { return controlId_; }
    QWidget* Widget() override { return this; }

    // 1 on, 0 off. Setting it from outside repaints but does not notify; from another thread
    // (a mixer notice) the state is handed to the box's thread.
    void SetState(int state);
    int State() const { return state_; }

    // 0 when on, 1 when off, 2 when disabled.
    int CurrentCell() const;

signals:
    // The box was toggled by the user (message 2124: the box and its new state).
    void stateChanged(trevix::CZVCheckBox* box, int state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QImage picture_;
    int controlId_ = 0;
    int state_ = 1;
};

} // namespace trevix
