#include "control/ui/ZVSlideBar.h"

#include "app/SkinFile.h"
#include "app/ui/Skin.h"
#include "app/ui/UiFonts.h"
#include "control/ui/OutlinedText.h"
#include "control/ui/UiThread.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace trevix {
namespace {

constexpr int kMarkTop = 5;
constexpr int kMarkBottom = 11;
constexpr int kMarkWidth = 2;
constexpr int kSpanCentreY = 9;
constexpr int kSpanWidth = 6;
constexpr int kEndLineInner = 14; // the end lines run from 5 to 14 pixels in from each end
constexpr int kEndLineOuter = 5;

QRect SpanLine(int left, int right) {
    return QRect(left, kSpanCentreY - kSpanWidth / 2, right - left + 1, kSpanWidth);
}

} // namespace

const QColor CZVSlideBar::kMarkColour(250, 250, 0);
const QColor CZVSlideBar::kSpanColour(250, 0, 0);
const QColor CZVSlideBar::kLabelColour(180, 180, 180);

QRect CZVSlideBar::PanelRect(SlideBarKind kind) {
    if (kind == SlideBarKind::Volume)
        return QRect(QPoint(213, 581), QPoint(273, 600));
    return QRect(QPoint(10, 537), QPoint(657, 556));
}

QRect CZVSlideBar::TimeLabelStrip() {
    return QRect(QPoint(kTimeLabelStrip.left, kTimeLabelStrip.top),
                 QPoint(kTimeLabelStrip.right - 1, kTimeLabelStrip.bottom - 1));
}

CZVSlideBar::CZVSlideBar(SlideBarKind kind, QWidget* parent)
    : QWidget(parent), kind_(kind),
      model_(kind == SlideBarKind::Volume ? VolumeBarGeometry() : TimeBarGeometry()),
      fill_(palette().window().color()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    if (kind == SlideBarKind::Volume) {
        model_.SetRange(kVolumeBarMinimum, kVolumeBarMaximum);
        model_.SetPosition(kVolumeBarStart);
    }
}

void CZVSlideBar::LoadPictures(const CSkin& skin) {
    SetTrackPicture(skin.Picture(kind_ == SlideBarKind::Volume ? skin_item::kVolumeTrack
                                                               : skin_item::kTimeTrack));
    SetThumbPicture(skin.Picture(skin_item::kSlideThumb));
    if (const SkinControl_Info* background = skin.Lookup(skin_item::kBackground))
        SetFillColor(QColor(background->Red(), background->Green(), background->Blue()));
}

void CZVSlideBar::SetTrackPicture(const QImage& picture) {
    track_ = picture;
    update();
}

void CZVSlideBar::SetThumbPicture(const QImage& picture) {
    thumb_ = picture;
    if (!picture.isNull())
        model_.SetThumbSize(picture.width(), picture.height());
    update();
}

void CZVSlideBar::SetFillColor(const QColor& colour) {
    fill_ = colour;
    update();
}

void CZVSlideBar::SetRange(std::int32_t minimum, std::int32_t maximum) {
    if (model_.SetRange(minimum, maximum))
        update();
}

void CZVSlideBar::SetPosition(std::int32_t value) {
    if (model_.SetPosition(value))
        update();
}

void CZVSlideBar::AddMark(std::int32_t value) {
    if (model_.AddMark(value))
        update();
}

void CZVSlideBar::ClearMarks() {
    model_.ClearMarks();
    update();
}

void CZVSlideBar::SetRecordedSpans(std::vector<SlideSpan> spans) {
    model_.SetRecordedSpans(std::move(spans));
    update();
}

void CZVSlideBar::ClearRecordedSpans() {
    model_.ClearRecordedSpans();
    update();
}

void CZVSlideBar::Enable(bool enabled) {
    if (!enabled && model_.Dragging()) {
        model_.CancelDrag();
        if (QWidget::mouseGrabber() == this)
            releaseMouse();
    }
    setEnabled(enabled);
    update();
}

void CZVSlideBar::SetTimeRange(int loadedKind, std::int64_t startMs, std::int64_t endMs,
                               std::int64_t currentMs) {
    const TimeBarSetting setting = range_.Set(loadedKind, startMs, endMs, currentMs);
    model_.ClearMarks();
    model_.ClearRecordedSpans();
    model_.SetRange(setting.minimum, setting.maximum);
    model_.SetPosition(setting.position);
    update();
    // The labels change with the range, also when they disappear for another list. The area
    // takes in the text's outline and the font's line box around the strip.
    if (QWidget* panel = parentWidget())
        panel->update(TimeLabelStrip().adjusted(-2, -4, 2, 2));
}

void CZVSlideBar::ShowTime(std::int64_t ms) {
    if (HandedToOwnThread(this, [this, ms] { ShowTime(ms); }))
        return;
    if (range_.IsNormal())
        SetPosition(range_.SecondsFromStart(ms));
}

void CZVSlideBar::PaintTimeLabels(QPainter& panelPainter) const {
    const std::vector<TimeBarLabel> labels = range_.Labels();
    if (labels.empty())
        return;
    panelPainter.save();
    const QFont font = UiFonts::Get(0);
    panelPainter.setFont(font);
    const QFontMetrics metrics(font);
    for (const TimeBarLabel& label : labels) {
        const QString text = QString::fromStdString(label.text);
        const int width = metrics.horizontalAdvance(text) + 2;
        const int height = metrics.height();
        int left = label.x;
        int flags = Qt::AlignBottom | Qt::TextSingleLine;
        switch (label.align) {
        case TimeBarLabel::Align::Left:
            flags |= Qt::AlignLeft;
            break;
        case TimeBarLabel::Align::Centre:
            left -= width / 2;
            flags |= Qt::AlignHCenter;
            break;
        case TimeBarLabel::Align::Right:
            left -= width;
            flags |= Qt::AlignRight;
            break;
        }
        DrawOutlinedText(panelPainter, QRect(left, label.y - height, width, height), flags, text,
                         kLabelColour);
    }
    panelPainter.restore();
}

void CZVSlideBar::paintEvent(QPaintEvent* /*event*/) {
    ++paintCount_;
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    const SlideBarGeometry& geometry = model_.Geometry();
    const QRect track(geometry.trackX, geometry.trackY, geometry.trackWidth, geometry.trackHeight);
    if (!track_.isNull())
        painter.drawImage(track, track_);
    if (kind_ == SlideBarKind::Time)
        PaintTimeExtras(painter);
    if (!thumb_.isNull())
        painter.drawImage(QPoint(model_.ThumbLeft(), 0), thumb_);
}

void CZVSlideBar::PaintTimeExtras(QPainter& painter) const {
    const std::vector<PixelSpan> spans = model_.VisibleSpanPixels();
    if (!model_.RecordedSpans().empty()) {
        const int right = width();
        painter.fillRect(SpanLine(kEndLineOuter, kEndLineInner), kSpanColour);
        painter.fillRect(SpanLine(right - kEndLineInner, right - kEndLineOuter), kSpanColour);
    }
    for (const PixelSpan& span : spans)
        painter.fillRect(SpanLine(span.left, span.right), kSpanColour);
    // Marks go over the spans so that an event inside a recorded file stays visible.
    for (const int pixel : model_.VisibleMarkPixels())
        painter.fillRect(
            QRect(pixel - kMarkWidth / 2, kMarkTop, kMarkWidth, kMarkBottom - kMarkTop),
            kMarkColour);
}

void CZVSlideBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const bool moved = model_.Press(qRound(event->position().x()));
    update();
    if (moved)
        emit moving(this, Position());
}

void CZVSlideBar::mouseMoveEvent(QMouseEvent* event) {
    if (!isEnabled() || !model_.Dragging()) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (model_.Move(qRound(event->position().x()))) {
        update();
        emit moving(this, Position());
    }
}

void CZVSlideBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // A release without a drag of this bar (a press elsewhere) says nothing.
    const bool dragged = model_.Release();
    update();
    if (dragged)
        emit released(this, Position());
}

} // namespace trevix
