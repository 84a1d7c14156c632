// The main panel inside a real main frame: the frame's host adapter reaches the frame's
// catalogue manager, message boxes and close request.
#include "app/ViewerConfig.h"
#include "app/ui/MainBackPanel.h"
#include "control/ui/ZVButton.h"
#include "tests/catalogue/CatalogueTestSupport.h"
#include "tests/ui/MainFrameFakes.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fstream>

// The window library's source glob also picks up this file, where the test definitions are
// absent; only the test program's copy runs.
#ifndef TREVIX_BINARY_DIR
#define TREVIX_BINARY_DIR "."
#endif

using namespace trevix;
using namespace trevix::test;
namespace fs = std::filesystem;

namespace {

class AnsweringBrowser final : public IFolderBrowser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override {
        ++asked;
        return answer;
    }
    std::optional<QString> answer;
    int asked = 0;
};

class NoUrls final : public IUrlOpener {
public:
    bool Open(const QUrl&) override { return false; }
};

bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 5000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class MainPanelFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path work = temp_.Path() / "work";
        fs::create_directories(work);
        std::ofstream(work / "vedoredu.ini") << "[GUI]\r\nVender=0\r\n";
        config_ = std::make_unique<ViewerConfig>(
            UserFolders{work, temp_.Path() / "appdata", temp_.Path(), temp_.Path()},
            [] { return 1; });
        config_->ReadAll();

        MainFrameSetup setup = parts_.Setup(0);
        setup.makePanel = [this](CMainFrame& frame) -> std::unique_ptr<IMainPanel> {
            PanelServices services{&parts_.messages, &browser_, &urls_, nullptr};
            auto made = std::make_unique<CMainBackPanel>(
                MakeFramePanelHost(frame, config_.get(), fs::path(TREVIX_BINARY_DIR) / "run"),
                services, &frame);
            panel_ = made.get();
            return made;
        };
        frame_ = std::make_unique<CMainFrame>(std::move(setup));
        ASSERT_TRUE(frame_->Create());
        ASSERT_NE(panel_, nullptr);
    }

    TempDir temp_;
    std::unique_ptr<ViewerConfig> config_;
    FakeFrameParts parts_;
    AnsweringBrowser browser_;
    NoUrls urls_;
    CMainBackPanel* panel_ = nullptr;
    std::unique_ptr<CMainFrame> frame_;
};

} // namespace

TEST_F(MainPanelFrameTest, PanelFillsTheFrameWithItsChildren) {
    EXPECT_EQ(&frame_->Panel().Widget(), panel_);
    EXPECT_EQ(panel_->parentWidget(), frame_.get());
    EXPECT_NE(panel_->findChild<QWidget*>("PanePanel"), nullptr);
    EXPECT_NE(panel_->Button(cmd::kOpen), nullptr);
}

TEST_F(MainPanelFrameTest, OpenScansIntoTheFramesCatalogue) {
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\n");
    browser_.answer = QString::fromStdString(card.Str());
    frame_->RunAccelerator(cmd::kKeyOpen);
    EXPECT_EQ(browser_.asked, 1);
    EXPECT_EQ(frame_->Search().RootPath(), card.Str());
    EXPECT_EQ(frame_->Search().LastScan().event.size(), 1u);

    // Backup with a folder chosen passes its check.
    panel_->OnPanelCommand(cmd::kBackup);
    EXPECT_TRUE(parts_.messages.shown.empty());
}

TEST_F(MainPanelFrameTest, RefusalsGoToTheFramesMessageBoxes) {
    panel_->OnPanelCommand(cmd::kBackup);
    ASSERT_EQ(parts_.messages.shown.size(), 1u);
    EXPECT_EQ(parts_.messages.shown[0].second, "No Event is loaded");
}

TEST_F(MainPanelFrameTest, ExitButtonClosesTheMainWindow) {
    frame_->show();
    ASSERT_TRUE(WaitFor([&] { return frame_->isVisible(); }));
    emit panel_->Button(cmd::kExit)->clicked(cmd::kExit);
    EXPECT_TRUE(WaitFor([&] { return !frame_->isVisible(); }));
}
