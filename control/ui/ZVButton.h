// Skinned push button: its picture holds four equal cells side by side (normal, pressed,
// selected or highlighted, disabled); the cell for the state is stretched over the button.
#pragma once

#include "app/ui/SkinnedControl.h"

#include <QImage>
#include <QWidget>

namespace trevix {

// Draws cell `cell` of a picture cut into `cells` equal cells, stretched over target.
void DrawPictureCell(QPainter& painter, const QImage& picture, int cells, int cell,
                     const QRect& target);

class CZVButton : public QWidget, public SkinnedControl {
    Q_OBJECT
public:
    static constexpr int kCells = 4;

    explicit CZVButton(QWidget* parent = nullptr);

    void SetSkinPicture(const QImage& picture) override;
    void SetControlId(int controlId) override { controlId_ = controlId; }
    int ControlId() const override { return controlId_; }
    QWidget* Widget() override { return this; }

    const QImage& Picture() const { return picture_; }
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return picture_.height(); }

    // Stores the state, enables or disables the window and repaints (setEnabled does the same).
    void SetEnabledState(bool enabled) { setEnabled(enabled); }
    bool IsEnabledState() const { return isEnabled(); }
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }
    void SetHighlighted(bool highlighted);
    bool IsHighlighted() const { return highlighted_; }
    bool IsPressed() const { return pressed_; }

    // 3 when disabled, else 2 when selected, 1 when pressed, 2 when highlighted, otherwise 0.
    int CurrentCell() const;

    QSize sizeHint() const override;

signals:
    // A press and release inside the button; carries the control id.
    void clicked(int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QImage picture_;
    int cellWidth_ = 0;
    int controlId_ = 0;
    bool pressed_ = false;
    bool selected_ = false;
    bool highlighted_ = false;
};

} // namespace trevix
