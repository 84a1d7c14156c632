// The skin: a description table of numbered items ("trevix.dsc") and a picture store
// ("trevix.chk") holding 24-bit bitmap files one after another. Both come from the start
// directory and are read as untrusted input.
#pragma once

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace trevix {

// One item record of the description file (48 bytes on disk, little-endian).
struct SkinControl_Info {
    std::int32_t item = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::uint32_t color = 0; // COLORREF: red in the low byte, then green, then blue
    std::uint32_t pictureOffset = 0;
    std::int32_t visible = 0;

    bool IsVisible() const { return visible != 0; }
    // The rectangle as Qt sees it: right and bottom are exclusive on disk.
    QRect Rect() const { return QRect(left, top, right - left, bottom - top); }
    int Red() const { return static_cast<int>(color & 0xFFu); }
    int Green() const { return static_cast<int>((color >> 8) & 0xFFu); }
    int Blue() const { return static_cast<int>((color >> 16) & 0xFFu); }
};

inline constexpr std::size_t kSkinRecordSize = 48;
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
// Largest picture side the reader accepts; the panel itself is 1024 x 768.
inline constexpr int kMaxSkinPictureSide = 8192;

// Item numbers of the skin.
namespace skin_item {
inline constexpr int kBackground = 0;
inline constexpr int kPanePanel = 1;
inline constexpr int kGSensorWindow = 2;
inline constexpr int kMapWindow = 3;
inline constexpr int kFileListWindow = 4;
inline constexpr int kSpeedIndicator = 7;
inline constexpr int kFirstPanelButton = 8; // 8 + k for the k-th panel button, up to 25
inline constexpr int kLogSearchButton = 32;
inline constexpr int kFirstMenuButton = 33; // 33..38: File, Edit, View, Play, Tool, Help
inline constexpr int kNoPicture = 42;
inline constexpr int kMuteBox = 48;
inline constexpr int kHiddenPicture = 54;

// Pictures of the status displays and slide bars, kept in the same store so that they travel
// with the skin. The viewer's other items never use these numbers.
inline constexpr int kSmallDigitsA = 100;     // 80 x 12, ten 8 x 12 cells
inline constexpr int kSmallDigitsB = 101;     // 80 x 12, ten 8 x 12 cells
inline constexpr int kLargeDigits = 102;      // 132 x 15, 11 x 15 cells (0-9)
inline constexpr int kWeekdayNames = 103;     // 189 x 12, seven 27 x 12 cells
inline constexpr int kDateSeparators = 104;   // 12 x 15: separator, colon (6 x 15)
inline constexpr int kValueDigits = 105;      // 132 x 17: 0-9, dash (12 x 17)
inline constexpr int kValueMarks = 106;       // 19 x 17: point 0, degree 4, minute 8, second 12
inline constexpr int kCompassLetters = 107;   // 52 x 16: N S E W (13 x 16)
inline constexpr int kSpeedDigits = 108;      // 198 x 27: 0-9, dash (18 x 27)
inline constexpr int kSpeedSourceLabel = 109; // 84 x 12: car pulse, GPS (42 x 12)
inline constexpr int kSpeedSourceMark = 110;  // 22 x 11: car pulse, GPS (11 x 11)
inline constexpr int kLeftLamp = 111;         // 260 x 22: four states (65 x 22)
inline constexpr int kRightLamp = 112;        // 260 x 22: four states (65 x 22)
inline constexpr int kCombinedLamp = 113;     // 520 x 22: eight states (65 x 22)
inline constexpr int kInputLamps = 114;       // 28 x 14: lit, dark (14 x 14)
inline constexpr int kInputLabels = 115;      // 32 x 13: labels at x 0 (5 wide), 5, 14, 23
inline constexpr int kVolumeTrack = 116;      // 61 x 12
inline constexpr int kTimeTrack = 117;        // 630 x 12
inline constexpr int kSlideThumb = 118;       // 20 x 20
} // namespace skin_item

// The description table of one skin file.
class SkinDescription {
public:
    using Map = std::unordered_map<std::int32_t, SkinControl_Info>;

    // Reads the file: N, then N + 1 records, a later record replacing an earlier one with the
    // same item number; reading stops at the end of the file, keeping the whole records read.
    // Returns false (and an empty table) when the file cannot be opened or holds no N.
    bool Load(const std::filesystem::path& descriptionPath);
    // The same from bytes in memory.
    bool Parse(std::span<const std::byte> bytes);

    const SkinControl_Info* Lookup(std::int32_t item) const;
    const Map& Items() const { return items_; }
    std::size_t Size() const { return items_.size(); }

private:
    Map items_;
};

// The store path of a description path: ".dsc" replaced by ".chk" (appended when absent).
std::filesystem::path SkinStorePath(const std::filesystem::path& descriptionPath);

// Reads the bitmap file at offset of the picture store. Returns a null image when the file
// cannot be read, the headers are not those of an uncompressed 24-bit bitmap, or the pixels
// lie outside the store. The image is Format_BGR888, top row first.
QImage ReadSkinPicture(const std::filesystem::path& storePath, std::uint32_t offset);
// The same from the store's bytes in memory.
QImage DecodeSkinPicture(std::span<const std::byte> store, std::uint32_t offset);

// Writing, for the skin builder and the tests.
// One Windows bitmap file (file header, information header, bottom-up 24-bit rows).
std::vector<std::byte> EncodeBmp24(const QImage& image);
// The description file: N = records - 1, then the records.
std::vector<std::byte> EncodeSkinDescription(std::span<const SkinControl_Info> records);

} // namespace trevix
