// The on-screen display of a video pane as plain data: which texts are drawn over the picture,
// where (anchor point and alignment in the pane's client area), in which shared UI font and
// colour. The windows only draw what this computes.
#pragma once

#include "app/CommandState.h"
#include "recorder/PaneFrame.h"

#include <QColor>
#include <QSize>

#include <cstdint>
#include <string>
#include <vector>

namespace trevix {

// What a pane keeps of the last PaneFrame it was given (the picture itself aside), with the two
// values that travel beside it.
struct PaneStatus {
    PaneFrame frame; // pixels always empty here
    std::uint8_t eventCodeEx = 0;
    std::uint8_t phase = 0;
};

// Recording phases of a picture record.
inline constexpr std::uint8_t kPhaseNormal = 1;
inline constexpr std::uint8_t kPhasePre = 2;
inline constexpr std::uint8_t kPhasePost = 3;

// Picture flags of a record: bit 0 the picture is hidden (placeholder), bit 1 the event border.
inline constexpr std::uint8_t kFlagHiddenPicture = 0x01;
inline constexpr std::uint8_t kFlagEventBorder = 0x02;

inline constexpr QColor kOsdTextColour{200, 200, 200};
inline constexpr QColor kOsdCurrentThumbColour{255, 255, 0};
// The yellow line along the bottom edge of the thumbnail pane with the current picture.
inline constexpr int kCurrentThumbLineWidth = 6;

// Font, margin m, line step s and value column v of a layout.
struct OsdStyle {
    int fontIndex = 2;
    int margin = 5;
    int lineStep = 14;
    int valueColumn = 50;
};
OsdStyle OsdStyleFor(PaneLayout layout);

// How a text lies on its anchor point: left or right edge, and top edge or baseline.
enum class OsdAnchor { LeftTop, RightTop, LeftBaseline, RightBaseline };

struct OsdText {
    std::string text;
    int x = 0;
    int y = 0;
    OsdAnchor anchor = OsdAnchor::LeftTop;
};

// What the pane's OSD depends on besides its status.
struct OsdContext {
    PaneLayout layout = PaneLayout::Quad;
    int pane = 0;
    int channel = 0;           // the panel's channel (single and thumbnail layouts)
    int logPreviewChannel = 0; // the channel of the log layout's preview picture
    int thumbCurrent = -1;     // the thumbnail pane with the current picture
    bool memoLoaded = false;   // a Memo list is loaded
    bool debug = false;        // the "/debug" command line
    bool accelerated = false;  // the OpenGL display path draws this pane
    int speedKmh = 0;          // the picture's raw speed by the card's car-pulse rule
};

struct OsdPlan {
    OsdStyle style;
    QColor colour = kOsdTextColour;
    std::vector<OsdText> texts;
};

// The camera name of the pane's channel ("FrontView" ... "SideView" of section "GUI"); empty
// for channels outside 0-3.
std::string OsdCameraName(const OsdContext& context);

// The top-right text: the bracketed phase label ("RecNormal" "NOR", "RecPre" "PRE", "RecPost"
// "POST", "RecMemo" "MEMO" for other phases), after the event name outside the normal phase
// (the extended event name for codes 0x20 and 0x40, not in the thumbnail layout); the memo
// label alone when a Memo list is loaded.
std::string OsdPhaseText(const PaneStatus& status, PaneLayout layout, bool memoLoaded);

// "%d.%.2d.%.2d  %.2d:%.2d:%.2d .%.2d" with hundredths of a second (truncated).
std::string OsdTimeStamp(const SYSTEMTIME& time);

// "J", "I", "P", "Pk" for frame types 1-4, "?" otherwise.
std::string FrameTypeLetter(std::uint8_t frameType);

// Every text of the OSD of a pane of client size with status; the colour is yellow for the
// thumbnail layout's current pane.
OsdPlan BuildOsd(const PaneStatus& status, const OsdContext& context, QSize client);

} // namespace trevix
