// The skin description and picture store readers against hand-made and damaged files.
#include "app/SkinFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace trevix {
namespace {

SkinControl_Info Item(int number, int left = 0, std::uint32_t offset = 0) {
    SkinControl_Info info;
    info.item = number;
    info.left = left;
    info.top = 2;
    info.right = left + 10;
    info.bottom = 12;
    info.color = 0x00332211;
    info.pictureOffset = offset;
    info.visible = 1;
    return info;
}

std::string AsString(const std::vector<std::byte>& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<std::byte> WithCount(std::vector<std::byte> bytes, std::int32_t n) {
    std::memcpy(bytes.data(), &n, 4);
    return bytes;
}

SkinDescription Parsed(const std::vector<std::byte>& bytes) {
    SkinDescription description;
    description.Parse(bytes);
    return description;
}

TEST(SkinDescriptionTest, CountZeroStillReadsOneRecord) {
    const std::vector<SkinControl_Info> records = {Item(5), Item(6)};
    const auto description = Parsed(WithCount(EncodeSkinDescription(records), 0));
    ASSERT_EQ(description.Size(), 1u);
    ASSERT_NE(description.Lookup(5), nullptr);
    EXPECT_EQ(description.Lookup(6), nullptr);
}

TEST(SkinDescriptionTest, FieldsAndLaterDuplicateWins) {
    const std::vector<SkinControl_Info> records = {Item(3, 100), Item(4), Item(3, 200)};
    const auto description = Parsed(EncodeSkinDescription(records));
    ASSERT_EQ(description.Size(), 2u);
    const SkinControl_Info* three = description.Lookup(3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->left, 200);
    EXPECT_EQ(three->Rect(), QRect(200, 2, 10, 10));
    EXPECT_EQ(three->Red(), 0x11);
    EXPECT_EQ(three->Green(), 0x22);
    EXPECT_EQ(three->Blue(), 0x33);
    EXPECT_TRUE(three->IsVisible());
}

TEST(SkinDescriptionTest, ShortAndOddCountsNeverOverread) {
    const std::vector<SkinControl_Info> records = {Item(1), Item(2), Item(3)};
    auto bytes = EncodeSkinDescription(records);
    // A record cut in half: the whole records before it are kept.
    bytes.resize(4 + 2 * kSkinRecordSize + kSkinRecordSize / 2);
    EXPECT_EQ(Parsed(bytes).Size(), 2u);
    EXPECT_EQ(Parsed(WithCount(bytes, INT_MAX)).Size(), 2u);
    EXPECT_EQ(Parsed(WithCount(bytes, INT_MIN)).Size(), 0u);
    EXPECT_EQ(Parsed(WithCount(bytes, -1)).Size(), 0u);
    // Fewer than four bytes hold no count at all.
    SkinDescription tiny;
    EXPECT_FALSE(tiny.Parse(std::span(bytes).first(3)));
    EXPECT_EQ(tiny.Size(), 0u);
}

TEST(SkinDescriptionTest, LoadFromFileMatchesParse) {
    const test::TempDir dir;
    const std::vector<SkinControl_Info> records = {Item(7), Item(8), Item(7, 50)};
    auto bytes = WithCount(EncodeSkinDescription(records), 1000000);
    bytes.resize(bytes.size() - 5);
    const auto path = dir.Write("trevix.dsc", AsString(bytes));
    SkinDescription description;
    ASSERT_TRUE(description.Load(path));
    EXPECT_EQ(description.Size(), 2u); // the third record is cut off
    EXPECT_EQ(description.Lookup(7)->left, 0);

    SkinDescription missing;
    EXPECT_FALSE(missing.Load(dir.Path() / "absent.dsc"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "absent.dsc")); // not created
    EXPECT_FALSE(missing.Load(dir.Write("empty.dsc", "")));
}

TEST(SkinDescriptionTest, StorePathReplacesExtension) {
    EXPECT_EQ(SkinStorePath("/run/trevix.dsc"), std::filesystem::path("/run/trevix.chk"));
    EXPECT_EQ(SkinStorePath("/run/skin"), std::filesystem::path("/run/skin.chk"));
}

QImage Pattern(int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor(x * 20 % 256, y * 30 % 256, (x + y) * 7 % 256));
    return image;
}

void ExpectSame(const QImage& a, const QImage& b) {
    ASSERT_EQ(a.size(), b.size());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << x << "," << y;
}

TEST(SkinPictureTest, RoundTripAtOffsetsWithRowPadding) {
    const QImage first = Pattern(5, 3); // 15-byte rows padded to 16
    const QImage second = Pattern(4, 2);
    auto store = EncodeBmp24(first);
    const auto secondOffset = static_cast<std::uint32_t>(store.size());
    const auto more = EncodeBmp24(second);
    store.insert(store.end(), more.begin(), more.end());

    const QImage read = DecodeSkinPicture(store, 0);
    EXPECT_EQ(read.format(), QImage::Format_BGR888);
    ExpectSame(read, first);
    ExpectSame(DecodeSkinPicture(store, secondOffset), second);

    const test::TempDir dir;
    const auto path = dir.Write("trevix.chk", AsString(store));
    ExpectSame(ReadSkinPicture(path, secondOffset), second);
    EXPECT_TRUE(ReadSkinPicture(dir.Path() / "absent.chk", 0).isNull());
}

TEST(SkinPictureTest, TopDownRowsAreRead) {
    const QImage picture = Pattern(3, 4);
    auto store = EncodeBmp24(picture);
    // Negative height: rows are stored top first. Reverse the rows to match.
    const std::int32_t negative = -4;
    std::memcpy(store.data() + 22, &negative, 4);
    const std::size_t stride = 12;
    std::vector<std::byte> rows(store.begin() + 54, store.end());
    for (std::size_t row = 0; row < 4; ++row)
        std::memcpy(store.data() + 54 + row * stride, rows.data() + (3 - row) * stride, stride);
    ExpectSame(DecodeSkinPicture(store, 0), picture);
}

TEST(SkinPictureTest, DamagedStoresGiveNoPicture) {
    const auto good = EncodeBmp24(Pattern(6, 6));
    const test::TempDir dir;
    const auto check = [&](std::vector<std::byte> store, std::uint32_t offset, const char* why) {
        EXPECT_TRUE(DecodeSkinPicture(store, offset).isNull()) << why;
        const auto path = dir.Write("damaged.chk", AsString(store));
        EXPECT_TRUE(ReadSkinPicture(path, offset).isNull()) << why;
    };
    check(good, static_cast<std::uint32_t>(good.size()), "offset at the end");
    check(good, 0xFFFFFFF0u, "offset far past the end");
    check(std::vector<std::byte>(good.begin(), good.end() - 1), 0, "pixels cut short");
    check(std::vector<std::byte>(good.begin(), good.begin() + 30), 0, "headers cut short");

    auto patch = [&](std::size_t at, std::uint32_t value, std::size_t size = 4) {
        auto copy = good;
        std::memcpy(copy.data() + at, &value, size);
        return copy;
    };
    check(patch(0, 0x5858, 2), 0, "not a bitmap");
    check(patch(28, 8, 2), 0, "8-bit colours");
    check(patch(30, 1), 0, "compressed");
    check(patch(18, 0x7FFFFFFF), 0, "huge width");
    check(patch(22, 0x80000000u), 0, "most negative height");
    check(patch(22, 0), 0, "no rows");
    check(patch(2, 20), 0, "file size smaller than the pixels");
    check(patch(10, 0xFFFFFF00u), 0, "pixel offset past the end");
    check(patch(10, 3), 0, "pixel offset inside the headers");
}

} // namespace
} // namespace trevix
