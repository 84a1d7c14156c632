// Where the sixteen video panes of the pane panel lie in each layout, which of them are shown,
// and which camera channel a pane's mirror setting belongs to.
#pragma once

#include "app/CommandState.h"

#include <QRect>
#include <QSize>

#include <optional>

namespace trevix {

inline constexpr int kPaneCount = 16;
// The pane that holds the current picture in the thumbnail layout (the eight before it precede).
inline constexpr int kThumbnailCurrentPane = kPaneCount / 2;
// The log layout's preview pane in the top-right corner.
inline constexpr int kLogPreviewWidth = 320;
inline constexpr int kLogPreviewHeight = 220;

// Whether pane (0-15) is shown in layout; channel is the single layout's channel.
bool PaneVisible(PaneLayout layout, int pane, int channel);

// The pane's rectangle in the panel's client area of size client; an empty rectangle for a
// pane the layout hides.
//   quad:      w = (W - 4) / 2 - 1, h = (H - 4) / 2 - 1; Front (2, 2), Interior (w + 4, 2),
//              Side (2, h + 4), Rear (w + 4, h + 4)
//   single:    the channel's pane at (2, 2), (W - 4) x (H - 4)
//   thumbnail: cells of (W - 8) / 4 x (H - 8) / 4, pane r * 4 + k at (1 + k (w + 2), 1 + r (h + 2))
//   log:       pane 0 at (W - 320, 0), 320 x 220
QRect PaneRect(PaneLayout layout, int pane, int channel, QSize client);

// The simpler rule applied when the panel is moved and the vendor is not 1: quad cells of
// (W - 4) / 2 x (H - 4) / 2 at x = 0 and w + 2, y = 0 and h + 2 in pane order; every pane the
// whole client area in the single layout; thumbnail cells of (W - 8) / 4 x (H - 8) / 4 at
// (k (w + 2), r (h + 2)). Nothing for the log layout and for panes the layout does not place.
std::optional<QRect> MovedPaneRect(PaneLayout layout, int pane, QSize client);

// The channel whose CamFlip setting the pane menu changes: the pane index for panes 1-3 (0 for
// any other pane) in the quad and single layouts, the panel's channel in the thumbnail layout,
// the log preview channel in the log layout.
int MirrorChannel(PaneLayout layout, int pane, int channel, int logPreviewChannel);

} // namespace trevix
