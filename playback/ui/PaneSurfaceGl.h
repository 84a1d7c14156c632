// The OpenGL display path of a video pane: the pane's picture as a texture stretched over the
// pane's client area by the graphics hardware (or Mesa's software renderer), with the
// on-screen display painted over it. The surface is a native window of its own inside the
// pane, so each picture goes to the screen by itself: an OpenGL widget would have the whole
// main window composed again for every picture of every pane.
#pragma once

#include "playback/ui/OsdPainter.h"

#include <QOpenGLFunctions>
#include <QOpenGLTextureBlitter>
#include <QOpenGLWindow>

#include <cstdint>
#include <memory>

class QOpenGLTexture;

namespace trevix {

class CPaneVideo;

// Whether an OpenGL context with textures large enough for the recorder's pictures can be made
// on this display (probed once), by graphics hardware or a software renderer.
bool OpenGlPanesAvailable();

class CPaneSurfaceGl final : public QOpenGLWindow, protected QOpenGLFunctions {
    Q_OBJECT
public:
    explicit CPaneSurfaceGl(CPaneVideo& pane);
    ~CPaneSurfaceGl() override;
    CPaneSurfaceGl(const CPaneSurfaceGl&) = delete;
    CPaneSurfaceGl& operator=(const CPaneSurfaceGl&) = delete;

protected:
    void initializeGL() override;
    void paintGL() override;
    // The pane handles the mouse: presses, moves and releases go to it in its coordinates.
    bool event(QEvent* event) override;

private:
    void ReleaseGl();
    void Upload(const QImage& picture, std::uint64_t serial);

    CPaneVideo& pane_;
    std::unique_ptr<QOpenGLTexture> texture_;
    QOpenGLTextureBlitter blitter_;
    std::uint64_t uploadedSerial_ = 0;
    // The OSD's texts as images, whose textures the OpenGL painter keeps between pictures.
    OsdTextImages osdImages_;
};

} // namespace trevix
