// The skinned controls drawn and driven as a user would: cells by state, clicks, the mute
// box's notification, the list box's item heights and columns.
#include "control/ui/ZVButton.h"
#include "control/ui/ZVCheckBox.h"
#include "control/ui/ZVCheckButton.h"
#include "control/ui/ZVListBox.h"

#include "app/ui/UiFonts.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <filesystem>

namespace trevix {
namespace {

const std::array<QColor, 4> kCellColours = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200),
                                            QColor(200, 200, 0)};

// A picture of `cells` solid cells, each 8 x 6, in the colours above.
QImage SolidCells(int cells) {
    QImage picture(8 * cells, 6, QImage::Format_BGR888);
    QPainter painter(&picture);
    for (int i = 0; i < cells; ++i)
        painter.fillRect(QRect(i * 8, 0, 8, 6), kCellColours[static_cast<std::size_t>(i)]);
    return picture;
}

// Which cell the whole grabbed control shows; -1 when it is not one solid cell colour.
int ShownCell(QWidget& widget) {
    const QImage shot = widget.grab().toImage();
    const QColor first = shot.pixelColor(0, 0);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y) != first)
                return -1;
    for (std::size_t i = 0; i < kCellColours.size(); ++i)
        if (first == kCellColours[i])
            return static_cast<int>(i);
    return -1;
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at) {
    const QPointF local(at);
    QMouseEvent event(type, local, widget.mapToGlobal(local), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void SaveShot(QWidget& widget, const char* name) {
    const std::filesystem::path folder = std::filesystem::path(TREVIX_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    widget.grab().save(QString::fromStdString((folder / name).string()));
}

TEST(ZVButtonTest, CellFollowsStateStretchedOverTheButton) {
    CZVButton button;
    button.SetSkinPicture(SolidCells(4));
    button.resize(30, 17); // larger than a cell: the cell is stretched
    EXPECT_EQ(button.CellWidth(), 8);
    EXPECT_EQ(ShownCell(button), 0);

    SendMouse(button, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(ShownCell(button), 1);
    SendMouse(button, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(ShownCell(button), 0);

    button.SetHighlighted(true);
    EXPECT_EQ(ShownCell(button), 2);
    button.SetHighlighted(false);
    button.SetSelected(true);
    SendMouse(button, QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(ShownCell(button), 2); // selected wins over pressed
    SendMouse(button, QEvent::MouseButtonRelease, {5, 5});

    button.SetEnabledState(false);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_EQ(ShownCell(button), 3); // disabled wins over selected
    button.setEnabled(true);
    EXPECT_EQ(ShownCell(button), 2);
}

TEST(ZVButtonTest, ClickCarriesControlIdOnlyWhenReleasedInside) {
    CZVButton button;
    button.SetSkinPicture(SolidCells(4));
    button.SetControlId(1014);
    button.resize(20, 20);
    std::vector<int> clicks;
    QObject::connect(&button, &CZVButton::clicked, [&](int id) { clicks.push_back(id); });

    SendMouse(button, QEvent::MouseButtonPress, {3, 3});
    SendMouse(button, QEvent::MouseButtonRelease, {4, 4});
    EXPECT_EQ(clicks, std::vector<int>{1014});

    SendMouse(button, QEvent::MouseButtonPress, {3, 3});
    SendMouse(button, QEvent::MouseButtonRelease, {40, 3}); // dragged off the button
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_FALSE(button.IsPressed());

    // A release without a press (e.g. after disabling mid-press) is no click.
    SendMouse(button, QEvent::MouseButtonPress, {3, 3});
    button.setEnabled(false);
    button.setEnabled(true);
    SendMouse(button, QEvent::MouseButtonRelease, {3, 3});
    EXPECT_EQ(clicks.size(), 1u);
}

TEST(ZVButtonTest, WithoutPictureDrawsWithoutCrashing) {
    CZVButton button;
    button.resize(10, 10);
    EXPECT_FALSE(button.grab().isNull());
    button.SetSkinPicture(QImage(3, 3, QImage::Format_BGR888)); // narrower than four cells
    EXPECT_FALSE(button.grab().isNull());
}

TEST(ZVCheckBoxTest, PressTogglesAndNotifiesWithTheNewState) {
    CZVCheckBox box;
    box.SetSkinPicture(SolidCells(3));
    box.SetControlId(1123);
    box.resize(20, 20);
    std::vector<std::pair<CZVCheckBox*, int>> changes;
    QObject::connect(&box, &CZVCheckBox::stateChanged,
                     [&](CZVCheckBox* sender, int state) { changes.emplace_back(sender, state); });
    EXPECT_EQ(box.State(), 1);
    EXPECT_EQ(ShownCell(box), 0);

    SendMouse(box, QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(box.State(), 0);
    EXPECT_EQ(ShownCell(box), 1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, &box);
    EXPECT_EQ(changes[0].second, 0);

    SendMouse(box, QEvent::MouseButtonPress, {5, 5});
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].second, 1);

    box.SetState(0); // set from outside (the system's mute changed): no notification
    EXPECT_EQ(changes.size(), 2u);
    box.setEnabled(false);
    EXPECT_EQ(ShownCell(box), 2);
}

TEST(ZVCheckButtonTest, CellsCaptionColourAndHover) {
    CZVCheckButton button;
    QImage cells(4 * 60, 30, QImage::Format_BGR888);
    cells.fill(Qt::black);
    button.SetSkinPicture(cells);
    button.SetCaption(QStringLiteral("MMMM"));
    button.resize(60, 30);
    EXPECT_EQ(button.CurrentCell(), 0);
    button.SetSelected(true);
    EXPECT_EQ(button.CurrentCell(), 2);

    // The caption sits 10 pixels right of the centre while the offset is non-zero.
    const QRect shifted = button.CaptionRect();
    button.SetCaptionOffset(0);
    EXPECT_EQ(button.CaptionRect().center().x() + 10, shifted.center().x());
    EXPECT_LE(button.CaptionRect().bottom(), 30);

    const auto brightest = [&] {
        const QImage shot = button.grab().toImage();
        int best = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                best = std::max(best, shot.pixelColor(x, y).red());
        return best;
    };
    EXPECT_EQ(brightest(), 255); // white caption
    button.setEnabled(false);
    EXPECT_EQ(brightest(), 180); // grey caption
    SaveShot(button, "zv-check-button.png");
    button.setEnabled(true);

    // Hover starts with a mouse move and ends once the cursor is outside.
    button.move(300, 300);
    button.show();
    QCursor::setPos(5, 5);
    SendMouse(button, QEvent::MouseMove, {10, 10});
    EXPECT_TRUE(button.IsHover());
    EXPECT_EQ(button.CurrentCell(), 3);
    QElapsedTimer clock;
    clock.start();
    while (button.IsHover() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (button.rect().contains(button.mapFromGlobal(QCursor::pos())))
        GTEST_SKIP() << "the platform does not move the cursor";
    EXPECT_FALSE(button.IsHover());
    EXPECT_EQ(button.CurrentCell(), 2);
}

class ZVListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        list_.resize(300, 200);
        list_.SetBackgroundColor(Qt::white);
        list_.SetTextColor(Qt::black);
        list_.SetSelectionColor(QColor(0, 0, 255));
        list_.SetFocusStyle(false);
    }

    // Columns of the item's row that hold dark (text) pixels.
    std::pair<int, int> DarkColumns(int row) {
        const QImage shot = list_.viewport()->grab().toImage();
        const QRect area = list_.visualItemRect(list_.item(row));
        int first = -1;
        int last = -1;
        for (int x = 0; x < shot.width(); ++x)
            for (int y = area.top(); y <= area.bottom(); ++y)
                if (shot.pixelColor(x, y).value() < 100) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }

    CZVListBox list_;
};

TEST_F(ZVListBoxTest, AddedItemsAreOneLinePlusEighteenHigh) {
    const int expected = QFontMetrics(list_.font()).height() + CZVListBox::kAddedItemExtra;
    EXPECT_EQ(list_.AddItem(QStringLiteral("first")), 0);
    EXPECT_EQ(
        list_.AddItem(QStringLiteral("a much longer text that would wrap in a narrow list"), 2), 1);
    EXPECT_EQ(list_.ItemHeight(0), expected);
    EXPECT_EQ(list_.ItemHeight(1), expected);
    list_.show();
    QApplication::processEvents();
    EXPECT_EQ(list_.visualItemRect(list_.item(1)).height(), expected);
    EXPECT_EQ(list_.visualItemRect(list_.item(1)).top(), expected);

    const auto record = list_.Record(1);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->iconIndex, 2);
    EXPECT_EQ(record->userValue, 0);
    EXPECT_EQ(list_.Record(0)->iconIndex, -1);
}

TEST_F(ZVListBoxTest, MeasuredHeightWrapsAndRespectsIcons) {
    const QFontMetrics metrics(list_.font());
    EXPECT_EQ(list_.MeasuredItemHeight(QStringLiteral("x")), metrics.height() + 4);
    const QString words = QStringLiteral("word ").repeated(60);
    EXPECT_GT(list_.MeasuredItemHeight(words), 2 * metrics.height());
    list_.SetIconList(QImage(64, 40, QImage::Format_BGR888), 16, 40);
    EXPECT_EQ(list_.MeasuredItemHeight(QStringLiteral("x")), 40 + 4 + 4);
}

TEST_F(ZVListBoxTest, RecordsUserValuesDisabledFlagAndReset) {
    QListWidgetItem* plain = new QListWidgetItem(QStringLiteral("no record"), &list_);
    (void)plain;
    EXPECT_FALSE(list_.Record(0).has_value());
    list_.SetItemUserValue(0, 77);
    ASSERT_TRUE(list_.Record(0).has_value());
    EXPECT_EQ(list_.Record(0)->userValue, 77);
    EXPECT_EQ(list_.Record(0)->iconIndex, 0); // a fresh record is zeroed
    list_.SetItemDisabled(0, true);
    EXPECT_TRUE(list_.IsItemDisabled(0));
    EXPECT_EQ(list_.Record(0)->userValue, 77);
    list_.SetItemUserValue(5, 1); // no such row: nothing happens
    list_.ResetContent();
    EXPECT_EQ(list_.count(), 0);
    EXPECT_FALSE(list_.Record(0).has_value());
}

TEST_F(ZVListBoxTest, CommaSplitsIntoTwoColumnsAndPlainTextStartsAtFifty) {
    list_.AddItem(QStringLiteral("12,EVENT"));
    list_.AddItem(QStringLiteral("PLAIN"));
    list_.AddItem(QStringLiteral("3,SELECTED"));
    list_.setCurrentRow(2);
    list_.show();
    QApplication::processEvents();
    SaveShot(list_, "zv-list-box.png");

    const auto [headFirst, restLast] = DarkColumns(0);
    EXPECT_GE(headFirst, 50); // "12" is right-aligned against x = 80
    EXPECT_LT(headFirst, 80);
    EXPECT_GT(restLast, 80);
    const auto plain = DarkColumns(1);
    EXPECT_GE(plain.first, CZVListBox::kPlainTextLeft);

    // The selected row: the selection colour inside a rounded frame, white text, and the
    // background in the 2-pixel margin.
    const QImage shot = list_.viewport()->grab().toImage();
    const QRect selected = list_.visualItemRect(list_.item(2));
    EXPECT_EQ(shot.pixelColor(selected.left() + 20, selected.center().y()), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(selected.left(), selected.top()), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(selected.center().x(), selected.top() + 2), QColor(Qt::black));
}

TEST(UiFontsTest, FiveFontsFromOneFamily) {
    const auto fonts = UiFonts::Make(QStringLiteral("DejaVu Sans"));
    const std::array<int, 5> heights = {15, 16, 16, 18, 20};
    const std::array<int, 5> weights = {500, 400, 700, 700, 700};
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        // The height is the cell: the line height fits it, one pixel more would not.
        const int lineHeight = QFontMetrics(fonts[i]).height();
        EXPECT_LE(lineHeight, heights[i]);
        QFont larger = fonts[i];
        larger.setPixelSize(fonts[i].pixelSize() + 1);
        EXPECT_GT(QFontMetrics(larger).height(), heights[i]);
        EXPECT_LT(fonts[i].pixelSize(), heights[i]);
        EXPECT_EQ(static_cast<int>(fonts[i].weight()), weights[i]);
    }
    EXPECT_EQ(UiFonts::Get(99).pixelSize(), UiFonts::Get(0).pixelSize());
}

} // namespace
} // namespace trevix
