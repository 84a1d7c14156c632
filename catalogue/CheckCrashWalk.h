// The crashed-file check's walk over a card: every file of the recorder's folders is opened and
// one byte of it read, so that files the card can no longer read are found before they are
// loaded. Media files too short to hold anything are deleted on the way. The dialog that shows
// the walk runs it on its worker thread and implements ICheckCrashProgress.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// Close the check dialog with OK / Cancel (dialog-private messages).
inline constexpr int kMsgCheckCrashOk = 0x0798;
inline constexpr int kMsgCheckCrashCancel = 0x0799;

// What the walk reports while it runs; every call comes from the walking thread.
class ICheckCrashProgress {
public:
    virtual ~ICheckCrashProgress() = default;
    // "Check file validation - Front" and the like, at the start of each labelled step.
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetRange(int count) = 0; // 0 ... count for the folder being checked
    virtual void SetPos(int position) = 0;
};

struct CheckCrashResult {
    bool damagedFound = false;
    std::vector<std::string> damaged; // the first damaged file of each folder that had one
    std::vector<std::string> deleted; // media files shorter than 10 bytes
};

// One folder of the walk, with the label of its step (empty: no caption change).
struct CheckCrashFolder {
    std::string labelKey, labelDefault;
    std::string path;
};

// The folders in walk order: audio, cameras 1 to 4, log, memo, then config.
std::vector<CheckCrashFolder> CheckCrashFolders(std::string_view root);

class CheckCrashWalk {
public:
    explicit CheckCrashWalk(std::string root) : root_(std::move(root)) {}

    // Skip flag: while set, the folders that begin are walked without opening files. Safe to
    // set from any thread; read once at the start of each folder.
    void SetSkip(bool skip) { skip_.store(skip); }
    bool Skip() const { return skip_.load(); }

    CheckCrashResult Run(ICheckCrashProgress& progress);

private:
    // The first damaged file of the folder (empty when there is none).
    std::string CheckFolder(const std::string& folder, bool skip, ICheckCrashProgress& progress,
                            CheckCrashResult& result);

    std::string root_;
    std::atomic<bool> skip_{false};
};

} // namespace trevix
