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
    return Accept(::open(path.c_str(), kOpenFlags));
}

bool CardFile::OpenIn(int folderFd, const std::string& name) {
    Close();
    return Accept(::openat(folderFd, name.c_str(), kOpenFlags));
}

bool CardFile::Accept(int fd) {
    fd_ = fd;
    if (fd_ < 0)
        return false;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        Close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

void CardFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
    head_.read = false;
    tail_.read = false;
}

std::size_t CardFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (fd_ < 0 || out.empty())
        return 0;
    if (out.size() <= kWindowBytes) {
        if (offset <= kWindowBytes - out.size())
            return ReadFromWindow(head_, 0, offset, out);
        if (size_ > kWindowBytes) {
            const std::uint64_t tailStart = size_ - kWindowBytes;
            if (offset >= tailStart && offset - tailStart <= kWindowBytes - out.size())
                return ReadFromWindow(tail_, tailStart, offset, out);
        }
    }
    return ReadFromFile(offset, out);
}

std::size_t CardFile::ReadFromWindow(Window& window, std::uint64_t start, std::uint64_t offset,
                                     std::span<std::uint8_t> out) const {
    if (!window.read) {
        window.start = start;
        window.length = ReadFromFile(start, window.bytes);
        window.read = true;
    }
    // A window read short ends where the file (or its readable part) ended.
    const std::uint64_t at = offset - window.start;
    if (at >= window.length)
        return 0;
    const std::size_t count = std::min(out.size(), window.length - static_cast<std::size_t>(at));
    std::memcpy(out.data(), window.bytes.data() + at, count);
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
        // A short read that reached the size found at the open is the end of the file; asking
        // again would only hear so.
        if (done < out.size() && offset + done >= size_)
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

namespace {

// The check shared by data and index files; whenUnopened is the result for a file that could not
// be opened.
FileCheck CheckOpenedFile(CardFile& file, const std::string& path, std::uint64_t minBytes,
                          FileCheck whenUnopened) {
    if (!file.IsOpen())
        return whenUnopened;
    if (file.Size() < minBytes) {
        file.Close();
        return DeleteCardFile(path) ? FileCheck::Deleted : FileCheck::TooShortKept;
    }
    return ReadsFirstByte(file) ? FileCheck::Passed : FileCheck::Failed;
}

} // namespace

FileCheck CheckDataFile(CardFile& file, const std::string& path) {
    return CheckOpenedFile(file, path, kMinDataFileBytes, FileCheck::Failed);
}

FileCheck CheckDataFile(const std::string& path) {
    CardFile file(path);
    return CheckDataFile(file, path);
}

FileCheck CheckIndexFile(CardFile& file, const std::string& path) {
    return CheckOpenedFile(file, path, kMinIndexFileBytes, FileCheck::Passed);
}

FileCheck CheckIndexFile(const std::string& path) {
    CardFile file(path);
    return CheckIndexFile(file, path);
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
