// The short checks the catalogue makes of card files: can a file be opened and read at all, and
// is it too short to hold anything (then it is deleted). Each check opens the file once and reads
// its first bytes with one call; a file that passes stays open, so that what the lists show of it
// is read without opening it again.
#pragma once

#include "platform/MappedFile.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trevix {

// A card file opened for reading. The open never waits (a FIFO or device node in a card tree is
// refused rather than blocking), and only regular files are accepted.
//
// Reads of at most kWindowBytes that lie within the first or the last kWindowBytes of the file
// are served from a copy of that stretch, read with one call on the first such request: a check
// followed by a summary's few small reads at both ends of a file costs two reads.
class CardFile final : public RandomAccessBytes {
public:
    static constexpr std::size_t kWindowBytes = 256;

    CardFile() = default;
    explicit CardFile(const std::string& path) { Open(path); }
    ~CardFile() override;
    CardFile(const CardFile&) = delete;
    CardFile& operator=(const CardFile&) = delete;

    bool Open(const std::string& path);
    // Opens name inside the open folder folderFd (no path walk from the root).
    bool OpenIn(int folderFd, const std::string& name);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // The size found when the file was opened.
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    struct Window {
        std::uint64_t start = 0;
        std::size_t length = 0; // bytes read into it
        bool read = false;
        std::array<std::uint8_t, kWindowBytes> bytes{};
    };

    bool Accept(int fd);
    std::size_t ReadFromFile(std::uint64_t offset, std::span<std::uint8_t> out) const;
    std::size_t ReadFromWindow(Window& window, std::uint64_t start, std::uint64_t offset,
                               std::span<std::uint8_t> out) const;

    int fd_ = -1;
    std::uint64_t size_ = 0;
    mutable Window head_, tail_;
};

// Data files (.vdd, .aud, .log) shorter than this are deleted by the scan.
inline constexpr std::uint64_t kMinDataFileBytes = 30;
// Index files (.vdx) shorter than this are deleted by the scan; media files shorter than this
// are deleted by the crashed-file check.
inline constexpr std::uint64_t kMinIndexFileBytes = 10;

enum class FileCheck {
    Failed,       // cannot be opened or read: the file is skipped
    Passed,       // opened and one byte read
    Deleted,      // too short to hold anything; removed from the card
    TooShortKept, // too short to hold anything, but the removal failed (traced)
};

// Data file check of the scan: Failed when the file cannot be opened or its first byte cannot be
// read; Deleted (counted as passed, not listed) when it is shorter than 30 bytes and was removed,
// TooShortKept when such a file could not be removed (not listed either).
FileCheck CheckDataFile(const std::string& path);
// The same for a file the caller opened (or failed to open) as path; a file that passes stays
// open with its first bytes read, a removed one is closed.
FileCheck CheckDataFile(CardFile& file, const std::string& path);

// Index file check of the scan: an index that cannot be opened passes (the recording is read from
// its data file); one shorter than 10 bytes is removed (Deleted, or TooShortKept) and passes;
// otherwise it passes when one byte can be read. Only Failed fails the check.
FileCheck CheckIndexFile(const std::string& path);
FileCheck CheckIndexFile(CardFile& file, const std::string& path);

// The file names the crashed-file check deletes when they are too short: the recorder's video
// and audio data and index files (".vdd", ".vdx", ".add", ".adx" anywhere in the path).
bool IsRecorderMediaPath(std::string_view path);

enum class CrashCheck {
    Readable, // opened and read, or too short but not a media file (left alone)
    Damaged,  // cannot be opened, or a file of 10 bytes or more whose first byte cannot be read
    Deleted,  // a media file shorter than 10 bytes, removed (not damaged)
};

// Crashed-file check of one file. A short media file whose removal fails counts as Readable.
CrashCheck CheckCrashedFile(const std::string& path);

// Removes a file; false when it could not be removed (the failure is traced).
bool DeleteCardFile(const std::string& path);

} // namespace trevix
