// Loading as a user does it in the started viewer: Open a generated card through the folder
// browser, tick rows with the mouse, press Load and let the loading window run its workers (or
// press its Cancel), then look at the loaded-recordings list, the loaded kind, the catalogue's
// current recording, the messages and the play control.
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "catalogue/ui/WndSearch.h"
#include "control/ui/ZVButton.h"
#include "control/ui/ZVListBox.h"
#include "playback/PlayState.h"
#include "recorder/RecorderTime.h"
#include "tests/support/PulseTestSupport.h"
#include "tests/ui/MainPanelInFrame.h"

#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace trevix;
using namespace trevix::test;
using namespace trevix::wndsearch;

namespace {

constexpr const char* kPicture = " codec=jpeg fps=2 size=360x240 audio=none";

// Three events, a normal group of two files and a single normal file, a memo, two logs apart
// and a third log that overlaps the second; written once (the tests only read it).
struct LoadCard {
    TempDir dir;
    mkcard::WrittenCard written;

    LoadCard() {
        const std::string picture = kPicture;
        written = WriteTestCard(dir, "event start=0 code=1 pre=2 post=2" + picture + "\n" +
                                         "event start=100 code=2 pre=2 post=2" + picture + "\n" +
                                         "event start=200 code=1 pre=3 post=2" + picture + "\n" +
                                         "normal start=1000 files=2 seconds=20" + picture + "\n" +
                                         "normal start=1300 files=1 seconds=20" + picture + "\n" +
                                         "memo start=1500 size=360x240 seconds=1\n"
                                         "log start=0 seconds=60\nlog start=500 seconds=60\n"
                                         "log start=530 seconds=60\n");
    }
};

const LoadCard& Card() {
    static const LoadCard card;
    return card;
}

// The loaded list's duration text of a written recording (first to last picture of channel 1).
std::string DurationText(const mkcard::WrittenRecording& first,
                         const mkcard::WrittenRecording& last) {
    const std::int64_t begin = first.Channel(0)->frames.front().fields.wallMs;
    const std::int64_t end = last.Channel(0)->frames.back().fields.wallMs;
    const std::int64_t seconds = (end - begin) / 1000;
    return seconds >= 60 ? std::to_string(seconds / 60) + " Min" : std::to_string(seconds) + " Sec";
}

bool Shown(const QWidget* widget) {
    return widget != nullptr && !widget->isHidden();
}

class MainPanelLoadTest : public MainPanelInFrameTest {
protected:
    void SetUp() override {
        MainPanelInFrameTest::SetUp();
        frame_->show();
        OpenCard(Card().dir);
        ASSERT_EQ(Window().List(SearchList::Event).RowCount(), 3);
        ASSERT_TRUE(Messages().empty());
        // The scan's progress window goes once its hide timer has fired.
        ASSERT_TRUE(WaitUntil([&] { return !Window().LoadingWindow().isVisible(); }, 6000));
    }

    CListEvent& List(SearchList list) const { return Window().List(list); }

    // A click into the row's "File" column ticks or unticks it.
    void ClickRow(SearchList list, int row) {
        CListEvent& control = List(list);
        const QRect cell = control.visualRect(control.model()->index(row, 1));
        ASSERT_TRUE(cell.isValid()) << "row " << row;
        Click(*control.viewport(), cell.center());
    }

    void PressLoad() { Click(*Window().Button(kLoad)); }

    // The line the loaded list shows for the row: its list number, start text and duration.
    std::string ExpectedLine(SearchList list, int row, const std::string& duration) const {
        const QString number = List(list).Text(row, 0).section(' ', 0, 0);
        return " " + number.toStdString() + ",  " + List(list).Text(row, 1).toStdString() + " [" +
               duration + "]";
    }

    std::vector<std::string> LoadedLines() const {
        std::vector<std::string> lines;
        for (int row = 0; row < Window().LoadedList().count(); ++row)
            lines.push_back(Window().LoadedList().item(row)->text().toStdString());
        return lines;
    }

    int LoadedKind() const { return app_->LoadedKind(); }
    CDriveRecInfo* Current() {
        return frame_->Recordings().At(frame_->Search().CurrentRecording());
    }

    // Play runs at x1 with sound on the test server, which the sound tests record.
    SoundServerLock soundLock_;

    // Presses the loading window's Cancel while the file of the given index loads.
    void CancelDuringFile(int fileIndex) {
        auto started = std::make_shared<int>(0);
        QObject::connect(&Window().LoadingWindow(), &CDlgLoading::fileDialogStarted,
                         &Window().LoadingWindow(), [this, started, fileIndex](CDlgLoading*) {
                             if ((*started)++ == fileIndex)
                                 Window().LoadingWindow().CancelButton()->click();
                         });
    }
};

} // namespace

TEST_F(MainPanelLoadTest, TickedEventRowsBecomeTheLoadedRecordingsAndThePlayControlPlaysThem) {
    ClickRow(SearchList::Event, 0);
    ClickRow(SearchList::Event, 2);
    ASSERT_EQ(List(SearchList::Event).CheckedRows(), (std::vector<int>{0, 2}));
    PressLoad();

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LoadedKind(), kLoadedEvent);
    EXPECT_FALSE(Window().LoadingWindow().isVisible());
    const auto& recordings = Card().written.recordings;
    EXPECT_EQ(LoadedLines(),
              (std::vector<std::string>{
                  ExpectedLine(SearchList::Event, 0, DurationText(recordings[0], recordings[0])),
                  ExpectedLine(SearchList::Event, 2, DurationText(recordings[2], recordings[2]))}));
    EXPECT_EQ(Window().LoadedList().currentRow(), 0);
    EXPECT_TRUE(Shown(Window().Button(kClose)));
    EXPECT_FALSE(Shown(Window().Button(kLoad)));

    // Both loaded, the first current and shown at its begin for the play control.
    ASSERT_EQ(frame_->Recordings().Count(), 2);
    EXPECT_EQ(frame_->Search().CurrentRecording(), 0);
    CDriveRecInfo* first = Current();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_strPath, List(SearchList::Event).Text(0, 3).toStdString());
    CMgrPlayControl& play = frame_->PlayControl();
    EXPECT_EQ(play.ShownTimeMs(), first->m_llBegin);

    // Play moves the clock through the recording; Pause stops it there.
    Click(*panel_->Button(cmd::kPlay));
    EXPECT_TRUE(play.TimerActive());
    EXPECT_TRUE(WaitUntil([&] { return play.ShownTimeMs() > first->m_llBegin; }, 5000));
    Click(*panel_->Button(cmd::kPause));
    EXPECT_EQ(play.PlayState(), kPlayStopped);
    EXPECT_LE(play.ShownTimeMs(), first->m_llEnd);

    // Picking the second line makes it current.
    Window().LoadedList().setCurrentRow(1);
    EXPECT_EQ(frame_->Search().CurrentRecording(), 1);
    EXPECT_EQ(Current()->m_strPath, List(SearchList::Event).Text(2, 3).toStdString());
    EXPECT_EQ(play.ShownTimeMs(), Current()->m_llBegin);

    // Display File List unloads everything and shows the lists again, ticks kept.
    panel_->OnPanelCommand(cmd::kMenuFileList);
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_EQ(frame_->Recordings().Count(), 0);
    EXPECT_EQ(frame_->Search().CurrentRecording(), -1);
    EXPECT_EQ(Window().VisibleList(), SearchList::Event);
    EXPECT_EQ(List(SearchList::Event).CheckedRows(), (std::vector<int>{0, 2}));
}

TEST_F(MainPanelLoadTest, CancelDuringTheSecondEventDiscardsTheLoadAndSaysSo) {
    Window().CheckAll();
    CancelDuringFile(1);
    PressLoad();

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], (ShownMessage{"EVENT File Loading", "Event Loading Cancel"}));
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_EQ(frame_->Recordings().Count(), 0);
    EXPECT_EQ(frame_->Search().CurrentRecording(), -1);
    EXPECT_FALSE(Window().LoadingWindow().isVisible());
    EXPECT_EQ(Window().VisibleList(), SearchList::Event);
    EXPECT_EQ(Window().LoadedList().count(), 0);

    // A new load afterwards loads everything.
    QObject::disconnect(&Window().LoadingWindow(), &CDlgLoading::fileDialogStarted, nullptr,
                        nullptr);
    PressLoad();
    EXPECT_EQ(LoadedKind(), kLoadedEvent);
    EXPECT_EQ(frame_->Recordings().Count(), 3);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(MainPanelLoadTest, LoadWithoutTicksRefusesAndKeepsWhatIsLoaded) {
    ClickRow(SearchList::Event, 1);
    PressLoad();
    ASSERT_EQ(frame_->Recordings().Count(), 1);
    Click(*Window().Button(kClose));
    EXPECT_EQ(frame_->Recordings().Count(), 0);

    ClickRow(SearchList::Event, 1); // unticks it again
    PressLoad();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], (ShownMessage{"EVENT File Loading", "No Event is selected"}));
    EXPECT_EQ(LoadedKind(), kLoadedNone);
}

TEST_F(MainPanelLoadTest, NormalRowLoadsItsWholeGroup) {
    panel_->OnPanelCommand(cmd::kMenuLoadNormal);
    ASSERT_EQ(Window().VisibleList(), SearchList::Normal);
    ASSERT_EQ(List(SearchList::Normal).RowCount(), 2);
    ClickRow(SearchList::Normal, 0);
    PressLoad();

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LoadedKind(), kLoadedNormal);
    const auto& recordings = Card().written.recordings; // events 0-2, then the normal files
    EXPECT_EQ(LoadedLines(),
              (std::vector<std::string>{ExpectedLine(SearchList::Normal, 0,
                                                     DurationText(recordings[3], recordings[4]))}));
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->m_nMode, kRecordingModeNormal);
    EXPECT_EQ(Current()->m_arrChannels[0].m_arrFiles.size(), 2u);
    EXPECT_EQ(frame_->PlayControl().ShownTimeMs(), Current()->m_llBegin);
}

TEST_F(MainPanelLoadTest, TickedMemoIsListedWithoutWorkerAndItsCloseRestoresTheButtons) {
    panel_->OnPanelCommand(cmd::kMenuLoadMemo);
    ASSERT_EQ(List(SearchList::Memo).RowCount(), 1);
    ClickRow(SearchList::Memo, 0);
    PressLoad();

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LoadedKind(), kLoadedMemo);
    EXPECT_EQ(LoadedLines(), (std::vector<std::string>{
                                 " " + List(SearchList::Memo).Text(0, 0).toStdString() + ",  " +
                                 List(SearchList::Memo).Text(0, 1).toStdString() + "  [5 sec]"}));
    EXPECT_EQ(frame_->Recordings().Count(), 0);
    for (const int id : {cmd::kFastBackPlay, cmd::kNextFrame, cmd::kThumbnail, cmd::kDefaultGraph})
        EXPECT_FALSE(panel_->Button(id)->isEnabled()) << id;
    // Play, the quad and the camera buttons stay for the memo's pictures and sound.
    for (const int id : {cmd::kPlay, cmd::kQuad, cmd::kFrontView, cmd::kRearView})
        EXPECT_TRUE(panel_->Button(id)->isEnabled()) << id;

    Click(*Window().Button(kClose));
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_EQ(Window().VisibleList(), SearchList::Memo);
    for (const int id : {cmd::kFastBackPlay, cmd::kNextFrame, cmd::kThumbnail, cmd::kDefaultGraph})
        EXPECT_TRUE(panel_->Button(id)->isEnabled()) << id;
}

TEST_F(MainPanelLoadTest, LogsInTimeOrderLoadThroughTheirDialogs) {
    panel_->OnPanelCommand(cmd::kKeyLoadLog);
    ASSERT_EQ(Window().VisibleList(), SearchList::Log);
    ASSERT_EQ(List(SearchList::Log).RowCount(), 3);
    ClickRow(SearchList::Log, 0);
    ClickRow(SearchList::Log, 1);
    std::vector<int> modes;
    QObject::connect(&Window().LoadingWindow(), &CDlgLoading::fileDialogStarted,
                     &Window().LoadingWindow(),
                     [&modes](CDlgLoading* dialog) { modes.push_back(dialog->Mode()); });
    PressLoad();

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LoadedKind(), kLoadedLog);
    // The preview of the logs' span runs first, then one dialog per log.
    EXPECT_EQ(modes, (std::vector<int>{kLoadModePreview, kLoadModeLog, kLoadModeLog}));
    const std::vector<CInfoLogFile>& logs = frame_->Search().LogFiles();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].m_nSampleCount, 60);
    EXPECT_EQ(logs[1].m_nSampleCount, 60);
    EXPECT_EQ(frame_->Recordings().Count(), 0);
    EXPECT_TRUE(Shown(&Window().LoadedLogList()));
    EXPECT_FALSE(Window().VisibleList());

    Click(*Window().Button(kClose));
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_TRUE(frame_->Search().LogFiles().empty());
    EXPECT_EQ(Window().VisibleList(), SearchList::Log);
}

TEST_F(MainPanelLoadTest, OverlappingLogsAreRefusedAndUnticked) {
    panel_->OnPanelCommand(cmd::kKeyLoadLog);
    ClickRow(SearchList::Log, 1);
    ClickRow(SearchList::Log, 2);
    PressLoad();

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              (ShownMessage{"Trevix", "Selected files are not time order. Please select again."}));
    EXPECT_TRUE(List(SearchList::Log).CheckedRows().empty());
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_TRUE(frame_->Search().LogFiles().empty());
    EXPECT_EQ(Window().VisibleList(), SearchList::Log);
}

TEST_F(MainPanelLoadTest, CancelDuringALogLoadIsReportedAndLoadsNothing) {
    panel_->OnPanelCommand(cmd::kKeyLoadLog);
    ClickRow(SearchList::Log, 0);
    QObject::connect(&Window().LoadingWindow(), &CDlgLoading::fileDialogStarted,
                     &Window().LoadingWindow(), [](CDlgLoading* dialog) {
                         if (dialog->Mode() == kLoadModeLog)
                             dialog->CancelButton()->click();
                     });
    PressLoad();

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], (ShownMessage{"LOG File Loading", "Log Loading Cancel"}));
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_TRUE(frame_->Search().LogFiles().empty());
}

TEST_F(MainPanelLoadTest, RemovingTheCardWhileItPlaysUnloadsAndEmptiesTheLists) {
    parts_.mounts->Set(kRootMountLine + MountLine(17, Card().dir.Str()));
    frame_->CheckMounts(); // the card's mount is seen arriving
    ClickRow(SearchList::Event, 0);
    PressLoad();
    Click(*panel_->Button(cmd::kPlay));
    ASSERT_TRUE(frame_->PlayControl().TimerActive());

    parts_.mounts->Set(kRootMountLine);
    frame_->CheckMounts();
    EXPECT_EQ(frame_->PlayControl().PlayState(), kPlayStopped);
    EXPECT_FALSE(frame_->PlayControl().TimerActive());
    EXPECT_EQ(LoadedKind(), kLoadedNone);
    EXPECT_EQ(frame_->Recordings().Count(), 0);
    EXPECT_EQ(frame_->Search().CurrentRecording(), -1);
    EXPECT_EQ(frame_->Search().RootPath(), "");
    for (const SearchList list :
         {SearchList::Event, SearchList::Normal, SearchList::Memo, SearchList::Log})
        EXPECT_EQ(List(list).RowCount(), 0);
    EXPECT_FALSE(Shown(&Window().LoadedList()));
    EXPECT_TRUE(Shown(Window().Button(kTabEvent)));
    EXPECT_EQ(Messages(), (std::vector<ShownMessage>{{"Trevix", "Media has been removed."}}));
}

TEST_F(MainPanelLoadTest, SpaceTogglesPlaybackUnlessTheVendorIs1) {
    const auto loadFirstEvent = [this] {
        ClickRow(SearchList::Event, 0);
        PressLoad();
        ASSERT_EQ(frame_->Recordings().Count(), 1);
    };
    loadFirstEvent();
    CMgrPlayControl* play = &frame_->PlayControl();
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::Key_Space)));
    EXPECT_TRUE(play->TimerActive());
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::Key_Space)));
    EXPECT_FALSE(play->TimerActive());
    EXPECT_EQ(play->PlayState(), kPlayStopped);

    Start(1);
    frame_->show();
    OpenCard(Card().dir);
    loadFirstEvent();
    play = &frame_->PlayControl();
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::Key_Space)));
    EXPECT_FALSE(play->TimerActive());
    // The play key still plays.
    ASSERT_TRUE(PressKeys(QKeySequence(Qt::ControlModifier | Qt::Key_F)));
    EXPECT_TRUE(play->TimerActive());
}
