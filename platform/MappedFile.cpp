#include "platform/MappedFile.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trevix {

std::size_t MemoryBytes::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset >= bytes_.size())
        return 0;
    const std::size_t count = std::min<std::uint64_t>(out.size(), bytes_.size() - offset);
    std::memcpy(out.data(), bytes_.data() + offset, count);
    return count;
}

bool BufferedReader::ReadExact(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (out.size() > kWindowSize)
        return source_.ReadExact(offset, out);
    const bool inWindow =
        offset >= windowStart_ && offset - windowStart_ + out.size() <= windowLength_;
    if (!inWindow) {
        window_.resize(kWindowSize);
        windowStart_ = offset;
        windowLength_ = source_.ReadAt(offset, window_);
        if (out.size() > windowLength_)
            return false;
    }
    std::memcpy(out.data(), window_.data() + (offset - windowStart_), out.size());
    return true;
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool ReadOnlyFile::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        Close();
        return false;
    }
    return true;
}

void ReadOnlyFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::uint64_t ReadOnlyFile::Size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
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

MappedFile::~MappedFile() {
    Close();
}

bool MappedFile::Open(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error_ = Error::Open;
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        error_ = Error::Size;
        return false;
    }
    if (info.st_size == 0) {
        ::close(fd);
        error_ = Error::Empty;
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* const address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd); // the mapping keeps the file
    if (address == MAP_FAILED) {
        error_ = Error::Map;
        return false;
    }
    data_ = static_cast<const std::uint8_t*>(address);
    size_ = size;
    error_ = Error::None;
    return true;
}

void MappedFile::Close() {
    if (data_ != nullptr)
        ::munmap(const_cast<std::uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

namespace {

thread_local sigjmp_buf* t_busGuard = nullptr;
struct sigaction g_previousBusAction {};
std::once_flag g_busHandlerInstalled;

void OnBusError(int signal, siginfo_t* info, void* context) {
    if (t_busGuard != nullptr)
        siglongjmp(*t_busGuard, 1);
    // Not one of ours: hand it to whoever handled it before, or die as the default would.
    if (g_previousBusAction.sa_flags & SA_SIGINFO) {
        if (g_previousBusAction.sa_sigaction != nullptr) {
            g_previousBusAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (g_previousBusAction.sa_handler != SIG_DFL &&
               g_previousBusAction.sa_handler != SIG_IGN) {
        g_previousBusAction.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
    ::raise(SIGBUS);
}

void InstallBusHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previousBusAction);
}

} // namespace

bool ReadMappingGuarded(void (*work)(void*), void* context) {
    std::call_once(g_busHandlerInstalled, InstallBusHandler);
    sigjmp_buf guard;
    sigjmp_buf* const outer = t_busGuard;
    if (sigsetjmp(guard, 1) != 0) {
        t_busGuard = outer;
        return false;
    }
    t_busGuard = &guard;
    work(context);
    t_busGuard = outer;
    return true;
}

} // namespace trevix
