#include "platform/MountWatcher.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace trevix {

namespace {

bool SameMount(const MountEntry& a, const MountEntry& b) {
    return a.mountId == b.mountId && a.mountPoint == b.mountPoint;
}

bool Contains(const std::vector<MountEntry>& mounts, const MountEntry& mount) {
    return std::any_of(mounts.begin(), mounts.end(),
                       [&](const MountEntry& other) { return SameMount(other, mount); });
}

// Reading the file to its end acknowledges the change the kernel signalled.
void DrainFile(int fd) {
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return;
    std::array<char, 16384> buffer{};
    while (true) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0)
            continue;
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
}

} // namespace

MountChanges DiffMounts(std::vector<MountEntry> before, const std::vector<MountEntry>& after) {
    MountChanges changes;
    for (const auto& mount : after) {
        if (!Contains(before, mount))
            changes.added.push_back(mount);
    }
    for (const auto& mount : before) {
        if (!Contains(after, mount))
            changes.removed.push_back(mount);
    }
    changes.before = std::move(before);
    return changes;
}

MountWatcher::MountWatcher(std::shared_ptr<const IMountTable> table, Callback onChange,
                           const std::string& watchPath)
    : table_(std::move(table)), onChange_(std::move(onChange)) {
    if (table_)
        current_ = table_->Mounts();
    if (watchPath.empty())
        return;
    const int watchFd = ::open(watchPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (watchFd < 0)
        return;
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (stopFd_ < 0) {
        ::close(watchFd);
        return;
    }
    DrainFile(watchFd);
    thread_ = std::thread([this, watchFd] { Run(watchFd); });
}

MountWatcher::~MountWatcher() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        while (::write(stopFd_, &one, sizeof one) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    if (stopFd_ >= 0)
        ::close(stopFd_);
}

void MountWatcher::Run(int watchFd) {
    while (true) {
        std::array<pollfd, 2> fds{{{watchFd, POLLPRI, 0}, {stopFd_, POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if ((fds[1].revents & POLLIN) != 0)
            break;
        if ((fds[0].revents & (POLLPRI | POLLERR)) != 0) {
            DrainFile(watchFd);
            CheckNow();
        } else if ((fds[0].revents & POLLNVAL) != 0) {
            break;
        }
    }
    ::close(watchFd);
}

void MountWatcher::CheckNow() {
    if (!table_)
        return;
    std::lock_guard serial(checkMutex_);
    auto now = table_->Mounts();
    // A table that cannot be read is no table without mounts: nothing is reported.
    if (now.empty())
        return;
    MountChanges changes;
    {
        std::lock_guard lock(mutex_);
        changes = DiffMounts(std::move(current_), now);
        current_ = std::move(now);
    }
    if (!changes.Empty() && onChange_)
        onChange_(changes);
}

std::vector<MountEntry> MountWatcher::Current() const {
    std::lock_guard lock(mutex_);
    return current_;
}

} // namespace trevix
