// The OpenGL display path of a video pane: the pane's picture as a texture stretched over the
// pane's client area by the graphics hardware (or Mesa's software renderer), with the
// on-screen display painted over it.
#pragma once

#include <QOpenGLFunctions>
#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>

#include <cstdint>
#include <memory>

class QOpenGLTexture;

namespace trevix {

class CPaneVideo;

// Whether an OpenGL context with textures large enough for the recorder's pictures can be made
// on this display (probed once).
bool OpenGlPanesAvailable();
// Whether the panes take the OpenGL path by themselves: a context is available and the
// graphics hardware stretches the pictures. A software rasteriser stretches on the processor at
// several times the plain path's cost, so it counts only when the environment variable below is
// "1" (tests and measurements of that path on machines without graphics hardware).
inline constexpr const char* kAllowSoftwareOpenGl = "TREVIX_SOFTWARE_GL";
bool OpenGlPanesAccelerated();

class CPaneSurfaceGl final : public QOpenGLWidget, protected QOpenGLFunctions {
    Q_OBJECT
public:
    explicit CPaneSurfaceGl(CPaneVideo& pane);
    ~CPaneSurfaceGl() override;
    CPaneSurfaceGl(const CPaneSurfaceGl&) = delete;
    CPaneSurfaceGl& operator=(const CPaneSurfaceGl&) = delete;

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void ReleaseGl();
    void Upload(const QImage& picture, std::uint64_t serial);

    CPaneVideo& pane_;
    std::unique_ptr<QOpenGLTexture> texture_;
    QOpenGLTextureBlitter blitter_;
    std::uint64_t uploadedSerial_ = 0;
};

} // namespace trevix
