#include "catalogue/CardFileCheck.h"

#include "app/TraceLog.h"
#include "platform/CardPath.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trevix {

CardFile::~CardFile() {
    Close();
}

namespace {

// O_NONBLOCK keeps an open of a FIFO from waiting for a writer; regular files ignore it.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

} // namespace

bool CardFile::Open(const std::string& path) {
    Close();
    return Accept(::open(path.c_str(), kOpenFlags), Listed::Unknown);
}

bool CardFile::OpenIn(int folderFd, const std::string& name, Listed listed) {
    Close();
    return Accept(::openat(folderFd, name.c_str(), kOpenFlags), listed);
}

bool CardFile::Accept(int fd, Listed listed) {
    fd_ = fd;
    if (fd_ < 0)
        return false;
    bool regular = true;
    switch (listed) {
    case Listed::Unknown: {
        struct stat info {};
        regular = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0;
        size_ = regular ? static_cast<std::uint64_t>(info.st_size) : 0;
        sizeKnown_ = true;
        break;
    }
    case Listed::Regular:
        // A FIFO or the like put in place of the listed file since has no end to find.
        regular = LearnSize();
        break;
    case Listed::RegularUnsized:
        break;
    }
    if (!regular)
        Close();
    return regular;
}

bool CardFile::LearnSize() const {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    size_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
    sizeKnown_ = true;
    return end >= 0;
}

void CardFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    sizeKnown_ = false;
    size_ = 0;
    wholeLimit_ = kWholeFileBytes;
    whole_.read = false;
    head_.read = false;
    tail_.read = false;
    large_.reset();
    largeSize_ = 0;
}

std::uint64_t CardFile::Size() const {
    if (!sizeKnown_ && fd_ >= 0)
        LearnSize();
    return size_;
}

bool CardFile::IsShorterThan(std::uint64_t bytes) {
    if (fd_ < 0)
        return false;
    if (!sizeKnown_) {
        // The first bytes are read anyway; when they reach far enough the size is not needed.
        if (bytes <= kWindowBytes &&
            Fill(head_, std::span(bytes_).first(kWindowBytes), 0).length >= bytes)
            return false;
        if (!LearnSize()) {
            Close();
            return false;
        }
    }
    return size_ < bytes;
}

std::span<std::uint8_t> CardFile::WholeStore() const {
    const auto size = static_cast<std::size_t>(size_);
    if (size <= kWholeFileBytes)
        return std::span(bytes_).first(size);
    if (largeSize_ != size) {
        large_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        largeSize_ = size;
    }
    return {large_.get(), size};
}

std::span<const std::uint8_t> CardFile::Whole() const {
    if (!whole_.read || whole_.length != size_)
        return {};
    return std::span<const std::uint8_t>(WholeStore()).first(whole_.length);
}

std::size_t CardFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (fd_ < 0 || out.empty())
        return 0;
    // Whole unless a window was read before (when the size was not known yet).
    if (whole_.read || (!head_.read && !tail_.read && Size() <= wholeLimit_)) {
        const std::span<std::uint8_t> store = WholeStore();
        return ReadFromCopy(Fill(whole_, store, 0), store, offset, out);
    }
    if (out.size() <= kWindowBytes) {
        const std::span<std::uint8_t> head = std::span(bytes_).first(kWindowBytes);
        const std::span<std::uint8_t> tail = std::span(bytes_).subspan(kWindowBytes, kWindowBytes);
        if (offset <= kWindowBytes - out.size())
            return ReadFromCopy(Fill(head_, head, 0), head, offset, out);
        if (Size() > kWindowBytes) {
            const std::uint64_t tailStart = size_ - kWindowBytes;
            if (offset >= tailStart && offset - tailStart <= kWindowBytes - out.size())
                return ReadFromCopy(Fill(tail_, tail, tailStart), tail, offset, out);
        }
    }
    return ReadFromFile(offset, out);
}

const CardFile::Copy& CardFile::Fill(Copy& copy, std::span<std::uint8_t> store,
                                     std::uint64_t start) const {
    if (!copy.read) {
        copy.start = start;
        copy.length = ReadFromFile(start, store);
        copy.read = true;
    }
    return copy;
}

std::size_t CardFile::ReadFromCopy(const Copy& copy, std::span<const std::uint8_t> store,
                                   std::uint64_t offset, std::span<std::uint8_t> out) {
    // A copy read short ends where the file (or its readable part) ended.
    if (offset < copy.start || offset - copy.start >= copy.length)
        return 0;
    const auto at = static_cast<std::size_t>(offset - copy.start);
    const std::size_t count = std::min(out.size(), copy.length - at);
    std::memcpy(out.data(), store.data() + at, count);
    return count;
}

std::size_t CardFile::ReadFromFile(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > static_cast<std::uint64_t>(INT64_MAX))
        return 0;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
        // A short read that reached the file's known size is its end; asking again would only
        // hear so.
        if (done < out.size() && sizeKnown_ && offset + done >= size_)
            break;
    }
    return done;
}

namespace {

bool ReadsFirstByte(const CardFile& file) {
    std::array<std::uint8_t, 1> byte{};
    return file.ReadAt(0, byte) == 1;
}

} // namespace

bool DeleteCardFile(const std::string& path) {
    if (std::remove(path.c_str()) == 0)
        return true;
    TRACE("Fail to delete %s", path.c_str());
    return false;
}

CheckReading ReadForCheck(CardFile& file, std::uint64_t minBytes) {
    if (!file.IsOpen())
        return CheckReading::Unopened;
    const bool tooShort = file.IsShorterThan(minBytes);
    if (!file.IsOpen()) // not a regular file after all
        return CheckReading::Unopened;
    if (tooShort) {
        file.Close();
        return CheckReading::TooShort;
    }
    return ReadsFirstByte(file) ? CheckReading::Readable : CheckReading::Unreadable;
}

namespace {

// The end shared by both checks; whenUnopened is the result for a file that could not be opened.
FileCheck FinishCheck(CheckReading reading, FileCheck whenUnopened, const std::string& path) {
    switch (reading) {
    case CheckReading::Unopened:
        return whenUnopened;
    case CheckReading::TooShort:
        return DeleteCardFile(path) ? FileCheck::Deleted : FileCheck::TooShortKept;
    case CheckReading::Unreadable:
        return FileCheck::Failed;
    case CheckReading::Readable:
        break;
    }
    return FileCheck::Passed;
}

// The same for name in folder, whose path is made only for a removal.
FileCheck FinishCheckIn(CheckReading reading, FileCheck whenUnopened, std::string_view folder,
                        std::string_view name) {
    return FinishCheck(reading, whenUnopened,
                       reading == CheckReading::TooShort ? JoinCardPath(folder, name) : "");
}

} // namespace

FileCheck FinishDataCheck(CheckReading reading, std::string_view folder, std::string_view name) {
    return FinishCheckIn(reading, FileCheck::Failed, folder, name);
}

FileCheck FinishIndexCheck(CheckReading reading, std::string_view folder, std::string_view name) {
    return FinishCheckIn(reading, FileCheck::Passed, folder, name);
}

FileCheck CheckDataFile(CardFile& file, std::string_view folder, std::string_view name) {
    return FinishDataCheck(ReadForCheck(file, kMinDataFileBytes), folder, name);
}

FileCheck CheckDataFile(const std::string& path) {
    CardFile file(path);
    return FinishCheck(ReadForCheck(file, kMinDataFileBytes), FileCheck::Failed, path);
}

FileCheck CheckIndexFile(const std::string& path) {
    CardFile file(path);
    return FinishCheck(ReadForCheck(file, kMinIndexFileBytes), FileCheck::Passed, path);
}

bool IsRecorderMediaPath(std::string_view path) {
    for (const std::string_view extension : {".vdd", ".vdx", ".add", ".adx"})
        if (FindNoCase(path, extension) != std::string_view::npos)
            return true;
    return false;
}

CrashCheck CheckCrashedFile(const std::string& path) {
    CardFile file(path);
    if (!file.IsOpen())
        return CrashCheck::Damaged;
    if (file.Size() >= kMinIndexFileBytes)
        return ReadsFirstByte(file) ? CrashCheck::Readable : CrashCheck::Damaged;
    file.Close();
    if (IsRecorderMediaPath(path) && DeleteCardFile(path))
        return CrashCheck::Deleted;
    return CrashCheck::Readable;
}

} // namespace trevix
