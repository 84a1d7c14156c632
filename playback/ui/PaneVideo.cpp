#include "playback/ui/PaneVideo.h"

#include "playback/ui/OsdPainter.h"
#include "playback/ui/PaneSurfaceGl.h"
#include "playback/ui/WndPanePanel.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include <cstring>

namespace trevix {

namespace {

// Pictures larger than this are refused as implausible (the recorder's are at most 720 x 576).
constexpr int kMaxPictureSide = 4096;

bool OnUiThread(const QObject& object) {
    return QThread::currentThread() == object.thread();
}

bool ShowsHiddenImage(const PaneStatus& status) {
    return (status.frame.flags & kFlagHiddenPicture) != 0;
}

} // namespace

CPaneVideo::CPaneVideo(int index, CWndPanePanel& panel, bool accelerated)
    : QWidget(&panel), index_(index), panel_(panel) {
    setObjectName(QStringLiteral("PaneVideo"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    status_.frame = EmptyPaneFrame(index);
    if (accelerated) {
        // The surface's native window must not make the pane's sibling widgets native too.
        QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
        auto surface = std::make_unique<CPaneSurfaceGl>(*this);
        surface_ = surface.get();
        // The host widget owns the surface's window from here on; the pane owns the host.
        surfaceHost_ = QWidget::createWindowContainer(surface.release(), this);
        surfaceHost_->setGeometry(ClientRect());
    }
}

CPaneVideo::~CPaneVideo() = default;

void CPaneVideo::CopyPicture(const PaneFrame& frame) {
    const bool usable = frame.width > 0 && frame.height > 0 && frame.width <= kMaxPictureSide &&
                        frame.height <= kMaxPictureSide &&
                        frame.pixels.size() >= static_cast<std::size_t>(frame.width) *
                                                   static_cast<std::size_t>(frame.height) * 3;
    if (!usable) {
        image_ = QImage();
        return;
    }
    // A picture still shared with a drawing in progress is never written: a new buffer is
    // made, so no drawing sees half of two pictures.
    if (image_.width() != frame.width || image_.height() != frame.height || !image_.isDetached())
        image_ = QImage(frame.width, frame.height, QImage::Format_BGR888);
    if (image_.isNull())
        return;
    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(image_.scanLine(y),
                    frame.pixels.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
}

void CPaneVideo::SetFrame(std::uint8_t eventCodeEx, std::uint8_t phase, const PaneFrame& frame) {
    const bool picture = frame.HasPicture();
    const std::int64_t pictureMs = picture ? ToRecorderMs(frame.time) : 0;
    IPaneDrawObserver* observer = panel_.DrawObserver();
    if (picture && observer != nullptr)
        observer->OnPictureGiven(index_, pictureMs);
    const bool admitted = picture && panel_.AdmitPicture(index_, pictureMs, !DrawsAccelerated());
    bool skipped = false;
    {
        const std::lock_guard lock(mutex_);
        status_.frame = frame;
        status_.frame.pixels = {};
        status_.eventCodeEx = eventCodeEx;
        status_.phase = phase;
        if (picture || !image_.isNull())
            CopyPicture(frame);
        ++serial_;
        // Every picture given ends drawn, skipped or superseded: a picture waiting for its
        // drawing that no drawing has taken yet is superseded, and the new one takes its place.
        const bool waiting = pendingSerial_ != 0 && pendingSerial_ != takenSerial_;
        if (picture) {
            ++stats_.given;
            if (waiting)
                ++stats_.superseded;
            if (admitted || waiting) {
                pendingSerial_ = serial_;
            } else {
                ++stats_.skipped;
                skipped = true;
            }
        } else {
            if (waiting)
                ++stats_.superseded;
            pendingSerial_ = 0;
        }
    }
    if (skipped) {
        if (observer != nullptr)
            observer->OnPictureSkipped(index_, pictureMs);
        return;
    }
    DrawNowOrPost();
}

void CPaneVideo::DrawNowOrPost() {
    if (OnUiThread(*this)) {
        // An OpenGL surface is only marked: it draws with the window system's next update,
        // without holding up the step that gave the picture.
        if (surface_ != nullptr && DrawsAccelerated())
            surface_->update();
        else
            repaint();
        return;
    }
    RequestRepaint();
}

void CPaneVideo::RequestRepaint() {
    if (updatePosted_.exchange(true))
        return; // one posted drawing takes whatever is newest when it runs
    QMetaObject::invokeMethod(
        this,
        [this] {
            updatePosted_.store(false);
            update();
            if (surface_ != nullptr)
                surface_->update();
        },
        Qt::QueuedConnection);
}

void CPaneVideo::DiscardImage() {
    {
        const std::lock_guard lock(mutex_);
        image_ = QImage();
        if (pendingSerial_ != 0 && pendingSerial_ != takenSerial_)
            ++stats_.superseded;
        pendingSerial_ = 0;
        ++serial_;
    }
    update();
    if (surface_ != nullptr)
        surface_->update();
}

PaneStatus CPaneVideo::Status() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

bool CPaneVideo::HasPicture() const {
    const std::lock_guard lock(mutex_);
    return !image_.isNull();
}

int CPaneVideo::FrameCount() const {
    const std::lock_guard lock(mutex_);
    return status_.frame.frameCount;
}

QImage CPaneVideo::Picture() const {
    const std::lock_guard lock(mutex_);
    return image_;
}

PaneDrawStats CPaneVideo::Stats() const {
    const std::lock_guard lock(mutex_);
    return stats_;
}

bool CPaneVideo::DrawsAccelerated() const {
    return surface_ != nullptr && acceleratedActive_.load();
}

QWindow* CPaneVideo::SurfaceWindow() const {
    return surface_;
}

void CPaneVideo::SetAcceleratedActive(bool active) {
    if (surface_ == nullptr)
        return;
    acceleratedActive_.store(active);
    surfaceHost_->setVisible(active);
    update();
}

CPaneVideo::Snapshot CPaneVideo::TakeSnapshot() {
    const std::lock_guard lock(mutex_);
    const bool pending = pendingSerial_ != 0 && pendingSerial_ == serial_;
    if (pending)
        takenSerial_ = serial_;
    return {image_, status_, serial_, pending};
}

void CPaneVideo::PaintContent(QPainter& painter, QSize size, const Snapshot& snapshot,
                              bool pictureDrawn, OsdTextImages* osdImages) const {
    const QRect area(QPoint(0, 0), size);
    const bool hidden = ShowsHiddenImage(snapshot.status);
    if (snapshot.picture.isNull() || hidden) {
        const QImage& image =
            snapshot.picture.isNull() ? panel_.NoPictureImage() : panel_.HiddenPictureImage();
        if (image.isNull())
            painter.fillRect(area, Qt::black);
        else
            painter.drawImage(area, image);
        if (snapshot.picture.isNull() || !panel_.DebugMode())
            return;
    } else if (!pictureDrawn) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(area, snapshot.picture);
    }
    const OsdContext context = panel_.OsdContextFor(index_, snapshot.status, DrawsAccelerated());
    const OsdPlan plan = BuildOsd(snapshot.status, context, size);
    if (osdImages != nullptr)
        osdImages->Draw(painter, plan);
    else
        DrawOsd(painter, plan);
    if (!hidden && context.layout == PaneLayout::Thumbnail && index_ == context.thumbCurrent)
        painter.fillRect(0, size.height() - kCurrentThumbLineWidth, size.width(),
                         kCurrentThumbLineWidth, kOsdCurrentThumbColour);
}

void CPaneVideo::FinishDrawing(const Snapshot& snapshot) {
    const bool hadPicture = !snapshot.picture.isNull();
    if (snapshot.pending) {
        const std::lock_guard lock(mutex_);
        ++stats_.drawn;
        stats_.lastDrawn = PaneClock::now();
        if (pendingSerial_ == snapshot.serial)
            pendingSerial_ = 0;
    }
    if (snapshot.pending) {
        if (IPaneDrawObserver* observer = panel_.DrawObserver())
            observer->OnPictureDrawn(index_, ToRecorderMs(snapshot.status.frame.time),
                                     PaneClock::now());
    }
    panel_.OnPaneDrawn(index_, snapshot.status, hadPicture);
}

void CPaneVideo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (DrawsAccelerated())
        return; // the surface draws the client area
    const QRect client = ClientRect();
    if (client.isEmpty())
        return;
    const Snapshot snapshot = TakeSnapshot();
    // Drawn off screen in full, then copied in one step.
    if (offscreen_.size() != client.size())
        offscreen_ = QImage(client.size(), QImage::Format_RGB32);
    {
        QPainter content(&offscreen_);
        PaintContent(content, client.size(), snapshot, false);
    }
    painter.drawImage(client.topLeft(), offscreen_);
    FinishDrawing(snapshot);
}

void CPaneVideo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (surfaceHost_ != nullptr)
        surfaceHost_->setGeometry(ClientRect());
}

void CPaneVideo::mousePressEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton) {
        dragged_ = false;
        dragOffset_ = global;
        panel_.OnPaneLeftPress(*this, global);
    } else if (event->button() == Qt::RightButton) {
        panel_.OnPaneRightPress(*this);
    }
    event->accept();
}

void CPaneVideo::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton) &&
        panel_.OnPaneDrag(event->globalPosition().toPoint()))
        dragged_ = true;
    event->accept();
}

void CPaneVideo::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragOffset_) {
        dragOffset_.reset();
        panel_.OnPaneLeftRelease(*this, event->globalPosition().toPoint(), dragged_);
    }
    event->accept();
}

} // namespace trevix
