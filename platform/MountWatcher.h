// Watches the mount table and reports mounts appearing and disappearing. The kernel marks
// /proc/self/mountinfo with POLLPRI when the table changes; a thread of the watcher waits for
// that, reads the table again and reports the difference to the last reading.
#pragma once

#include "platform/MountTable.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trevix {

// What changed between two readings of the table.
struct MountChanges {
    std::vector<MountEntry> added;
    std::vector<MountEntry> removed;
    std::vector<MountEntry> before; // the previous reading
    bool Empty() const { return added.empty() && removed.empty(); }
};

// The mounts of after that are not in before and the other way round; a mount is identified by
// its id and mount point (a remount on the same point is a removal and an addition).
MountChanges DiffMounts(std::vector<MountEntry> before, const std::vector<MountEntry>& after);

class MountWatcher {
public:
    using Callback = std::function<void(const MountChanges&)>;

    // Reads the table once. With a watchPath a thread waits for changes of that file and calls
    // onChange from that thread; with an empty one only CheckNow reports.
    MountWatcher(std::shared_ptr<const IMountTable> table, Callback onChange,
                 const std::string& watchPath = kSystemMountInfoPath);
    // Stops and joins the thread.
    ~MountWatcher();
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

    // Reads the table and calls onChange when it differs from the last reading (on the
    // calling thread). A table that reads empty (unreadable) is ignored.
    void CheckNow();

    // The last reading.
    std::vector<MountEntry> Current() const;
    bool Watching() const { return thread_.joinable(); }

private:
    void Run(int watchFd);

    std::shared_ptr<const IMountTable> table_;
    Callback onChange_;
    std::mutex checkMutex_;    // serialises CheckNow
    mutable std::mutex mutex_; // guards current_
    std::vector<MountEntry> current_;
    int stopFd_ = -1; // eventfd that wakes the thread to end
    std::thread thread_;
};

} // namespace trevix
