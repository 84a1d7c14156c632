// Our own skin as the build generates it: every item the viewer uses, every picture a 24-bit
// bitmap of the size its control expects.
#include "app/SkinFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

#ifndef TREVIX_RUN_DIR
#define TREVIX_RUN_DIR TREVIX_BINARY_DIR "/run"
#endif

namespace trevix {
namespace {

const std::filesystem::path kRunDir = TREVIX_RUN_DIR;

class GeneratedSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(description_.Load(kRunDir / "trevix.dsc")) << kRunDir;
        const std::string bytes = test::ReadFile(kRunDir / "trevix.chk");
        store_.resize(bytes.size());
        std::memcpy(store_.data(), bytes.data(), bytes.size());
    }

    QImage Picture(int item) const {
        const SkinControl_Info* info = description_.Lookup(item);
        return info == nullptr ? QImage() : DecodeSkinPicture(store_, info->pictureOffset);
    }

    SkinDescription description_;
    std::vector<std::byte> store_;
};

std::vector<int> ButtonItems() {
    std::vector<int> items;
    for (int item = 8; item <= 41; ++item)
        items.push_back(item);
    for (const int item : {43, 44, 45, 46, 47, 49, 51, 52, 53, 55})
        items.push_back(item);
    return items;
}

TEST_F(GeneratedSkinTest, HoldsEveryItemTheViewerUses) {
    for (const int item : {0, 1, 2, 3, 4, 7, 42, 48, 54})
        EXPECT_NE(description_.Lookup(item), nullptr) << item;
    for (const int item : ButtonItems())
        EXPECT_NE(description_.Lookup(item), nullptr) << item;
}

TEST_F(GeneratedSkinTest, EveryPictureIsAnUncompressed24BitBitmap) {
    for (const auto& [item, info] : description_.Items()) {
        ASSERT_LE(std::size_t{info.pictureOffset} + 54, store_.size()) << item;
        const auto* header =
            reinterpret_cast<const unsigned char*>(store_.data()) + info.pictureOffset;
        EXPECT_EQ(header[0], 'B') << item;
        EXPECT_EQ(header[28] | (header[29] << 8), 24) << item;
        EXPECT_FALSE(Picture(item).isNull()) << item;
    }
}

TEST_F(GeneratedSkinTest, ButtonPicturesHoldOneCellPerStateOfTheirSize) {
    for (const int item : ButtonItems()) {
        const SkinControl_Info& info = *description_.Lookup(item);
        const QImage picture = Picture(item);
        EXPECT_EQ(picture.width(), 4 * info.Rect().width()) << item;
        EXPECT_EQ(picture.height(), info.Rect().height()) << item;
    }
    const QImage mute = Picture(48);
    EXPECT_EQ(mute.width(), 3 * description_.Lookup(48)->Rect().width());
}

TEST_F(GeneratedSkinTest, PanelLayoutFitsAndChildWindowsDoNotOverlap) {
    const QRect panel(0, 0, 1024, 768);
    EXPECT_EQ(Picture(0).size(), panel.size());
    std::vector<QRect> children;
    for (const int item : {1, 2, 3, 4}) {
        const QRect rect = description_.Lookup(item)->Rect();
        EXPECT_TRUE(panel.contains(rect)) << item;
        for (const QRect& other : children)
            EXPECT_FALSE(rect.intersects(other)) << item;
        children.push_back(rect);
    }
    // The date-time display ends at the pane panel's right edge; the printed area and the
    // time bar assume the pane panel spans x 7 to 661.
    const QRect panes = description_.Lookup(1)->Rect();
    EXPECT_EQ(panes.left(), 7);
    EXPECT_EQ(panes.left() + panes.width(), 661);
    for (int item = 8; item <= 25; ++item)
        EXPECT_TRUE(panel.contains(description_.Lookup(item)->Rect())) << item;
}

TEST_F(GeneratedSkinTest, StatusPicturesHaveTheirStripSizes) {
    const std::map<int, QSize> sizes = {
        {skin_item::kSmallDigitsA, {80, 12}},    {skin_item::kSmallDigitsB, {80, 12}},
        {skin_item::kLargeDigits, {132, 15}},    {skin_item::kWeekdayNames, {189, 12}},
        {skin_item::kDateSeparators, {12, 15}},  {skin_item::kValueDigits, {132, 17}},
        {skin_item::kValueMarks, {19, 17}},      {skin_item::kCompassLetters, {52, 16}},
        {skin_item::kSpeedDigits, {198, 27}},    {skin_item::kSpeedSourceLabel, {84, 12}},
        {skin_item::kSpeedSourceMark, {22, 11}}, {skin_item::kLeftLamp, {260, 22}},
        {skin_item::kRightLamp, {260, 22}},      {skin_item::kCombinedLamp, {520, 22}},
        {skin_item::kInputLamps, {28, 14}},      {skin_item::kInputLabels, {32, 13}},
        {skin_item::kVolumeTrack, {61, 12}},     {skin_item::kTimeTrack, {630, 12}},
        {skin_item::kSlideThumb, {20, 20}},      {skin_item::kNoPicture, {320, 240}},
        {skin_item::kHiddenPicture, {320, 240}}};
    for (const auto& [item, size] : sizes)
        EXPECT_EQ(Picture(item).size(), size) << item;
}

TEST_F(GeneratedSkinTest, StartDirectoryHoldsTheEnglishLanguageFile) {
    EXPECT_TRUE(std::filesystem::exists(kRunDir / "vedoredulang_en.ini"));
}

} // namespace
} // namespace trevix
