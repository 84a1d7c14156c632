#include "platform/MountTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <system_error>

namespace trevix {

namespace {

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// Splits a line at spaces; mountinfo fields never hold a raw space (it is escaped).
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos >= line.size())
            break;
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// "major:minor".
bool ParseDevice(std::string_view text, unsigned& major, unsigned& minor) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    return ParseNumber(text.substr(0, colon), major) && ParseNumber(text.substr(colon + 1), minor);
}

std::optional<MountEntry> ParseLine(std::string_view line) {
    // id parent major:minor root mountpoint options [optional fields...] - fstype source opts
    const auto fields = SplitFields(line);
    if (fields.size() < 10)
        return std::nullopt;
    MountEntry entry;
    if (!ParseNumber(fields[0], entry.mountId) || !ParseNumber(fields[1], entry.parentId) ||
        !ParseDevice(fields[2], entry.major, entry.minor))
        return std::nullopt;
    if (fields[3].empty() || fields[3][0] != '/' || fields[4].empty() || fields[4][0] != '/')
        return std::nullopt;
    entry.root = DecodeMountField(fields[3]);
    entry.mountPoint = DecodeMountField(fields[4]);
    const auto separator = std::find(fields.begin() + 6, fields.end(), std::string_view("-"));
    if (separator == fields.end() || fields.end() - separator < 3)
        return std::nullopt;
    entry.fsType = DecodeMountField(*(separator + 1));
    entry.source = DecodeMountField(*(separator + 2));
    return entry;
}

std::string ReadFirstLine(const std::filesystem::path& path) {
    auto text = ReadWholeFile(path, 4096);
    if (!text)
        return {};
    const auto end = text->find_first_of("\r\n");
    if (end != std::string::npos)
        text->resize(end);
    return *text;
}

// The sysfs path of a device carried on a USB or MMC bus has such a component
// (".../usb2/2-1/...", ".../mmc_host/mmc0/...").
bool OnUsbOrMmcBus(const std::filesystem::path& deviceFolder) {
    for (const auto& component : deviceFolder) {
        const std::string name = component.string();
        if (name.starts_with("usb") || name.starts_with("mmc"))
            return true;
    }
    return false;
}

} // namespace

std::string DecodeMountField(std::string_view field) {
    std::string decoded;
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                decoded.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        decoded.push_back(field[i]);
    }
    return decoded;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (auto entry = ParseLine(line))
            mounts.push_back(std::move(*entry));
        pos = end + 1;
    }
    return mounts;
}

std::string NormalMountPath(std::string_view path) {
    std::filesystem::path p{std::string(path)};
    if (p.is_relative()) {
        std::error_code error;
        p = std::filesystem::absolute(p, error);
    }
    std::string normal = p.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

bool PathIsUnder(std::string_view path, std::string_view mountPoint) {
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    if (!path.starts_with(mountPoint))
        return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

const MountEntry* MountHolding(std::span<const MountEntry> mounts, std::string_view path) {
    const std::string normal = NormalMountPath(path);
    const MountEntry* best = nullptr;
    for (const auto& mount : mounts) {
        if (!PathIsUnder(normal, mount.mountPoint))
            continue;
        if (best == nullptr || mount.mountPoint.size() >= best->mountPoint.size())
            best = &mount;
    }
    return best;
}

bool IsRemovableCardRoot(const IMountTable& table, std::string_view root) {
    if (root.empty())
        return false;
    const auto mounts = table.Mounts();
    const MountEntry* holder = MountHolding(mounts, root);
    return holder != nullptr && holder->mountPoint == NormalMountPath(root) &&
           table.IsRemovable(*holder);
}

std::string MountPointOf(const IMountTable& table, std::string_view path) {
    const auto mounts = table.Mounts();
    const MountEntry* holder = MountHolding(mounts, path);
    return holder != nullptr ? holder->mountPoint : std::string();
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    std::array<char, 16384> chunk{};
    while (text.size() < maxBytes) {
        const std::size_t want = std::min(chunk.size(), maxBytes - text.size());
        in.read(chunk.data(), static_cast<std::streamsize>(want));
        const auto got = in.gcount();
        if (got <= 0)
            break;
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    if (in.bad())
        return std::nullopt;
    return text;
}

SystemMountTable::SystemMountTable(std::filesystem::path mountInfo, std::filesystem::path sysfsRoot)
    : mountInfo_(std::move(mountInfo)), sysfsRoot_(std::move(sysfsRoot)) {}

std::vector<MountEntry> SystemMountTable::Mounts() const {
    const auto text = ReadWholeFile(mountInfo_);
    return text ? ParseMountInfo(*text) : std::vector<MountEntry>{};
}

std::filesystem::path SystemMountTable::DiskFolder(unsigned major, unsigned minor) const {
    namespace fs = std::filesystem;
    const std::string wanted = std::to_string(major) + ":" + std::to_string(minor);
    std::error_code error;
    fs::directory_iterator it(sysfsRoot_ / "class" / "block", error);
    if (error)
        return {};
    for (const auto& entry : it) {
        if (ReadFirstLine(entry.path() / "dev") != wanted)
            continue;
        fs::path folder = fs::weakly_canonical(entry.path(), error);
        if (error)
            folder = entry.path();
        // A partition's folder lies inside the folder of its disk.
        if (fs::exists(folder / "partition", error))
            folder = folder.parent_path();
        return folder;
    }
    return {};
}

bool SystemMountTable::IsRemovable(const MountEntry& mount) const {
    if (mount.major == 0)
        return false; // no block device (tmpfs, proc, network file systems)
    const auto disk = DiskFolder(mount.major, mount.minor);
    if (disk.empty())
        return false;
    if (ReadFirstLine(disk / "removable") == "1")
        return true;
    std::error_code error;
    const auto sysfs = std::filesystem::weakly_canonical(sysfsRoot_, error);
    return OnUsbOrMmcBus(error ? disk : disk.lexically_relative(sysfs));
}

} // namespace trevix
