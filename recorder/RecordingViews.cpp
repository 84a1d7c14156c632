#include "recorder/RecordingViews.h"

#include "recorder/RecorderTime.h"

namespace trevix {

void CBasicLoadProgress::SetProgressRange(int /*low*/, int high) {
    rangeHigh_.store(high);
}

void CBasicLoadProgress::SetProgressPos(int position) {
    position_.store(position);
}

void CBasicLoadProgress::PostLoadFinished() {
    {
        const std::lock_guard lock(mutex_);
        ++completions_;
    }
    completed_.notify_all();
}

int CBasicLoadProgress::CompletionCount() const {
    const std::lock_guard lock(mutex_);
    return completions_;
}

bool CBasicLoadProgress::WaitForCompletions(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return completed_.wait_for(lock, timeout, [&] { return completions_ >= count; });
}

void CBasicPlayStatus::ShowFrameStatus(const FrameStatus& status) {
    last_ = status;
    ++statusCount_;
    if (status.channel >= 0)
        shown_.store(ToRecorderMs(status.time));
}

} // namespace trevix
