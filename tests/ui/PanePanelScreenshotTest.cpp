// Screen checks of the pane panel on the virtual display: four pictures in the quad layout,
// on the plain path and on the OpenGL path, read back from the screen and checked by pixels.
#include "playback/ui/PaneSurfaceGl.h"
#include "playback/ui/PaneVideo.h"
#include "playback/ui/WndPanePanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace trevix {
namespace {

namespace fs = std::filesystem;

const QColor kChannelColours[4] = {{40, 90, 200}, {40, 170, 60}, {190, 50, 50}, {150, 60, 170}};
const QColor kTextColour(200, 200, 200);

void Pump(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

fs::path ScreenFolder() {
    const char* build = std::getenv("TREVIX_BINARY_DIR");
    const fs::path folder = fs::path(build != nullptr ? build : ".") / "screens";
    fs::create_directories(folder);
    return folder;
}

// The display drivers the OpenGL path loaded stay loaded to the end, so that the leak check
// can name them (their own allocations at exit are theirs, not ours).
void PinDisplayDrivers() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr)
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int CountColour(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

class PanePanelScreenshotTest : public ::testing::TestWithParam<PaneDisplayPath> {
protected:
    // The panel with one uniform picture per camera, read back from the screen.
    QImage ShowQuad() {
        PanePanelSetup setup;
        setup.path = GetParam();
        setup.borderColor = QColor(20, 23, 28);
        setup.cpuLevel = 1;
        main_ = std::make_unique<QWidget>();
        main_->setWindowFlag(Qt::FramelessWindowHint);
        main_->setGeometry(50, 50, 820, 620);
        auto panel = std::make_unique<CWndPanePanel>(setup, main_.get());
        panel->setGeometry(8, 8, 804, 604);
        panel_ = panel.release(); // owned by the main window
        main_->show();
        Pump(300);
        for (int channel = 0; channel < 4; ++channel) {
            pictures_[channel].assign(352 * 240 * 3, 0);
            for (std::size_t i = 0; i < pictures_[channel].size(); i += 3) {
                pictures_[channel][i] = static_cast<std::uint8_t>(kChannelColours[channel].blue());
                pictures_[channel][i + 1] =
                    static_cast<std::uint8_t>(kChannelColours[channel].green());
                pictures_[channel][i + 2] =
                    static_cast<std::uint8_t>(kChannelColours[channel].red());
            }
            PaneFrame frame;
            frame.pane = channel;
            frame.pixels = pictures_[channel];
            frame.width = 352;
            frame.height = 240;
            frame.frameIndex = 41;
            frame.frameCount = 300;
            frame.time = {2024, 5, 5, 17, 12, 30, 5, 678};
            panel_->SetFrame(0, 1, frame);
        }
        Pump(300);
        QScreen* screen = main_->screen();
        QImage shot;
        if (screen != nullptr && QGuiApplication::platformName() != "offscreen")
            shot = screen->grabWindow(main_->winId(), 8, 8, 804, 604).toImage();
        if (shot.isNull() || shot.size() != QSize(804, 604))
            shot = panel_->grab().toImage();
        return shot.convertToFormat(QImage::Format_RGB32);
    }

    std::unique_ptr<QWidget> main_;
    CWndPanePanel* panel_ = nullptr;
    std::vector<std::uint8_t> pictures_[4];
};

TEST_P(PanePanelScreenshotTest, QuadPicturesWhereTheLayoutPutsThemWithTheirTexts) {
    if (GetParam() == PaneDisplayPath::Automatic && !OpenGlPanesAvailable())
        GTEST_SKIP() << "no OpenGL context with textures on this display";
    const QImage shot = ShowQuad();
    PinDisplayDrivers();
    EXPECT_EQ(panel_->IsAccelerated(), GetParam() == PaneDisplayPath::Automatic);
    const char* name =
        GetParam() == PaneDisplayPath::Automatic ? "pane_panel_quad_gl.png" : "pane_panel_quad.png";
    shot.save(QString::fromStdString((ScreenFolder() / name).string()));

    for (int channel = 0; channel < 4; ++channel) {
        const QRect pane = PaneRect(PaneLayout::Quad, channel, 0, QSize(804, 604));
        // The picture fills the pane's client area inside its 1-pixel black frame.
        const QRect inner = pane.adjusted(60, 40, -60, -40);
        EXPECT_GT(CountColour(shot, inner, kChannelColours[channel], 6),
                  inner.width() * inner.height() * 9 / 10)
            << "channel " << channel;
        EXPECT_EQ(shot.pixelColor(pane.left(), pane.center().y()), QColor(Qt::black)) << channel;
        EXPECT_TRUE(
            Near(shot.pixelColor(pane.left() + 3, pane.center().y()), kChannelColours[channel], 6))
            << channel;
        // Light grey text with its black outline: the camera name top left, the phase label
        // top right, the time stamp and the counter along the bottom.
        const QRect cameraName(pane.left() + 1, pane.top() + 1, 70, 25);
        const QRect phase(pane.right() - 60, pane.top() + 1, 60, 25);
        const QRect bottom(pane.left() + 1, pane.bottom() - 50, pane.width() - 2, 50);
        for (const QRect& area : {cameraName, phase, bottom}) {
            EXPECT_GT(CountColour(shot, area, kTextColour, 30), 15) << channel;
            EXPECT_GT(CountColour(shot, area, Qt::black, 20), 15) << channel;
        }
        // No text in the middle of the picture.
        EXPECT_EQ(CountColour(shot, inner, kTextColour, 30), 0) << channel;
    }
    // Gaps between the panes show the panel's colour.
    EXPECT_TRUE(Near(shot.pixelColor(402, 150), QColor(20, 23, 28), 2));
    EXPECT_TRUE(Near(shot.pixelColor(0, 0), QColor(20, 23, 28), 2));
}

INSTANTIATE_TEST_SUITE_P(DisplayPaths, PanePanelScreenshotTest,
                         ::testing::Values(PaneDisplayPath::Painter, PaneDisplayPath::Automatic),
                         [](const auto& param) {
                             return param.param == PaneDisplayPath::Painter ? "Painter" : "OpenGl";
                         });

} // namespace
} // namespace trevix
