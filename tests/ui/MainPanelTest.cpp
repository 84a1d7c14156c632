// The main panel built from the generated skin: its buttons, tips, child windows, menus and the
// commands they run, with message boxes, the folder browser and the desktop caught.
#include "app/ViewerConfig.h"
#include "app/ui/MainBackPanel.h"
#include "app/ui/PanelMenus.h"
#include "control/ui/ZVButton.h"
#include "control/ui/ZVCarSignal.h"
#include "control/ui/ZVCheckBox.h"
#include "control/ui/ZVDigitDateTime.h"
#include "control/ui/ZVDigitGVal.h"
#include "control/ui/ZVDigitGps.h"
#include "control/ui/ZVDigitSpeed.h"
#include "control/ui/ZVSlideBar.h"
#include "recorder/RecorderTime.h"
#include "tests/catalogue/CatalogueTestSupport.h"
#include "tests/ui/MainPanelDroppedMenu.h"
#include "tests/ui/MainPanelFakes.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

using namespace trevix;
using namespace trevix::cmd;
using namespace trevix::test;
namespace fs = std::filesystem;

namespace {

// The window library's source glob also picks up this file, where the test definitions are
// absent; only the test program's copy runs.
#ifndef TREVIX_BINARY_DIR
#define TREVIX_BINARY_DIR "."
#endif
#ifndef TREVIX_RUN_DIR
#define TREVIX_RUN_DIR TREVIX_BINARY_DIR "/run"
#endif

fs::path RunDir() {
    return fs::path(TREVIX_RUN_DIR);
}

fs::path ScreenshotDir() {
    const fs::path dir = fs::path(TREVIX_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    return dir;
}

// The skin description with one item left out (records are 48 bytes after the count).
void WriteSkinWithout(const fs::path& from, const fs::path& to, int missingItem) {
    const std::string bytes = ReadFile(from);
    ASSERT_GE(bytes.size(), 4u);
    std::int32_t count = 0;
    std::memcpy(&count, bytes.data(), 4);
    std::string records;
    int kept = 0;
    for (std::size_t offset = 4; offset + 48 <= bytes.size(); offset += 48) {
        std::int32_t item = 0;
        std::memcpy(&item, bytes.data() + offset, 4);
        if (item == missingItem)
            continue;
        records.append(bytes, offset, 48);
        ++kept;
    }
    const std::int32_t newCount = kept - 1;
    std::string out(reinterpret_cast<const char*>(&newCount), 4);
    std::ofstream(to, std::ios::binary) << out << records;
}

class CaughtMessages final : public IUserMessages {
public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        shown.emplace_back(caption.toStdString(), text.toStdString());
    }
    std::vector<std::pair<std::string, std::string>> shown;
};

class CaughtSkinMessages final : public SkinMessages {
public:
    void ShowMissingItem(int item, const QString&, const QString& text) override {
        missing.push_back(item);
        texts.push_back(text.toStdString());
    }
    std::vector<int> missing;
    std::vector<std::string> texts;
};

class FakeFileList final : public IFileListCommands {
public:
    void ShowList(SearchList list) override { shownLists.push_back(list); }
    void CheckAll() override { ++checkAll; }
    void UncheckAll() override { ++uncheckAll; }
    void Close() override { ++closed; }
    void ShowTabsAndLists() override { ++tabsShown; }
    bool ShowsLoadedList() const override { return showsLoaded; }
    bool LoadedLogListVisible() const override { return logListVisible; }
    int TickedMemoCount() const override { return tickedMemos; }

    std::vector<SearchList> shownLists;
    int checkAll = 0, uncheckAll = 0, closed = 0, tabsShown = 0, tickedMemos = 0;
    bool showsLoaded = false, logListVisible = false;
};

class FakePanePanel final : public IPanePanelCommands {
public:
    PaneLayout Layout() const override { return layout; }
    bool IsEnlarged() const override { return enlarged; }
    bool HasPreviewPicture() const override { return preview; }
    void SetLayout(PaneLayout value, int channel) override {
        layout = value;
        layouts.emplace_back(value, channel);
    }
    void SetLogPreviewChannel(int channel) override { previewChannels.push_back(channel); }
    void ClearPanes() override { ++cleared; }
    void ToggleEnlarged() override { enlarged = !enlarged; }
    void ToggleFullScreen() override {}

    PaneLayout layout = PaneLayout::Quad;
    bool enlarged = false, preview = true;
    std::vector<std::pair<PaneLayout, int>> layouts;
    std::vector<int> previewChannels;
    int cleared = 0;
};

// The play control's surroundings: no recording, the loaded kind of the host.
class PlaySurroundings final : public IPlayCatalogue, public IPlayHost {
public:
    explicit PlaySurroundings(const int& kind) : kind_(kind) {}
    int CurrentRecording() const override { return -1; }
    int RecordingCount() const override { return 0; }
    CDriveRecInfo* Recording(int) override { return nullptr; }
    void SelectRecording(int) override {}
    int CarPulseSpeed(int) const override { return 0; }
    int LoadedKind() const override { return kind_; }
    bool IsThumbnailLayout() const override { return false; }
    bool IsSingleLayout() const override { return false; }
    bool IsPanelEnlarged() const override { return false; }
    void SelectListRow(int, int) override {}
    void UpdatePanesForSample(int) override {}
    std::string SelectedMemoPicture() const override { return {}; }

private:
    const int& kind_;
};

// A volume that records what the panel asks of it.
class FakeVolume final : public CVolumeOutMaster {
public:
    FakeVolume() : CVolumeOutMaster(Offline{}) {}
    void SetVolumePercent(int percent) override { percents.push_back(percent); }
    void SoundOn() override { calls.push_back("on"); }
    void SoundOff() override { calls.push_back("off"); }
    std::vector<int> percents;
    std::vector<std::string> calls;
};

class FakeHost final : public IMainPanelHost {
public:
    FakeHost(ViewerConfig& config, fs::path start) : config_(config), start_(std::move(start)) {}

    ViewerConfig& Config() override { return config_; }
    fs::path StartDirectory() const override { return start_; }
    int LoadedKind() const override { return kind; }
    void SetLoadedKind(int value) override { kind = value; }
    void ShowAboutBox() override { ++aboutBoxes; }
    void MinimizeWindow() override { ++minimized; }
    void PostCloseRequest() override { ++closeRequests; }
    CMgrDBSearch* Search() override { return &search.search; }
    CMgrPlayControl* PlayControl() override { return playControl.get(); }
    CVolumeOutMaster* Volume() override { return &volume; }
    ILoadedRecordings* Recordings() override { return &search.views; }
    ICardCheckHost* CardChecks() override { return nullptr; }
    bool IsRemovableCard(const std::string& root) override { return root == removableRoot; }
    void SetModalDialog(bool) override {}

    int kind = kLoadedNone;
    int aboutBoxes = 0, minimized = 0, closeRequests = 0;
    std::string removableRoot;
    SearchFixture search;
    CSimulatedPlayClock clock;
    CManualPlayTimer videoTimer, logTimer;
    PlaySurroundings surroundings{kind};
    std::unique_ptr<CMgrPlayControl> playControl;
    FakeVolume volume;

private:
    ViewerConfig& config_;
    fs::path start_;
};

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    const QPointF local(pos);
    const QPointF global(widget->mapToGlobal(pos));
    QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, QPoint pos = QPoint(3, 3)) {
    SendMouse(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

struct ShownItem {
    std::string key;
    std::string text;
    int id;
    bool enabled;
    bool checked;
    int depth;
};

// Every entry of a menu, depth first, separators as "-".
void Collect(const QMenu& menu, int depth, std::vector<ShownItem>& out) {
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            out.push_back({"-", "", 0, true, false, depth});
            continue;
        }
        out.push_back({action->objectName().toStdString(), action->text().toStdString(),
                       CommandOfAction(action), action->isEnabled(), action->isChecked(), depth});
        if (action->menu() != nullptr)
            Collect(*action->menu(), depth + 1, out);
    }
}

std::vector<ShownItem> Items(const QMenu& menu) {
    std::vector<ShownItem> items;
    Collect(menu, 0, items);
    return items;
}

const ShownItem* Find(const std::vector<ShownItem>& items, std::string_view key) {
    for (const ShownItem& item : items)
        if (item.key == key)
            return &item;
    return nullptr;
}

class MainPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(RunDir() / "trevix.dsc")) << "the generated skin is missing";
        start_ = temp_.Path() / "start";
        fs::create_directories(start_);
        fs::copy_file(RunDir() / "trevix.dsc", start_ / "trevix.dsc");
        fs::copy_file(RunDir() / "trevix.chk", start_ / "trevix.chk");
        skin_.Load(start_ / "trevix.dsc", nullptr);
    }

    // The panel with the given Vender in the installed settings file.
    CMainBackPanel& MakePanel(int vendor = 0, std::string_view extraSettings = "") {
        ReleasePanel();
        const fs::path work = temp_.Path() / "work";
        fs::create_directories(work);
        std::ofstream(work / "vedoredu.ini") << "[GUI]\r\nVender=" << vendor << "\r\n[RunParam]\r\n"
                                             << extraSettings;
        UserFolders folders{work, temp_.Path() / "appdata", temp_.Path() / "docs", temp_.Path()};
        fs::create_directories(folders.documents);
        config_ = std::make_unique<ViewerConfig>(folders, [] { return 1; });
        config_->ReadAll();
        host_ = std::make_unique<FakeHost>(*config_, start_);
        PanelServices services{&messages_, &folders_, &urls_, &skinMessages_};
        panel_ = std::make_unique<CMainBackPanel>(*host_, services);
        host_->playControl = std::make_unique<CMgrPlayControl>(
            host_->clock, host_->videoTimer, host_->logTimer, host_->surroundings,
            host_->surroundings, panel_->PlayViews());
        host_->playControl->SetVendor(vendor);
        panel_->SetFileListWindow(nullptr, &fileList_);
        panel_->SetPanePanel(nullptr, &panes_);
        return *panel_;
    }

    QRect ItemRect(int item) const {
        QRect rect;
        EXPECT_TRUE(skin_.GetRect(item, rect)) << "item " << item;
        return rect;
    }

    std::vector<ShownItem> DropAndCollect(PanelMenu menu, QPixmap* shot = nullptr) {
        std::vector<ShownItem> items;
        CZVButton* button = panel_->Button(MenuButtonId(menu));
        EXPECT_NE(button, nullptr);
        if (button == nullptr)
            return items;
        const bool seen = WithDroppedMenu([&] { Click(button); },
                                          [&](QMenu& dropped) {
                                              items = Items(dropped);
                                              dropTopLeft_ = dropped.geometry().topLeft();
                                              if (shot != nullptr)
                                                  *shot = dropped.grab();
                                          });
        EXPECT_TRUE(seen) << "menu " << static_cast<int>(menu) << " did not drop down";
        return items;
    }

    TempDir temp_;
    fs::path start_;
    CSkin skin_{nullptr};
    std::unique_ptr<ViewerConfig> config_;
    std::unique_ptr<FakeHost> host_;
    CaughtMessages messages_;
    CaughtSkinMessages skinMessages_;
    FakeFolderBrowser folders_;
    CaughtUrls urls_;
    FakeFileList fileList_;
    FakePanePanel panes_;
    std::unique_ptr<CMainBackPanel> panel_;
    QPoint dropTopLeft_;

    void TearDown() override { ReleasePanel(); }

    // The play control reports to the panel, so it goes first.
    void ReleasePanel() {
        if (host_ != nullptr)
            host_->playControl.reset();
        panel_.reset();
        host_.reset();
    }
};

using Message = std::pair<std::string, std::string>;

} // namespace

TEST_F(MainPanelTest, EveryButtonStandsOnItsSkinItemWithItsTip) {
    CMainBackPanel& panel = MakePanel();
    EXPECT_TRUE(skinMessages_.missing.empty());
    EXPECT_EQ(panel.objectName(), "MainBackPanel");
    for (const PanelButton& entry : kPanelButtons) {
        if (entry.skinItem == kSkinMuteBox)
            continue;
        CZVButton* button = panel.Button(entry.id);
        ASSERT_NE(button, nullptr) << entry.id;
        EXPECT_EQ(button->parentWidget(), &panel);
        EXPECT_EQ(button->geometry(), ItemRect(entry.skinItem)) << entry.id;
        EXPECT_EQ(button->ControlId(), entry.id);
        EXPECT_EQ(button->toolTip().toStdString(), std::string(entry.tipDefault)) << entry.id;
    }
    EXPECT_EQ(panel.Button(kGoogleEarth)->toolTip(), "Run Google Earth");
    EXPECT_TRUE(panel.Button(kHomepage)->toolTip().isEmpty());
    ASSERT_NE(panel.MuteBox(), nullptr);
    EXPECT_EQ(panel.MuteBox()->geometry(), ItemRect(kSkinMuteBox));
    EXPECT_EQ(panel.MuteBox()->toolTip(), "Mute");
    EXPECT_EQ(panel.SpeedIndicatorRect(), ItemRect(kSkinSpeedIndicator));
}

TEST_F(MainPanelTest, ChildWindowsTakeTheirItemsRectangleAndVisibility) {
    CMainBackPanel& panel = MakePanel();
    const std::vector<std::pair<int, const char*>> children = {{kSkinPanePanel, "PanePanel"},
                                                               {kSkinGSensor, "GSensor"},
                                                               {kSkinGpsMap, "GpsMap"},
                                                               {kSkinFileList, "FileList"}};
    for (const auto& [item, name] : children) {
        auto* child = panel.findChild<QWidget*>(name);
        ASSERT_NE(child, nullptr) << name;
        EXPECT_EQ(child->geometry(), ItemRect(item)) << name;
        EXPECT_EQ(child->isVisibleTo(&panel), skin_.Lookup(item)->IsVisible()) << name;
    }
    EXPECT_EQ(panel.PanePanel()->objectName(), "PanePanel");
    EXPECT_EQ(panel.FileListWindow()->objectName(), "FileList");
}

TEST_F(MainPanelTest, MissingBackupItemIsReportedOnceAndOnlyThatButtonIsAbsent) {
    WriteSkinWithout(RunDir() / "trevix.dsc", start_ / "trevix.dsc", 15);
    CMainBackPanel& panel = MakePanel();
    EXPECT_EQ(skinMessages_.missing, std::vector<int>{15});
    ASSERT_EQ(skinMessages_.texts.size(), 1u);
    EXPECT_EQ(skinMessages_.texts[0], "Check File : .dsc,.chk");
    EXPECT_EQ(panel.Button(kBackup), nullptr);
    for (const PanelButton& entry : kPanelButtons) {
        if (entry.id == kBackup || entry.skinItem == kSkinMuteBox)
            continue;
        EXPECT_NE(panel.Button(entry.id), nullptr) << entry.id;
    }
    EXPECT_NE(panel.MuteBox(), nullptr);
    EXPECT_NE(panel.PanePanel(), nullptr);
}

TEST_F(MainPanelTest, EachMenuDropsDownBelowItsButtonWithItsItems) {
    MakePanel(0);
    panel_->show();
    const std::vector<std::pair<PanelMenu, std::vector<std::string>>> expected = {
        {PanelMenu::File,
         {"FileSelectFolder", "FileLoad", "FileLoadEvent", "FileLoadNormal", "FileLoadMemo",
          "FileLoadLog", "FileList", "-", "FilePrint", "-", "FileExit"}},
        {PanelMenu::Edit, {"EditSelectAll", "EditUnselectAll"}},
        {PanelMenu::View,
         {"ViewLayout", "ViewLayoutSingle", "ViewLayoutSingle1", "ViewLayoutSingle2",
          "ViewLayoutSingle4", "ViewLayoutSingle3", "ViewLayoutThumb", "ViewLayoutQuad",
          "ViewGSgraph", "ViewGSgraphScale1", "ViewGSgraphScale2", "ViewGSgraphScale3",
          "ViewGSgraphScale4"}},
        {PanelMenu::Play,
         {"PlayPlay", "PlayFastPlay", "PlayNextFrame", "PlayReversePlay", "PlayPreviousFrame",
          "PlayFastReverse", "PlayStop", "-", "VolumeDown", "VolumeUp", "VolumeMute"}},
        {PanelMenu::Tool,
         {"ToolModel", "ToolModelRX110", "ToolModelRX201", "ToolModelRX200T", "ToolModelRX211",
          "ToolModelRX210T", "ToolSpeed", "ToolSpeedGPS", "ToolSpeedPulse", "ToolSetting", "-",
          "ToolSdInit", "-", "ToolSaveAvi", "ToolSaveJpg", "ToolConvertKml", "-", "ToolBackup"}},
        {PanelMenu::Help, {"HelpVersion", "-", "HelpHomepage"}},
    };
    const char* names[] = {"file", "edit", "view", "play", "tool", "help"};
    for (const auto& [menu, keys] : expected) {
        QPixmap shot;
        const std::vector<ShownItem> items = DropAndCollect(menu, &shot);
        std::vector<std::string> shownKeys;
        for (const ShownItem& item : items)
            shownKeys.push_back(item.key);
        EXPECT_EQ(shownKeys, keys);
        CZVButton* button = panel_->Button(MenuButtonId(menu));
        EXPECT_EQ(dropTopLeft_, button->mapToGlobal(QPoint(0, button->height())));
        ASSERT_FALSE(shot.isNull());
        shot.save(QString::fromStdString(
            (ScreenshotDir() /
             ("panel_menu_" + std::string(names[static_cast<int>(menu)]) + ".png"))
                .string()));
    }
}

TEST_F(MainPanelTest, MenuItemsCarryTheirTextsAndIdentifiers) {
    MakePanel(0);
    for (int m = 0; m < kMenuCount; ++m) {
        const auto menu = static_cast<PanelMenu>(m);
        const std::unique_ptr<QMenu> built =
            BuildPanelMenu(menu, panel_->CurrentContext(), panel_.get());
        const std::vector<ShownItem> items = Items(*built);
        for (const MenuEntry& entry : MenuEntries(menu)) {
            if (entry.kind == MenuEntryKind::Separator)
                continue;
            const ShownItem* item = Find(items, entry.key);
            ASSERT_NE(item, nullptr) << entry.key;
            EXPECT_EQ(item->text, std::string(entry.text));
            EXPECT_EQ(item->depth, entry.depth) << entry.key;
            if (entry.kind == MenuEntryKind::Item) {
                EXPECT_EQ(item->id, entry.id) << entry.key;
            }
        }
    }
}

TEST_F(MainPanelTest, NoFolderGraysLoadEditAndTransportAndBackupRefuses) {
    MakePanel(0);
    panel_->show();
    const std::vector<ShownItem> file = DropAndCollect(PanelMenu::File);
    ASSERT_FALSE(file.empty());
    EXPECT_FALSE(Find(file, "FileLoad")->enabled);
    EXPECT_FALSE(Find(file, "FileList")->enabled);
    EXPECT_FALSE(Find(file, "FilePrint")->enabled);
    EXPECT_TRUE(Find(file, "FileSelectFolder")->enabled);
    const std::vector<ShownItem> edit = DropAndCollect(PanelMenu::Edit);
    ASSERT_EQ(edit.size(), 2u);
    EXPECT_FALSE(edit[0].enabled);
    EXPECT_FALSE(edit[1].enabled);
    const std::vector<ShownItem> play = DropAndCollect(PanelMenu::Play);
    EXPECT_FALSE(Find(play, "PlayPlay")->enabled);
    EXPECT_TRUE(Find(play, "VolumeUp")->enabled);

    Click(panel_->Button(kBackup));
    EXPECT_EQ(messages_.shown, (std::vector<Message>{{"Backup", "No Event is loaded"}}));
}

TEST_F(MainPanelTest, HelpMenuOfVendor999HoldsOnlyVersion) {
    MakePanel(999);
    panel_->show();
    const std::vector<ShownItem> help = DropAndCollect(PanelMenu::Help);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].key, "HelpVersion");
    EXPECT_EQ(help[0].id, kMenuVersion);
}

TEST_F(MainPanelTest, ChoosingModelAndSpeedWritesTheSettingsAndMovesTheCheckMark) {
    MakePanel(0, "CurrentModel=21\r\nDisplaySpeed=7\r\n");
    // Creation keeps DisplaySpeed only as 0 or 1.
    EXPECT_EQ(config_->ReadDisplaySpeed(), 0);

    panel_->OnPanelCommand(kMenuModelRx211);
    EXPECT_EQ(config_->ReadCurrentModel(), 23);
    panel_->OnPanelCommand(kMenuModelRx110);
    EXPECT_EQ(config_->ReadCurrentModel(), 20);
    panel_->OnPanelCommand(kMenuSpeedPulse);
    EXPECT_EQ(config_->ReadDisplaySpeed(), 1);

    panel_->show();
    const std::vector<ShownItem> tool = DropAndCollect(PanelMenu::Tool);
    ASSERT_FALSE(tool.empty());
    EXPECT_TRUE(Find(tool, "ToolModelRX110")->checked);
    EXPECT_FALSE(Find(tool, "ToolModelRX201")->checked);
    EXPECT_TRUE(Find(tool, "ToolSpeedPulse")->checked);
    EXPECT_FALSE(Find(tool, "ToolSpeedGPS")->checked);

    panel_->OnPanelCommand(kMenuSpeedGps);
    EXPECT_EQ(config_->ReadDisplaySpeed(), 0);
}

TEST_F(MainPanelTest, DisplaySpeedOneSurvivesCreation) {
    MakePanel(0, "DisplaySpeed=1\r\n");
    EXPECT_EQ(config_->ReadDisplaySpeed(), 1);
}

TEST_F(MainPanelTest, OpenChoosesAFolderAndScansTheCard) {
    MakePanel(0, "OpenSDFolder=/media/card\r\n");
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\nlog start=0 seconds=30\n");
    folders_.answer = QString::fromStdString(card.Str() + "/");

    Click(panel_->Button(kOpen));
    ASSERT_EQ(folders_.titles.size(), 1u);
    EXPECT_EQ(folders_.titles[0], "Select SD Card Drive or Backup folder");
    EXPECT_EQ(folders_.starts[0], "/media/card");
    EXPECT_EQ(host_->search.search.RootPath(), card.Str());
    EXPECT_EQ(host_->search.views.List(SearchList::Event).size(), 1u);
    EXPECT_EQ(host_->search.views.List(SearchList::Log).size(), 1u);

    // With a folder chosen the Load items are offered.
    EXPECT_FALSE(panel_->CurrentContext().rootPathEmpty);
    EXPECT_TRUE(MenuItemEnabled(kMenuLoadEvent, panel_->CurrentContext()));
}

TEST_F(MainPanelTest, CancelledFolderChoiceChangesNothing) {
    MakePanel(0);
    host_->search.search.SetRootPath("/previous");
    folders_.answer.reset();
    panel_->OnPanelCommand(kKeyOpen);
    EXPECT_EQ(folders_.titles.size(), 1u);
    EXPECT_EQ(host_->search.search.RootPath(), "/previous");
    EXPECT_EQ(host_->search.views.clearLists, 0);
}

TEST_F(MainPanelTest, AboutOpensTheAboutBoxOrForVendor1TheHelpFile) {
    MakePanel(0);
    Click(panel_->Button(kAbout));
    EXPECT_EQ(host_->aboutBoxes, 1);
    EXPECT_TRUE(urls_.opened.empty());

    MakePanel(1);
    Click(panel_->Button(kAbout));
    EXPECT_EQ(host_->aboutBoxes, 0);
    EXPECT_EQ(messages_.shown, (std::vector<Message>{{"Trevix", "No help file(*.chm)"}}));

    std::ofstream(start_ / "zoza.html") << "<html></html>";
    panel_->OnPanelCommand(kKeyHelp);
    ASSERT_EQ(urls_.opened.size(), 1u);
    EXPECT_EQ(urls_.opened[0],
              QUrl::fromLocalFile(QString::fromStdString((start_ / "zoza.html").string())));
    EXPECT_EQ(messages_.shown.size(), 1u);
}

TEST_F(MainPanelTest, HomepageOpensTheVendorsAddress) {
    MakePanel(0);
    Click(panel_->Button(kHomepage));
    panel_->OnPanelCommand(kMenuHomepage);
    ASSERT_EQ(urls_.opened.size(), 2u);
    EXPECT_EQ(urls_.opened[0].toString().toStdString(), std::string(HomepageUrl(0)));

    MakePanel(1);
    panel_->show();
    Click(panel_.get(), QPoint(900, 45)); // the vendor link of vendor 1
    ASSERT_EQ(urls_.opened.size(), 3u);
    EXPECT_EQ(urls_.opened[2].toString().toStdString(), std::string(HomepageUrl(1)));
}

TEST_F(MainPanelTest, RefusalsOfTheToolCommandsWithNothingLoaded) {
    MakePanel(0);
    Click(panel_->Button(kSaveImage));
    Click(panel_->Button(kPrintImage));
    Click(panel_->Button(kSaveAvi));
    Click(panel_->Button(kGoogleEarth));
    panel_->OnPanelCommand(kMenuSaveJpeg);
    panel_->OnPanelCommand(kKeyPrint);
    EXPECT_EQ(messages_.shown, (std::vector<Message>{
                                   {"Save images as Jpeg", "No Event is loaded"},
                                   {"Print Images", "No Event is loaded"},
                                   {"Save as AVI", "No Event is loaded"},
                                   {"Convert to KML", "No Log is loaded."},
                                   {"Save images as Jpeg", "No Event is loaded"},
                                   {"Print Images", "No Event is loaded"},
                               }));
}

TEST_F(MainPanelTest, PrintOfALogListIsRefusedOnlyForVendor1) {
    MakePanel(1);
    host_->kind = kLoadedLog;
    panel_->OnPanelCommand(kKeyPrint);
    EXPECT_EQ(messages_.shown,
              (std::vector<Message>{{"Print Images", "Can not print in current mode."}}));

    MakePanel(0);
    host_->kind = kLoadedLog;
    messages_.shown.clear();
    panel_->OnPanelCommand(kKeyPrint);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainPanelTest, MemoAndLogRefusalsOfSaveImage) {
    MakePanel(0);
    host_->kind = kLoadedMemo;
    Click(panel_->Button(kSaveImage));
    host_->kind = kLoadedLog;
    panes_.preview = false;
    Click(panel_->Button(kSaveAvi));
    fileList_.tickedMemos = 1;
    host_->kind = kLoadedMemo;
    Click(panel_->Button(kSaveImage)); // a ticked memo passes the check
    EXPECT_EQ(messages_.shown, (std::vector<Message>{{"Save images as Jpeg", "No Memo is selected"},
                                                     {"Save as AVI", "No Preview image"}}));
}

TEST_F(MainPanelTest, SavingStopsPlaybackBeforeItsChecks) {
    MakePanel(0);
    host_->kind = kLoadedEvent;
    Click(panel_->Button(kPlay));
    ASSERT_EQ(host_->playControl->PlayState(), kPlayNormal);
    Click(panel_->Button(kSaveImage));
    EXPECT_EQ(host_->playControl->PlayState(), kPlayStopped);
    EXPECT_FALSE(host_->playControl->TimerActive());
    EXPECT_EQ(messages_.shown,
              (std::vector<Message>{{"Save images as Jpeg", "No Event is loaded"}}));

    // Google Earth does not stop playback.
    Click(panel_->Button(kPlay));
    Click(panel_->Button(kGoogleEarth));
    EXPECT_EQ(host_->playControl->PlayState(), kPlayNormal);
}

TEST_F(MainPanelTest, CardToolsRefuseFoldersThatAreNoRemovableCard) {
    MakePanel(0);
    TempDir folder;
    folders_.answer = QString::fromStdString(folder.Str());
    panel_->OnPanelCommand(kMenuSdInitialize);
    EXPECT_EQ(folders_.titles, std::vector<std::string>{"Select SD Card Drive"});
    EXPECT_EQ(messages_.shown, (std::vector<Message>{{"Setting", "Not SD Card Drive"}}));

    // A "card" on a file system this small (the test's temporary folder may be anything, so
    // only the refusal's caption and text are checked when it comes).
    host_->removableRoot = folder.Str();
    messages_.shown.clear();
    panel_->OnPanelCommand(kMenuSdInitialize);
    for (const Message& message : messages_.shown)
        EXPECT_EQ(message, (Message{"Setting", "SD Card of not supported size."}));
}

TEST_F(MainPanelTest, DeviceSettingChoosesAFolderWhenNoneIsSet) {
    MakePanel(0);
    TempDir card;
    WriteTestCard(card, "event fps=1 size=360x240 audio=none\n");
    folders_.answer = QString::fromStdString(card.Str());
    Click(panel_->Button(kSetup));
    EXPECT_EQ(folders_.titles.size(), 1u);
    EXPECT_EQ(host_->search.search.RootPath(), card.Str());
    EXPECT_TRUE(host_->search.views.List(SearchList::Event).empty()); // no scan for settings
    Click(panel_->Button(kSetup));
    EXPECT_EQ(folders_.titles.size(), 1u); // the root is kept
}

TEST_F(MainPanelTest, LoadTabsSelectAllAndDisplayFileListReachTheFileList) {
    MakePanel(0);
    panel_->OnPanelCommand(kMenuLoadEvent);
    panel_->OnPanelCommand(kMenuLoadNormal);
    panel_->OnPanelCommand(kMenuLoadMemo);
    panel_->OnPanelCommand(kKeyLoadLog);
    EXPECT_EQ(fileList_.shownLists, (std::vector<SearchList>{SearchList::Event, SearchList::Normal,
                                                             SearchList::Memo, SearchList::Log}));
    panel_->OnPanelCommand(kKeySelectAll);
    panel_->OnPanelCommand(kMenuUnselectAll);
    EXPECT_EQ(fileList_.checkAll, 1);
    EXPECT_EQ(fileList_.uncheckAll, 1);

    host_->kind = kLoadedLog;
    host_->search.views.recordingCount = 2;
    host_->search.search.LogFiles().resize(1);
    panes_.layout = PaneLayout::Log;
    panel_->OnPanelCommand(kMenuFileList);
    EXPECT_EQ(fileList_.closed, 1);
    EXPECT_EQ(fileList_.tabsShown, 1);
    EXPECT_EQ(host_->kind, kLoadedNone);
    EXPECT_EQ(host_->search.views.destroyed, 1);
    EXPECT_TRUE(host_->search.search.LogFiles().empty());
    EXPECT_EQ(host_->search.search.CurrentRecording(), -1);
    EXPECT_EQ(panes_.layout, PaneLayout::Quad);
    EXPECT_EQ(panes_.cleared, 1);
}

TEST_F(MainPanelTest, LayoutButtonsFollowTheirGuards) {
    MakePanel(0);
    Click(panel_->Button(kQuad));
    Click(panel_->Button(kFrontView));
    EXPECT_TRUE(panes_.layouts.empty()); // nothing loaded

    host_->kind = kLoadedEvent;
    host_->search.views.recordingCount = 1;
    Click(panel_->Button(kSideView));
    Click(panel_->Button(kThumbnail));
    Click(panel_->Button(kThumbnail)); // already thumbnail
    panel_->OnPanelCommand(kKeyQuad);
    EXPECT_EQ(panes_.layouts,
              (std::vector<std::pair<PaneLayout, int>>{
                  {PaneLayout::Single, 3}, {PaneLayout::Thumbnail, 0}, {PaneLayout::Quad, 0}}));

    // A log list keeps its layout: the channel buttons change the preview picture.
    host_->kind = kLoadedLog;
    panes_.layout = PaneLayout::Log;
    panes_.layouts.clear();
    Click(panel_->Button(kFrontView));
    Click(panel_->Button(kRearView));
    EXPECT_EQ(panes_.previewChannels, (std::vector<int>{0, 2}));
    EXPECT_TRUE(panes_.layouts.empty());
}

TEST_F(MainPanelTest, VolumeCommandsAndMuteBoxDriveTheSystemVolume) {
    MakePanel(0);
    panel_->ShowVolume(95);
    panel_->OnPanelCommand(kMenuVolumeUp);
    panel_->ShowVolume(5);
    panel_->OnPanelCommand(kMenuVolumeDown);
    EXPECT_EQ(host_->volume.percents, (std::vector<int>{100, 0}));

    panel_->OnPanelCommand(kMenuVolumeMute);
    panel_->ShowMute(true); // the mixer's answer
    EXPECT_TRUE(panel_->CurrentContext().soundOff);
    EXPECT_EQ(panel_->MuteBox()->State(), 0);
    panel_->OnPanelCommand(kMenuVolumeMute);
    Click(panel_->MuteBox()); // off -> on
    EXPECT_EQ(host_->volume.calls, (std::vector<std::string>{"off", "on", "on"}));
}

TEST_F(MainPanelTest, VolumeBarShowsTheSystemVolumeAndItsDragSetsItAtEveryStep) {
    MakePanel(0);
    CZVSlideBar& bar = *panel_->VolumeBar();
    EXPECT_EQ(bar.geometry(), CZVSlideBar::PanelRect(SlideBarKind::Volume));
    EXPECT_EQ(bar.Position(), CMainBackPanel::kVolumeStart);
    panel_->ShowVolume(140); // the mixer above its maximum
    EXPECT_EQ(bar.Position(), 100);
    panel_->ShowVolume(60);
    EXPECT_EQ(bar.Position(), 60);

    const int y = bar.height() / 2;
    SendMouse(&bar, QEvent::MouseButtonPress, QPoint(bar.Model().ThumbCentre(), y), Qt::LeftButton);
    SendMouse(&bar, QEvent::MouseMove, QPoint(bar.Model().PixelOfValue(20), y), Qt::LeftButton);
    SendMouse(&bar, QEvent::MouseMove, QPoint(bar.Model().PixelOfValue(80), y), Qt::LeftButton);
    SendMouse(&bar, QEvent::MouseButtonRelease, QPoint(bar.Model().PixelOfValue(80), y),
              Qt::NoButton);
    const std::vector<int>& percents = host_->volume.percents;
    ASSERT_GE(percents.size(), 3u); // two moves and the release
    EXPECT_NEAR(percents[0], 20, 3);
    EXPECT_NEAR(percents[1], 80, 3);
    EXPECT_EQ(percents.back(), bar.Position());
    // Volume Up counts from where the bar stands.
    panel_->OnPanelCommand(kMenuVolumeUp);
    EXPECT_EQ(percents.back(), std::min(100, bar.Position() + 10));

    panel_->DisableVolume();
    EXPECT_FALSE(bar.isEnabled());
    EXPECT_FALSE(panel_->MuteBox()->isEnabled());
}

TEST_F(MainPanelTest, StatusDisplaysStandAtTheirPlacesAndTakeValuesFromAnyThread) {
    MakePanel(0);
    const QRect panes = panel_->PanePanel()->geometry();
    EXPECT_EQ(panel_->DateTimeDisplay()->geometry(),
              CZVDigitDateTime::PanelRect(panes.x() + panes.width()));
    EXPECT_EQ(panel_->SpeedDisplay()->geometry(), CZVDigitSpeed::PanelRect());
    EXPECT_EQ(panel_->GValueDisplay(2)->geometry(), CZVDigitGVal::PanelRect(GAxis::Z));
    EXPECT_EQ(panel_->GpsDisplay()->geometry(), CZVDigitGps::PanelRect());
    EXPECT_EQ(panel_->CarSignalDisplay()->geometry(), CZVCarSignal::PanelRect());
    EXPECT_EQ(panel_->TimeBar()->geometry(), CZVSlideBar::PanelRect(SlideBarKind::Time));

    // A normal list's time bar, set while the user-interface thread waits for a worker.
    host_->kind = kLoadedNormal;
    const std::int64_t start = 1'715'938'200'000;
    panel_->SetTimeRange(start, start + 60'000, start);
    EXPECT_EQ(panel_->TimeBar()->Maximum(), 60);
    IStatusDisplays& status = *panel_->PlayViews().status;
    GPSINFO fix;
    fix.byGpsValid = 1;
    fix.wLatDeg = 35;
    fix.wGpsA = 40;
    std::thread worker([&] {
        status.ShowDateTime(FromRecorderMs(start + 12'345));
        status.ShowGValues(0.25f, -0.5f, 1.5f);
        status.ShowSpeed(42, fix);
        status.ShowGps(fix);
        status.ShowCarSignal(0x0A);
        status.ShowTimeSlider(12);
        status.ShowSpeedIndicator("2");
    });
    worker.join();
    EXPECT_EQ(panel_->TimeBar()->Position(), 0); // not touched from the worker
    QApplication::processEvents();
    EXPECT_EQ(panel_->DateTimeDisplay()->Time().wSecond, FromRecorderMs(start + 12'345).wSecond);
    EXPECT_FLOAT_EQ(panel_->GValueDisplay(0)->Value(), 0.25f);
    EXPECT_FLOAT_EQ(panel_->GValueDisplay(1)->Value(), -0.5f);
    EXPECT_FLOAT_EQ(panel_->GValueDisplay(2)->Value(), 1.5f);
    EXPECT_EQ(panel_->SpeedDisplay()->Reading().pulseSpeed, 42);
    EXPECT_EQ(panel_->GpsDisplay()->Fix().wLatDeg, 35);
    EXPECT_EQ(panel_->CarSignalDisplay()->Bits(), 0x0A);
    EXPECT_EQ(panel_->TimeBar()->Position(), 12);
    EXPECT_EQ(panel_->SpeedIndicatorText(), "2");

    // Any other list leaves the bar empty, and a position for it changes nothing.
    host_->kind = kLoadedEvent;
    panel_->SetTimeRange(start, start + 60'000, start);
    status.ShowTimeSlider(30);
    EXPECT_EQ(panel_->TimeBar()->Maximum(), 0);
    EXPECT_EQ(panel_->TimeBar()->Position(), 0);
}

TEST_F(MainPanelTest, MinimizeExitAndTheExitCorner) {
    MakePanel(0);
    panel_->show();
    Click(panel_->Button(kMinimize));
    EXPECT_EQ(host_->minimized, 1);
    Click(panel_->Button(kExit));
    EXPECT_EQ(host_->closeRequests, 1);

    SendMouse(panel_.get(), QEvent::MouseButtonDblClick, QPoint(30, 30), Qt::LeftButton);
    EXPECT_EQ(host_->closeRequests, 1);
    SendMouse(panel_.get(), QEvent::MouseButtonDblClick, QPoint(10, 10), Qt::LeftButton);
    EXPECT_EQ(host_->closeRequests, 2);
}

TEST_F(MainPanelTest, DraggingTheTopRowsMovesTheWindow) {
    MakePanel(0);
    panel_->move(100, 100);
    panel_->show();
    const QPoint before = panel_->pos();
    SendMouse(panel_.get(), QEvent::MouseButtonPress, QPoint(400, 10), Qt::LeftButton);
    SendMouse(panel_.get(), QEvent::MouseMove, QPoint(430, 30), Qt::LeftButton);
    SendMouse(panel_.get(), QEvent::MouseButtonRelease, QPoint(430, 30), Qt::NoButton);
    EXPECT_EQ(panel_->pos(), before + QPoint(30, 20));

    const QPoint after = panel_->pos();
    SendMouse(panel_.get(), QEvent::MouseButtonPress, QPoint(400, 300), Qt::LeftButton);
    SendMouse(panel_.get(), QEvent::MouseMove, QPoint(450, 330), Qt::LeftButton);
    SendMouse(panel_.get(), QEvent::MouseButtonRelease, QPoint(450, 330), Qt::NoButton);
    EXPECT_EQ(panel_->pos(), after);
}

TEST_F(MainPanelTest, MenuKeysDoNothingWhileThePanesAreEnlarged) {
    MakePanel(0);
    panel_->show();
    panes_.enlarged = true;
    // No menu drops down, so the call returns at once.
    const bool seen = WithDroppedMenu([&] { panel_->OnPanelCommand(kKeyMenuFile); }, [](QMenu&) {});
    EXPECT_FALSE(seen);
}

TEST_F(MainPanelTest, ScreenshotShowsTheSkinBackgroundAndSpeedIndicator) {
    CMainBackPanel& panel = MakePanel(0);
    host_->kind = kLoadedEvent;
    Click(panel.Button(kPlay)); // the play control asks for the indicator text
    QApplication::processEvents();
    EXPECT_EQ(panel.SpeedIndicatorText(), "1");
    panel.show();
    const QImage shot = panel.grab().toImage();
    shot.save(QString::fromStdString((ScreenshotDir() / "panel.png").string()));
    ASSERT_EQ(shot.size(), panel.size());

    SkinPicture background;
    ASSERT_TRUE(skin_.LoadPicture(kSkinBackground, background));
    // A background pixel outside every child and button keeps the skin's picture.
    const QPoint probe(background.rect.left() + 2, background.rect.bottom() - 2);
    bool covered = false;
    for (QWidget* child : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        covered = covered || (child->isVisible() && child->geometry().contains(probe));
    if (!covered) {
        EXPECT_EQ(shot.pixelColor(probe),
                  background.image.pixelColor(probe - background.rect.topLeft()));
    }
}
