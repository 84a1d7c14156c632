#include "app/CommandState.h"

#include "catalogue/SearchViews.h"
#include "playback/MgrPlayControl.h"
#include "playback/PlayState.h"

namespace trevix {

using namespace cmd;

bool CommandContext::MemoList() const {
    return loadedKind == kLoadedMemo;
}

bool CommandContext::LogList() const {
    return loadedKind == kLoadedLog;
}

namespace {

bool FileItemEnabled(int id, const CommandContext& c) {
    switch (id) {
    case kSubmenuLoad:
    case kMenuLoadEvent:
    case kMenuLoadNormal:
    case kMenuLoadMemo:
    case kMenuLoadLog:
        return !c.rootPathEmpty;
    case kMenuFileList:
    case kMenuPrint:
        return c.RecordingsLoaded() || c.LogsLoaded() || c.MemoList();
    default:
        return true;
    }
}

bool ViewItemEnabled(int id, const CommandContext& c) {
    const bool layoutEntry = id == kSubmenuSingle || id == kMenuThumbnail || id == kMenuQuad;
    if (layoutEntry && (c.layout == PaneLayout::Log || !c.RecordingsLoaded()))
        return false;
    switch (id) {
    case kMenuQuad:
        return c.layout != PaneLayout::Quad;
    case kMenuThumbnail:
        return c.layout != PaneLayout::Thumbnail;
    case kMenuSingleFront:
    case kMenuSingleInterior:
    case kMenuSingleSide:
    case kMenuSingleRear:
        return c.RecordingsLoaded();
    case kMenuScale1:
    case kMenuScale2:
    case kMenuScale3:
    case kMenuScale4:
        return c.RecordingsLoaded() || c.LogsLoaded();
    default:
        return true;
    }
}

bool PlayItemEnabled(int id, const CommandContext& c) {
    const bool playOrStop = id == kMenuPlayPlay || id == kMenuStop;
    const bool runsClock =
        playOrStop || id == kMenuFastPlay || id == kMenuReversePlay || id == kMenuFastReverse;
    const bool transport = runsClock || id == kMenuNextFrame || id == kMenuPreviousFrame;
    if (!transport)
        return true;
    if (runsClock && c.layout == PaneLayout::Thumbnail)
        return false;
    if (!c.RecordingsLoaded() && !c.LogsLoaded())
        return c.MemoList() && playOrStop;
    return true;
}

bool ToolItemEnabled(int id, const CommandContext& c) {
    switch (id) {
    case kMenuSaveAvi:
    case kMenuSaveJpeg:
        return !c.rootPathEmpty && c.hasPreviewPicture;
    case kMenuConvertKml:
        return !c.rootPathEmpty && c.loadedLogListVisible;
    case kMenuBackup:
        return !c.rootPathEmpty;
    default:
        return true;
    }
}

} // namespace

bool MenuItemEnabled(int id, const CommandContext& context) {
    switch (id) {
    case kMenuSelectAll:
    case kMenuUnselectAll:
        return !context.rootPathEmpty && !context.fileListShowsLoaded;
    default:
        break;
    }
    return FileItemEnabled(id, context) && ViewItemEnabled(id, context) &&
           PlayItemEnabled(id, context) && ToolItemEnabled(id, context);
}

bool MenuItemChecked(int id, const CommandContext& context) {
    if (id == kMenuVolumeMute)
        return context.soundOff;
    if (ModelForMenuItem(id))
        return id == MenuItemForModel(context.currentModel);
    if (id == kMenuSpeedGps)
        return context.displaySpeed == 0;
    if (id == kMenuSpeedPulse)
        return context.displaySpeed != 0;
    return false;
}

bool HelpShowsHomepage(int vendor) {
    return vendor != 999;
}

std::optional<int> ModelForMenuItem(int id) {
    if (id < kMenuModelRx110 || id > kMenuModelRx210T)
        return std::nullopt;
    return 20 + (id - kMenuModelRx110);
}

int MenuItemForModel(int model) {
    if (model >= 21 && model <= 24)
        return kMenuModelRx110 + (model - 20);
    return kMenuModelRx110;
}

int NormalizedDisplaySpeed(int displaySpeed) {
    return displaySpeed == 1 ? 1 : 0;
}

bool StopsPlaybackFirst(int id) {
    switch (id) {
    case kExit:
    case kMenuExit:
    case kOpen:
    case kMenuSelectFolder:
    case kSaveImage:
    case kMenuSaveJpeg:
    case kPrintImage:
    case kMenuPrint:
    case kSaveAvi:
    case kMenuSaveAvi:
    case kBackup:
    case kMenuBackup:
    case kSetup:
    case kMenuDeviceSetting:
        return true;
    default:
        return false;
    }
}

std::optional<TransportCommand> TransportForCommand(int id) {
    switch (id) {
    case kFastBackPlay:
    case kMenuFastReverse:
        return TransportCommand::FastReverse;
    case kPreviousFrame:
    case kMenuPreviousFrame:
        return TransportCommand::PrevFrame;
    case kBackPlay:
    case kMenuReversePlay:
        return TransportCommand::Reverse;
    case kPause:
    case kMenuStop:
        return TransportCommand::Stop;
    case kPlay:
    case kMenuPlayPlay:
        return TransportCommand::Play;
    case kNextFrame:
    case kMenuNextFrame:
        return TransportCommand::NextFrame;
    case kFastPlay:
    case kMenuFastPlay:
        return TransportCommand::FastPlay;
    default:
        return std::nullopt;
    }
}

bool GraphZoomApplies(const CommandContext& context) {
    return context.RecordingsLoaded() || context.LogsLoaded();
}

bool QuadButtonApplies(const CommandContext& context) {
    return (context.MemoList() || context.RecordingsLoaded()) && !context.LogList() &&
           context.layout != PaneLayout::Quad;
}

bool ThumbnailButtonApplies(const CommandContext& context) {
    return context.RecordingsLoaded() && !context.LogList() &&
           context.layout != PaneLayout::Thumbnail;
}

bool ChannelButtonApplies(const CommandContext& context) {
    return context.MemoList() || context.RecordingsLoaded();
}

std::optional<int> ChannelForCommand(int id) {
    switch (id) {
    case kFrontView:
    case kMenuSingleFront:
        return 0;
    case kInteriorView:
    case kMenuSingleInterior:
        return 1;
    case kRearView:
    case kMenuSingleRear:
        return 2;
    case kSideView:
    case kMenuSingleSide:
        return 3;
    default:
        return std::nullopt;
    }
}

bool IsAcceleratorKey(int id) {
    switch (id) {
    case kKeyPlayStop:
    case kKeyPrevious:
    case kKeyNext:
    case kKeyOpen:
    case kKeyLoadLog:
    case kKeyPrint:
    case kKeyExit:
    case kKeySelectAll:
    case kKeyUnselectAll:
    case kKeyFastPlay:
    case kKeyNextFrame:
    case kKeyReversePlay:
    case kKeyPrevFrame:
    case kKeyFastReverse:
    case kKeyStop:
    case kKeyHelp:
    case kKeyLoadEvent:
    case kKeyMenuFile:
    case kKeyMenuEdit:
    case kKeyMenuView:
    case kKeyMenuPlay:
    case kKeyMenuTool:
    case kKeyMenuHelp:
    case kKeyMenuHelpVendor1:
    case kKeyPlay:
    case kKeyFront:
    case kKeyInterior:
    case kKeySide:
    case kKeyQuad:
    case kKeyEnlarge:
    case kKeyFullScreen:
        return true;
    default:
        return false;
    }
}

int PanelCommandForKey(int keyId, const CommandContext& context) {
    const bool vendor1 = context.vendor == 1;
    switch (keyId) {
    case kKeyOpen:
        return kOpen;
    case kKeyLoadEvent:
        return kMenuLoadEvent;
    case kKeyLoadLog:
        return kMenuLoadLog;
    case kKeyPrint:
        return kPrintImage;
    case kKeyExit:
        return kExit;
    case kKeySelectAll:
        return kMenuSelectAll;
    case kKeyUnselectAll:
        return kMenuUnselectAll;
    case kKeyPlayStop:
        if (vendor1)
            return 0;
        return context.playState == kPlayStopped ? kPlay : kPause;
    case kKeyPlay:
        return kPlay;
    case kKeyStop:
        return kPause;
    case kKeyFastPlay:
        return kFastPlay;
    case kKeyReversePlay:
        return kBackPlay;
    case kKeyFastReverse:
        return kFastBackPlay;
    case kKeyPrevious:
    case kKeyPrevFrame:
        return kPreviousFrame;
    case kKeyNext:
    case kKeyNextFrame:
        return kNextFrame;
    case kKeyFront:
        return kFrontView;
    case kKeyInterior:
        return kInteriorView;
    case kKeySide:
        return kSideView;
    case kKeyQuad:
        return kQuad;
    case kKeyEnlarge:
    case kKeyFullScreen:
        return vendor1 ? 0 : keyId;
    case kKeyMenuFile:
    case kKeyMenuEdit:
    case kKeyMenuView:
    case kKeyMenuPlay:
    case kKeyMenuTool:
        return context.panelEnlarged ? 0 : kMenuFile + (keyId - kKeyMenuFile);
    case kKeyMenuHelp:
        return context.panelEnlarged || vendor1 ? 0 : kMenuHelp;
    case kKeyMenuHelpVendor1:
        return context.panelEnlarged || !vendor1 ? 0 : kMenuHelp;
    case kKeyHelp:
        return kKeyHelp;
    default:
        return 0;
    }
}

std::string_view HomepageUrl(int vendor) {
    return vendor == 1 ? "https://www.trevix.example/" : "https://global.trevix.example/";
}

} // namespace trevix
