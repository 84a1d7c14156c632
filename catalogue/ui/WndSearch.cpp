#include "catalogue/ui/WndSearch.h"

#include "app/Lang.h"
#include "app/TraceLog.h"
#include "catalogue/ui/DlgLoading.h"
#include "catalogue/ui/ListEvent.h"
#include "control/ui/ZVButton.h"
#include "control/ui/ZVListBox.h"

#include <QMessageBox>

#include <algorithm>

namespace trevix {
namespace {

using namespace wndsearch;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Gui(const char* key, const char* englishDefault) {
    return Q(Lang("GUI", key, englishDefault));
}

std::size_t At(SearchList list) {
    return static_cast<std::size_t>(list);
}

constexpr std::array<SearchList, 4> kAllLists = {SearchList::Event, SearchList::Normal,
                                                 SearchList::Memo, SearchList::Log};

// The window's size when the skin does not give it (the file-list window's item 4).
constexpr int kDefaultWidth = 349;
constexpr int kDefaultHeight = 260;
// The lists lie between the tab row and the button row.
constexpr int kListTop = 32;
constexpr int kListBottomMargin = 30;
constexpr int kListSideMargin = 4;

// The loaded-recordings list marks event lines with user value 1.
constexpr std::int32_t kEventLineMark = 1;

class MessageBoxes final : public ISearchMessages {
public:
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text) override {
        QMessageBox::information(owner, caption, text);
    }
};

std::vector<CListEvent::Column> ColumnsOf(SearchList list) {
    const QString number = Gui("ListNo", "No.");
    const CListEvent::Column path{QStringLiteral("Path"), 0};
    const CListEvent::Column drid{Gui("DRID", "Recorder ID"), 0};
    const CListEvent::Column sdid{Gui("SDID", "SD Card ID"), 0};
    switch (list) {
    case SearchList::Event:
        return {{number, 70},
                {Gui("EventFile", "EVENT File"), 170},
                {Gui("Type", "Type"), 80},
                path,
                drid,
                sdid};
    case SearchList::Normal:
        return {{number, 70},
                {Gui("NormalFile", "NORMAL File"), 170},
                {Gui("Duration", "Duration"), 80},
                path,
                drid,
                sdid};
    case SearchList::Memo:
        return {
            {number, 70}, {Gui("MemoFile", "MEMO File"), 170}, {Gui("Audio", "Audio"), 80}, path};
    case SearchList::Log:
        return {{number, 70},
                {Gui("LogFile", "LOG File"), 170},
                {Gui("Duration", "Duration"), 80},
                path,
                drid,
                sdid};
    }
    return {};
}

QStringList Texts(const std::vector<std::string>& columns) {
    QStringList texts;
    for (const std::string& text : columns)
        texts << Q(text);
    return texts;
}

} // namespace

CWndSearch::CWndSearch(ISearchWindowHost& host, ILoadTarget& target,
                       const std::filesystem::path& skinDescription, ISearchMessages* messages,
                       QWidget* parent)
    : QWidget(parent), host_(host), target_(target), messages_(messages) {
    setObjectName(QStringLiteral("FileList"));
    if (messages_ == nullptr) {
        ownMessages_ = std::make_unique<MessageBoxes>();
        messages_ = ownMessages_.get();
    }
    skin_.Load(skinDescription, this);
    QRect own(0, 0, kDefaultWidth, kDefaultHeight);
    if (skin_.GetRect(kSkinWindow, own))
        own.moveTo(0, 0);
    resize(own.size());
    setAutoFillBackground(true);
    if (const SkinControl_Info* item = skin_.Lookup(kSkinWindow)) {
        QPalette palette = this->palette();
        const std::uint32_t colour = item->color;
        palette.setColor(QPalette::Window,
                         QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
        setPalette(palette);
    }

    sequence_ = std::make_unique<CLoadSequence>(*this, target_);
    loading_ = std::make_unique<CDlgLoading>(kModeProgressOnly, this);
    loading_->setWindowFlag(Qt::Window);
    CreateLists();
    CreateButtons();
}

CWndSearch::~CWndSearch() = default;

ILoadingView& CWndSearch::LoadingView() {
    return *loading_;
}

void CWndSearch::CreateLists() {
    const QRect area(kListSideMargin, kListTop, width() - 2 * kListSideMargin,
                     height() - kListTop - kListBottomMargin);
    const std::array<int, 4> ids = {kEventList, kNormalList, kMemoList, kLogList};
    const std::array<int, 4> kinds = {kListKindEvent, kListKindNormal, kListKindMemo, kListKindLog};
    for (const SearchList list : kAllLists) {
        auto* control = new CListEvent(this); // owned by the window
        control->setObjectName(QStringLiteral("List%1").arg(ids[At(list)]));
        control->SetListKind(kinds[At(list)]);
        control->SetColumns(ColumnsOf(list));
        control->setGeometry(area);
        control->hide();
        connect(control, &CListEvent::rowClicked, this,
                [this, list](int row, int column) { OnRowClicked(list, row, column); });
        lists_[At(list)] = control;
    }
    const auto makeBox = [&](int id) {
        auto* box = new CZVListBox(this);
        box->setObjectName(QStringLiteral("List%1").arg(id));
        box->setGeometry(area);
        box->hide();
        return box;
    };
    loadedList_ = makeBox(kLoadedList);
    loadedLogList_ = makeBox(kLoadedLogList);
    recordingEvents_ = makeBox(kRecordingEventList);
    connect(loadedList_, &QListWidget::currentRowChanged, this, &CWndSearch::OnLoadedListPicked);
    connect(loadedLogList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            host_.PickLoadedLog(row);
    });
    connect(recordingEvents_, &QListWidget::currentRowChanged, this,
            &CWndSearch::OnRecordingEventPicked);
}

CZVButton* CWndSearch::MakeButton(int item, int controlId, const char* tipKey,
                                  const char* tipDefault) {
    auto* button = new CZVButton(this); // owned by the window; the skin places it
    button->setObjectName(QStringLiteral("Button%1").arg(controlId));
    button->hide();
    skin_.CreateButton(item, *button, controlId);
    if (tipKey != nullptr)
        button->setToolTip(Q(Lang("ToolTip", tipKey, tipDefault)));
    buttons_.push_back(button);
    return button;
}

void CWndSearch::CreateButtons() {
    const auto route = [this](CZVButton* button, auto action) {
        connect(button, &CZVButton::clicked, this, action);
    };
    route(MakeButton(kSkinLoad, kLoad, "Load", "Load Event/Log"), [this] { OnLoad(); });
    route(MakeButton(kSkinClose, kClose, "Close", "Close Event/Log"), [this] { OnClose(); });
    route(MakeButton(kSkinCheckAll, kCheckAll, "CheckAll", "Check All"), [this] { CheckAll(); });
    route(MakeButton(kSkinUncheckAll, kUncheckAll, "UnCheckAll", "UnCheck All"),
          [this] { UncheckAll(); });
    route(MakeButton(kSkinTabEvent, kTabEvent, "Event", "Show Event File List"),
          [this] { OnTab(SearchList::Event); });
    route(MakeButton(kSkinTabNormal, kTabNormal, "Normal", "Show Normal File List"),
          [this] { OnTab(SearchList::Normal); });
    route(MakeButton(kSkinTabMemo, kTabMemo, "Memo", "Show Memo File List"),
          [this] { OnTab(SearchList::Memo); });
    route(MakeButton(kSkinTabLog, kTabLog, "Log", "Show Log File List"),
          [this] { OnTab(SearchList::Log); });
    MakeButton(kSkinLogFiles, kLogFilesButton, nullptr, nullptr); // no command of its own
    route(MakeButton(kSkinEventListToggle, kEventListToggle, nullptr, nullptr),
          [this] { OnEventListToggle(); });
    // The loaded state's controls start hidden whatever the skin says.
    for (const int id : {kClose, kUncheckAll, kLogFilesButton, kEventListToggle})
        SetShown(id, false);
    SetPressedTab(SearchList::Event);
}

CZVButton* CWndSearch::Button(int controlId) const {
    for (CZVButton* button : buttons_)
        if (button->ControlId() == controlId)
            return button;
    return nullptr;
}

void CWndSearch::SetShown(int controlId, bool shown) {
    if (CZVButton* button = Button(controlId))
        button->setVisible(shown);
}

CListEvent& CWndSearch::List(SearchList list) const {
    return *lists_[At(list)];
}

const std::vector<std::string>& CWndSearch::Paths(SearchList list) const {
    return paths_[At(list)];
}

std::optional<SearchList> CWndSearch::VisibleList() const {
    return FirstVisibleList(!List(SearchList::Event).isHidden(),
                            !List(SearchList::Normal).isHidden(),
                            !List(SearchList::Memo).isHidden(), !List(SearchList::Log).isHidden());
}

std::vector<std::string> CWndSearch::TickedPaths(SearchList list) const {
    const CListEvent& control = List(list);
    std::vector<std::string> paths;
    for (const int row : control.CheckedRows())
        paths.push_back(control.Text(row, static_cast<int>(kPathColumn)).toStdString());
    return paths;
}

void CWndSearch::ShowOnlyList(std::optional<SearchList> shown) {
    for (const SearchList list : kAllLists)
        List(list).setVisible(shown == list);
}

void CWndSearch::SetTabsVisible(bool visible) {
    for (const int id : {kTabEvent, kTabNormal, kTabMemo, kTabLog})
        SetShown(id, visible);
}

void CWndSearch::SetPressedTab(SearchList tab) {
    pressedTab_ = tab;
    const std::array<int, 4> ids = {kTabEvent, kTabNormal, kTabMemo, kTabLog};
    for (const SearchList list : kAllLists)
        if (CZVButton* button = Button(ids[At(list)]))
            button->SetSelected(list == tab);
}

void CWndSearch::MatchCheckButtons(const CListEvent& list) {
    const bool allTicked = list.RowCount() > 0 &&
                           list.CheckedRows().size() == static_cast<std::size_t>(list.RowCount());
    SetShown(kCheckAll, !allTicked);
    SetShown(kUncheckAll, allTicked);
}

// --- The folder scan -------------------------------------------------------------------------

void CWndSearch::ClearLists() {
    for (const SearchList list : kAllLists) {
        List(list).clear();
        paths_[At(list)].clear();
    }
    normal_ = {};
    loadedList_->ResetContent();
    loadedLogList_->ResetContent();
    recordingEvents_->ResetContent();
    loadedMemoPaths_.clear();
    lastLoadedSelection_ = -1;
    eventListFlag_ = false;
    for (QWidget* box : {static_cast<QWidget*>(loadedList_), static_cast<QWidget*>(loadedLogList_),
                         static_cast<QWidget*>(recordingEvents_)})
        box->hide();
    for (const int id : {kClose, kUncheckAll, kLogFilesButton, kEventListToggle})
        SetShown(id, false);
    host_.SetLoadedKind(kLoadedNone);
    SetTabsVisible(true);
    SetShown(kLoad, true);
    SetShown(kCheckAll, true);
}

void CWndSearch::FillList(SearchList list, std::span<const std::string> paths) {
    FillScannedList(list, SummariseList(list, paths));
}

void CWndSearch::FillScannedList(SearchList list, const ScanLists& scan) {
    CListEvent& control = List(list);
    control.clear();
    const std::vector<std::string>& paths = scan.Paths(list);
    paths_[At(list)] = paths;
    switch (list) {
    case SearchList::Event:
        for (const ListRow& row : BuildEventRows(paths, scan.eventSummaries))
            control.AddRow(Texts(row.columns));
        ShowOnlyList(SearchList::Event);
        SetPressedTab(SearchList::Event);
        SetTabsVisible(true);
        SetShown(kLoad, true);
        SetShown(kCheckAll, true);
        SetShown(kUncheckAll, false);
        break;
    case SearchList::Normal:
        normal_ = BuildNormalRows(paths, scan.normalSummaries);
        for (const NormalRow& row : normal_.rows)
            control.AddRow(Texts(row.columns), static_cast<quint32>(row.firstFile));
        break;
    case SearchList::Memo:
        for (const ListRow& row : BuildMemoRows(paths))
            control.AddRow(Texts(row.columns));
        break;
    case SearchList::Log:
        for (const ListRow& row : BuildLogRows(paths, scan.logSummaries))
            control.AddRow(Texts(row.columns));
        break;
    }
}

void CWndSearch::ShowList(SearchList list) {
    OnTab(list);
}

void CWndSearch::PostScanFinished() {
    QMetaObject::invokeMethod(
        this, [this] { loading_->Hide(); }, Qt::QueuedConnection);
}

// --- Commands --------------------------------------------------------------------------------

void CWndSearch::OnTab(SearchList tab) {
    const CZVButton* memoTab = Button(kTabMemo);
    const TabPlan plan = PlanTab(tab, memoTab != nullptr && !memoTab->isHidden(),
                                 !List(tab).isHidden(), host_.LoadedKind());
    if (plan.stopMemoSound)
        host_.StopMemoSound();
    SetPressedTab(tab);
    if (!plan.switchList)
        return;
    ShowOnlyList(tab);
    MatchCheckButtons(List(tab));
    if (plan.unloadAll)
        host_.UnloadAll();
}

void CWndSearch::CheckAll() {
    SetVisibleListChecked(true);
}

void CWndSearch::UncheckAll() {
    SetVisibleListChecked(false);
}

// Ticks or unticks every row of the list shown; the button offers the opposite next.
void CWndSearch::SetVisibleListChecked(bool checked) {
    const std::optional<SearchList> list = VisibleList();
    if (!list)
        return;
    List(*list).SetAllChecked(checked);
    if (loadedList_->isHidden()) {
        SetShown(checked ? kCheckAll : kUncheckAll, false);
        SetShown(checked ? kUncheckAll : kCheckAll, true);
    }
}

void CWndSearch::ShowTabsAndLists() {
    SetTabsVisible(true);
    SetShown(kLoad, true);
    ShowOnlyList(pressedTab_);
    MatchCheckButtons(List(pressedTab_));
}

bool CWndSearch::ShowsLoadedList() const {
    return !loadedList_->isHidden();
}

bool CWndSearch::LoadedLogListVisible() const {
    return !loadedLogList_->isHidden();
}

int CWndSearch::TickedMemoCount() const {
    return static_cast<int>(List(SearchList::Memo).CheckedRows().size());
}

void CWndSearch::OnRowClicked(SearchList list, int row, int column) {
    if (!ClickTogglesCheck(column))
        return;
    if (list == SearchList::Memo)
        host_.StopLogPlay();
    CListEvent& control = List(list);
    control.SetChecked(row, !control.IsChecked(row));
}

void CWndSearch::OnLoad() {
    const std::optional<SearchList> list = VisibleList();
    if (!list)
        return;
    host_.PrepareLoad();
    const std::vector<std::string> ticked = TickedPaths(*list);
    switch (*list) {
    case SearchList::Event:
        sequence_->LoadEvents(ticked);
        break;
    case SearchList::Normal:
        sequence_->LoadNormals(ticked);
        break;
    case SearchList::Memo:
        sequence_->LoadMemos(ticked);
        break;
    case SearchList::Log:
        sequence_->LoadLogs(ticked);
        break;
    }
}

void CWndSearch::OnClose() {
    host_.StopPlaybackForClose();
    const int kind = host_.LoadedKind();
    if (kind != kLoadedNone) {
        if (host_.WaitTimerEvent(1000))
            TRACE("TimerEvent Signal OK");
        else
            TRACE("TimerEvent Signal TimeOut");
    }
    if (kind == kLoadedLog) {
        host_.ResetViews();
        SetShown(kClose, false);
        loadedLogList_->hide();
        SetShown(kLogFilesButton, false);
        SetTabsVisible(true);
        ShowOnlyList(SearchList::Log);
        SetPressedTab(SearchList::Log);
        SetShown(kCheckAll, true);
        SetShown(kUncheckAll, false);
        SetShown(kLoad, true);
        List(SearchList::Log).setEnabled(true);
        return;
    }
    const CZVButton* toggle = Button(kEventListToggle);
    if (toggle != nullptr && !toggle->isHidden()) {
        eventListFlag_ = false;
        SetShown(kEventListToggle, false);
        recordingEvents_->hide();
        loadedList_->show();
    }
    if (loadedList_->isHidden())
        return;
    SetShown(kLogFilesButton, false);
    loadedList_->hide();
    loadedLogList_->hide();
    SetShown(kClose, false);
    switch (kind) {
    case kLoadedEvent:
        ShowOnlyList(SearchList::Event);
        break;
    case kLoadedNormal:
        ShowOnlyList(SearchList::Normal);
        break;
    case kLoadedMemo:
        lastLoadedSelection_ = -1;
        ShowOnlyList(SearchList::Memo);
        host_.SetMemoButtonsEnabled(true);
        break;
    default:
        break;
    }
    host_.SetLoadedKind(kLoadedNone);
    SetShown(kLoad, true);
    SetShown(kCheckAll, true);
    SetShown(kUncheckAll, false);
    SetTabsVisible(true);
    host_.UnloadAll();
    TRACE("OnBtnSearchClose");
}

void CWndSearch::OnLoadedListPicked(int row) {
    if (row < 0)
        return;
    if (host_.LoadedKind() == kLoadedMemo) {
        if (static_cast<std::size_t>(row) >= loadedMemoPaths_.size())
            return;
        const bool isNew = row != lastLoadedSelection_;
        lastLoadedSelection_ = row;
        host_.ShowMemo(loadedMemoPaths_[static_cast<std::size_t>(row)], isNew);
        return;
    }
    host_.PickRecording(row);
}

void CWndSearch::OnEventListToggle() {
    eventListFlag_ = !eventListFlag_;
    if (eventListFlag_)
        FillRecordingEventList();
    recordingEvents_->setVisible(eventListFlag_);
    loadedList_->setVisible(!eventListFlag_);
    update();
}

void CWndSearch::FillRecordingEventList() {
    const bool blocked = recordingEvents_->blockSignals(true);
    recordingEvents_->ResetContent();
    for (const RecordingEventLine& line : RecordingEventLines(host_.CurrentKeyChannelFiles())) {
        const int row = recordingEvents_->AddItem(Q(line.text));
        recordingEvents_->SetItemUserValue(row, line.isEvent ? kEventLineMark : 0);
    }
    recordingEvents_->blockSignals(blocked);
}

void CWndSearch::OnRecordingEventPicked(int row) {
    const auto record = recordingEvents_->Record(row);
    if (!record || record->userValue != kEventLineMark)
        return;
    const QListWidgetItem* item = recordingEvents_->item(row);
    if (const auto time = EventLineTime(item->text().toStdString()))
        host_.ShowRecordingAt(*time);
}

// --- The load sequence's window --------------------------------------------------------------

void CWndSearch::SetCaption(const std::string& caption) {
    loading_->SetCaption(caption);
}

void CWndSearch::Show() {
    loading_->ShowForLoad();
}

void CWndSearch::Hide() {
    loading_->Hide();
}

void CWndSearch::SetRange(int low, int high) {
    loading_->SetRange(low, high);
}

void CWndSearch::SetPos(int position) {
    loading_->SetPos(position);
}

void CWndSearch::RunFileDialog(int mode, const std::string& caption, CLoadHandshake& handshake,
                               const std::function<bool()>& start) {
    CDlgLoading::RunFileDialog(this, loading_.get(), mode, caption, handshake, start);
}

void CWndSearch::ShowMessage(const LoadMessage& message) {
    const std::string caption = message.Caption();
    messages_->ShowMessage(this, caption.empty() ? QStringLiteral("Trevix") : Q(caption),
                           Q(message.Text()));
}

void CWndSearch::UntickLogRows() {
    List(SearchList::Log).SetAllChecked(false);
}

void CWndSearch::FillLoadedList(const std::vector<QString>& lines) {
    const bool blocked = loadedList_->blockSignals(true);
    loadedList_->ResetContent();
    for (const QString& line : lines)
        loadedList_->AddItem(line);
    if (!lines.empty())
        loadedList_->setCurrentRow(0);
    loadedList_->blockSignals(blocked);
}

void CWndSearch::ShowLoadedState(bool withEventToggle) {
    SetTabsVisible(false);
    ShowOnlyList(std::nullopt);
    SetShown(kLoad, false);
    SetShown(kCheckAll, false);
    SetShown(kUncheckAll, false);
    SetShown(kClose, true);
    eventListFlag_ = false;
    recordingEvents_->hide();
    loadedList_->show();
    SetShown(kEventListToggle, withEventToggle);
}

void CWndSearch::ShowLoadedRecordings(int loadedKind, std::span<const std::string> lines) {
    host_.SetLoadedKind(loadedKind);
    host_.OnRecordingsLoaded(loadedKind);
    std::vector<QString> texts;
    for (const std::string& line : lines)
        texts.push_back(Q(line));
    FillLoadedList(texts);
    ShowLoadedState(true);
}

void CWndSearch::ShowMapForLoad(int loadedKind) {
    host_.ShowMapForLoad(loadedKind);
}

void CWndSearch::ShowLoadedLogs() {
    host_.SetLoadedKind(kLoadedLog);
    host_.PrepareLogViews();
    {
        CDlgWaitMsg wait([this] { host_.InitLogViews(); }, this);
        wait.exec();
    }
    host_.FinishLogLoad();
    SetTabsVisible(false);
    ShowOnlyList(std::nullopt);
    SetShown(kLoad, false);
    SetShown(kCheckAll, false);
    SetShown(kUncheckAll, false);
    SetShown(kClose, true);
    loadedLogList_->show();
}

void CWndSearch::ShowLoadedMemos(std::span<const std::string> memoPaths) {
    host_.SetLoadedKind(kLoadedMemo);
    loadedMemoPaths_.assign(memoPaths.begin(), memoPaths.end());
    const CListEvent& memoList = List(SearchList::Memo);
    const QString seconds = Gui("Second", "sec");
    std::vector<QString> lines;
    for (const std::string& path : loadedMemoPaths_) {
        QString number, start;
        for (int row = 0; row < memoList.RowCount(); ++row) {
            if (memoList.Text(row, static_cast<int>(kPathColumn)).toStdString() == path) {
                number = memoList.Text(row, 0);
                start = memoList.Text(row, 1);
                break;
            }
        }
        lines.push_back(QStringLiteral(" %1,  %2  [5 %3]").arg(number, start, seconds));
    }
    FillLoadedList(lines);
    ShowLoadedState(false);
    lastLoadedSelection_ = 0;
    if (!loadedMemoPaths_.empty())
        host_.ShowMemo(loadedMemoPaths_.front(), true);
    host_.SetMemoButtonsEnabled(false);
}

} // namespace trevix
