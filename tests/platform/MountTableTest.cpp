#include "platform/MountTable.h"
#include "platform/MountWatcher.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace trevix {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr const char* kTable =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "25 22 0:5 / /proc rw,nosuid - proc proc rw\n"
    "40 22 8:17 / /media/user/MY\\040CARD rw,nosuid shared:9 master:2 - vfat /dev/sdb1 rw\n"
    "41 22 179:1 / /media/user/sd rw - exfat /dev/mmcblk0p1 rw\n";

TEST(MountInfoParse, ReadsFieldsAndDecodesEscapes) {
    const auto mounts = ParseMountInfo(kTable);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[2].mountId, 40);
    EXPECT_EQ(mounts[2].parentId, 22);
    EXPECT_EQ(mounts[2].major, 8u);
    EXPECT_EQ(mounts[2].minor, 17u);
    EXPECT_EQ(mounts[2].mountPoint, "/media/user/MY CARD");
    // Optional fields of any number stand before the separator.
    EXPECT_EQ(mounts[2].fsType, "vfat");
    EXPECT_EQ(mounts[2].source, "/dev/sdb1");

    EXPECT_EQ(DecodeMountField("a\\011b\\012c\\134d"), "a\tb\nc\\d");
    // Not three octal digits: kept as it stands, never read past the end.
    EXPECT_EQ(DecodeMountField("x\\08"), "x\\08");
    EXPECT_EQ(DecodeMountField("end\\04"), "end\\04");
    EXPECT_EQ(DecodeMountField("\\"), "\\");
    EXPECT_EQ(DecodeMountField("\\777"), "\\777"); // beyond a byte
}

TEST(MountInfoParse, SkipsGarbageAndTakesLongLines) {
    std::string text = "garbage\n\n 1 2 3\n";
    text += "x 22 8:1 / /a rw - ext4 /dev/x rw\n";         // id not a number
    text += "23 22 8:1 / /b rw shared:1 ext4 /dev/x rw\n"; // no separator
    text += "24 22 81 / /c rw - ext4 /dev/x rw\n";         // device without colon
    text += "25 22 8:1 / relative rw - ext4 /dev/x rw\n";  // mount point not absolute
    text += "26 22 8:1 / /d rw -\n";                       // separator at the end
    const std::string longPoint = "/" + std::string(70000, 'p');
    text += "30 22 8:2 / " + longPoint + " rw - ext4 /dev/y rw\r\n";
    text += "31 22 8:3 / /last rw - ext4 /dev/z rw"; // no final line break
    const auto mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].mountPoint, longPoint);
    EXPECT_EQ(mounts[0].source, "/dev/y");
    EXPECT_EQ(mounts[1].mountPoint, "/last");
    EXPECT_TRUE(ParseMountInfo(std::string("\0\0\xff\n", 4)).empty());
}

TEST(MountHolding, LongestWholeComponentPrefixWins) {
    const auto mounts =
        ParseMountInfo(std::string(kTable) + "50 40 8:33 / /media/user/MY\\040CARD/inner rw - "
                                             "vfat /dev/sdc1 rw\n");
    auto holder = [&](std::string_view path) {
        const MountEntry* entry = MountHolding(mounts, path);
        return entry != nullptr ? entry->mountPoint : std::string("<none>");
    };
    EXPECT_EQ(holder("/media/user/MY CARD/ch1/event"), "/media/user/MY CARD");
    EXPECT_EQ(holder("/media/user/MY CARD/"), "/media/user/MY CARD");
    EXPECT_EQ(holder("/media/user/MY CARD/inner/x"), "/media/user/MY CARD/inner");
    EXPECT_EQ(holder("/media/user/MY CARDS"), "/"); // not a component of the card's point
    EXPECT_EQ(holder("/media/user/sd/../MY CARD/ch1"), "/media/user/MY CARD");
    EXPECT_EQ(holder("/proc"), "/proc");
    EXPECT_EQ(MountHolding({}, "/x"), nullptr);

    // Mounted over: the later line with the same point holds it.
    const auto stacked = ParseMountInfo("1 0 8:1 / / rw - ext4 a rw\n"
                                        "2 1 8:2 / /m rw - ext4 b rw\n"
                                        "3 1 8:3 / /m rw - ext4 c rw\n");
    ASSERT_NE(MountHolding(stacked, "/m/f"), nullptr);
    EXPECT_EQ(MountHolding(stacked, "/m/f")->mountId, 3);
}

// A sysfs tree as the kernel lays it out: class/block/<name> links into devices/.
class FakeSysfs {
public:
    void AddDisk(const std::string& devicePath, const std::string& name, const std::string& dev,
                 const std::string& removable) {
        const fs::path folder = dir_.Path() / "devices" / devicePath / "block" / name;
        dir_.Write(fs::relative(folder / "dev", dir_.Path()).string(), dev + "\n");
        dir_.Write(fs::relative(folder / "removable", dir_.Path()).string(), removable + "\n");
        Link(name, folder);
        disks_[name] = folder;
    }
    void AddPartition(const std::string& disk, const std::string& name, const std::string& dev) {
        const fs::path folder = disks_.at(disk) / name;
        dir_.Write(fs::relative(folder / "dev", dir_.Path()).string(), dev + "\n");
        dir_.Write(fs::relative(folder / "partition", dir_.Path()).string(), "1\n");
        Link(name, folder);
    }
    fs::path Root() const { return dir_.Path(); }

private:
    void Link(const std::string& name, const fs::path& target) {
        fs::create_directories(dir_.Path() / "class" / "block");
        fs::create_directory_symlink(target, dir_.Path() / "class" / "block" / name);
    }
    TempDir dir_;
    std::map<std::string, fs::path> disks_;
};

class RemovableTest : public ::testing::Test {
protected:
    void SetUp() override {
        sysfs.AddDisk("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", "sda", "8:0", "0");
        sysfs.AddPartition("sda", "sda1", "8:1");
        // A card reader that reports its medium as removable.
        sysfs.AddDisk("pci0000:00/0000:00:14.0/host4/target4:0:0/4:0:0:0", "sdb", "8:16", "1");
        sysfs.AddPartition("sdb", "sdb1", "8:17");
        // A USB stick that says it is fixed.
        sysfs.AddDisk("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host5/target5:0:0/5:0:0:0", "sdc",
                      "8:32", "0");
        sysfs.AddPartition("sdc", "sdc1", "8:33");
        // The SD slot.
        sysfs.AddDisk("pci0000:00/0000:00:1c.0/mmc_host/mmc0/mmc0:aaaa", "mmcblk0", "179:0", "0");
        sysfs.AddPartition("mmcblk0", "mmcblk0p1", "179:1");
        mountInfo =
            dir.Write("mountinfo", "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                   "25 22 0:5 / /proc rw - proc proc rw\n"
                                   "40 22 8:17 / /media/u/CARD rw - vfat /dev/sdb1 rw\n"
                                   "41 22 8:33 / /media/u/STICK rw - vfat /dev/sdc1 rw\n"
                                   "42 22 179:1 / /media/u/SD rw - exfat /dev/mmcblk0p1 rw\n"
                                   "43 22 8:99 / /media/u/GONE rw - vfat /dev/sdz1 rw\n");
    }
    FakeSysfs sysfs;
    TempDir dir;
    fs::path mountInfo;
};

TEST_F(RemovableTest, RemovableFlagUsbAndMmcBusCount) {
    const SystemMountTable table(mountInfo, sysfs.Root());
    const auto mounts = table.Mounts();
    ASSERT_EQ(mounts.size(), 6u);
    EXPECT_FALSE(table.IsRemovable(mounts[0])); // system disk
    EXPECT_FALSE(table.IsRemovable(mounts[1])); // no block device
    EXPECT_TRUE(table.IsRemovable(mounts[2]));  // removable flag of the disk, not the partition
    EXPECT_TRUE(table.IsRemovable(mounts[3]));  // USB bus
    EXPECT_TRUE(table.IsRemovable(mounts[4]));  // MMC bus
    EXPECT_FALSE(table.IsRemovable(mounts[5])); // device unknown to sysfs
    EXPECT_EQ(table.DiskFolder(8, 17).filename(), "sdb");
    EXPECT_EQ(table.DiskFolder(8, 0).filename(), "sda");
    EXPECT_TRUE(table.DiskFolder(1, 1).empty());
}

TEST_F(RemovableTest, CardRootIsTheMountPointOfARemovableDevice) {
    const SystemMountTable table(mountInfo, sysfs.Root());
    EXPECT_TRUE(IsRemovableCardRoot(table, "/media/u/CARD"));
    EXPECT_TRUE(IsRemovableCardRoot(table, "/media/u/CARD/"));
    EXPECT_FALSE(IsRemovableCardRoot(table, "/media/u/CARD/backup")); // a folder on the card
    EXPECT_FALSE(IsRemovableCardRoot(table, "/home/u/backup"));
    EXPECT_FALSE(IsRemovableCardRoot(table, ""));
    EXPECT_EQ(MountPointOf(table, "/media/u/SD/ch1"), "/media/u/SD");

    const SystemMountTable missing(dir.Path() / "absent", sysfs.Root());
    EXPECT_TRUE(missing.Mounts().empty());
    EXPECT_FALSE(IsRemovableCardRoot(missing, "/media/u/CARD"));
}

TEST(ReadWholeFile, ReadsProcFilesAndStopsAtTheLimit) {
    const auto text = ReadWholeFile(kSystemMountInfoPath);
    ASSERT_TRUE(text.has_value());
    EXPECT_FALSE(ParseMountInfo(*text).empty()); // the real table parses
    TempDir dir;
    const auto file = dir.Write("f", std::string(50000, 'x'));
    EXPECT_EQ(ReadWholeFile(file, 1000)->size(), 1000u);
    EXPECT_EQ(ReadWholeFile(file)->size(), 50000u);
    EXPECT_FALSE(ReadWholeFile(dir.Path() / "none").has_value());
}

// A table the test changes while a watcher reads it.
class ChangingTable final : public IMountTable {
public:
    void Set(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }
    std::vector<MountEntry> Mounts() const override {
        std::lock_guard lock(mutex_);
        return ParseMountInfo(text_);
    }
    bool IsRemovable(const MountEntry&) const override { return true; }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

TEST(MountWatcher, ReportsMountsComingAndGoing) {
    auto table = std::make_shared<ChangingTable>();
    table->Set("1 0 8:1 / / rw - ext4 a rw\n2 1 8:17 / /media/c rw - vfat b rw\n");
    std::vector<MountChanges> reports;
    MountWatcher watcher(
        table, [&](const MountChanges& c) { reports.push_back(c); }, "");
    EXPECT_FALSE(watcher.Watching());
    watcher.CheckNow();
    EXPECT_TRUE(reports.empty()); // nothing changed

    table->Set("1 0 8:1 / / rw - ext4 a rw\n3 1 8:33 / /media/d rw - vfat c rw\n");
    watcher.CheckNow();
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_EQ(reports[0].added.size(), 1u);
    EXPECT_EQ(reports[0].added[0].mountPoint, "/media/d");
    ASSERT_EQ(reports[0].removed.size(), 1u);
    EXPECT_EQ(reports[0].removed[0].mountPoint, "/media/c");
    EXPECT_EQ(reports[0].before.size(), 2u);

    // Remounted on the same point under a new id: gone and come again.
    table->Set("1 0 8:1 / / rw - ext4 a rw\n4 1 8:33 / /media/d rw - vfat c rw\n");
    watcher.CheckNow();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].removed.size(), 1u);
    EXPECT_EQ(reports[1].added.size(), 1u);

    // An unreadable table is not every mount gone.
    table->Set("");
    watcher.CheckNow();
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(watcher.Current().size(), 2u);
}

TEST(MountWatcher, ThreadWatchesTheRealTableAndJoins) {
    // The real table changes only with privileges; the thread must start, wait and end
    // promptly on destruction.
    std::atomic<int> calls{0};
    const auto start = std::chrono::steady_clock::now();
    {
        MountWatcher watcher(std::make_shared<SystemMountTable>(),
                             [&](const MountChanges&) { ++calls; });
        EXPECT_TRUE(watcher.Watching());
        EXPECT_FALSE(watcher.Current().empty());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

} // namespace
} // namespace trevix
