// What a recording hands to a video pane for one picture, and the pane side that receives it.
#pragma once

#include "recorder/FrameInfo.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace trevix {

// One picture for one pane, passed by value. pixels point into the decoder's picture (24-bit
// BGR, top row first, width * 3 bytes per row) and stay valid only during the call; a pane
// that keeps the picture copies it. Empty pixels clear the pane.
struct PaneFrame {
    int pane = 0;
    std::span<const std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    std::uint8_t eventCode = 0;
    std::uint8_t frameType = 1;
    int frameSize = 0;
    int recordingIndex = 0;
    int frameIndex = -1;
    int frameCount = 0;
    int fileIndex = -1;
    float gX = 0.0f;
    float gY = 0.0f;
    float gZ = 0.0f;
    std::uint8_t aux = 0;
    std::uint16_t speedRaw = 0;
    std::uint8_t flags = 0;
    std::array<std::uint8_t, 7> reserved{}; // carried unchanged
    std::string fileName;
    SYSTEMTIME time;
    GPSINFO gps;

    bool HasPicture() const { return !pixels.empty() && width > 0 && height > 0; }
};

// The empty record a pane is cleared with.
inline PaneFrame EmptyPaneFrame(int pane) {
    PaneFrame frame;
    frame.pane = pane;
    return frame;
}

// The fields of a picture record a pane shows (codes, type, size, G values, car signals, raw
// speed, flags, time and GPS block); pixels, size, indices and file name are the caller's.
inline void CopyRecordFields(const FRAMEINFOVIDEO& record, PaneFrame& frame) {
    frame.eventCode = record.byEventCode;
    frame.frameType = record.byType;
    frame.frameSize = static_cast<int>(record.dwSize);
    frame.gX = record.fGx;
    frame.gY = record.fGy;
    frame.gZ = record.fGz;
    frame.aux = record.byAux;
    frame.speedRaw = record.wSpeedRaw;
    frame.flags = record.byFlags;
    frame.time = record.stTime;
    frame.gps = record.gps;
}

// The video panes as the recording sees them. Pane index = channel in the quad and single
// layouts. Called on the thread that steps the recording.
class IPaneView {
public:
    virtual ~IPaneView() = default;
    // A picture (or, with empty pixels, a cleared pane) with the picture's extended event code
    // and recording phase.
    virtual void SetFrame(std::uint8_t eventCodeEx, std::uint8_t phase, const PaneFrame& frame) = 0;
    // Every pane draws again what it holds.
    virtual void RepaintAll() = 0;
};

} // namespace trevix
