// What the file lists show of one recording file, read cheaply: the event type from the head of a
// video data file, the identities and the extended event code from its index trailer, the times
// of its first and last pictures; the identity and the covered time of a log file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace trevix {

class RandomAccessBytes;
class RecorderTimeCache;

struct VideoFileSummary {
    bool hasHead = false;         // the data file starts with a picture block
    std::uint8_t eventCode = 0;   // of the first block, else of the index trailer
    std::uint8_t eventCodeEx = 0; // extended event code of the index trailer
    std::string drid, sdid;       // recorder and card identity of the index trailer
    // Recorder milliseconds of the first and the last picture; empty without pictures.
    std::optional<std::int64_t> firstFrameMs, lastFrameMs;
};

// Reads the head of dataPath (.vdd) and the trailer, first and last record of its index. When the
// index is missing, damaged or does not hold whole records at both ends, the pair is read
// through the full index reader (which salvages or rebuilds from the data file).
VideoFileSummary ReadVideoSummary(const std::string& dataPath);
// The same from the pair already open: data, and index (null when there is none or it could not
// be opened). Only the full index reader opens files again. times converts the picture times.
VideoFileSummary SummariseVideo(const RandomAccessBytes& data, const RandomAccessBytes* index,
                                const std::string& dataPath, RecorderTimeCache& times);

// Event code of the head of a video data file: the first block's event code, or nothing when the
// file does not start with a picture block.
std::optional<std::uint8_t> ReadVideoHeadEventCode(const std::string& dataPath);
std::optional<std::uint8_t> VideoHeadEventCode(const RandomAccessBytes& data);

// The event code of an event list entry: an .edx marker's byte, else the head of the .vdd.
std::uint8_t EventTypeOfEventFile(const std::string& path);
// What the event list shows of an entry: an .edx marker's event code alone, else the video
// summary of the .vdd.
VideoFileSummary ReadEventFileSummary(const std::string& path);

struct LogIdentity {
    std::string recorderId; // "Recorder ID" column
    std::string cardId;     // "SD Card ID" column
};

// The identity of a log from its first line ("$MVDRL3,format,drid,sdid*..."); both empty when
// the file cannot be read or does not start with that line.
LogIdentity ReadLogIdentity(const std::string& path);
LogIdentity ParseLogIdentityLine(std::string_view firstLine);

// What the log list shows of a log: its identity and its duration, the seconds between its first
// and its last sample with a valid time (at most 3600; empty when it has no such sample).
struct LogFileSummary {
    LogIdentity identity;
    std::optional<int> durationSeconds;
};
LogFileSummary ReadLogSummary(const std::string& path);
// The same from the log already open, read whole once; times converts its sample times.
LogFileSummary SummariseLog(const RandomAccessBytes& log, RecorderTimeCache& times);
// The same from a log's text read whole (as far as the log loader reads it, not empty).
LogFileSummary SummariseLogText(std::span<const std::uint8_t> text, RecorderTimeCache& times);

} // namespace trevix
