// The file-list window inside the main panel of a real main frame: Open scans a generated card
// and the window shows the card's rows, reached through the panel's file-list commands.
#include "app/ViewerConfig.h"
#include "app/ui/MainBackPanel.h"
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "catalogue/ui/WndSearch.h"
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

class CardBrowser final : public IFolderBrowser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override {
        return answer;
    }
    std::optional<QString> answer;
};

class NoUrls final : public IUrlOpener {
public:
    bool Open(const QUrl&) override { return false; }
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::vector<std::string> HiddenPaths(const CListEvent& list) {
    std::vector<std::string> paths;
    for (int row = 0; row < list.RowCount(); ++row)
        paths.push_back(list.Text(row, 3).toStdString());
    return paths;
}

class MainPanelFileListTest : public ::testing::Test {
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
    CardBrowser browser_;
    NoUrls urls_;
    CMainBackPanel* panel_ = nullptr;
    std::unique_ptr<CMainFrame> frame_;
};

} // namespace

TEST_F(MainPanelFileListTest, TheRealFileListWindowReplacesThePlaceholder) {
    CWndSearch* window = panel_->SearchWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(panel_->FileListWindow(), window);
    EXPECT_EQ(window->parentWidget(), panel_);
    EXPECT_EQ(panel_->SearchView(), window);
    EXPECT_EQ(panel_->LoadingView(), &window->LoadingView());
    // Only one child answers to the name: no plain stand-in is left behind it.
    EXPECT_EQ(panel_->findChildren<QWidget*>("FileList", Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(MainPanelFileListTest, OpenFillsTheWindowWithTheCardsEvents) {
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\n"
                        "event fps=1 size=360x240 audio=none\n");
    browser_.answer = QString::fromStdString(card.Str());
    frame_->show();
    frame_->RunAccelerator(cmd::kKeyOpen);

    CWndSearch& window = *panel_->SearchWindow();
    const std::vector<std::string>& scanned = frame_->Search().LastScan().event;
    ASSERT_EQ(scanned.size(), 2u);
    ASSERT_TRUE(WaitFor([&] { return window.List(SearchList::Event).RowCount() == 2; }));
    EXPECT_EQ(window.VisibleList(), SearchList::Event);
    EXPECT_EQ(HiddenPaths(window.List(SearchList::Event)), scanned);
    EXPECT_EQ(window.List(SearchList::Log).RowCount(), 0);
    EXPECT_TRUE(parts_.messages.shown.empty());

    // The scan's hide timer reaches the catalogue manager, which hides the progress window.
    EXPECT_TRUE(WaitFor([&] { return !window.LoadingWindow().isVisible(); }, 6000));

    // The panel's commands reach the window: Select All ticks every event row.
    panel_->OnPanelCommand(cmd::kMenuSelectAll);
    EXPECT_EQ(window.TickedPaths(SearchList::Event), scanned);
}
