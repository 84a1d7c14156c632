// The file-list window driven as a user would: a generated card scanned into its lists, header
// clicks, row clicks, Check All / UnCheck All, tabs, loads through the loading window with
// progress and cancel, Close, the recording event list, and a screenshot.
#include "tests/ui/WndSearchTestSupport.h"

#include "control/ui/ZVButton.h"
#include "control/ui/ZVListBox.h"
#include "recorder/RecorderTime.h"

#include <QHeaderView>
#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

namespace trevix::test {
namespace {

using namespace wndsearch;

constexpr const char* kPicture = " fps=1 size=360x240 audio=none";

std::string Line(const std::string& text) {
    return text + kPicture + "\n";
}

void ClickHeader(CListEvent& list, int column) {
    QHeaderView* header = list.header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    Click(*header->viewport(), QPoint(x, header->height() / 2));
}

QRect CellRect(CListEvent& list, int row, int column) {
    return list.visualRect(list.model()->index(row, column));
}

bool Shown(const QWidget* widget) {
    return widget != nullptr && !widget->isHidden();
}

std::vector<std::string> Column(const CListEvent& list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.RowCount(); ++row)
        texts.push_back(list.Text(row, column).toStdString());
    return texts;
}

// A card with three events, twelve back-to-back normal files, a normal file 15 s after them,
// two memos and two logs; written once for all tests (a scan only reads it).
const TempDir& CardFolder() {
    static const TempDir dir;
    static const bool written = [] {
        WriteTestCard(dir, Line("event start=0 code=1") + Line("event start=100 code=2") +
                               Line("event start=200 code=1") +
                               Line("normal start=1000 files=12 seconds=60") +
                               Line("normal start=1735 files=1 seconds=60") +
                               "memo size=720x480 seconds=1\nmemo size=720x480 seconds=1\n"
                               "log start=0 seconds=120\nlog start=3000 seconds=90\n");
        return true;
    }();
    EXPECT_TRUE(written);
    return dir;
}

struct ScannedCard {
    SearchWindowFixture f;

    ScannedCard() {
        EXPECT_TRUE(f.Scan(CardFolder()));
        f.window.show();
        CDlgLoading& loading = f.window.LoadingWindow();
        loading.StopHideTimer();
        // The scan's end hides the loading window after its call returned.
        EXPECT_TRUE(WaitUntil([&] { return f.window.isVisible() && !loading.isVisible(); }));
    }
};

} // namespace

TEST(WndSearchLists, ScanFillsTheFourListsWithTheirColumns) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    CListEvent& events = window.List(SearchList::Event);
    ASSERT_EQ(events.RowCount(), 3);
    EXPECT_EQ(events.columnCount(), 6);
    const std::array<int, 6> widths = {70, 170, 80, 0, 0, 0};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(events.isColumnHidden(c), widths[static_cast<std::size_t>(c)] == 0) << c;
        if (widths[static_cast<std::size_t>(c)] != 0) {
            EXPECT_EQ(events.columnWidth(c), widths[static_cast<std::size_t>(c)]) << c;
        }
    }
    EXPECT_EQ(events.headerItem()->text(0).toStdString(), "No.");
    EXPECT_EQ(events.headerItem()->text(1).toStdString(), "EVENT File");
    EXPECT_EQ(events.headerItem()->text(2).toStdString(), "Type");
    // The hidden path column holds the scan's paths in scan order.
    EXPECT_EQ(Column(events, 3), window.Paths(SearchList::Event));
    EXPECT_EQ(window.List(SearchList::Memo).columnCount(), 4);
    EXPECT_EQ(window.List(SearchList::Memo).RowCount(), 2);
    EXPECT_EQ(window.List(SearchList::Log).RowCount(), 2);
    EXPECT_EQ(window.List(SearchList::Log).headerItem()->text(1).toStdString(), "LOG File");

    // Twelve back-to-back minutes are one row; the file 15 s after them opens a second one.
    CListEvent& normal = window.List(SearchList::Normal);
    ASSERT_EQ(normal.RowCount(), 2);
    EXPECT_TRUE(normal.Text(0, 0).endsWith(" [12]")) << normal.Text(0, 0).toStdString();
    EXPECT_EQ(normal.Text(0, 2).toStdString(), "12 Min");
    EXPECT_TRUE(normal.Text(1, 0).endsWith(" [1]"));
    EXPECT_EQ(normal.Text(0, 3).toStdString(), window.Paths(SearchList::Normal).front());
    EXPECT_EQ(window.NormalGroups().size(), 13u);

    // The event list is shown with its tab pressed; the loaded state's controls are hidden.
    EXPECT_EQ(window.VisibleList(), SearchList::Event);
    EXPECT_TRUE(window.Button(kTabEvent)->IsSelected());
    EXPECT_FALSE(window.Button(kTabLog)->IsSelected());
    EXPECT_TRUE(Shown(window.Button(kLoad)));
    EXPECT_TRUE(Shown(window.Button(kCheckAll)));
    EXPECT_FALSE(Shown(window.Button(kClose)));
    EXPECT_FALSE(Shown(window.Button(kUncheckAll)));
    EXPECT_FALSE(Shown(window.Button(kEventListToggle)));
    EXPECT_FALSE(Shown(&window.LoadedList()));
    EXPECT_EQ(window.Button(kLoad)->toolTip().toStdString(), "Load Event/Log");
}

TEST(WndSearchLists, ScanFinishedHidesTheLoadingWindowAfterTheCall) {
    ScannedCard card;
    CDlgLoading& loading = card.f.window.LoadingWindow();
    loading.Show();
    card.f.window.PostScanFinished();
    EXPECT_TRUE(loading.isVisible());
    EXPECT_TRUE(WaitUntil([&] { return !loading.isVisible(); }));
}

TEST(WndSearchSort, HeaderClicksSortAndRowsKeepTickAndSelection) {
    ScannedCard card;
    CListEvent& events = card.f.window.List(SearchList::Event);
    const std::vector<std::string> numbers = Column(events, 0);
    events.SetChecked(0, true);
    events.topLevelItem(0)->setSelected(true);

    ClickHeader(events, 0); // fresh list: column 0 ascending, so this sorts descending
    EXPECT_FALSE(events.SortState().ascending);
    EXPECT_EQ(Column(events, 0), std::vector<std::string>(numbers.rbegin(), numbers.rend()));
    EXPECT_TRUE(events.IsChecked(2));
    EXPECT_TRUE(events.topLevelItem(2)->isSelected());
    EXPECT_FALSE(events.IsChecked(0));

    ClickHeader(events, 0);
    EXPECT_TRUE(events.SortState().ascending);
    EXPECT_EQ(Column(events, 0), numbers);
    EXPECT_TRUE(events.IsChecked(0));

    // Type: two "G-Sensor"-type rows keep ascending numbers among themselves either way.
    ClickHeader(events, 2);
    ClickHeader(events, 2);
    EXPECT_FALSE(events.SortState().ascending);
    const std::vector<std::string> types = Column(events, 2);
    const std::vector<std::string> sorted = Column(events, 0);
    for (std::size_t k = 1; k < types.size(); ++k)
        if (types[k] == types[k - 1]) {
            EXPECT_LT(std::stod(sorted[k - 1]), std::stod(sorted[k]));
        }
}

TEST(WndSearchSort, LogListAndNormalDurationNeverSort) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnTab(SearchList::Log);
    CListEvent& logs = window.List(SearchList::Log);
    const std::vector<std::string> before = Column(logs, 0);
    ClickHeader(logs, 0);
    ClickHeader(logs, 0);
    EXPECT_EQ(Column(logs, 0), before);
    EXPECT_EQ(logs.SortState().column, 0);
    EXPECT_TRUE(logs.SortState().ascending);

    window.OnTab(SearchList::Normal);
    CListEvent& normal = window.List(SearchList::Normal);
    const std::vector<std::string> rows = Column(normal, 0);
    ClickHeader(normal, 2);
    EXPECT_EQ(Column(normal, 0), rows);
    EXPECT_EQ(normal.SortState().column, 0);
    // Padded to ten characters, "000016 [1]" lies before "00004 [12]": descending keeps them.
    ClickHeader(normal, 0);
    EXPECT_FALSE(normal.SortState().ascending);
    EXPECT_EQ(Column(normal, 0), (std::vector<std::string>{"4 [12]", "16 [1]"}));
    ClickHeader(normal, 0);
    EXPECT_EQ(Column(normal, 0), (std::vector<std::string>{"16 [1]", "4 [12]"}));
}

TEST(WndSearchTicks, ClickTogglesTheTickOutsideTheFirstColumnOnly) {
    ScannedCard card;
    CListEvent& events = card.f.window.List(SearchList::Event);
    ASSERT_FALSE(events.topLevelItem(1)->isSelected());
    Click(*events.viewport(), CellRect(events, 1, 1).center());
    EXPECT_TRUE(events.IsChecked(1));
    Click(*events.viewport(), CellRect(events, 1, 2).center());
    EXPECT_FALSE(events.IsChecked(1));
    // The first column's text area is left to the list's own check box handling.
    const QRect first = CellRect(events, 2, 0);
    Click(*events.viewport(), QPoint(first.right() - 4, first.center().y()));
    EXPECT_FALSE(events.IsChecked(2));

    // Clicks on the memo list stop the log playback first.
    card.f.window.OnTab(SearchList::Memo);
    CListEvent& memos = card.f.window.List(SearchList::Memo);
    Click(*memos.viewport(), CellRect(memos, 0, 1).center());
    EXPECT_TRUE(memos.IsChecked(0));
    EXPECT_EQ(card.f.host.Count("stop log play"), 1);
}

TEST(WndSearchTicks, CheckAllAndUncheckAllWorkOnTheShownListAndSwapButtons) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnTab(SearchList::Log);
    EXPECT_EQ(window.VisibleList(), SearchList::Log);
    Click(*window.Button(kCheckAll));
    CListEvent& logs = window.List(SearchList::Log);
    EXPECT_EQ(logs.CheckedRows().size(), 2u);
    EXPECT_FALSE(window.List(SearchList::Event).AnyChecked());
    EXPECT_FALSE(Shown(window.Button(kCheckAll)));
    EXPECT_TRUE(Shown(window.Button(kUncheckAll)));

    // The shown list's own tab again changes nothing.
    window.OnTab(SearchList::Log);
    EXPECT_EQ(logs.CheckedRows().size(), 2u);
    EXPECT_TRUE(Shown(window.Button(kUncheckAll)));

    // Another tab matches the buttons to that list's ticks.
    window.OnTab(SearchList::Event);
    EXPECT_TRUE(Shown(window.Button(kCheckAll)));
    window.OnTab(SearchList::Log);
    EXPECT_TRUE(Shown(window.Button(kUncheckAll)));

    Click(*window.Button(kUncheckAll));
    EXPECT_FALSE(logs.AnyChecked());
    EXPECT_TRUE(Shown(window.Button(kCheckAll)));
    EXPECT_FALSE(Shown(window.Button(kUncheckAll)));
    EXPECT_EQ(card.f.host.Count("unload all"), 0);
}

TEST(WndSearchLoad, TickedEventRowsLoadWithProgressAndCloseReturnsToTheLists) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    CDlgLoading& loading = window.LoadingWindow();
    CListEvent& events = window.List(SearchList::Event);
    events.SetChecked(0, true);
    events.SetChecked(2, true);
    std::vector<std::pair<int, int>> seen; // progress position and high at each start
    std::vector<bool> visible;
    card.f.target.onStart = [&](int) {
        seen.emplace_back(loading.ProgressPos(), loading.ProgressHigh());
        visible.push_back(loading.isVisible());
    };

    Click(*window.Button(kLoad));
    EXPECT_EQ(card.f.target.started, (std::vector<std::string>{events.Text(0, 3).toStdString(),
                                                               events.Text(2, 3).toStdString()}));
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));
    EXPECT_EQ(visible, (std::vector<bool>{true, true}));
    EXPECT_EQ(loading.ProgressPos(), 2);
    EXPECT_FALSE(loading.isVisible());
    EXPECT_TRUE(card.f.messages.shown.empty());
    EXPECT_EQ(card.f.host.loadedKind, kLoadedEvent);
    EXPECT_EQ(card.f.target.selected.back(), 0);
    EXPECT_EQ(card.f.host.Count("prepare load"), 1);

    // The loaded state: the list of loaded recordings instead of the tabs and lists.
    ASSERT_EQ(window.LoadedList().count(), 2);
    EXPECT_EQ(window.LoadedList().currentRow(), 0);
    EXPECT_TRUE(card.f.host.picked.empty()); // filling the list picks nothing
    EXPECT_TRUE(Shown(&window.LoadedList()));
    EXPECT_TRUE(Shown(window.Button(kClose)));
    EXPECT_TRUE(Shown(window.Button(kEventListToggle)));
    EXPECT_FALSE(Shown(window.Button(kLoad)));
    EXPECT_FALSE(Shown(window.Button(kTabEvent)));
    EXPECT_FALSE(window.VisibleList());

    window.LoadedList().setCurrentRow(1);
    EXPECT_EQ(card.f.host.picked, std::vector<int>{1});

    // Close, with the panel's UnloadAll running Close again: that nested run stops early.
    card.f.host.closeOnUnload = [&] { window.OnClose(); };
    Click(*window.Button(kClose));
    EXPECT_EQ(card.f.host.Count("unload all"), 1);
    EXPECT_EQ(card.f.host.loadedKind, kLoadedNone);
    EXPECT_EQ(window.VisibleList(), SearchList::Event);
    EXPECT_TRUE(Shown(window.Button(kLoad)));
    EXPECT_TRUE(Shown(window.Button(kTabNormal)));
    EXPECT_FALSE(Shown(window.Button(kClose)));
    EXPECT_FALSE(Shown(&window.LoadedList()));
    EXPECT_TRUE(events.IsChecked(0)); // the ticks stay for the next load
}

TEST(WndSearchLoad, CancelOnTheLoadingWindowStopsAfterTheWorkerFinished) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.List(SearchList::Event).SetAllChecked(true);
    card.f.target.workMs = 300;
    QObject::connect(&window.LoadingWindow(), &CDlgLoading::fileDialogStarted, &window,
                     [&](CDlgLoading*) {
                         QTimer::singleShot(
                             20, &window, [&] { window.LoadingWindow().CancelButton()->click(); });
                     });
    int finishedAtMessage = -1;
    card.f.messages.onMessage = [&] { finishedAtMessage = card.f.target.finishedLoads.load(); };
    window.OnLoad();
    ASSERT_EQ(card.f.messages.shown.size(), 1u);
    EXPECT_EQ(card.f.messages.shown[0].first, "EVENT File Loading");
    EXPECT_EQ(card.f.messages.shown[0].second, "Event Loading Cancel");
    EXPECT_EQ(finishedAtMessage, 1); // the one started load had finished
    EXPECT_EQ(card.f.target.started.size(), 1u);
    EXPECT_EQ(card.f.target.discarded, std::vector<int>{0});
    EXPECT_EQ(card.f.host.loadedKind, kLoadedNone);
    EXPECT_EQ(window.VisibleList(), SearchList::Event);
    EXPECT_FALSE(window.LoadingWindow().isVisible());
}

TEST(WndSearchLoad, FailureOfTheSecondFileAndNoTickedRowsAreReported) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnLoad();
    ASSERT_EQ(card.f.messages.shown.size(), 1u);
    EXPECT_EQ(card.f.messages.shown[0].second, "No Event is selected");
    EXPECT_TRUE(card.f.target.started.empty());

    CListEvent& events = window.List(SearchList::Event);
    events.SetAllChecked(true);
    card.f.target.failing.insert(events.Text(1, 3).toStdString());
    window.OnLoad();
    ASSERT_EQ(card.f.messages.shown.size(), 2u);
    EXPECT_EQ(card.f.messages.shown[1].second, "Event Loading Error");
    EXPECT_EQ(card.f.target.started.size(), 2u);
    EXPECT_EQ(card.f.host.loadedKind, kLoadedNone);
}

TEST(WndSearchLoad, NormalRowsLoadTheirGroupsFirstFile) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnTab(SearchList::Normal);
    window.List(SearchList::Normal).SetChecked(1, true);
    window.OnLoad();
    ASSERT_EQ(card.f.target.started.size(), 1u);
    EXPECT_EQ(card.f.target.started[0], window.Paths(SearchList::Normal).back());
    EXPECT_EQ(card.f.target.modes, std::vector<int>{kLoadModeNormal});
    EXPECT_EQ(card.f.host.loadedKind, kLoadedNormal);
}

TEST(WndSearchLoad, LogLoadShowsTheWaitDialogAndTheLoadedLogList) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnTab(SearchList::Log);
    window.List(SearchList::Log).SetChecked(0, true);
    card.f.host.calls.clear();
    window.OnLoad();
    EXPECT_TRUE(card.f.messages.shown.empty());
    EXPECT_EQ(card.f.host.loadedKind, kLoadedLog);
    const std::vector<std::string> expected = {"prepare load", "prepare log views",
                                               "init log views", "finish log load"};
    EXPECT_EQ(card.f.host.calls, expected);
    EXPECT_TRUE(Shown(&window.LoadedLogList()));
    EXPECT_TRUE(Shown(window.Button(kClose)));
    EXPECT_FALSE(window.VisibleList());

    window.OnClose();
    EXPECT_EQ(card.f.host.Count("reset views"), 1);
    EXPECT_EQ(window.VisibleList(), SearchList::Log);
    EXPECT_TRUE(Shown(window.Button(kLoad)));
    EXPECT_FALSE(Shown(&window.LoadedLogList()));
    // A recording tab after a log load unloads it.
    window.OnTab(SearchList::Event);
    EXPECT_EQ(card.f.host.Count("unload all"), 1);
}

TEST(WndSearchLoad, CancelDuringTheOnlyLogLoadIsReportedAfterTheWorkerFinished) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnTab(SearchList::Log);
    window.List(SearchList::Log).SetChecked(1, true);
    card.f.target.workMs = 300;
    QObject::connect(&window.LoadingWindow(), &CDlgLoading::fileDialogStarted, &window,
                     [&](CDlgLoading* dialog) {
                         if (dialog->Mode() != kLoadModeLog)
                             return;
                         QTimer::singleShot(30, dialog, [dialog] {
                             EXPECT_TRUE(dialog->isVisible());
                             dialog->CancelButton()->click();
                         });
                     });
    int finishedAtMessage = -1;
    card.f.messages.onMessage = [&] { finishedAtMessage = card.f.target.finishedLoads.load(); };
    window.OnLoad();
    ASSERT_EQ(card.f.messages.shown.size(), 1u);
    EXPECT_EQ(card.f.messages.shown[0].second, "Log Loading Cancel");
    EXPECT_EQ(finishedAtMessage, 1);
    EXPECT_EQ(card.f.host.loadedKind, kLoadedNone);
}

TEST(WndSearchLoad, MemoLoadShowsTheFirstMemoAndDisablesThePlayButtons) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.OnTab(SearchList::Memo);
    window.List(SearchList::Memo).SetAllChecked(true);
    window.OnLoad();
    EXPECT_EQ(card.f.host.loadedKind, kLoadedMemo);
    ASSERT_EQ(window.LoadedList().count(), 2);
    const QString line = window.LoadedList().item(0)->text();
    EXPECT_TRUE(line.endsWith("  [5 sec]")) << line.toStdString();
    EXPECT_TRUE(line.startsWith(" " + window.List(SearchList::Memo).Text(0, 0) + ",  "));
    ASSERT_EQ(card.f.host.memos.size(), 1u);
    EXPECT_EQ(card.f.host.memos[0], std::make_pair(window.Paths(SearchList::Memo).front(), true));
    EXPECT_EQ(card.f.host.Count("memo buttons off"), 1);
    EXPECT_FALSE(Shown(window.Button(kEventListToggle)));

    window.LoadedList().setCurrentRow(1);
    window.LoadedList().setCurrentRow(0);
    ASSERT_EQ(card.f.host.memos.size(), 3u);
    EXPECT_TRUE(card.f.host.memos[2].second);

    window.OnClose();
    EXPECT_EQ(window.VisibleList(), SearchList::Memo);
    EXPECT_EQ(window.LastLoadedSelection(), -1);
    EXPECT_EQ(card.f.host.Count("memo buttons on"), 1);
}

TEST(WndSearchEventList, ToggleListsTriggerStartsAndAPickShowsThatTime) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.List(SearchList::Event).SetChecked(0, true);
    window.OnLoad();
    FRAMEINFOVIDEO before, trigger;
    before.byPhase = 2;
    trigger.byPhase = 3;
    trigger.byEventCode = 1;
    trigger.stTime = FromRecorderMs(1'715'938'200'000);
    card.f.host.keyFiles.resize(1);
    card.f.host.keyFiles[0].m_pFrames = {before, trigger};

    Click(*window.Button(kEventListToggle));
    EXPECT_TRUE(window.EventListShown());
    EXPECT_TRUE(Shown(&window.RecordingEventList()));
    EXPECT_FALSE(Shown(&window.LoadedList()));
    ASSERT_EQ(window.RecordingEventList().count(), 1);
    window.RecordingEventList().setCurrentRow(0);
    ASSERT_EQ(card.f.host.shownAt.size(), 1u);
    EXPECT_EQ(card.f.host.shownAt[0], ToRecorderMs(trigger.stTime));

    // Without a trigger the one no-event line does nothing when picked.
    card.f.host.keyFiles[0].m_pFrames = {before, before};
    Click(*window.Button(kEventListToggle));
    EXPECT_TRUE(Shown(&window.LoadedList()));
    Click(*window.Button(kEventListToggle));
    ASSERT_EQ(window.RecordingEventList().count(), 1);
    EXPECT_EQ(window.RecordingEventList().item(0)->text().toStdString(), "No Event is triggered");
    window.RecordingEventList().setCurrentRow(0);
    EXPECT_EQ(card.f.host.shownAt.size(), 1u);

    window.OnClose();
    EXPECT_FALSE(window.EventListShown());
    EXPECT_FALSE(Shown(&window.RecordingEventList()));
    EXPECT_FALSE(Shown(window.Button(kEventListToggle)));
}

TEST(WndSearchScreenshot, ScannedCardIsDrawnWithItsButtonsAndRows) {
    ScannedCard card;
    CWndSearch& window = card.f.window;
    window.List(SearchList::Event).SetChecked(1, true);
    const QImage shot = window.grab().toImage();
    const std::filesystem::path folder = TestBinaryDir() / "screenshots";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(shot.save(QString::fromStdString((folder / "wndsearch.png").string())));
    EXPECT_EQ(shot.size(), window.size());
    // The Load button's area is drawn from its skin picture: not the window's plain colour.
    const QRect load = window.Button(kLoad)->geometry();
    const QColor background = window.palette().color(QPalette::Window);
    int differing = 0;
    for (int y = load.top(); y <= load.bottom(); ++y)
        for (int x = load.left(); x <= load.right(); ++x)
            if (shot.pixelColor(x, y) != background)
                ++differing;
    EXPECT_GT(differing, load.width() * load.height() / 10);
    // The list shows rows: the list area is not a single colour.
    const QRect list = window.List(SearchList::Event).geometry();
    std::set<QRgb> colours;
    for (int y = list.top(); y <= list.bottom(); y += 3)
        for (int x = list.left(); x <= list.right(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 4u);
}

} // namespace trevix::test

namespace trevix::test {

TEST(WndSearchCommands, PanelCommandsReachTheListsAndTheLoadedState) {
    using namespace wndsearch;
    ScannedCard card;
    CWndSearch& window = card.f.window;
    IFileListCommands& commands = window;
    commands.ShowList(SearchList::Memo);
    EXPECT_EQ(window.VisibleList(), SearchList::Memo);
    commands.CheckAll();
    EXPECT_EQ(commands.TickedMemoCount(), 2);
    EXPECT_FALSE(commands.ShowsLoadedList());

    window.OnLoad();
    EXPECT_TRUE(commands.ShowsLoadedList());
    EXPECT_FALSE(commands.LoadedLogListVisible());
    commands.ShowTabsAndLists();
    EXPECT_EQ(window.VisibleList(), SearchList::Memo);
    EXPECT_FALSE(window.Button(kTabLog)->isHidden());
    EXPECT_FALSE(window.Button(kUncheckAll)->isHidden()); // every memo row is ticked
    commands.Close();
    EXPECT_EQ(card.f.host.loadedKind, kLoadedNone);
}

} // namespace trevix::test
