// One video pane of the pane panel: keeps its own copy of the last picture given to it with
// the picture's status, draws it stretched over its client area with the on-screen display
// (or the skin's no-picture and hidden-picture images), and routes the mouse to the panel.
// Pictures may be given on any thread; the pane copies them under a small lock and paints only
// on the user-interface thread.
#pragma once

#include "playback/PaneDrawStats.h"
#include "playback/PaneOsd.h"
#include "recorder/PaneFrame.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

namespace trevix {

class CPaneSurfaceGl;
class OsdTextImages;
class CWndPanePanel;

class CPaneVideo final : public QWidget {
    Q_OBJECT
public:
    // The 1-pixel frame around the client area.
    static constexpr int kBorder = 1;

    // accelerated: the pane shows pictures through an OpenGL surface outside the log layout.
    CPaneVideo(int index, CWndPanePanel& panel, bool accelerated);
    ~CPaneVideo() override;
    CPaneVideo(const CPaneVideo&) = delete;
    CPaneVideo& operator=(const CPaneVideo&) = delete;

    int Index() const { return index_; }

    // Stores the status; copies the picture when it has pixels (an empty record empties the
    // pane); draws at once on the user-interface thread (an OpenGL surface with the window's
    // next composition), else posts the drawing there. A picture the display-rate limit skips
    // is kept but not drawn. Any thread.
    void SetFrame(std::uint8_t eventCodeEx, std::uint8_t phase, const PaneFrame& frame);
    // Draws again what the pane holds (any thread).
    void RequestRepaint();
    // The picture is dropped (no-picture image) and the pane repainted; the status stays.
    void DiscardImage();

    PaneStatus Status() const;
    bool HasPicture() const;
    int FrameCount() const;
    // The pane's copy of its picture (shares the pixels; null without picture).
    QImage Picture() const;
    PaneDrawStats Stats() const;

    // The client area inside the frame.
    QRect ClientRect() const { return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder); }
    // Whether the OpenGL surface draws this pane now.
    bool DrawsAccelerated() const;
    // Shows or hides the OpenGL surface (the log layout draws plainly).
    void SetAcceleratedActive(bool active);
    // The OpenGL surface's own window, which the window system gives the mouse over the client
    // area; null on the plain path.
    QWindow* SurfaceWindow() const;

    // What one drawing works from, taken under the lock.
    struct Snapshot {
        QImage picture;
        PaneStatus status;
        std::uint64_t serial = 0;
        bool pending = false; // the picture waits for this drawing (counted once drawn)
    };
    Snapshot TakeSnapshot();
    // Paints the client content of size: the picture (unless already drawn by the surface),
    // or the skin image, with the OSD (through osdImages when given) and the current-thumbnail
    // line.
    void PaintContent(QPainter& painter, QSize size, const Snapshot& snapshot, bool pictureDrawn,
                      OsdTextImages* osdImages = nullptr) const;
    // After a drawing: counts the picture as drawn and tells the panel (event border, digits).
    void FinishDrawing(const Snapshot& snapshot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CopyPicture(const PaneFrame& frame);
    void DrawNowOrPost();

    const int index_;
    CWndPanePanel& panel_;
    CPaneSurfaceGl* surface_ = nullptr; // the OpenGL surface; null on the plain path
    QWidget* surfaceHost_ = nullptr;    // the child of the pane that holds the surface

    mutable std::mutex mutex_;
    QImage image_; // Format_BGR888, width x height of the last picture
    PaneStatus status_;
    std::uint64_t serial_ = 0;        // counts every record given
    std::uint64_t pendingSerial_ = 0; // the picture waiting to be drawn; 0 for none
    std::uint64_t takenSerial_ = 0;   // the last picture a drawing took
    PaneDrawStats stats_;

    QImage offscreen_; // the plain path's drawing buffer (user-interface thread)
    std::atomic<bool> updatePosted_{false};
    std::atomic<bool> acceleratedActive_{false};
    std::optional<QPoint> dragOffset_;
    bool dragged_ = false;
};

} // namespace trevix
