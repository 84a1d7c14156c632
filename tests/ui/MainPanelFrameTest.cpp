// The main panel inside a real main frame: the frame's host adapter reaches the frame's
// catalogue manager, message boxes and close request; the frame's keys, the menus, the exit
// corner and the drag rows act on the real windows.
#include "catalogue/ui/ListEvent.h"
#include "control/ui/ZVButton.h"
#include "tests/ui/MainPanelDroppedMenu.h"
#include "tests/ui/MainPanelInFrame.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;

namespace {

class MainPanelFrameTest : public MainPanelInFrameTest {};

} // namespace

TEST_F(MainPanelFrameTest, PanelFillsTheFrameWithItsChildren) {
    EXPECT_EQ(&frame_->Panel().Widget(), panel_);
    EXPECT_EQ(panel_->parentWidget(), frame_);
    EXPECT_NE(panel_->findChild<QWidget*>("PanePanel"), nullptr);
    EXPECT_NE(panel_->Button(cmd::kOpen), nullptr);
}

TEST_F(MainPanelFrameTest, OpenScansIntoTheFramesCatalogue) {
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\n");
    OpenCard(card);
    EXPECT_EQ(browser_.titles.size(), 1u);
    EXPECT_EQ(frame_->Search().RootPath(), card.Str());
    EXPECT_EQ(frame_->Search().LastScan().event.size(), 1u);

    // Backup with a folder chosen passes its check.
    panel_->OnPanelCommand(cmd::kBackup);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainPanelFrameTest, RefusalsGoToTheFramesMessageBoxes) {
    panel_->OnPanelCommand(cmd::kBackup);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].second, "No Event is loaded");
}

TEST_F(MainPanelFrameTest, ExitButtonClosesTheMainWindow) {
    frame_->show();
    ASSERT_TRUE(WaitUntil([&] { return frame_->isVisible(); }));
    emit panel_->Button(cmd::kExit)->clicked(cmd::kExit);
    EXPECT_TRUE(WaitUntil([&] { return !frame_->isVisible(); }));
}

namespace {

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const QPointF local(at);
    QMouseEvent event(type, local, widget.mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

TEST_F(MainPanelFrameTest, KeysOfTheFrameRunTheirCommandsOnTheRealLists) {
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\n"
                        "log start=0 seconds=30\nlog start=100 seconds=30\n");
    browser_.answer = QString::fromStdString(card.Str());
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::Key_O)));
    EXPECT_EQ(browser_.titles.size(), 1u);
    ASSERT_EQ(Window().List(SearchList::Log).RowCount(), 2);

    // Ctrl+L shows the log list; Ctrl+A and Ctrl+Shift+A tick and untick its rows.
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::Key_L)));
    EXPECT_EQ(Window().VisibleList(), SearchList::Log);
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::Key_A)));
    EXPECT_EQ(Window().List(SearchList::Log).CheckedRows(), (std::vector<int>{0, 1}));
    EXPECT_TRUE(Window().List(SearchList::Event).CheckedRows().empty());
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_A)));
    EXPECT_TRUE(Window().List(SearchList::Log).CheckedRows().empty());
    // Ctrl+E goes back to the events.
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::Key_E)));
    EXPECT_EQ(Window().VisibleList(), SearchList::Event);

    // F1 without a help file beside the viewer.
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::Key_F1)));
    EXPECT_EQ(Messages(), (std::vector<ShownMessage>{{"Trevix", "No help file(*.chm)"}}));
}

TEST_F(MainPanelFrameTest, HelpMenuKeyDependsOnTheVendor) {
    frame_->show();
    const auto dropsHelp = [&](const QKeySequence& keys) {
        return WithDroppedMenu([&] { PressKeys(keys); },
                               [](QMenu& menu) { EXPECT_EQ(menu.actions().size(), 3); });
    };
    EXPECT_TRUE(dropsHelp(QKeySequence(Qt::AltModifier | Qt::Key_H)));
    EXPECT_FALSE(dropsHelp(QKeySequence(Qt::AltModifier | Qt::Key_I)));

    Start(1);
    frame_->show();
    EXPECT_FALSE(dropsHelp(QKeySequence(Qt::AltModifier | Qt::Key_H)));
    EXPECT_TRUE(dropsHelp(QKeySequence(Qt::AltModifier | Qt::Key_I)));
}

TEST_F(MainPanelFrameTest, ChosenMenuItemRunsItsCommand) {
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\nevent fps=1 size=360x240 "
                        "audio=none\n");
    OpenCard(card);
    frame_->show();
    const bool seen =
        WithDroppedMenu([&] { Click(*panel_->Button(cmd::MenuButtonId(cmd::PanelMenu::Edit))); },
                        [](QMenu& menu) {
                            menu.setActiveAction(menu.actions().at(0)); // Select All
                            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                            QApplication::sendEvent(&menu, &enter);
                        });
    ASSERT_TRUE(seen);
    EXPECT_EQ(Window().List(SearchList::Event).CheckedRows(), (std::vector<int>{0, 1}));
}

TEST_F(MainPanelFrameTest, MinimizeAndTheExitCornerActOnTheMainWindow) {
    frame_->show();
    ASSERT_TRUE(WaitUntil([&] { return frame_->isVisible(); }));
    Click(*panel_->Button(cmd::kMinimize));
    EXPECT_TRUE(WaitUntil([&] { return frame_->isMinimized(); }));
    frame_->showNormal();

    // A double click beside the corner does nothing; inside (7, 7)-(20, 20) it exits.
    SendMouse(*panel_, QEvent::MouseButtonDblClick, QPoint(21, 21), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(frame_->isVisible());
    SendMouse(*panel_, QEvent::MouseButtonDblClick, QPoint(10, 10), Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return !frame_->isVisible(); }));
}

TEST_F(MainPanelFrameTest, OnlyTheTopRowsOfThePanelDragTheWindow) {
    frame_->show();
    ASSERT_TRUE(WaitUntil([&] { return frame_->isVisible(); }));
    // A point of the panel's own background, below the top rows.
    const QPoint low(400, 566);
    ASSERT_EQ(panel_->childAt(low), nullptr);
    const QPoint before = frame_->pos();
    SendMouse(*panel_, QEvent::MouseButtonPress, low, Qt::LeftButton);
    SendMouse(*panel_, QEvent::MouseMove, low + QPoint(30, 20), Qt::LeftButton);
    SendMouse(*panel_, QEvent::MouseButtonRelease, low + QPoint(30, 20), Qt::NoButton);
    QApplication::processEvents();
    EXPECT_EQ(frame_->pos(), before);

    const QPoint top(700, 10);
    ASSERT_EQ(panel_->childAt(top), nullptr);
    SendMouse(*panel_, QEvent::MouseButtonPress, top, Qt::LeftButton);
    SendMouse(*panel_, QEvent::MouseMove, top + QPoint(30, 20), Qt::LeftButton);
    SendMouse(*panel_, QEvent::MouseButtonRelease, top + QPoint(30, 20), Qt::NoButton);
    EXPECT_TRUE(WaitUntil([&] { return frame_->pos() == before + QPoint(30, 20); }));
}
