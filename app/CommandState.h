// The rules of the main panel's command table that need no window: which menu items are grayed
// or checked at the moment a menu drops down, when a layout or graph command applies, which
// commands stop playback first, and which panel command a key of the accelerator table runs.
#pragma once

#include "app/CommandIds.h"

#include <optional>
#include <string_view>

namespace trevix {

enum class TransportCommand;

// The pane panel's layouts.
enum class PaneLayout { Quad = 1, Single = 2, Thumbnail = 3, Log = 4 };

// The state of the viewer the rules look at.
struct CommandContext {
    int loadedKind = 0; // 0 none, 1 event, 2 normal, 3 memo, 4 log
    int playState = 1;  // PlayState
    int vendor = 1;     // Vender setting
    int currentModel = 21;
    int displaySpeed = 0;
    bool rootPathEmpty = true;
    int recordingCount = 0; // loaded recordings
    int logFileCount = 0;   // loaded log files
    PaneLayout layout = PaneLayout::Quad;
    bool panelEnlarged = false;        // pane panel enlarged or full screen
    bool fileListShowsLoaded = false;  // the file-list window shows its loaded-recordings list
    bool soundOff = false;             // mute
    bool hasPreviewPicture = true;     // false only in the log layout without a picture
    bool loadedLogListVisible = false; // the file-list window's loaded-log list is shown

    bool RecordingsLoaded() const { return recordingCount > 0; }
    bool LogsLoaded() const { return logFileCount > 0; }
    bool MemoList() const;
    bool LogList() const;
};

// Graying of a menu item (or submenu entry) by its identifier; unknown identifiers are enabled.
bool MenuItemEnabled(int id, const CommandContext& context);
// Check mark of a menu item.
bool MenuItemChecked(int id, const CommandContext& context);
// The Help menu keeps its separator and Homepage except for vendor 999.
bool HelpShowsHomepage(int vendor);

// The model code written by a model item (32872 ... 32876 -> 20 ... 24), nullopt for others.
std::optional<int> ModelForMenuItem(int id);
// The model item that carries the check mark for a CurrentModel value.
int MenuItemForModel(int model);
// DisplaySpeed as the panel keeps it: 1 stays 1, every other value becomes 0.
int NormalizedDisplaySpeed(int displaySpeed);

// The commands that stop playback before their work.
bool StopsPlaybackFirst(int id);
// The transport command of a button or Play menu item.
std::optional<TransportCommand> TransportForCommand(int id);

// Layout and graph commands: whether they do anything in this state.
// Zoom in / out / default graph: recordings or log files loaded.
bool GraphZoomApplies(const CommandContext& context);
// Quad button (and Ctrl+4): a Memo list or recordings loaded, not a Log list, not quad already.
bool QuadButtonApplies(const CommandContext& context);
// 4x4 button: recordings loaded, not a Log list, not thumbnail already.
bool ThumbnailButtonApplies(const CommandContext& context);
// The Front / Interior / Side / Rear buttons outside a Log list: a Memo list or recordings.
bool ChannelButtonApplies(const CommandContext& context);
// The channel of a channel button or single-view item (Front 0, Interior 1, Rear 2, Side 3).
std::optional<int> ChannelForCommand(int id);

// The identifier is a key of the accelerator table.
bool IsAcceleratorKey(int id);

// The panel command a key of the accelerator table runs: 0 when the key does nothing in this
// state. Keys that belong to the pane panel (Enter, Alt+Enter) come back as themselves.
int PanelCommandForKey(int keyId, const CommandContext& context);

// The vendor's web-site address opened by the homepage command.
std::string_view HomepageUrl(int vendor);

} // namespace trevix
