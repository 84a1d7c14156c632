#include "catalogue/CardFileCheck.h"

#include "app/TraceLog.h"
#include "platform/CardPath.h"

#include <array>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trevix {

CardFile::~CardFile() {
    Close();
}

bool CardFile::Open(const std::string& path) {
    Close();
    // O_NONBLOCK keeps an open of a FIFO from waiting for a writer; regular files ignore it.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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
}

std::size_t CardFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (fd_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX))
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

FileCheck CheckDataFile(const std::string& path) {
    CardFile file(path);
    if (!file.IsOpen())
        return FileCheck::Failed;
    if (file.Size() < kMinDataFileBytes) {
        file.Close();
        return DeleteCardFile(path) ? FileCheck::Deleted : FileCheck::TooShortKept;
    }
    return ReadsFirstByte(file) ? FileCheck::Passed : FileCheck::Failed;
}

FileCheck CheckIndexFile(const std::string& path) {
    CardFile file(path);
    if (!file.IsOpen())
        return FileCheck::Passed;
    if (file.Size() < kMinIndexFileBytes) {
        file.Close();
        return DeleteCardFile(path) ? FileCheck::Deleted : FileCheck::TooShortKept;
    }
    return ReadsFirstByte(file) ? FileCheck::Passed : FileCheck::Failed;
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
