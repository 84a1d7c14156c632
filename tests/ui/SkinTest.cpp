// The skin object: placing children and buttons from items, the missing-item message, and our
// generated skin rendered as the panel would show it.
#include "app/ui/Skin.h"

#include "control/ui/ZVButton.h"
#include "control/ui/ZVCheckBox.h"
#include "tests/support/TempDir.h"

#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#ifndef TREVIX_RUN_DIR
#define TREVIX_RUN_DIR TREVIX_BINARY_DIR "/run"
#endif

namespace trevix {
namespace {

class CatchSkinMessages final : public SkinMessages {
public:
    void ShowMissingItem(int item, const QString& caption, const QString& text) override {
        items.push_back(item);
        lastCaption = caption;
        lastText = text;
    }
    std::vector<int> items;
    QString lastCaption, lastText;
};

std::string AsString(const std::vector<std::byte>& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A skin with item 20 (visible, a 4-cell picture), item 21 (hidden) and nothing else.
class SkinObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        QImage cells(40, 10, QImage::Format_BGR888);
        cells.fill(Qt::red);
        const auto store = EncodeBmp24(cells);
        SkinControl_Info shown{20, 5, 6, 25, 26, 0x00FF8040, 0, 1};
        SkinControl_Info hidden{21, 30, 0, 40, 10, 0, 0, 0};
        const std::vector<SkinControl_Info> records = {shown, hidden};
        dir_.Write("trevix.chk", AsString(store));
        descriptionPath_ = dir_.Write("trevix.dsc", AsString(EncodeSkinDescription(records)));
        ASSERT_TRUE(skin_.Load(descriptionPath_, &owner_));
    }

    test::TempDir dir_;
    std::filesystem::path descriptionPath_;
    QWidget owner_;
    CatchSkinMessages messages_;
    CSkin skin_{&messages_};
};

TEST_F(SkinObjectTest, PresentItemsPlaceChildrenAndButtons) {
    QWidget child;
    ASSERT_TRUE(skin_.PlaceChild(21, &child));
    EXPECT_EQ(child.parentWidget(), &owner_);
    EXPECT_EQ(child.geometry(), QRect(30, 0, 10, 10));
    EXPECT_TRUE(child.isHidden());

    CZVButton button;
    ASSERT_TRUE(skin_.CreateButton(20, button, 1008));
    EXPECT_EQ(button.parentWidget(), &owner_);
    EXPECT_EQ(button.geometry(), QRect(5, 6, 20, 20));
    EXPECT_FALSE(button.isHidden());
    EXPECT_EQ(button.ControlId(), 1008);
    EXPECT_EQ(button.CellWidth(), 10);

    SkinPicture picture;
    ASSERT_TRUE(skin_.LoadPicture(20, picture));
    EXPECT_EQ(picture.image.size(), QSize(40, 10));
    EXPECT_EQ(picture.color, QColor(0x40, 0x80, 0xFF));
    EXPECT_TRUE(messages_.items.empty());
}

TEST_F(SkinObjectTest, MissingItemIsReportedOnceAndCreatesNothing) {
    CZVButton backup;
    EXPECT_FALSE(skin_.CreateButton(15, backup, 1008));
    ASSERT_EQ(messages_.items, std::vector<int>{15});
    EXPECT_EQ(messages_.lastText, QStringLiteral("Check File : .dsc,.chk"));
    EXPECT_EQ(messages_.lastCaption, QStringLiteral("Trevix"));
    EXPECT_EQ(backup.parentWidget(), nullptr);
    EXPECT_FALSE(backup.isVisible());

    QWidget pane;
    EXPECT_FALSE(skin_.PlaceChild(1, &pane));
    EXPECT_EQ(pane.parentWidget(), nullptr);

    SkinPicture picture;
    ASSERT_TRUE(skin_.LoadPicture(20, picture));
    EXPECT_FALSE(skin_.LoadPicture(42, picture));
    EXPECT_TRUE(picture.IsNull()); // the holder is cleared
    EXPECT_EQ(messages_.items, (std::vector<int>{15, 1, 42}));

    // GetRect says nothing and leaves the rectangle alone.
    QRect rect(1, 2, 3, 4);
    EXPECT_FALSE(skin_.GetRect(7, rect));
    EXPECT_EQ(rect, QRect(1, 2, 3, 4));
    EXPECT_EQ(messages_.items.size(), 3u);
    EXPECT_TRUE(owner_.findChildren<QWidget*>().empty());
}

TEST_F(SkinObjectTest, DefaultReporterCanBeReplaced) {
    CatchSkinMessages scoped;
    const ScopedSkinMessages replace(scoped);
    CSkin skin;
    skin.Load(descriptionPath_, &owner_);
    CZVCheckBox box;
    EXPECT_FALSE(skin.CreateButton(48, box, 1123));
    EXPECT_EQ(scoped.items, std::vector<int>{48});
}

TEST_F(SkinObjectTest, UnreadableDescriptionLeavesEveryItemMissing) {
    CSkin skin(&messages_);
    EXPECT_FALSE(skin.Load(dir_.Path() / "absent.dsc", &owner_));
    EXPECT_EQ(skin.StorePath(), dir_.Path() / "absent.chk");
    QWidget child;
    EXPECT_FALSE(skin.PlaceChild(20, &child));
    EXPECT_EQ(messages_.items.size(), 1u);
}

// The panel of our skin: background and every panel button in its normal cell.
class BackgroundWidget final : public QWidget {
public:
    explicit BackgroundWidget(QImage background) : background_(std::move(background)) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, background_); }

private:
    QImage background_;
};

TEST(GeneratedSkinPanelTest, RendersBackgroundAndButtons) {
    CatchSkinMessages messages;
    CSkin probe(&messages);
    SkinPicture background;
    ASSERT_TRUE(probe.Load(std::filesystem::path(TREVIX_RUN_DIR) / "trevix.dsc", nullptr));
    ASSERT_TRUE(probe.LoadPicture(0, background));

    BackgroundWidget panel(background.image);
    panel.resize(1024, 768);
    CSkin skin(&messages);
    ASSERT_TRUE(skin.Load(std::filesystem::path(TREVIX_RUN_DIR) / "trevix.dsc", &panel));
    std::vector<std::unique_ptr<CZVButton>> buttons;
    std::vector<int> items;
    for (int item = 8; item <= 25; ++item)
        items.push_back(item);
    for (const int item : {33, 34, 35, 36, 37, 38, 40, 41, 45, 46, 47, 49, 51, 52, 55})
        items.push_back(item);
    for (const int item : items) {
        buttons.push_back(std::make_unique<CZVButton>());
        ASSERT_TRUE(skin.CreateButton(item, *buttons.back(), 1000 + item));
    }
    CZVCheckBox mute;
    ASSERT_TRUE(skin.CreateButton(48, mute, 1123));
    EXPECT_TRUE(messages.items.empty());

    buttons[13]->SetEnabledState(false); // Play: item 21
    buttons[12]->SetSelected(true);      // Pause: item 20
    const QImage shot = panel.grab().toImage();
    std::filesystem::create_directories(std::filesystem::path(TREVIX_BINARY_DIR) / "screenshots");
    shot.save(
        QString::fromStdString(std::string(TREVIX_BINARY_DIR) + "/screenshots/skin-panel.png"));

    // Each button shows its cell stretched 1:1 over its rectangle.
    for (const auto& button : buttons) {
        const QImage& picture = button->Picture();
        const int cell = button->CurrentCell();
        const QPoint local(button->width() / 2, button->height() / 2);
        const QPoint inCell(cell * button->CellWidth() + local.x(), local.y());
        EXPECT_EQ(shot.pixelColor(button->pos() + local), picture.pixelColor(inCell))
            << button->ControlId();
    }
    EXPECT_EQ(buttons[13]->CurrentCell(), 3);
    EXPECT_EQ(buttons[12]->CurrentCell(), 2);
    // Between buttons the background shows.
    EXPECT_EQ(shot.pixelColor(5, 300), background.image.pixelColor(5, 300));
}

} // namespace
} // namespace trevix
