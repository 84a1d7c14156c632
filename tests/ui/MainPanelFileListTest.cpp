// The file-list window inside the main panel of a real main frame: Open scans a generated card
// and the window shows the card's rows, reached through the panel's file-list commands.
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "catalogue/ui/WndSearch.h"
#include "tests/ui/MainPanelInFrame.h"

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

std::vector<std::string> HiddenPaths(const CListEvent& list) {
    std::vector<std::string> paths;
    for (int row = 0; row < list.RowCount(); ++row)
        paths.push_back(list.Text(row, 3).toStdString());
    return paths;
}

class MainPanelFileListTest : public MainPanelInFrameTest {};

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
    OpenCard(card);

    CWndSearch& window = *panel_->SearchWindow();
    const std::vector<std::string>& scanned = frame_->Search().LastScan().event;
    ASSERT_EQ(scanned.size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return window.List(SearchList::Event).RowCount() == 2; }));
    EXPECT_EQ(window.VisibleList(), SearchList::Event);
    EXPECT_EQ(HiddenPaths(window.List(SearchList::Event)), scanned);
    EXPECT_EQ(window.List(SearchList::Log).RowCount(), 0);
    EXPECT_TRUE(Messages().empty());

    // The scan's hide timer reaches the catalogue manager, which hides the progress window.
    EXPECT_TRUE(WaitUntil([&] { return !window.LoadingWindow().isVisible(); }, 6000));

    // The panel's commands reach the window: Select All ticks every event row.
    panel_->OnPanelCommand(cmd::kMenuSelectAll);
    EXPECT_EQ(window.TickedPaths(SearchList::Event), scanned);
}
