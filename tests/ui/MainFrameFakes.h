// Stand-ins for what the main frame reaches: a panel that records what it is told, a mount
// table the test rewrites, a system volume without a sound server and caught message boxes.
#pragma once

#include "app/ui/MainFrm.h"
#include "app/ui/TrevixApp.h"

#include <QColor>
#include <QPainter>
#include <QWidget>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace trevix::test {

class CaughtMessages final : public IUserMessages {
public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        shown.emplace_back(caption.toStdString(), text.toStdString());
    }
    std::vector<std::pair<std::string, std::string>> shown; // caption, text
};

class RecordingSearchView final : public ISearchView {
public:
    void ClearLists() override { ++clears; }
    void FillList(SearchList, std::span<const std::string>) override {}
    void ShowList(SearchList) override {}
    void PostScanFinished() override {}
    int clears = 0;
};

inline const QColor kFakePanelColour(40, 90, 160);

class FakePanel final : public QWidget, public IMainPanel {
public:
    explicit FakePanel(QWidget* parent) : QWidget(parent) {}
    QWidget& Widget() override { return *this; }
    void OnPanelCommand(int commandId) override { commands.push_back(commandId); }
    bool IsPaneEnlarged() const override { return false; }
    std::pair<int, int> VolumeRange() const override { return {0, 100}; }
    void ShowVolume(int level) override { volumes.push_back(level); }
    void ShowMute(bool soundOff) override { mutes.push_back(soundOff); }
    void DisableVolume() override { ++volumeDisabled; }
    void CloseFileList() override { ++fileListCloses; }
    void OnKeyChannelFileChanged(int channel) override { keyChannels.push_back(channel); }
    ISearchView* SearchView() override { return &searchView; }
    ILoadingView* LoadingView() override { return nullptr; }
    IPlayHost* PlayHost() override { return nullptr; }
    PlayControlViews PlayViews() override { return {}; }
    void ClearViews() override { ++viewClears; }
    void SetTimeRange(std::int64_t, std::int64_t, std::int64_t) override {}
    void ShowSelected(int index, int) override { selected.push_back(index); }

    std::vector<int> commands;
    std::vector<int> volumes;
    std::vector<bool> mutes;
    int volumeDisabled = 0;
    int fileListCloses = 0;
    std::vector<int> keyChannels;
    int viewClears = 0;
    std::vector<int> selected;
    RecordingSearchView searchView;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), kFakePanelColour);
    }
};

// A line of /proc/self/mountinfo for a mount point; vfat counts as a removable card below.
inline std::string MountLine(int id, const std::string& point, const std::string& fsType = "vfat") {
    return std::to_string(id) + " 1 8:" + std::to_string(id) + " / " + point + " rw - " + fsType +
           " /dev/sd" + std::to_string(id) + " rw\n";
}
inline const std::string kRootMountLine = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";

// A mount table given as mountinfo text.
class TextMountTable final : public IMountTable {
public:
    void Set(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }
    std::vector<MountEntry> Mounts() const override {
        std::lock_guard lock(mutex_);
        return ParseMountInfo(text_);
    }
    bool IsRemovable(const MountEntry& mount) const override { return mount.fsType == "vfat"; }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

// The system volume as a test sets it up; the callbacks are kept to be called by the test.
class FakeVolume final : public CVolumeOutMaster {
public:
    FakeVolume(bool available, int percent, std::uint32_t muted)
        : CVolumeOutMaster(Offline{}), available_(available), percent_(percent), muted_(muted) {}
    int IsAvailable() const override { return available_ ? 1 : 0; }
    std::uint8_t GetVolumePercent() const override { return static_cast<std::uint8_t>(percent_); }
    int GetMute(std::uint32_t& value) const override {
        value = muted_;
        return available_ ? 1 : 0;
    }
    int SetMute(std::uint32_t value) override {
        setMutes.push_back(value);
        return 1;
    }
    void SetVolumeCallback(VolumeCallback callback, std::uintptr_t) override {
        volumeCallback = std::move(callback);
    }
    void SetMuteCallback(MuteCallback callback, std::uintptr_t) override {
        muteCallback = std::move(callback);
    }

    VolumeCallback volumeCallback;
    MuteCallback muteCallback;
    std::vector<std::uint32_t> setMutes;

private:
    bool available_;
    int percent_;
    std::uint32_t muted_;
};

// A frame setup whose parts are all stand-ins; the pointers stay valid while the frame lives.
struct FakeFrameParts {
    CaughtMessages messages;
    std::shared_ptr<TextMountTable> mounts = std::make_shared<TextMountTable>();
    FakePanel* panel = nullptr;
    FakeVolume* volume = nullptr;
    bool volumeAvailable = true;
    int volumePercent = 60;
    std::uint32_t muted = 0;

    MainFrameSetup Setup(int vendor = 1) {
        MainFrameSetup setup;
        setup.makePanel = [this](CMainFrame& frame) {
            auto made = std::make_unique<FakePanel>(&frame);
            panel = made.get();
            return made;
        };
        setup.mounts = mounts;
        setup.mountWatchPath.clear();
        setup.openVolume = [this] {
            auto made = std::make_unique<FakeVolume>(volumeAvailable, volumePercent, muted);
            volume = made.get();
            return made;
        };
        setup.messages = &messages;
        setup.vendor = vendor;
        return setup;
    }
};

} // namespace trevix::test
