// Skinned button with a caption: four cells (normal, hover, selected, selected with hover);
// the caption is drawn over the picture in UI font 1.
#pragma once

#include "app/ui/SkinnedControl.h"

#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

namespace trevix {

class CZVCheckButton : public QWidget, public SkinnedControl {
    Q_OBJECT
public:
    static constexpr int kCells = 4;
    static constexpr int kDefaultCaptionOffset = 14;
    static constexpr int kHoverPollMs = 10;

    explicit CZVCheckButton(QWidget* parent = nullptr);

    void SetSkinPicture(const QImage& picture) override;
    void SetControlId(int controlId) override { controlId_ = controlId; }
    int ControlId() const override { return controlId_; }
    QWidget* Widget() override { return this; }

    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }
    // Non-zero moves the caption 10 pixels right of the centre.
    void SetCaptionOffset(int offset);
    int CaptionOffset() const { return captionOffset_; }
    // The caption's font; UI font 1 unless replaced.
    void SetCaptionFont(const QFont& font);

    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }
    bool IsHover() const { return hover_; }

    // 2 (3 while hovered) when selected, 0 (1 while hovered) otherwise.
    int CurrentCell() const;
    // Where the caption is drawn inside the client area.
    QRect CaptionRect() const;

signals:
    void clicked(int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QImage picture_;
    QString caption_;
    QFont font_;
    QBasicTimer hoverTimer_;
    int controlId_ = 0;
    int captionOffset_ = kDefaultCaptionOffset;
    bool selected_ = false;
    bool hover_ = false;
    bool pressed_ = false;
};

} // namespace trevix
