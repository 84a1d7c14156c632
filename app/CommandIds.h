// The viewer's command identifiers: the main panel's buttons (the control identifier is the
// command it sends), the items of the six pull-down menus and the keys of the accelerator
// table, together with the tables that tie them to skin items, tool tips and menu texts.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace trevix::cmd {

// The main panel window.
inline constexpr int kMainBackPanelChildId = 0xE900;

// Panel buttons.
inline constexpr int kMinimize = 1001;
inline constexpr int kExit = 1002;
inline constexpr int kAbout = 1003;
inline constexpr int kOpen = 1004;
inline constexpr int kSaveImage = 1005;
inline constexpr int kPrintImage = 1006;
inline constexpr int kSaveAvi = 1007;
inline constexpr int kBackup = 1008;
inline constexpr int kSetup = 1009;
inline constexpr int kFastBackPlay = 1010;
inline constexpr int kPreviousFrame = 1011;
inline constexpr int kBackPlay = 1012;
inline constexpr int kPause = 1013;
inline constexpr int kPlay = 1014;
inline constexpr int kNextFrame = 1015;
inline constexpr int kFastPlay = 1016;
inline constexpr int kZoomIn = 1017;
inline constexpr int kZoomOut = 1018;
inline constexpr int kMenuFile = 1106;
inline constexpr int kMenuEdit = 1107;
inline constexpr int kMenuView = 1108;
inline constexpr int kMenuPlay = 1109;
inline constexpr int kMenuTool = 1110;
inline constexpr int kMenuHelp = 1111;
inline constexpr int kThumbnail = 1114;
inline constexpr int kQuad = 1119;
inline constexpr int kFrontView = 1120;
inline constexpr int kInteriorView = 1121;
inline constexpr int kSideView = 1122;
inline constexpr int kMute = 1123;
inline constexpr int kDefaultGraph = 1147;
inline constexpr int kHomepage = 1148;
inline constexpr int kGoogleEarth = 1149;
inline constexpr int kRearView = 1211;

// The file-list window's loaded-log list (shown only while a Log list is loaded).
inline constexpr int kLoadedLogList = 1157;

// Menu items.
inline constexpr int kMenuSelectFolder = 32775;
inline constexpr int kMenuLoadEvent = 32777;
inline constexpr int kMenuLoadLog = 32778;
inline constexpr int kMenuPrint = 32779;
inline constexpr int kMenuExit = 32780;
inline constexpr int kMenuSelectAll = 32781;
inline constexpr int kMenuUnselectAll = 32782;
inline constexpr int kMenuScale1 = 32786;
inline constexpr int kMenuScale2 = 32787;
inline constexpr int kMenuScale3 = 32788;
inline constexpr int kMenuThumbnail = 32790;
inline constexpr int kMenuPlayPlay = 32791;
inline constexpr int kMenuFastPlay = 32792;
inline constexpr int kMenuNextFrame = 32793;
inline constexpr int kMenuReversePlay = 32794;
inline constexpr int kMenuPreviousFrame = 32795;
inline constexpr int kMenuFastReverse = 32796;
inline constexpr int kMenuStop = 32797;
inline constexpr int kMenuDeviceSetting = 32798;
inline constexpr int kMenuSaveAvi = 32799;
inline constexpr int kMenuSaveJpeg = 32800;
inline constexpr int kMenuBackup = 32801;
inline constexpr int kMenuVersion = 32803;
inline constexpr int kMenuHomepage = 32804;
inline constexpr int kMenuScale4 = 32805;
inline constexpr int kMenuLoadNormal = 32824;
inline constexpr int kMenuSingleFront = 32825;
inline constexpr int kMenuSingleInterior = 32826;
inline constexpr int kMenuSingleRear = 32827;
inline constexpr int kMenuQuad = 32828;
inline constexpr int kMenuVolumeDown = 32829;
inline constexpr int kMenuVolumeUp = 32830;
inline constexpr int kMenuVolumeMute = 32831;
inline constexpr int kMenuFileList = 32842;
inline constexpr int kMenuConvertKml = 32843;
inline constexpr int kMenuSdInitialize = 32844;
inline constexpr int kMenuLoadMemo = 32858;
inline constexpr int kMenuSingleSide = 32866;
inline constexpr int kMenuModelRx110 = 32872;
inline constexpr int kMenuModelRx201 = 32873;
inline constexpr int kMenuModelRx200T = 32874;
inline constexpr int kMenuModelRx211 = 32875;
inline constexpr int kMenuModelRx210T = 32876;
inline constexpr int kMenuSpeedGps = 32878;
inline constexpr int kMenuSpeedPulse = 32879;

// Submenu entries carry these stand-in identifiers so that their graying has a name.
inline constexpr int kSubmenuLoad = -1;
inline constexpr int kSubmenuLayout = -2;
inline constexpr int kSubmenuSingle = -3;
inline constexpr int kSubmenuGSensor = -4;
inline constexpr int kSubmenuModel = -5;
inline constexpr int kSubmenuSpeed = -6;

// Keys of the accelerator table.
inline constexpr int kKeyPlayStop = 32771;        // Space
inline constexpr int kKeyPrevious = 32772;        // Left
inline constexpr int kKeyNext = 32773;            // Right
inline constexpr int kKeyOpen = 32806;            // Ctrl+O
inline constexpr int kKeyLoadLog = 32807;         // Ctrl+L
inline constexpr int kKeyPrint = 32808;           // Ctrl+P
inline constexpr int kKeyExit = 32809;            // Ctrl+Q
inline constexpr int kKeySelectAll = 32810;       // Ctrl+A
inline constexpr int kKeyUnselectAll = 32811;     // Ctrl+Shift+A
inline constexpr int kKeyFastPlay = 32814;        // Ctrl+Shift+F
inline constexpr int kKeyNextFrame = 32815;       // Ctrl+Shift+N
inline constexpr int kKeyReversePlay = 32816;     // Ctrl+B
inline constexpr int kKeyPrevFrame = 32817;       // Ctrl+Shift+P
inline constexpr int kKeyFastReverse = 32818;     // Ctrl+Shift+B
inline constexpr int kKeyStop = 32819;            // Ctrl+S
inline constexpr int kKeyHelp = 32820;            // F1
inline constexpr int kKeyLoadEvent = 32822;       // Ctrl+E
inline constexpr int kKeyMenuFile = 32835;        // Alt+F
inline constexpr int kKeyMenuEdit = 32836;        // Alt+E
inline constexpr int kKeyMenuView = 32837;        // Alt+V
inline constexpr int kKeyMenuPlay = 32838;        // Alt+P
inline constexpr int kKeyMenuTool = 32839;        // Alt+T
inline constexpr int kKeyMenuHelp = 32840;        // Alt+H (vendor other than 1)
inline constexpr int kKeyMenuHelpVendor1 = 32841; // Alt+I (vendor 1)
inline constexpr int kKeyPlay = 32849;            // Ctrl+F
inline constexpr int kKeyFront = 32850;           // Ctrl+1
inline constexpr int kKeyInterior = 32851;        // Ctrl+2
inline constexpr int kKeySide = 32852;            // Ctrl+3
inline constexpr int kKeyQuad = 32853;            // Ctrl+4
inline constexpr int kKeyEnlarge = 32855;         // Enter
inline constexpr int kKeyFullScreen = 32856;      // Alt+Enter

// Skin items of the panel that are not buttons.
inline constexpr int kSkinBackground = 0;
inline constexpr int kSkinPanePanel = 1;
inline constexpr int kSkinGSensor = 2;
inline constexpr int kSkinGpsMap = 3;
inline constexpr int kSkinFileList = 4;
inline constexpr int kSkinSpeedIndicator = 7;
inline constexpr int kSkinNoPicture = 42;
inline constexpr int kSkinMuteBox = 48;
inline constexpr int kSkinHiddenPicture = 54;

// One skinned button of the panel: its skin item, its command and its tool tip (section
// "ToolTip"; no tip when the key is empty).
struct PanelButton {
    int skinItem;
    int id;
    std::string_view tipKey;
    std::string_view tipDefault;
};

// In the order of the tool-tip table.
inline constexpr std::array<PanelButton, 34> kPanelButtons = {{
    {8, kAbout, "About", "About"},
    {9, kMinimize, "Minimize", "Minimize"},
    {10, kExit, "Exit", "Exit"},
    {11, kOpen, "Open", "Open"},
    {12, kSaveImage, "SaveImage", "Save image"},
    {13, kPrintImage, "PrintImage", "Print image"},
    {14, kSaveAvi, "SaveAvi", "Save AVI"},
    {15, kBackup, "Backup", "Backup"},
    {52, kGoogleEarth, "GoogleEarth", "Run Google Earth"},
    {16, kSetup, "Setting", "Setup"},
    {51, kHomepage, "", ""},
    {17, kFastBackPlay, "BackFast", "Fast back play"},
    {18, kPreviousFrame, "Previous", "Previous frame"},
    {19, kBackPlay, "BackPlay", "Back play"},
    {20, kPause, "Pause", "Pause"},
    {21, kPlay, "Play", "Play"},
    {22, kNextFrame, "Next", "Next frame"},
    {23, kFastPlay, "PlayFast", "Fast Play"},
    {24, kZoomIn, "ZoomIn", "Zoom in graph"},
    {25, kZoomOut, "ZoomOut", "Zoom out graph"},
    {49, kDefaultGraph, "Default", "Default graph"},
    {33, kMenuFile, "", ""},
    {34, kMenuEdit, "", ""},
    {35, kMenuView, "", ""},
    {36, kMenuPlay, "", ""},
    {37, kMenuTool, "", ""},
    {38, kMenuHelp, "", ""},
    {40, kQuad, "2x2View", "Quad View"},
    {41, kThumbnail, "4x4View", "4x4 View"},
    {45, kFrontView, "FrontView", "Front View"},
    {46, kInteriorView, "InteriorView", "Interior View"},
    {47, kSideView, "SideView", "Side View"},
    {55, kRearView, "RearView", "Rear View"},
    {48, kMute, "Mute", "Mute"},
}};

// The six pull-down menus, in the order of their buttons.
enum class PanelMenu { File, Edit, View, Play, Tool, Help };
inline constexpr int kMenuCount = 6;

// The menu button that drops a menu down, and the menu a button drops.
constexpr int MenuButtonId(PanelMenu menu) {
    return kMenuFile + static_cast<int>(menu);
}

enum class MenuEntryKind { Item, Submenu, Separator };

// One entry of a pull-down menu: depth 0 is the menu itself, a Submenu entry holds the deeper
// entries that follow it. Texts are looked up in section "PullDownMenu".
struct MenuEntry {
    int depth;
    MenuEntryKind kind;
    std::string_view key;
    std::string_view text;
    int id; // a stand-in (negative) for submenus, 0 for separators
};

namespace menu_detail {
using K = MenuEntryKind;
inline constexpr MenuEntry kFile[] = {
    {0, K::Item, "FileSelectFolder", "Select Data Folder(&O)", kMenuSelectFolder},
    {0, K::Submenu, "FileLoad", "Load", kSubmenuLoad},
    {1, K::Item, "FileLoadEvent", "Event(&E)", kMenuLoadEvent},
    {1, K::Item, "FileLoadNormal", "Normal(&N)", kMenuLoadNormal},
    {1, K::Item, "FileLoadMemo", "Memo(&M)", kMenuLoadMemo},
    {1, K::Item, "FileLoadLog", "Log(&L)", kMenuLoadLog},
    {0, K::Item, "FileList", "Display File List(&F)", kMenuFileList},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "FilePrint", "Print(&P)", kMenuPrint},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "FileExit", "Exit(&X)", kMenuExit},
};
inline constexpr MenuEntry kEdit[] = {
    {0, K::Item, "EditSelectAll", "Select All(&S)", kMenuSelectAll},
    {0, K::Item, "EditUnselectAll", "Unselect All(&U)", kMenuUnselectAll},
};
inline constexpr MenuEntry kView[] = {
    {0, K::Submenu, "ViewLayout", "Layout", kSubmenuLayout},
    {1, K::Submenu, "ViewLayoutSingle", "Single view(&S)", kSubmenuSingle},
    {2, K::Item, "ViewLayoutSingle1", "Front view(&F)", kMenuSingleFront},
    {2, K::Item, "ViewLayoutSingle2", "Interior view(&I)", kMenuSingleInterior},
    {2, K::Item, "ViewLayoutSingle4", "Side view(&I)", kMenuSingleSide},
    {2, K::Item, "ViewLayoutSingle3", "Rear view(&R)", kMenuSingleRear},
    {1, K::Item, "ViewLayoutThumb", "Thumbnail view(&D)", kMenuThumbnail},
    {1, K::Item, "ViewLayoutQuad", "Quad view(&Q)", kMenuQuad},
    {0, K::Submenu, "ViewGSgraph", "G-Sensor Graph", kSubmenuGSensor},
    {1, K::Item, "ViewGSgraphScale1", "Scale 1(&1)", kMenuScale1},
    {1, K::Item, "ViewGSgraphScale2", "Scale 2(&2)", kMenuScale2},
    {1, K::Item, "ViewGSgraphScale3", "Scale 3(&3)", kMenuScale3},
    {1, K::Item, "ViewGSgraphScale4", "Scale 4(&4)", kMenuScale4},
};
inline constexpr MenuEntry kPlay[] = {
    {0, K::Item, "PlayPlay", "Play(&Y)", kMenuPlayPlay},
    {0, K::Item, "PlayFastPlay", "Fast Play(&A)", kMenuFastPlay},
    {0, K::Item, "PlayNextFrame", "Next Frame(&N)", kMenuNextFrame},
    {0, K::Item, "PlayReversePlay", "Reverse Play(&B)", kMenuReversePlay},
    {0, K::Item, "PlayPreviousFrame", "Previous Frame(&P)", kMenuPreviousFrame},
    {0, K::Item, "PlayFastReverse", "Fast Reverse Play(&R)", kMenuFastReverse},
    {0, K::Item, "PlayStop", "Stop(&S)", kMenuStop},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "VolumeDown", "Volume Down(&-)", kMenuVolumeDown},
    {0, K::Item, "VolumeUp", "Volume Up(&+)", kMenuVolumeUp},
    {0, K::Item, "VolumeMute", "Mute(&M)", kMenuVolumeMute},
};
inline constexpr MenuEntry kTool[] = {
    {0, K::Submenu, "ToolModel", "Model Select(&M)", kSubmenuModel},
    {1, K::Item, "ToolModelRX110", "RX-110(&0)", kMenuModelRx110},
    {1, K::Item, "ToolModelRX201", "RX-201(&1)", kMenuModelRx201},
    {1, K::Item, "ToolModelRX200T", "RX-200T(&2)", kMenuModelRx200T},
    {1, K::Item, "ToolModelRX211", "RX-211(&3)", kMenuModelRx211},
    {1, K::Item, "ToolModelRX210T", "RX-210T(&4)", kMenuModelRx210T},
    {0, K::Submenu, "ToolSpeed", "Speed Select(&S)", kSubmenuSpeed},
    {1, K::Item, "ToolSpeedGPS", "GPS Speed(&G)", kMenuSpeedGps},
    {1, K::Item, "ToolSpeedPulse", "Car Pulse(&C)", kMenuSpeedPulse},
    {0, K::Item, "ToolSetting", "Device Setting(&D)", kMenuDeviceSetting},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "ToolSdInit", "SD Initialize(&S)", kMenuSdInitialize},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "ToolSaveAvi", "Save AVI(&T)", kMenuSaveAvi},
    {0, K::Item, "ToolSaveJpg", "Save Jpeg(&J)", kMenuSaveJpeg},
    {0, K::Item, "ToolConvertKml", "Run Google Earth(&L)", kMenuConvertKml},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "ToolBackup", "Backup(&B)", kMenuBackup},
};
inline constexpr MenuEntry kHelp[] = {
    {0, K::Item, "HelpVersion", "Version(&A)", kMenuVersion},
    {0, K::Separator, "", "", 0},
    {0, K::Item, "HelpHomepage", "Homepage(&U)", kMenuHomepage},
};
} // namespace menu_detail

// The entries of one menu as the resource holds them after the items that are always removed
// (the File menu's viewer-setting item and its separator, the Help menu's help-file item).
constexpr std::span<const MenuEntry> MenuEntries(PanelMenu menu) {
    switch (menu) {
    case PanelMenu::File:
        return menu_detail::kFile;
    case PanelMenu::Edit:
        return menu_detail::kEdit;
    case PanelMenu::View:
        return menu_detail::kView;
    case PanelMenu::Play:
        return menu_detail::kPlay;
    case PanelMenu::Tool:
        return menu_detail::kTool;
    case PanelMenu::Help:
        return menu_detail::kHelp;
    }
    return {};
}

// Section of the menu texts and the menu buttons' section-less names.
inline constexpr std::string_view kMenuSection = "PullDownMenu";
inline constexpr std::string_view kToolTipSection = "ToolTip";

} // namespace trevix::cmd
