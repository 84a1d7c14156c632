// A horizontal slide bar of the main panel: a track picture with a thumb picture that the mouse
// drags. The volume bar (kind 1) runs from 0 to 100 and starts at 50; the time bar (kind 2)
// covers the loaded Normal list in seconds, with yellow marks at event triggers and red lines
// over the recorded files, and the panel draws its time labels (PaintTimeLabels).
//
// Skin items: 116 (volume track) or 117 (time track), 118 (thumb); the fill colour is the panel
// colour of item 0. Placed at (213, 581) to (274, 601) for the volume bar and (10, 537) to
// (658, 557) for the time bar.
//
// What the user does reaches the parent as two signals: moving (message 2024) whenever a drag
// changes the position, released (message 2025) when the button is let go after a drag.
#pragma once

#include "control/SlideBarModel.h"
#include "control/TimeBarRange.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace trevix {

class CSkin;

class CZVSlideBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMsgMoving = kMsgSlideBarMoving;
    static constexpr int kMsgReleased = kMsgSlideBarReleased;
    static const QColor kMarkColour;
    static const QColor kSpanColour;
    static const QColor kLabelColour;

    static QRect PanelRect(SlideBarKind kind);

    explicit CZVSlideBar(SlideBarKind kind, QWidget* parent = nullptr);

    SlideBarKind Kind() const { return kind_; }

    // Pictures and fill colour from the skin.
    void LoadPictures(const CSkin& skin);
    void SetTrackPicture(const QImage& picture);
    // The thumb's size is the picture's.
    void SetThumbPicture(const QImage& picture);
    void SetFillColor(const QColor& colour);

    void SetRange(std::int32_t minimum, std::int32_t maximum);
    // Clamped into the range; repaints when the position changed. Does not notify the parent.
    void SetPosition(std::int32_t value);
    std::int32_t Position() const { return model_.Position(); }
    std::int32_t Minimum() const { return model_.Minimum(); }
    std::int32_t Maximum() const { return model_.Maximum(); }

    // Each value once.
    void AddMark(std::int32_t value);
    void ClearMarks();
    const std::vector<std::int32_t>& Marks() const { return model_.Marks(); }
    // Recorded stretches in seconds from the start; the ends of the track are marked as well.
    void SetRecordedSpans(std::vector<SlideSpan> spans);
    void ClearRecordedSpans();

    // Disabling during a drag ends the drag without notifying; repaints.
    void Enable(bool enabled);
    bool IsEnabledState() const { return isEnabled(); }
    bool IsDragging() const { return model_.Dragging(); }

    const SlideBarModel& Model() const { return model_; }
    int PaintCount() const { return paintCount_; }

    // Time bar: the range of the loaded list (a Normal list covers start to end in seconds, any
    // other list is empty). Clears marks and recorded spans and repaints the panel's label strip.
    void SetTimeRange(int loadedKind, std::int64_t startMs, std::int64_t endMs,
                      std::int64_t currentMs);
    const TimeBarRange& TimeRange() const { return range_; }
    // Moves a Normal list's bar to the shown time (may be called from any thread).
    void ShowTime(std::int64_t ms);
    // The recorder time of the current position.
    std::int64_t PositionTime() const { return range_.TimeAtPosition(Position()); }
    // The start, middle and end times under the bar, drawn by the panel on itself (painter in
    // panel coordinates) in UI font 0.
    void PaintTimeLabels(QPainter& panelPainter) const;
    static QRect TimeLabelStrip();

signals:
    // Message 2024: the position changed during a drag.
    void moving(trevix::CZVSlideBar* bar, int position);
    // Message 2025: the mouse button was released after a drag.
    void released(trevix::CZVSlideBar* bar, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintTimeExtras(QPainter& painter) const;

    SlideBarKind kind_;
    SlideBarModel model_;
    TimeBarRange range_;
    QImage track_;
    QImage thumb_;
    QColor fill_;
    int paintCount_ = 0;
};

} // namespace trevix
