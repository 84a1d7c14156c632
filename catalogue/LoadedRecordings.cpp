#include "catalogue/LoadedRecordings.h"

#include <algorithm>

namespace trevix {

void CLoadedRecordings::SetViews(const RecordingViews& views) {
    views_ = views;
    for (const auto& recording : recordings_)
        if (recording)
            recording->SetViews(views_);
}

int CLoadedRecordings::Add(std::unique_ptr<CDriveRecInfo> recording) {
    if (recording)
        recording->SetViews(views_);
    recordings_.push_back(std::move(recording));
    return Count() - 1;
}

CDriveRecInfo* CLoadedRecordings::At(int index) {
    if (index < 0 || index >= Count())
        return nullptr;
    return recordings_[static_cast<std::size_t>(index)].get();
}

const CDriveRecInfo* CLoadedRecordings::At(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return recordings_[static_cast<std::size_t>(index)].get();
}

void CLoadedRecordings::Resize(int count) {
    recordings_.clear();
    recordings_.resize(static_cast<std::size_t>(std::max(0, count)));
}

void CLoadedRecordings::Set(int index, std::unique_ptr<CDriveRecInfo> recording) {
    if (index < 0 || index >= Count())
        return;
    if (recording)
        recording->SetViews(views_);
    recordings_[static_cast<std::size_t>(index)] = std::move(recording);
}

void CLoadedRecordings::CloseChannelFiles(int index) {
    if (CDriveRecInfo* recording = At(index))
        recording->CloseChannelFiles();
}

void CLoadedRecordings::ShowSelected(int index, int loadedKind) {
    CDriveRecInfo* recording = At(index);
    if (recording == nullptr || recording->IsLoading())
        return;
    const int key = recording->m_nKeyChannel;
    if (recording->m_nMode == kRecordingModeEvent && key >= 0 &&
        key < static_cast<int>(recording->m_arrChannels.size()))
        recording->m_arrChannels[static_cast<std::size_t>(key)].OpenFile(0);
    recording->GotoTime(recording->m_llBegin, true, true);
    if (showSelected_)
        showSelected_(index, loadedKind);
}

void CLoadedRecordings::DestroyAll() {
    recordings_.clear();
}

} // namespace trevix
