// tracewin: the listener of the viewer's trace channel. Binds the trace socket, prints every
// received record as one line and removes the socket again when it ends.
#include "app/TraceLog.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr const char* kHelp =
    "usage: tracewin [--socket PATH] [--count N]\n"
    "\n"
    "Receives the trace records of the Trevix viewer and prints each as one line:\n"
    "\n"
    "  APPLICATION<TAB>LOCATION<TAB>MESSAGE\n"
    "\n"
    "the three fields separated by one tab each, for example (tabs shown as spaces):\n"
    "\n"
    "  Trevix  700 line in ./MgrDBSearch.cpp  Scan done\n"
    "\n"
    "Line breaks and tabs inside a field are printed as \\n, \\r and \\t. A datagram of\n"
    "another size than 12292 bytes is reported on standard error and skipped.\n"
    "\n"
    "  --socket PATH  bind PATH instead of the viewer's trace socket\n"
    "                 ($XDG_RUNTIME_DIR/trevix-trace.sock, or /tmp/trevix-trace-UID.sock)\n"
    "  --count N      end after N records\n"
    "\n"
    "A socket file left behind by a listener that is gone is removed first; when another\n"
    "listener is still bound the program ends with exit code 1. The socket is removed on exit,\n"
    "SIGINT and SIGTERM.\n";

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A socket file nobody is bound to any more (a connect is refused).
bool IsStaleSocket(const std::string& path) {
    sockaddr_un address{};
    if (!FillAddress(path, address))
        return false;
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool refused =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

// The bound datagram socket; removes its file on destruction when the file is still its own.
class BoundSocket {
public:
    static std::optional<BoundSocket> Bind(const std::string& path) {
        sockaddr_un address{};
        if (!FillAddress(path, address)) {
            std::fprintf(stderr, "tracewin: socket path too long: %s\n", path.c_str());
            return std::nullopt;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            if (!S_ISSOCK(info.st_mode)) {
                std::fprintf(stderr, "tracewin: %s exists and is not a socket\n", path.c_str());
                return std::nullopt;
            }
            if (!IsStaleSocket(path)) {
                std::fprintf(stderr, "tracewin: another listener is bound to %s\n", path.c_str());
                return std::nullopt;
            }
            ::unlink(path.c_str());
        }
        BoundSocket socket;
        socket.fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (socket.fd_ < 0 ||
            ::bind(socket.fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::lstat(path.c_str(), &info) != 0) {
            std::fprintf(stderr, "tracewin: cannot bind %s: %s\n", path.c_str(),
                         std::strerror(errno));
            return std::nullopt;
        }
        ::chmod(path.c_str(), 0600); // only this user's programs may send
        socket.path_ = path;
        socket.device_ = info.st_dev;
        socket.inode_ = info.st_ino;
        return socket;
    }

    BoundSocket(BoundSocket&& other) noexcept
        : fd_(other.fd_), path_(std::move(other.path_)), device_(other.device_),
          inode_(other.inode_) {
        other.fd_ = -1;
        other.path_.clear();
    }
    BoundSocket& operator=(BoundSocket&&) = delete;
    BoundSocket(const BoundSocket&) = delete;
    BoundSocket& operator=(const BoundSocket&) = delete;

    ~BoundSocket() {
        struct stat info {};
        if (!path_.empty() && ::lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ &&
            info.st_ino == inode_)
            ::unlink(path_.c_str());
        if (fd_ >= 0)
            ::close(fd_);
    }

    int Fd() const { return fd_; }

private:
    BoundSocket() = default;

    int fd_ = -1;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void PrintRecord(const trevix::trace::Record& record) {
    const trevix::trace::DecodedRecord decoded = trevix::trace::DecodeRecord(record);
    std::printf("%s\t%s\t%s\n", Escaped(decoded.appName).c_str(), Escaped(decoded.location).c_str(),
                Escaped(decoded.message).c_str());
    std::fflush(stdout);
}

std::optional<long> ParseCount(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1)
        return std::nullopt;
    return value;
}

// Receives until stopped or count records were printed; the stop signals are blocked except
// while waiting, so a signal is never lost between the check and the wait.
int Listen(const BoundSocket& socket, long count, const sigset_t& waitMask) {
    trevix::trace::Record record{};
    long printed = 0;
    while (!stopRequested && (count == 0 || printed < count)) {
        pollfd waiting{socket.Fd(), POLLIN, 0};
        const int ready = ::ppoll(&waiting, 1, nullptr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::perror("tracewin: poll");
            return 1;
        }
        // MSG_TRUNC makes recv report the datagram's real length, so a longer one is told apart.
        const ssize_t got = ::recv(socket.Fd(), record.data(), record.size(), MSG_TRUNC);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            std::perror("tracewin: recv");
            return 1;
        }
        if (static_cast<std::size_t>(got) != record.size()) {
            std::fprintf(stderr, "tracewin: skipped a datagram of %zd bytes\n", got);
            continue;
        }
        PrintRecord(record);
        ++printed;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string path = trevix::trace::SocketPath();
    long count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == "--socket" && i + 1 < argc) {
            path = argv[++i];
        } else if (arg == "--count" && i + 1 < argc) {
            const auto parsed = ParseCount(argv[++i]);
            if (!parsed) {
                std::fprintf(stderr, "tracewin: --count needs a positive number\n");
                return 2;
            }
            count = *parsed;
        } else {
            std::fputs(kHelp, stderr);
            return 2;
        }
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    auto socket = BoundSocket::Bind(path);
    if (!socket)
        return 1;
    std::fprintf(stderr, "tracewin: listening on %s\n", path.c_str());
    return Listen(*socket, count, waitMask);
}
