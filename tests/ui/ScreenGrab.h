// Screen checks of real windows on the virtual display: where screenshots are kept, a part of
// the screen, and the wait until the screen shows what a window paints.
#pragma once

#include "tests/ui/WndSearchTestSupport.h"

#include <QImage>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace trevix::test {

// The build folder's "screenshots", made when missing.
inline std::filesystem::path ScreenshotFolder() {
    const std::filesystem::path folder = TestBinaryDir() / "screenshots";
    std::filesystem::create_directories(folder);
    return folder;
}

// The screen's pixels in a rectangle of global coordinates on the window's screen.
inline QImage ScreenArea(const QWidget& window, const QRect& global) {
    QScreen* screen = window.screen();
    const QPoint at = global.topLeft() - screen->geometry().topLeft();
    return screen->grabWindow(0, at.x(), at.y(), global.width(), global.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The window's area of the screen once shows() accepts it, saved as name in the screenshot
// folder. The X server shows a repaint a little later, and window tests of other processes may
// share the display, so the window is raised above them while it waits.
inline QImage ShotWhenShown(QWidget& window, const std::function<bool(const QImage&)>& shows,
                            const std::string& name) {
    QImage shot;
    const bool matched = QTest::qWaitFor(
        [&] {
            window.raise();
            shot = ScreenArea(window, window.geometry());
            return shows(shot);
        },
        5000);
    EXPECT_TRUE(matched) << name << ": the screen never showed what the window paints";
    EXPECT_TRUE(shot.save(QString::fromStdString((ScreenshotFolder() / name).string())));
    return shot;
}

} // namespace trevix::test
