// Window tests need one QApplication for the whole program. Without a display (test discovery
// at build time) Qt's offscreen platform stands in; under scripts/with-services they run on Xvfb,
// where OpenGL is Mesa's software renderer: the tests of the OpenGL panes use it.
#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
