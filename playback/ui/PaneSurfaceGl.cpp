#include "playback/ui/PaneSurfaceGl.h"

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"
#include "playback/ui/PaneVideo.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLPixelTransferOptions>
#include <QOpenGLTexture>
#include <QPainter>

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <mutex>

namespace trevix {

namespace {

// The display driver the OpenGL library loaded stays loaded for the life of the process:
// unloading it when the display closes at exit serves nothing, and it would hide what the
// driver still holds from the leak checks of the test builds.
void KeepDisplayDriversLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr)
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

bool ProbeOpenGl() {
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    GLint maxTexture = 0;
    context.functions()->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    const char* renderer =
        reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    TRACE("OpenGL panes: renderer %s, max texture %d", renderer != nullptr ? renderer : "?",
          static_cast<int>(maxTexture));
    context.doneCurrent();
    KeepDisplayDriversLoaded();
    return maxTexture >= kMaxPictureWidth && maxTexture >= kMaxPictureHeight;
}

} // namespace

bool OpenGlPanesAvailable() {
    static std::once_flag probed;
    static bool available = false;
    std::call_once(probed, [] { available = ProbeOpenGl(); });
    return available;
}

CPaneSurfaceGl::CPaneSurfaceGl(CPaneVideo& pane)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), pane_(pane) {
    // Several panes swap one after another in one step: none may wait for the screen's refresh.
    QSurfaceFormat format = requestedFormat();
    format.setSwapInterval(0);
    setFormat(format);
    // A click on a picture leaves the keyboard with the main window and its keys.
    setFlag(Qt::WindowDoesNotAcceptFocus);
}

CPaneSurfaceGl::~CPaneSurfaceGl() {
    ReleaseGl();
}

void CPaneSurfaceGl::ReleaseGl() {
    QOpenGLContext* gl = context();
    if (gl == nullptr)
        return;
    makeCurrent();
    texture_.reset();
    if (blitter_.isCreated())
        blitter_.destroy();
    doneCurrent();
    uploadedSerial_ = 0;
    // Once released nothing is left to release when the context goes (the base class
    // destroys it after this object is gone).
    disconnect(gl, &QOpenGLContext::aboutToBeDestroyed, this, &CPaneSurfaceGl::ReleaseGl);
}

void CPaneSurfaceGl::initializeGL() {
    initializeOpenGLFunctions();
    blitter_.create();
    // Should the context go before the window, its resources go first.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CPaneSurfaceGl::ReleaseGl,
            Qt::DirectConnection);
}

bool CPaneSurfaceGl::event(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return QOpenGLWindow::event(event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // A double click is a second press for the pane, as widgets take it by default.
    const QEvent::Type paneType =
        type == QEvent::MouseButtonDblClick ? QEvent::MouseButtonPress : type;
    const QPointF local = mouse->position() + QPointF(CPaneVideo::kBorder, CPaneVideo::kBorder);
    QMouseEvent forwarded(paneType, local, local, mouse->globalPosition(), mouse->button(),
                          mouse->buttons(), mouse->modifiers(), mouse->pointingDevice());
    QCoreApplication::sendEvent(&pane_, &forwarded);
    return true;
}

void CPaneSurfaceGl::Upload(const QImage& picture, std::uint64_t serial) {
    if (texture_ && serial == uploadedSerial_ && texture_->width() == picture.width() &&
        texture_->height() == picture.height())
        return;
    if (!texture_ || texture_->width() != picture.width() ||
        texture_->height() != picture.height()) {
        texture_ = std::make_unique<QOpenGLTexture>(QOpenGLTexture::Target2D);
        texture_->setSize(picture.width(), picture.height());
        texture_->setFormat(QOpenGLTexture::RGB8_UNorm);
        texture_->setMinMagFilters(QOpenGLTexture::Linear, QOpenGLTexture::Linear);
        texture_->setWrapMode(QOpenGLTexture::ClampToEdge);
        texture_->allocateStorage(QOpenGLTexture::RGB, QOpenGLTexture::UInt8);
    }
    // QImage rows start on 4-byte boundaries, as GL's default unpack alignment expects.
    QOpenGLPixelTransferOptions options;
    options.setAlignment(4);
    if (context()->isOpenGLES()) {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        texture_->setData(QOpenGLTexture::RGB, QOpenGLTexture::UInt8, rgb.constBits(), &options);
    } else {
        texture_->setData(QOpenGLTexture::BGR, QOpenGLTexture::UInt8, picture.constBits(),
                          &options);
    }
    uploadedSerial_ = serial;
}

void CPaneSurfaceGl::paintGL() {
    const CPaneVideo::Snapshot snapshot = pane_.TakeSnapshot();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const bool picture = !snapshot.picture.isNull() &&
                         (snapshot.status.frame.flags & kFlagHiddenPicture) == 0 &&
                         blitter_.isCreated();
    if (picture) {
        Upload(snapshot.picture, snapshot.serial);
        const QSize pixels = size() * devicePixelRatio();
        const QRect viewport(QPoint(0, 0), pixels);
        glViewport(0, 0, pixels.width(), pixels.height());
        blitter_.bind();
        blitter_.blit(texture_->textureId(),
                      QOpenGLTextureBlitter::targetTransform(QRectF(viewport), viewport),
                      QOpenGLTextureBlitter::OriginTopLeft);
        blitter_.release();
    }
    {
        QPainter painter(this);
        pane_.PaintContent(painter, size(), snapshot, picture, &osdImages_);
    }
    pane_.FinishDrawing(snapshot);
}

} // namespace trevix
