#include "playback/ui/PaneSurfaceGl.h"

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"
#include "playback/ui/PaneVideo.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLPixelTransferOptions>
#include <QOpenGLTexture>
#include <QPainter>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
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

// What the probe found: a context with large enough textures, and whether its renderer is a
// software rasteriser rather than graphics hardware.
struct OpenGlProbe {
    bool available = false;
    bool software = false;
};

bool IsSoftwareRenderer(const char* renderer) {
    if (renderer == nullptr)
        return true;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"})
        if (std::strstr(renderer, name) != nullptr)
            return true;
    return false;
}

OpenGlProbe ProbeOpenGl() {
    QOpenGLContext context;
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return {};
    GLint maxTexture = 0;
    context.functions()->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    const char* renderer =
        reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    OpenGlProbe probe;
    probe.software = IsSoftwareRenderer(renderer);
    probe.available = maxTexture >= kMaxPictureWidth && maxTexture >= kMaxPictureHeight;
    TRACE("OpenGL panes: renderer %s, max texture %d", renderer != nullptr ? renderer : "?",
          static_cast<int>(maxTexture));
    context.doneCurrent();
    KeepDisplayDriversLoaded();
    return probe;
}

const OpenGlProbe& Probed() {
    static std::once_flag probed;
    static OpenGlProbe probe;
    std::call_once(probed, [] { probe = ProbeOpenGl(); });
    return probe;
}

} // namespace

bool OpenGlPanesAvailable() {
    return Probed().available;
}

bool OpenGlPanesAccelerated() {
    const OpenGlProbe& probe = Probed();
    const char* allowSoftware = std::getenv(kAllowSoftwareOpenGl);
    return probe.available &&
           (!probe.software || (allowSoftware != nullptr && std::strcmp(allowSoftware, "1") == 0));
}

CPaneSurfaceGl::CPaneSurfaceGl(CPaneVideo& pane) : QOpenGLWidget(&pane), pane_(pane) {
    setAttribute(Qt::WA_TransparentForMouseEvents); // the pane takes the mouse
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
    // The context goes when the widget moves to another window; its resources go first.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CPaneSurfaceGl::ReleaseGl,
            Qt::DirectConnection);
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
        pane_.PaintContent(painter, size(), snapshot, picture);
    }
    pane_.FinishDrawing(snapshot);
}

} // namespace trevix
