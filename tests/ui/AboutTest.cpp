#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrm.h"
#include "app/ui/TrevixApp.h"

#include "tests/support/TempDir.h"
#include "tests/ui/MainFrameFakes.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace trevix {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

QString LabelText(const CAboutDlg& dialog, int id) {
    const auto* label = dialog.findChild<QLabel*>(QString::number(id));
    return label != nullptr ? label->text() : QString("<missing %1>").arg(id);
}

TEST(AboutBox, ShowsItsFiveTextsInTheirControls) {
    AboutTexts texts;
    texts.title = "Trevix Information";
    texts.modelLine = "Drive Recorder";
    texts.recorderLine = "Recoder Version : ";
    texts.viewerLine = "Trevix Viewer Version : 1.0";
    texts.vendorLine = "";
    texts.ok = "OK";
    const CAboutDlg dialog(texts);
    EXPECT_EQ(dialog.windowTitle(), "Trevix Information");
    EXPECT_EQ(LabelText(dialog, CAboutDlg::kModelLineId), "Drive Recorder");
    EXPECT_EQ(LabelText(dialog, CAboutDlg::kRecorderVersionId), "Recoder Version : ");
    EXPECT_EQ(LabelText(dialog, CAboutDlg::kViewerVersionId), "Trevix Viewer Version : 1.0");
    EXPECT_EQ(LabelText(dialog, CAboutDlg::kVendorLineId), "");
    const auto* ok = dialog.findChild<QPushButton*>("1");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
}

// The running viewer's texts: the card of the catalogue, the configuration and the version of
// the application.
TEST(AboutBox, CurrentTextsOfTheRunningViewer) {
    TempDir dir;
    fs::create_directories(dir.Path() / "start");
    fs::create_directories(dir.Path() / "home");
    dir.Write("start/trevix.dsc", "[0]\n");
    dir.Write("start/trevix.chk", "x");
    dir.Write("start/vedoredu.ini", "[GUI]\nVender=2\nModelName=Fleet Cam\n");
    dir.Write("card/config/version.ini", "[INFO]\nVERSION=RX21_V1.04.08\n");
    ViewerConfig config(
        UserFolders{dir.Path() / "start", dir.Path() / "config", {}, dir.Path() / "home"},
        [] { return 81; });
    test::FakeFrameParts parts;
    AppStartOptions options;
    options.workingDirectory = dir.Path() / "start";
    options.messages = &parts.messages;
    options.lockPath = QString::fromStdString((dir.Path() / "DR_BRESKA").string());
    options.adjustFrame = [&parts](MainFrameSetup& setup) {
        MainFrameSetup fake = parts.Setup(setup.vendor);
        fake.messages = setup.messages;
        setup = std::move(fake);
    };
    CTrevixApp app(std::move(options), &config);
    ASSERT_TRUE(app.InitInstance());

    const QString previousVersion = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("");
    AboutTexts texts = CAboutDlg::CurrentTexts();
    EXPECT_EQ(texts.modelLine, "Fleet Cam");
    EXPECT_EQ(texts.recorderLine, "Recoder Version : "); // no card chosen yet
    EXPECT_EQ(texts.viewerLine, "Trevix Viewer Version : 1.0");
    EXPECT_EQ(texts.vendorLine, ""); // vendor 2 has no notice

    app.MainFrame()->Search().SetRootPath((dir.Path() / "card").string());
    QCoreApplication::setApplicationVersion("1.2.3");
    texts = CAboutDlg::CurrentTexts();
    EXPECT_EQ(texts.recorderLine, "Recoder Version : RX21_V1.04.08");
    EXPECT_EQ(texts.viewerLine, "Trevix Viewer Version : 1.2.3.0");
    QCoreApplication::setApplicationVersion(previousVersion);
}

} // namespace
} // namespace trevix
