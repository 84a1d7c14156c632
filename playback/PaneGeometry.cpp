#include "playback/PaneGeometry.h"

namespace trevix {

namespace {

constexpr int kQuadPanes = 4;
constexpr int kThumbnailColumns = 4;

// Column and row of the quad panes: Front and Interior on top, Side left and Rear right below.
struct QuadCell {
    int column;
    int row;
};
constexpr QuadCell kQuadCells[kQuadPanes] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

bool IsPane(int pane) {
    return pane >= 0 && pane < kPaneCount;
}

} // namespace

bool PaneVisible(PaneLayout layout, int pane, int channel) {
    if (!IsPane(pane))
        return false;
    switch (layout) {
    case PaneLayout::Quad:
        return pane < kQuadPanes;
    case PaneLayout::Single:
        return pane == channel;
    case PaneLayout::Thumbnail:
        return true;
    case PaneLayout::Log:
        return pane == 0;
    }
    return false;
}

QRect PaneRect(PaneLayout layout, int pane, int channel, QSize client) {
    if (!PaneVisible(layout, pane, channel))
        return {};
    const int width = client.width();
    const int height = client.height();
    switch (layout) {
    case PaneLayout::Quad: {
        const int w = (width - 4) / 2 - 1;
        const int h = (height - 4) / 2 - 1;
        const QuadCell cell = kQuadCells[pane];
        return {cell.column == 0 ? 2 : w + 4, cell.row == 0 ? 2 : h + 4, w, h};
    }
    case PaneLayout::Single:
        return {2, 2, width - 4, height - 4};
    case PaneLayout::Thumbnail: {
        const int w = (width - 8) / kThumbnailColumns;
        const int h = (height - 8) / kThumbnailColumns;
        const int row = pane / kThumbnailColumns;
        const int column = pane % kThumbnailColumns;
        return {1 + column * (w + 2), 1 + row * (h + 2), w, h};
    }
    case PaneLayout::Log:
        return {width - kLogPreviewWidth, 0, kLogPreviewWidth, kLogPreviewHeight};
    }
    return {};
}

std::optional<QRect> MovedPaneRect(PaneLayout layout, int pane, QSize client) {
    if (!IsPane(pane))
        return std::nullopt;
    const int width = client.width();
    const int height = client.height();
    switch (layout) {
    case PaneLayout::Quad: {
        if (pane >= kQuadPanes)
            return std::nullopt;
        const int w = (width - 4) / 2;
        const int h = (height - 4) / 2;
        return QRect((pane % 2) * (w + 2), (pane / 2) * (h + 2), w, h);
    }
    case PaneLayout::Single:
        return QRect(0, 0, width, height);
    case PaneLayout::Thumbnail: {
        const int w = (width - 8) / kThumbnailColumns;
        const int h = (height - 8) / kThumbnailColumns;
        return QRect((pane % kThumbnailColumns) * (w + 2), (pane / kThumbnailColumns) * (h + 2), w,
                     h);
    }
    case PaneLayout::Log:
        return std::nullopt;
    }
    return std::nullopt;
}

int MirrorChannel(PaneLayout layout, int pane, int channel, int logPreviewChannel) {
    switch (layout) {
    case PaneLayout::Thumbnail:
        return channel;
    case PaneLayout::Log:
        return logPreviewChannel;
    case PaneLayout::Quad:
    case PaneLayout::Single:
        break;
    }
    return pane >= 1 && pane <= 3 ? pane : 0;
}

} // namespace trevix
