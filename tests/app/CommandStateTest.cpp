#include "app/CommandState.h"

#include "playback/MgrPlayControl.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trevix;
using namespace trevix::cmd;

namespace {

CommandContext WithFolder() {
    CommandContext context;
    context.rootPathEmpty = false;
    return context;
}

CommandContext WithRecordings(int kind = 1) {
    CommandContext context = WithFolder();
    context.loadedKind = kind;
    context.recordingCount = 2;
    return context;
}

CommandContext WithLogs() {
    CommandContext context = WithFolder();
    context.loadedKind = 4;
    context.logFileCount = 1;
    context.layout = PaneLayout::Log;
    context.loadedLogListVisible = true;
    return context;
}

std::vector<int> Grayed(const std::vector<int>& ids, const CommandContext& context) {
    std::vector<int> grayed;
    for (int id : ids)
        if (!MenuItemEnabled(id, context))
            grayed.push_back(id);
    return grayed;
}

const std::vector<int> kLoadItems = {kSubmenuLoad, kMenuLoadEvent, kMenuLoadNormal, kMenuLoadMemo,
                                     kMenuLoadLog};
const std::vector<int> kTransportItems = {kMenuPlayPlay,    kMenuFastPlay,      kMenuNextFrame,
                                          kMenuReversePlay, kMenuPreviousFrame, kMenuFastReverse,
                                          kMenuStop};
const std::vector<int> kLayoutEntries = {kSubmenuSingle, kMenuThumbnail, kMenuQuad};
const std::vector<int> kSingleItems = {kMenuSingleFront, kMenuSingleInterior, kMenuSingleSide,
                                       kMenuSingleRear};
const std::vector<int> kScaleItems = {kMenuScale1, kMenuScale2, kMenuScale3, kMenuScale4};

} // namespace

TEST(CommandStateFileEdit, NoFolderGraysLoadAndEditItems) {
    const CommandContext none;
    EXPECT_EQ(Grayed(kLoadItems, none), kLoadItems);
    EXPECT_FALSE(MenuItemEnabled(kMenuSelectAll, none));
    EXPECT_FALSE(MenuItemEnabled(kMenuUnselectAll, none));
    // Selecting a folder and exiting are always possible.
    EXPECT_TRUE(MenuItemEnabled(kMenuSelectFolder, none));
    EXPECT_TRUE(MenuItemEnabled(kMenuExit, none));

    const CommandContext folder = WithFolder();
    EXPECT_TRUE(Grayed(kLoadItems, folder).empty());
    EXPECT_TRUE(MenuItemEnabled(kMenuSelectAll, folder));
}

TEST(CommandStateFileEdit, FileListAndPrintNeedSomethingLoadedOrAMemoList) {
    CommandContext context = WithFolder();
    EXPECT_FALSE(MenuItemEnabled(kMenuFileList, context));
    EXPECT_FALSE(MenuItemEnabled(kMenuPrint, context));
    context.loadedKind = 3; // a memo list loads no recording
    EXPECT_TRUE(MenuItemEnabled(kMenuFileList, context));
    EXPECT_TRUE(MenuItemEnabled(kMenuPrint, context));
    EXPECT_TRUE(MenuItemEnabled(kMenuPrint, WithRecordings()));
    EXPECT_TRUE(MenuItemEnabled(kMenuFileList, WithLogs()));
}

TEST(CommandStateFileEdit, EditItemsGrayedWhileTheLoadedListIsShown) {
    CommandContext context = WithRecordings();
    context.fileListShowsLoaded = true;
    EXPECT_FALSE(MenuItemEnabled(kMenuSelectAll, context));
    EXPECT_FALSE(MenuItemEnabled(kMenuUnselectAll, context));
}

TEST(CommandStateView, LayoutEntriesFollowLayoutAndLoadedRecordings) {
    const CommandContext nothing = WithFolder();
    EXPECT_EQ(Grayed(kLayoutEntries, nothing), kLayoutEntries);
    EXPECT_EQ(Grayed(kSingleItems, nothing), kSingleItems);
    EXPECT_EQ(Grayed(kScaleItems, nothing), kScaleItems);
    EXPECT_TRUE(MenuItemEnabled(kSubmenuLayout, nothing)); // the Layout entry itself stays

    CommandContext quad = WithRecordings();
    EXPECT_EQ(Grayed(kLayoutEntries, quad), std::vector<int>{kMenuQuad});
    EXPECT_TRUE(Grayed(kSingleItems, quad).empty());
    EXPECT_TRUE(Grayed(kScaleItems, quad).empty());

    CommandContext thumbnail = quad;
    thumbnail.layout = PaneLayout::Thumbnail;
    EXPECT_EQ(Grayed(kLayoutEntries, thumbnail), std::vector<int>{kMenuThumbnail});

    CommandContext single = quad;
    single.layout = PaneLayout::Single;
    EXPECT_TRUE(Grayed(kLayoutEntries, single).empty());

    CommandContext log = WithLogs();
    log.recordingCount = 1;
    EXPECT_EQ(Grayed(kLayoutEntries, log), kLayoutEntries);
    EXPECT_TRUE(Grayed(kSingleItems, log).empty());
}

TEST(CommandStateView, ScalesNeedRecordingsOrLogs) {
    EXPECT_TRUE(Grayed(kScaleItems, WithLogs()).empty());
    CommandContext memo = WithFolder();
    memo.loadedKind = 3;
    EXPECT_EQ(Grayed(kScaleItems, memo), kScaleItems);
}

TEST(CommandStatePlay, TransportGrayedWithNothingLoadedButMemoPlayAndStop) {
    const CommandContext nothing = WithFolder();
    EXPECT_EQ(Grayed(kTransportItems, nothing), kTransportItems);
    CommandContext memo = nothing;
    memo.loadedKind = 3;
    EXPECT_EQ(Grayed(kTransportItems, memo),
              (std::vector<int>{kMenuFastPlay, kMenuNextFrame, kMenuReversePlay, kMenuPreviousFrame,
                                kMenuFastReverse}));
    EXPECT_TRUE(Grayed(kTransportItems, WithRecordings()).empty());
    EXPECT_TRUE(Grayed(kTransportItems, WithLogs()).empty());
    // The volume items never gray.
    EXPECT_TRUE(MenuItemEnabled(kMenuVolumeDown, nothing));
    EXPECT_TRUE(MenuItemEnabled(kMenuVolumeMute, nothing));
}

TEST(CommandStatePlay, ThumbnailLayoutGraysClockCommandsButNotFrameSteps) {
    CommandContext context = WithRecordings();
    context.layout = PaneLayout::Thumbnail;
    EXPECT_EQ(Grayed(kTransportItems, context),
              (std::vector<int>{kMenuPlayPlay, kMenuFastPlay, kMenuReversePlay, kMenuFastReverse,
                                kMenuStop}));
}

TEST(CommandStatePlay, MuteCheckedWhileSoundIsOff) {
    CommandContext context;
    EXPECT_FALSE(MenuItemChecked(kMenuVolumeMute, context));
    context.soundOff = true;
    EXPECT_TRUE(MenuItemChecked(kMenuVolumeMute, context));
}

TEST(CommandStateTool, ModelCheckMarkWithUnknownCodesOnRx110) {
    const std::vector<std::pair<int, int>> expected = {
        {20, kMenuModelRx110}, {21, kMenuModelRx201},  {22, kMenuModelRx200T},
        {23, kMenuModelRx211}, {24, kMenuModelRx210T}, {25, kMenuModelRx110},
        {0, kMenuModelRx110},  {-3, kMenuModelRx110}};
    for (const auto& [model, item] : expected) {
        CommandContext context;
        context.currentModel = model;
        for (int id = kMenuModelRx110; id <= kMenuModelRx210T; ++id)
            EXPECT_EQ(MenuItemChecked(id, context), id == item) << "model " << model;
    }
    for (int id = kMenuModelRx110; id <= kMenuModelRx210T; ++id)
        EXPECT_EQ(ModelForMenuItem(id), 20 + id - kMenuModelRx110);
    EXPECT_FALSE(ModelForMenuItem(kMenuSpeedGps));
}

TEST(CommandStateTool, SpeedCheckMarkAndNormalisation) {
    CommandContext context;
    context.displaySpeed = 0;
    EXPECT_TRUE(MenuItemChecked(kMenuSpeedGps, context));
    EXPECT_FALSE(MenuItemChecked(kMenuSpeedPulse, context));
    context.displaySpeed = 1;
    EXPECT_FALSE(MenuItemChecked(kMenuSpeedGps, context));
    EXPECT_TRUE(MenuItemChecked(kMenuSpeedPulse, context));

    EXPECT_EQ(NormalizedDisplaySpeed(1), 1);
    EXPECT_EQ(NormalizedDisplaySpeed(0), 0);
    EXPECT_EQ(NormalizedDisplaySpeed(2), 0);
    EXPECT_EQ(NormalizedDisplaySpeed(-1), 0);
}

TEST(CommandStateTool, ExportAndBackupItems) {
    const std::vector<int> items = {kMenuSaveAvi, kMenuSaveJpeg, kMenuConvertKml, kMenuBackup};
    EXPECT_EQ(Grayed(items, CommandContext{}), items);

    CommandContext video = WithRecordings();
    EXPECT_EQ(Grayed(items, video), std::vector<int>{kMenuConvertKml});

    CommandContext logWithoutPicture = WithLogs();
    logWithoutPicture.hasPreviewPicture = false;
    EXPECT_EQ(Grayed(items, logWithoutPicture), (std::vector<int>{kMenuSaveAvi, kMenuSaveJpeg}));
    EXPECT_TRUE(Grayed(items, WithLogs()).empty());
    // Device setting and card initialisation are always offered.
    EXPECT_TRUE(MenuItemEnabled(kMenuDeviceSetting, CommandContext{}));
    EXPECT_TRUE(MenuItemEnabled(kMenuSdInitialize, CommandContext{}));
}

TEST(CommandStateVendor, HelpHomepageHiddenOnlyForVendor999) {
    EXPECT_TRUE(HelpShowsHomepage(0));
    EXPECT_TRUE(HelpShowsHomepage(1));
    EXPECT_TRUE(HelpShowsHomepage(2));
    EXPECT_FALSE(HelpShowsHomepage(999));
    EXPECT_NE(HomepageUrl(1), HomepageUrl(0));
    EXPECT_EQ(HomepageUrl(0), HomepageUrl(999));
    EXPECT_TRUE(HomepageUrl(1).starts_with("https://"));
}

TEST(CommandStateVendor, SpaceTogglesPlayExceptForVendor1) {
    CommandContext context;
    context.vendor = 0;
    context.playState = 1;
    EXPECT_EQ(PanelCommandForKey(kKeyPlayStop, context), kPlay);
    context.playState = 3;
    EXPECT_EQ(PanelCommandForKey(kKeyPlayStop, context), kPause);
    context.vendor = 1;
    EXPECT_EQ(PanelCommandForKey(kKeyPlayStop, context), 0);
}

TEST(CommandStateVendor, HelpMenuKeysDependOnVendor) {
    CommandContext context;
    context.vendor = 0;
    EXPECT_EQ(PanelCommandForKey(kKeyMenuHelp, context), kMenuHelp);
    EXPECT_EQ(PanelCommandForKey(kKeyMenuHelpVendor1, context), 0);
    context.vendor = 1;
    EXPECT_EQ(PanelCommandForKey(kKeyMenuHelp, context), 0);
    EXPECT_EQ(PanelCommandForKey(kKeyMenuHelpVendor1, context), kMenuHelp);
}

TEST(CommandStateVendor, PaneKeysDoNothingForVendor1) {
    CommandContext context;
    context.vendor = 1;
    EXPECT_EQ(PanelCommandForKey(kKeyEnlarge, context), 0);
    EXPECT_EQ(PanelCommandForKey(kKeyFullScreen, context), 0);
    context.vendor = 0;
    EXPECT_EQ(PanelCommandForKey(kKeyEnlarge, context), kKeyEnlarge);
    EXPECT_EQ(PanelCommandForKey(kKeyFullScreen, context), kKeyFullScreen);
}

TEST(CommandStateKeys, MenuKeysDropTheirMenusUnlessThePanelIsEnlarged) {
    CommandContext context;
    EXPECT_EQ(PanelCommandForKey(kKeyMenuFile, context), kMenuFile);
    EXPECT_EQ(PanelCommandForKey(kKeyMenuEdit, context), kMenuEdit);
    EXPECT_EQ(PanelCommandForKey(kKeyMenuView, context), kMenuView);
    EXPECT_EQ(PanelCommandForKey(kKeyMenuPlay, context), kMenuPlay);
    EXPECT_EQ(PanelCommandForKey(kKeyMenuTool, context), kMenuTool);
    context.panelEnlarged = true;
    for (int key : {kKeyMenuFile, kKeyMenuTool, kKeyMenuHelp, kKeyMenuHelpVendor1})
        EXPECT_EQ(PanelCommandForKey(key, context), 0) << key;
}

TEST(CommandStateKeys, KeysRunTheirPanelCommands) {
    const CommandContext context;
    const std::vector<std::pair<int, int>> expected = {
        {kKeyOpen, kOpen},
        {kKeyLoadEvent, kMenuLoadEvent},
        {kKeyLoadLog, kMenuLoadLog},
        {kKeyPrint, kPrintImage},
        {kKeyExit, kExit},
        {kKeySelectAll, kMenuSelectAll},
        {kKeyUnselectAll, kMenuUnselectAll},
        {kKeyPlay, kPlay},
        {kKeyStop, kPause},
        {kKeyFastPlay, kFastPlay},
        {kKeyReversePlay, kBackPlay},
        {kKeyFastReverse, kFastBackPlay},
        {kKeyPrevious, kPreviousFrame},
        {kKeyPrevFrame, kPreviousFrame},
        {kKeyNext, kNextFrame},
        {kKeyNextFrame, kNextFrame},
        {kKeyFront, kFrontView},
        {kKeyInterior, kInteriorView},
        {kKeySide, kSideView},
        {kKeyQuad, kQuad},
        {kKeyHelp, kKeyHelp},
        {12345, 0},
    };
    for (const auto& [key, command] : expected)
        EXPECT_EQ(PanelCommandForKey(key, context), command) << key;
}

TEST(CommandStateCommands, StopFirstOnlyForTheListedCommands) {
    for (int id :
         {kExit, kMenuExit, kOpen, kMenuSelectFolder, kSaveImage, kMenuSaveJpeg, kPrintImage,
          kMenuPrint, kSaveAvi, kMenuSaveAvi, kBackup, kMenuBackup, kSetup, kMenuDeviceSetting})
        EXPECT_TRUE(StopsPlaybackFirst(id)) << id;
    for (int id : {kAbout, kMinimize, kGoogleEarth, kMenuConvertKml, kMenuSdInitialize, kPlay,
                   kHomepage, kMenuFileList})
        EXPECT_FALSE(StopsPlaybackFirst(id)) << id;
}

TEST(CommandStateCommands, ButtonsAndPlayItemsMapToTheSameTransport) {
    const std::vector<std::tuple<int, int, TransportCommand>> pairs = {
        {kFastBackPlay, kMenuFastReverse, TransportCommand::FastReverse},
        {kPreviousFrame, kMenuPreviousFrame, TransportCommand::PrevFrame},
        {kBackPlay, kMenuReversePlay, TransportCommand::Reverse},
        {kPause, kMenuStop, TransportCommand::Stop},
        {kPlay, kMenuPlayPlay, TransportCommand::Play},
        {kNextFrame, kMenuNextFrame, TransportCommand::NextFrame},
        {kFastPlay, kMenuFastPlay, TransportCommand::FastPlay},
    };
    for (const auto& [button, item, command] : pairs) {
        EXPECT_EQ(TransportForCommand(button), command);
        EXPECT_EQ(TransportForCommand(item), command);
    }
    EXPECT_FALSE(TransportForCommand(kZoomIn));
}

TEST(CommandStateCommands, LayoutButtonGuards) {
    CommandContext nothing = WithFolder();
    EXPECT_FALSE(QuadButtonApplies(nothing));
    EXPECT_FALSE(ThumbnailButtonApplies(nothing));
    EXPECT_FALSE(ChannelButtonApplies(nothing));
    EXPECT_FALSE(GraphZoomApplies(nothing));

    CommandContext single = WithRecordings();
    single.layout = PaneLayout::Single;
    EXPECT_TRUE(QuadButtonApplies(single));
    EXPECT_TRUE(ThumbnailButtonApplies(single));
    single.layout = PaneLayout::Quad;
    EXPECT_FALSE(QuadButtonApplies(single));

    CommandContext memo = WithFolder();
    memo.loadedKind = 3;
    memo.layout = PaneLayout::Single;
    EXPECT_TRUE(QuadButtonApplies(memo));
    EXPECT_FALSE(ThumbnailButtonApplies(memo)); // a memo list loads no recording
    EXPECT_TRUE(ChannelButtonApplies(memo));

    CommandContext log = WithLogs();
    log.recordingCount = 1;
    EXPECT_FALSE(QuadButtonApplies(log));
    EXPECT_FALSE(ThumbnailButtonApplies(log));
    EXPECT_TRUE(GraphZoomApplies(WithLogs()));
}

TEST(CommandStateCommands, ChannelOfViewCommands) {
    EXPECT_EQ(ChannelForCommand(kFrontView), 0);
    EXPECT_EQ(ChannelForCommand(kInteriorView), 1);
    EXPECT_EQ(ChannelForCommand(kRearView), 2);
    EXPECT_EQ(ChannelForCommand(kSideView), 3);
    EXPECT_EQ(ChannelForCommand(kMenuSingleSide), 3);
    EXPECT_EQ(ChannelForCommand(kMenuSingleRear), 2);
    EXPECT_FALSE(ChannelForCommand(kQuad));
}
