// The mounted file systems of the process (/proc/self/mountinfo) and the removable test of the
// block device under a mount (sysfs). A card root is a card when it is the mount point of a file
// system on a removable block device. Both sources are read behind IMountTable, so that tests
// give a table and a sysfs tree of their own.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

inline constexpr const char* kSystemMountInfoPath = "/proc/self/mountinfo";
inline constexpr const char* kSystemSysfsRoot = "/sys";

// One line of mountinfo.
struct MountEntry {
    int mountId = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;       // the part of the file system mounted here
    std::string mountPoint; // escapes decoded
    std::string fsType;
    std::string source;

    bool operator==(const MountEntry&) const = default;
};

// Decodes the octal escapes of a mountinfo field ("\040" space, "\011" tab, "\012" line break,
// "\134" backslash). A backslash not followed by three octal digits stays as it stands.
std::string DecodeMountField(std::string_view field);

// Every well-formed line of a mountinfo text, in order; malformed lines are skipped. Lines may
// be of any length.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// A path made absolute and lexically normal, without a trailing slash ("/" stays "/").
std::string NormalMountPath(std::string_view path);

// True when path is mountPoint or lies below it (whole components: "/media/a" does not hold
// "/media/ab").
bool PathIsUnder(std::string_view path, std::string_view mountPoint);

// The mount that holds path: the longest mount point it lies under; the later line wins
// between equal mount points (it is mounted over the earlier). Null when none holds it.
const MountEntry* MountHolding(std::span<const MountEntry> mounts, std::string_view path);

// The mount table and the devices under it.
class IMountTable {
public:
    virtual ~IMountTable() = default;
    // The current mounts; empty when the table cannot be read. Safe from any thread.
    virtual std::vector<MountEntry> Mounts() const = 0;
    // Whether the block device of the mount is removable (removable flag, USB or MMC bus).
    virtual bool IsRemovable(const MountEntry& mount) const = 0;
};

// True when root is itself the mount point of a file system on a removable device.
bool IsRemovableCardRoot(const IMountTable& table, std::string_view root);

// The mount point of the file system holding path; empty when none.
std::string MountPointOf(const IMountTable& table, std::string_view path);

// The system's table: a mountinfo file and a sysfs tree (the real ones by default).
class SystemMountTable final : public IMountTable {
public:
    explicit SystemMountTable(std::filesystem::path mountInfo = kSystemMountInfoPath,
                              std::filesystem::path sysfsRoot = kSystemSysfsRoot);

    std::vector<MountEntry> Mounts() const override;
    bool IsRemovable(const MountEntry& mount) const override;

    // The sysfs folder of the whole disk carrying device major:minor (the disk of a
    // partition); empty when sysfs does not know the device.
    std::filesystem::path DiskFolder(unsigned major, unsigned minor) const;

private:
    std::filesystem::path mountInfo_;
    std::filesystem::path sysfsRoot_;
};

// Reads a whole file of any length (also files whose size stat reports as 0, as /proc files
// do); empty when it cannot be read. At most maxBytes are read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = 64u << 20);

} // namespace trevix
