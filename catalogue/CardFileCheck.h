// The short checks the catalogue makes of card files: can a file be opened and read at all, and
// is it too short to hold anything (then it is deleted). Each check opens the file once and reads
// its first bytes with one call; a file that passes stays open, so that what the lists show of it
// is read without opening it again.
#pragma once

#include "platform/MappedFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace trevix {

// A card file opened for reading. The open never waits (a FIFO or device node in a card tree is
// refused rather than blocking), and only regular files are accepted.
//
// Reads are served from copies of the file's bytes, each read with one call on the first request
// that needs it: a file of at most kWholeFileBytes (or the limit given to CopyWhole) whole, else
// its first and its last kWindowBytes for reads of at most kWindowBytes that lie within them. A
// check followed by a summary's few small reads at both ends of a file thus costs one or two
// reads.
class CardFile final : public RandomAccessBytes {
public:
    static constexpr std::size_t kWindowBytes = 256;
    static constexpr std::size_t kWholeFileBytes = 8192;

    // What a folder listing said of a file opened with OpenIn.
    enum class Listed {
        Unknown,        // the system is asked for its type and size
        Regular,        // a regular file; its size is the position of its end (a cheaper call)
        RegularUnsized, // the same, but its size is asked for only when it is needed
    };

    CardFile() = default;
    explicit CardFile(const std::string& path) { Open(path); }
    ~CardFile() override;
    CardFile(const CardFile&) = delete;
    CardFile& operator=(const CardFile&) = delete;

    bool Open(const std::string& path);
    // Opens name inside the open folder folderFd (no path walk from the root).
    bool OpenIn(int folderFd, const std::string& name, Listed listed = Listed::Unknown);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Whether the file holds fewer than bytes bytes. A file whose size is not known yet answers
    // from its first bytes when they reach that far. A file that turns out not to be a regular
    // file after all (put in place of the listed one) is closed.
    bool IsShorterThan(std::uint64_t bytes);

    // A file of at most limit bytes is copied whole on its first read; Whole() then gives it.
    void CopyWhole(std::uint64_t limit) { wholeLimit_ = std::max(wholeLimit_, limit); }
    // The whole file when it was copied whole; empty otherwise (and for an empty file).
    std::span<const std::uint8_t> Whole() const;

    // The size found when the file was opened, or when it was first needed.
    std::uint64_t Size() const override;
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    // A stretch of the file copied at the start of store.
    struct Copy {
        std::uint64_t start = 0;
        std::size_t length = 0; // bytes read into it
        bool read = false;
    };

    bool Accept(int fd, Listed listed);
    // Takes the size from the position of the file's end; false when it has none.
    bool LearnSize() const;
    std::size_t ReadFromFile(std::uint64_t offset, std::span<std::uint8_t> out) const;
    const Copy& Fill(Copy& copy, std::span<std::uint8_t> store, std::uint64_t start) const;
    static std::size_t ReadFromCopy(const Copy& copy, std::span<const std::uint8_t> store,
                                    std::uint64_t offset, std::span<std::uint8_t> out);
    std::span<std::uint8_t> WholeStore() const;

    int fd_ = -1;
    mutable bool sizeKnown_ = false;
    mutable std::uint64_t size_ = 0;
    std::uint64_t wholeLimit_ = kWholeFileBytes;
    mutable Copy whole_, head_, tail_;
    // The whole file, or the head window and then the tail window. Not cleared: only bytes read
    // into it are ever copied out.
    mutable std::array<std::uint8_t, kWholeFileBytes> bytes_;
    // A whole file beyond bytes_; not cleared either.
    mutable std::unique_ptr<std::uint8_t[]> large_;
    mutable std::size_t largeSize_ = 0;
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

// What a check's reads found of a file opened (or not) for it, before anything is deleted; a file
// found too short is closed. The scan may read on a helper thread and finish the check on its own.
enum class CheckReading {
    Unopened,   // not opened, or not a regular file after all
    TooShort,   // shorter than the check's minimum
    Unreadable, // its first byte cannot be read
    Readable,
};
CheckReading ReadForCheck(CardFile& file, std::uint64_t minBytes);
// The data and index checks finished from their readings: a file found too short is removed (as
// name in folder) now.
FileCheck FinishDataCheck(CheckReading reading, std::string_view folder, std::string_view name);
FileCheck FinishIndexCheck(CheckReading reading, std::string_view folder, std::string_view name);

// Data file check of the scan: Failed when the file cannot be opened or its first byte cannot be
// read; Deleted (counted as passed, not listed) when it is shorter than 30 bytes and was removed,
// TooShortKept when such a file could not be removed (not listed either).
FileCheck CheckDataFile(const std::string& path);
// The same for a file the caller opened (or failed to open) as name in folder; a file that
// passes stays open with its first bytes read, a removed one is closed.
FileCheck CheckDataFile(CardFile& file, std::string_view folder, std::string_view name);

// Index file check of the scan: an index that cannot be opened passes (the recording is read from
// its data file); one shorter than 10 bytes is removed (Deleted, or TooShortKept) and passes;
// otherwise it passes when one byte can be read. Only Failed fails the check.
FileCheck CheckIndexFile(const std::string& path);

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
