#include "catalogue/CheckCrashWalk.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace trevix;
using namespace trevix::test;
namespace fs = std::filesystem;

namespace {

class RecordingProgress final : public ICheckCrashProgress {
public:
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetRange(int count) override { ranges.push_back(count); }
    void SetPos(int position) override {
        positions.push_back(position);
        if (onPos)
            onPos(position);
    }

    std::vector<std::string> captions;
    std::vector<int> ranges, positions;
    std::function<void(int)> onPos;
};

void MakeDanglingLink(const fs::path& path) {
    fs::create_directories(path.parent_path());
    fs::create_symlink(path.parent_path() / "nowhere-at-all", path);
}

} // namespace

TEST(CheckCrashWalk, ACardWhoseFilesAllReadIsNotDamaged) {
    TempDir dir;
    WriteTestCard(dir, "event fps=1 size=360x240\nmemo size=64x48 seconds=1\n", true);
    CheckCrashWalk walk(dir.Str());
    RecordingProgress progress;
    const CheckCrashResult result = walk.Run(progress);
    EXPECT_FALSE(result.damagedFound);
    EXPECT_TRUE(result.damaged.empty());
    EXPECT_TRUE(result.deleted.empty());
    EXPECT_EQ(
        progress.captions,
        (std::vector<std::string>{"Check file validation - Audio", "Check file validation - Front",
                                  "Check file validation - Interior",
                                  "Check file validation - Rear", "Check file validation - Side",
                                  "Check file validation - Log", "Check file validation - Memo"}));
    // One range per folder: 3 audio, 3 per camera, log, memo, config.
    EXPECT_EQ(progress.ranges.size(), 18u);
}

TEST(CheckCrashWalk, DeletesShortMediaFilesAndLeavesOtherShortFiles) {
    TempDir dir;
    const fs::path index = dir.Write("ch1/event/0000000001,2024_05_17_09_30_00.vdx", "");
    const fs::path config = dir.Write("config/odd.ini", "12345");
    const fs::path audio = dir.Write("audio/normal/0000000001,2024_05_17_09_30_00.adx", "1234");
    const fs::path memoAudio = dir.Write("memoaudio/0000000001,2024_05_17_09_30_00.aud", "12");
    CheckCrashWalk walk(dir.Str());
    RecordingProgress progress;
    const CheckCrashResult result = walk.Run(progress);
    EXPECT_FALSE(result.damagedFound);
    EXPECT_FALSE(Exists(index));
    EXPECT_FALSE(Exists(audio));
    EXPECT_TRUE(Exists(config));
    EXPECT_TRUE(Exists(memoAudio)); // not one of the media extensions
    EXPECT_EQ(result.deleted, (std::vector{P(audio), P(index)}));
}

TEST(CheckCrashWalk, TheFirstDamagedFileEndsItsFolderOnly) {
    TempDir dir;
    // ch2/normal in name order: readable, unreadable, then a short index that would be deleted
    // if it were still checked.
    dir.Write("ch2/normal/0000000001,a.vdd", std::string(40, 'x'));
    MakeDanglingLink(dir.Path() / "ch2/normal/0000000002,b.vdd");
    const fs::path unchecked = dir.Write("ch2/normal/0000000003,c.vdx", "");
    const fs::path nextFolder = dir.Write("memo2/0000000001,a.vdx", "");
    MakeDanglingLink(dir.Path() / "log/0000000001,a.log");

    CheckCrashWalk walk(dir.Str());
    RecordingProgress progress;
    const CheckCrashResult result = walk.Run(progress);
    EXPECT_TRUE(result.damagedFound);
    EXPECT_EQ(result.damaged, (std::vector{P(dir.Path() / "ch2/normal/0000000002,b.vdd"),
                                           P(dir.Path() / "log/0000000001,a.log")}));
    EXPECT_TRUE(Exists(unchecked));
    EXPECT_FALSE(Exists(nextFolder)); // memo2 was checked after the damaged ch2/normal
}

TEST(CheckCrashWalk, SkipTakesEffectFromTheNextFolderOn) {
    TempDir dir;
    dir.Write("ch1/event/0000000001,a.vdd", std::string(40, 'x'));
    const fs::path sameFolder = dir.Write("ch1/event/0000000002,b.vdx", "");
    const fs::path nextFolder = dir.Write("ch1/normal/0000000001,a.vdx", "");
    MakeDanglingLink(dir.Path() / "ch1/normal/0000000002,b.vdd");

    CheckCrashWalk walk(dir.Str());
    RecordingProgress progress;
    bool inFront = false;
    progress.onPos = [&](int) {
        if (inFront)
            walk.SetSkip(true); // the box unticked while ch1/event is being checked
    };
    // The caption of the Front step comes right before ch1/event.
    struct CaptionWatch final : ICheckCrashProgress {
        RecordingProgress& inner;
        bool& front;
        CaptionWatch(RecordingProgress& p, bool& f) : inner(p), front(f) {}
        void SetCaption(const std::string& caption) override {
            front = caption.ends_with("Front");
            inner.SetCaption(caption);
        }
        void SetRange(int count) override { inner.SetRange(count); }
        void SetPos(int position) override { inner.SetPos(position); }
    } watch(progress, inFront);

    const CheckCrashResult result = walk.Run(watch);
    EXPECT_TRUE(walk.Skip());
    EXPECT_FALSE(Exists(sameFolder)); // ch1/event finished with checks
    EXPECT_TRUE(Exists(nextFolder));  // ch1/normal only counted
    EXPECT_FALSE(result.damagedFound);
    EXPECT_EQ(progress.positions, (std::vector{1, 2, 1, 2}));
}

TEST(CheckCrashWalk, FoldersFollowTheStepsInOrder) {
    const std::vector<CheckCrashFolder> folders = CheckCrashFolders("/card");
    std::vector<std::string> paths;
    for (const CheckCrashFolder& folder : folders)
        paths.push_back(folder.path);
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "/card/audio/event", "/card/audio/normal", "/card/memoaudio",
                         "/card/ch1/event", "/card/ch1/normal", "/card/memo1", "/card/ch2/event",
                         "/card/ch2/normal", "/card/memo2", "/card/ch3/event", "/card/ch3/normal",
                         "/card/memo3", "/card/ch4/event", "/card/ch4/normal", "/card/memo4",
                         "/card/log", "/card/memo", "/card/config"}));
    EXPECT_EQ(folders[3].labelKey, "FrontView");
    EXPECT_EQ(folders[4].labelKey, "");
    EXPECT_EQ(folders[17].labelKey, "");
}
