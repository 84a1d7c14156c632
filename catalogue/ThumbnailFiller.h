// Fills the thumbnail layout's panes with consecutive pictures of one channel of the current
// recording: up to half the panes of pictures before the channel's current picture (across
// its files), the current picture, and the pictures after it. The channel's cursor is not
// moved; blocks are read through files of their own.
#pragma once

#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"
#include "playback/PaneGeometry.h"
#include "recorder/DriveRecChannel.h"
#include "recorder/PaneFrame.h"

#include <optional>
#include <string>

namespace trevix {

// The thumbnail panes: pictures through SetFrame in pane order, and the pane that holds the
// current picture (set before the pictures arrive).
class IThumbnailPanes : public IPaneView {
public:
    virtual void SetThumbCurrent(int pane) = 0;
};

class CThumbnailFiller {
public:
    explicit CThumbnailFiller(std::string mpeg4Library = kXvidLibraryFile);

    struct Result {
        int currentPane = -1; // the pane with the channel's current picture; -1 without one
        int shown = 0;        // panes that received a picture
    };

    // With P = paneCount panes: walks back from the channel's current picture over at most
    // P / 2 pictures, clears the leading panes no earlier picture exists for, then decodes the
    // pictures from the point reached, one per pane, until the panes are full or the channel
    // ends; the panes after the channel's end are cleared too. A predicted MPEG-4 picture is
    // preceded by the pictures from the nearest earlier intra picture of its file, decoded
    // without being shown. A picture that cannot be read or decoded leaves its pane empty.
    Result Fill(const CDriveRecChannel& channel, int recordingIndex, const PictureOptions& options,
                IThumbnailPanes& panes, int paneCount = kPaneCount);

private:
    struct Position {
        int file = -1;
        int frame = -1;
    };
    static std::optional<Position> Previous(const CDriveRecChannel& channel, Position at);
    static std::optional<Position> Next(const CDriveRecChannel& channel, Position at);

    // The decoded picture of the record at a position; empty when it cannot be decoded.
    DecodedFrame Decode(const CDriveRecChannel& channel, Position at,
                        const PictureOptions& options);
    bool DecodeMpeg4(const CDriveRecChannel& channel, Position at, const PictureOptions& options);

    CCodecMpeg4 mpeg4_;
    CCodecJpg jpeg_;
    // The MPEG-4 picture the decoder last decoded (its reference for the next one).
    Position mpeg4Last_;
    bool mpeg4Valid_ = false;
};

} // namespace trevix
