// The recordings loaded from the file-list window's lists, one entry per loaded row, in load
// order. The catalogue manager keeps the index of the current one and asks this list to show a
// recording when it becomes current; the windows' part of that is a callback.
#pragma once

#include "catalogue/SearchViews.h"
#include "recorder/DriveRecInfo.h"

#include <functional>
#include <memory>
#include <vector>

namespace trevix {

class CLoadedRecordings final : public ILoadedRecordings {
public:
    // showSelected: the windows' part of making an entry current (time bar, G-sensor, map),
    // called after the recording itself has been shown at its start.
    explicit CLoadedRecordings(std::function<void(int index, int loadedKind)> showSelected = {})
        : showSelected_(std::move(showSelected)) {}

    // The play control, panes and notices every recording reports to; given to the recordings
    // held now and to every recording put in later (before its loader starts).
    void SetViews(const RecordingViews& views);

    // Appends a recording; returns its index.
    int Add(std::unique_ptr<CDriveRecInfo> recording);
    // Null outside the list and for an empty entry.
    CDriveRecInfo* At(int index);
    const CDriveRecInfo* At(int index) const;
    // Makes count empty entries, for the loads to fill (earlier entries are destroyed).
    void Resize(int count);
    // Puts recording at index (an entry of Resize); null empties it. Outside the list the
    // recording is dropped.
    void Set(int index, std::unique_ptr<CDriveRecInfo> recording);

    int Count() const override { return static_cast<int>(recordings_.size()); }
    void CloseChannelFiles(int index) override;
    // An event recording opens the first file of its key channel; every recording is then
    // shown at its begin, its first picture reported to the play control so that playback
    // starts there.
    void ShowSelected(int index, int loadedKind) override;
    void DestroyAll() override;

private:
    std::vector<std::unique_ptr<CDriveRecInfo>> recordings_;
    std::function<void(int, int)> showSelected_;
    RecordingViews views_;
};

} // namespace trevix
