// Cards for the catalogue tests, and recording stand-ins for the windows the catalogue manager
// reports to.
#pragma once

#include "catalogue/MgrDBSearch.h"
#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"
#include "tools/mkcard/DescText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace trevix::test {

// A card written by the card generator from description lines (small, fast pictures unless the
// lines say otherwise).
inline mkcard::WrittenCard WriteTestCard(const TempDir& dir, std::string_view text,
                                         bool autoLogs = false) {
    mkcard::CardDesc desc;
    desc.autoLogs = autoLogs;
    const std::string error = mkcard::ApplyDescText(text, desc);
    EXPECT_EQ(error, "");
    mkcard::WrittenCard card = mkcard::WriteCard(desc, dir.Path());
    EXPECT_TRUE(card.Ok()) << card.error;
    return card;
}

// One recording line of a card description with small, fast pictures at fps.
inline std::string RecordingLine(std::string_view text, int fps = 1) {
    return std::string(text) + " fps=" + std::to_string(fps) + " size=360x240 audio=none\n";
}

inline std::string P(const std::filesystem::path& path) {
    return path.string();
}

inline bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Records everything the manager tells the windows.
class RecordingViews final : public ISearchView,
                             public ILoadingView,
                             public IViewerHost,
                             public ILoadedRecordings {
public:
    void ClearLists() override {
        ++clearLists;
        lists.clear();
    }
    void FillList(SearchList list, std::span<const std::string> paths) override {
        lists[list] = std::vector<std::string>(paths.begin(), paths.end());
        fillOrder.push_back(list);
    }
    void ShowList(SearchList list) override { shown = list; }
    void PostScanFinished() override { ++scanFinished; }

    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void SetRange(int low, int high) override { ranges.emplace_back(low, high); }
    void SetPos(int position) override { positions.push_back(position); }
    void SetWaitCursor(bool waiting) override { waitCursor = waiting; }
    void StartHideTimer(int milliseconds) override { hideTimerMs = milliseconds; }
    void StopHideTimer() override { hideTimerMs.reset(); }

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int LoadedKind() const override { return loadedKind; }
    void ClearViews() override { ++clearViews; }
    void SetTimeRange(std::int64_t start, std::int64_t end, std::int64_t current) override {
        timeRanges.push_back({start, end, current});
    }

    int Count() const override { return recordingCount; }
    void CloseChannelFiles(int index) override { closed.push_back(index); }
    void ShowSelected(int index, int kind) override { selected.emplace_back(index, kind); }
    void DestroyAll() override {
        ++destroyed;
        recordingCount = 0;
    }

    std::vector<std::string> List(SearchList list) const {
        const auto it = lists.find(list);
        return it == lists.end() ? std::vector<std::string>{} : it->second;
    }

    std::map<SearchList, std::vector<std::string>> lists;
    std::vector<SearchList> fillOrder;
    std::optional<SearchList> shown;
    int clearLists = 0, scanFinished = 0, clearViews = 0, destroyed = 0;
    std::vector<std::string> captions, messages;
    bool visible = false, waitCursor = false;
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> positions;
    std::optional<int> hideTimerMs;
    int loadedKind = kLoadedNone;
    std::vector<std::array<std::int64_t, 3>> timeRanges;
    int recordingCount = 0;
    std::vector<int> closed;
    std::vector<std::pair<int, int>> selected;
};

// A manager wired to one set of recording views.
struct SearchFixture {
    RecordingViews views;
    CMgrDBSearch search{views, views, views, views};

    bool ScanFolder(const TempDir& dir) { return search.SelectAndScan(dir.Str(), nullptr); }
};

} // namespace trevix::test
