#include "app/ui/MainFrm.h"

#include "catalogue/MgrDBSearch.h"
#include "playback/MgrPlayControl.h"
#include "tests/support/TempDir.h"
#include "tests/ui/MainFrameFakes.h"
#include "tests/ui/ScreenGrab.h"
#include "tools/mkcard/CardWriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

namespace trevix {
namespace {

using test::FakeFrameParts;
using test::ScreenshotFolder;
using test::TempDir;

using test::kRootMountLine;
using test::MountLine;

TEST(MainFrame, FixedFramelessCentredWithRoundedCorners) {
    FakeFrameParts parts;
    CMainFrame frame(parts.Setup());
    ASSERT_TRUE(frame.Create());
    EXPECT_EQ(frame.size(), QSize(1024, 768));
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize()); // no sizing
    EXPECT_TRUE(frame.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(frame.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(frame.windowTitle(), "Trevix");

    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame.pos(), QPoint(desktop.x() + desktop.width() / 2 - 512,
                                  desktop.y() + desktop.height() / 2 - 384));

    const QRegion mask = frame.mask();
    EXPECT_TRUE(mask.contains(QPoint(512, 384)));
    EXPECT_TRUE(mask.contains(QPoint(512, 0)));
    EXPECT_TRUE(mask.contains(QPoint(0, 384)));
    EXPECT_TRUE(mask.contains(QPoint(7, 7)));
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(1023, 0), QPoint(0, 767), QPoint(1023, 767), QPoint(1, 1)})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();

    ASSERT_NE(parts.panel, nullptr);
    EXPECT_EQ(parts.panel->objectName(), "MainBackPanel");
    EXPECT_EQ(parts.panel->parentWidget(), &frame);
    EXPECT_EQ(parts.panel->geometry(), frame.rect());
    EXPECT_EQ(&frame.Panel(), parts.panel);
}

TEST(MainFrame, ShownWindowShowsThePanelInsideTheRoundedShape) {
    FakeFrameParts parts;
    CMainFrame frame(parts.Setup());
    ASSERT_TRUE(frame.Create());
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QImage shot = frame.grab().toImage();
    shot.save(QString::fromStdString((ScreenshotFolder() / "main-frame-fake-panel.png").string()));
    ASSERT_EQ(shot.size(), QSize(1024, 768) * shot.devicePixelRatio());
    EXPECT_EQ(QColor(shot.pixel(512, 384)), test::kFakePanelColour);
    EXPECT_EQ(QColor(shot.pixel(20, 20)), test::kFakePanelColour);

    // On a real display the corners are cut away: the screen shows what lies beneath.
    if (QGuiApplication::platformName() != "xcb")
        return;
    QScreen* screen = frame.screen();
    const QPoint origin = frame.mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
    bool painted = false;
    QImage screenShot;
    // The window manager or the X server may paint it a little later.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            frame.raise(); // above the windows of tests running beside this one
            screenShot = screen->grabWindow(0, origin.x(), origin.y(), 1024, 768).toImage();
            painted = QColor(screenShot.pixel(512, 384)) == test::kFakePanelColour;
            return painted;
        },
        5000));
    screenShot.save(
        QString::fromStdString((ScreenshotFolder() / "main-frame-on-screen.png").string()));
    EXPECT_NE(QColor(screenShot.pixel(0, 0)), test::kFakePanelColour);
    EXPECT_NE(QColor(screenShot.pixel(1023, 767)), test::kFakePanelColour);
    EXPECT_EQ(QColor(screenShot.pixel(6, 6)), test::kFakePanelColour);
}

TEST(MainFrame, DragWithTheLeftButtonMovesTheWindow) {
    FakeFrameParts parts;
    CMainFrame frame(parts.Setup());
    ASSERT_TRUE(frame.Create());
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QPoint start = frame.pos();
    const QPoint local(300, 200);
    const QPoint global = frame.mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(parts.panel, &press); // the panel passes the drag on
    const QPoint moved = global + QPoint(-40, 25);
    QMouseEvent move(QEvent::MouseMove, frame.mapFromGlobal(moved), moved, Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(parts.panel, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, frame.mapFromGlobal(moved), moved,
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(parts.panel, &release);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.pos() == start + QPoint(-40, 25); }, 5000))
        << frame.pos().x() << "," << frame.pos().y();

    // A move without the button pressed does not drag.
    const QPoint after = frame.pos();
    QMouseEvent hover(QEvent::MouseMove, QPointF(10, 10), frame.mapToGlobal(QPoint(10, 10)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(parts.panel, &hover);
    EXPECT_EQ(frame.pos(), after);
}

TEST(MainFrame, KeyTableReachesThePanelsCommandHandler) {
    std::set<QKeySequence> keys;
    std::set<int> commands;
    for (const AcceleratorKey& key : AcceleratorTable()) {
        EXPECT_TRUE(keys.insert(key.keys).second) << key.keys.toString().toStdString();
        commands.insert(key.command);
    }
    // Every command of the key table has a key (Enter has two).
    EXPECT_EQ(commands.size(), 31u);
    EXPECT_TRUE(commands.count(accel::kMenuHelpVendor1));
    EXPECT_TRUE(commands.count(accel::kViewQuad));

    FakeFrameParts parts;
    CMainFrame frame(parts.Setup());
    ASSERT_TRUE(frame.Create());
    frame.RunAccelerator(accel::kSelectFolder);
    EXPECT_EQ(parts.panel->commands, std::vector<int>{accel::kSelectFolder});

    // Each key of the table is a shortcut of the frame's window that runs its command.
    parts.panel->commands.clear();
    const auto shortcuts = frame.findChildren<QShortcut*>();
    ASSERT_EQ(shortcuts.size(), static_cast<qsizetype>(AcceleratorTable().size()));
    for (QShortcut* shortcut : shortcuts) {
        EXPECT_EQ(shortcut->context(), Qt::WindowShortcut);
        if (shortcut->key() == QKeySequence(Qt::Key_Space))
            emit shortcut->activated();
    }
    for (QShortcut* shortcut : shortcuts) {
        if (shortcut->key() == QKeySequence(Qt::AltModifier | Qt::Key_I))
            emit shortcut->activated();
    }
    EXPECT_EQ(parts.panel->commands,
              (std::vector<int>{accel::kPlayStopToggle, accel::kMenuHelpVendor1}));
}

TEST(MainFrame, VolumeShownOnThePanelAndFollowed) {
    FakeFrameParts parts;
    parts.volumePercent = 140; // above the system's normal maximum
    parts.muted = 1;
    CMainFrame frame(parts.Setup());
    ASSERT_TRUE(frame.Create());
    ASSERT_NE(parts.volume, nullptr);
    EXPECT_EQ(frame.Volume(), parts.volume);
    EXPECT_EQ(parts.volume->setMutes, std::vector<std::uint32_t>{1}); // read and applied again
    EXPECT_EQ(parts.panel->volumes, std::vector<int>{100});           // clamped to the bar
    EXPECT_EQ(parts.panel->mutes, std::vector<bool>{true});
    EXPECT_EQ(parts.panel->volumeDisabled, 0);

    ASSERT_TRUE(parts.volume->volumeCallback && parts.volume->muteCallback);
    parts.volume->volumeCallback(37, 0);
    parts.volume->muteCallback(1, 0); // sound on
    EXPECT_EQ(parts.panel->volumes.back(), 37);
    EXPECT_FALSE(parts.panel->mutes.back());

    FakeFrameParts silent;
    silent.volumeAvailable = false;
    CMainFrame quiet(silent.Setup());
    ASSERT_TRUE(quiet.Create());
    EXPECT_EQ(silent.panel->volumeDisabled, 1);
    EXPECT_TRUE(silent.panel->volumes.empty());
    EXPECT_FALSE(silent.volume->volumeCallback);
}

// A frame playing an event recording of a generated card that lies on its own mount.
class CardRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        mkcard::CardDesc desc;
        mkcard::RecordingDesc event;
        event.kind = mkcard::RecordingKind::Event;
        event.fps = 4;
        event.preSeconds = 2;
        event.postSeconds = 2;
        desc.recordings = {event};
        desc.autoLogs = false;
        desc.quality = 1;
        written = mkcard::WriteCard(desc, cardDir.Path());
        ASSERT_TRUE(written.Ok()) << written.error;
        cardRoot = cardDir.Str();
        parts.mounts->Set(kRootMountLine + MountLine(17, cardRoot) +
                          MountLine(33, "/media/u/OTHER"));

        frame = std::make_unique<CMainFrame>(parts.Setup());
        ASSERT_TRUE(frame->Create());
        frame->Search().SetRootPath(cardRoot);

        auto recording = std::make_unique<CDriveRecInfo>();
        CBasicLoadProgress progress;
        ASSERT_TRUE(recording->StartLoadEvent(written.recordings.at(0).Channel(0)->data.string(),
                                              &progress));
        recording->WaitForLoad();
        ASSERT_NE(progress.LoadState(), kLoadStateFailed);
        recording->SetViews(RecordingViews{&frame->PlayControl(), nullptr, frame.get()});
        frame->Recordings().Add(std::move(recording));
        frame->Search().SelectRecording(0);
        ASSERT_EQ(frame->Search().CurrentRecording(), 0);
        frame->PlayControl().CmdPlay();
        ASSERT_TRUE(frame->PlayControl().TimerActive());
        ASSERT_NE(frame->PlayControl().PlayState(), kPlayStopped);
    }

    void Remove(const std::string& remaining) {
        parts.mounts->Set(remaining);
        frame->CheckMounts();
    }

    void ExpectUntouched() {
        EXPECT_TRUE(frame->PlayControl().TimerActive());
        EXPECT_EQ(frame->Search().RootPath(), cardRoot);
        EXPECT_EQ(frame->Recordings().Count(), 1);
        EXPECT_EQ(parts.panel->fileListCloses, 0);
        EXPECT_TRUE(parts.messages.shown.empty());
    }

    TempDir cardDir;
    mkcard::WrittenCard written;
    std::string cardRoot;
    FakeFrameParts parts;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(CardRemovalTest, RemovingTheCardStopsPlaybackEmptiesTheListsAndSaysSo) {
    Remove(kRootMountLine + MountLine(33, "/media/u/OTHER"));
    EXPECT_EQ(frame->PlayControl().PlayState(), kPlayStopped);
    EXPECT_FALSE(frame->PlayControl().TimerActive());
    EXPECT_EQ(parts.panel->fileListCloses, 1);
    EXPECT_GE(parts.panel->searchView.clears, 1);
    EXPECT_EQ(frame->Recordings().Count(), 0);
    EXPECT_EQ(frame->Search().CurrentRecording(), -1);
    EXPECT_EQ(frame->Search().RootPath(), "");
    ASSERT_EQ(parts.messages.shown.size(), 1u);
    EXPECT_EQ(parts.messages.shown[0].first, "Trevix");
    EXPECT_EQ(parts.messages.shown[0].second, "Media has been removed.");

    // Once the root is gone, further removals say nothing.
    Remove(kRootMountLine);
    EXPECT_EQ(parts.messages.shown.size(), 1u);
}

TEST_F(CardRemovalTest, AnotherDriveGoingChangesNothing) {
    Remove(kRootMountLine + MountLine(17, cardRoot));
    ExpectUntouched();
    // A new mount appearing changes nothing either.
    Remove(kRootMountLine + MountLine(17, cardRoot) + MountLine(40, "/media/u/NEW"));
    ExpectUntouched();
}

TEST_F(CardRemovalTest, NothingWhileACardDialogRuns) {
    frame->ModalDialogFlag = 1;
    Remove(kRootMountLine + MountLine(33, "/media/u/OTHER"));
    ExpectUntouched();
}

TEST_F(CardRemovalTest, AFolderBelowTheRemovedMountCountsAsTheCard) {
    // A backup folder on the drive that goes is treated like the card.
    frame->Search().SetRootPath(cardRoot + "/backup/2024");
    parts.mounts->Set(kRootMountLine + MountLine(17, cardRoot) +
                      MountLine(50, cardRoot + "/other"));
    frame->CheckMounts();
    ASSERT_TRUE(parts.messages.shown.empty()); // only a mount appeared
    Remove(kRootMountLine);
    ASSERT_EQ(parts.messages.shown.size(), 1u);
    EXPECT_FALSE(frame->PlayControl().TimerActive());
}

TEST(MainFrame, KeyChannelNoticeReachesThePanelForTheKeyChannelOfANormalRecording) {
    FakeFrameParts parts;
    CMainFrame frame(parts.Setup());
    ASSERT_TRUE(frame.Create());
    auto recording = std::make_unique<CDriveRecInfo>();
    recording->m_nMode = kRecordingModeNormal;
    recording->m_nKeyChannel = 2;
    CDriveRecInfo* normal = recording.get();
    frame.Recordings().Add(std::move(recording));
    frame.Search().SelectRecording(0);

    IChannelFileNotice& notice = frame;
    notice.OnKeyChannelFileChanged(1); // not the key channel
    notice.OnKeyChannelFileChanged(2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !parts.panel->keyChannels.empty(); }, 5000));
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(parts.panel->keyChannels.size(), 1u);
    EXPECT_EQ(parts.panel->keyChannels[0], 2);

    // From another thread it arrives on the window's thread.
    std::thread([&frame] { frame.OnKeyChannelFileChanged(2); }).join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return parts.panel->keyChannels.size() == 2; }, 5000));

    normal->m_nMode = kRecordingModeEvent; // an event recording has no key-channel files
    notice.OnKeyChannelFileChanged(2);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(parts.panel->keyChannels.size(), 2u);
}

TEST(MainFrame, TheMountWatcherThreadRunsWithTheFrame) {
    FakeFrameParts parts;
    MainFrameSetup setup = parts.Setup();
    setup.mountWatchPath = kSystemMountInfoPath;
    setup.mounts = std::make_shared<SystemMountTable>();
    auto frame = std::make_unique<CMainFrame>(std::move(setup));
    ASSERT_TRUE(frame->Create());
    frame->CheckMounts(); // the real table: nothing disappears
    EXPECT_TRUE(parts.messages.shown.empty());
    frame.reset(); // joins the watcher
}

} // namespace
} // namespace trevix
