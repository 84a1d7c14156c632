#include "playback/ui/OsdPainter.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

namespace trevix {
namespace {

// The OSD drawn in white on black (grey for the cached drawing's comparisons): the outline is
// invisible on black, so lit pixels are the texts.
QImage Draw(const OsdPlan& plan, OsdTextImages* images = nullptr,
            const QColor& background = Qt::black) {
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    if (images != nullptr)
        images->Draw(painter, plan);
    else
        DrawOsd(painter, plan);
    return image;
}

int LargestChannelDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            largest = std::max({largest, std::abs(p.red() - q.red()),
                                std::abs(p.green() - q.green()), std::abs(p.blue() - q.blue())});
        }
    return largest;
}

OsdPlan GLine(int valueColumn, bool withValue) {
    OsdPlan plan;
    plan.colour = Qt::white;
    plan.style.valueColumn = valueColumn;
    plan.texts.push_back({"X:", 2, 30, OsdAnchor::LeftBaseline});
    if (withValue)
        plan.texts.push_back({"-1.11", 2 + valueColumn, 30, OsdAnchor::RightBaseline});
    return plan;
}

int LastLitColumn(const QImage& image) {
    int last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::black))
                last = std::max(last, x);
    return last;
}

TEST(OsdPainter, AGValueNeverCoversItsLabel) {
    // A value column far too narrow for the font: the value moves right of the label instead
    // of hiding its minus sign under the colon.
    const QImage label = Draw(GLine(4, false));
    const QImage both = Draw(GLine(4, true));
    const int labelEnd = LastLitColumn(label);
    ASSERT_GT(labelEnd, 0);
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x <= labelEnd; ++x)
            ASSERT_EQ(both.pixelColor(x, y), label.pixelColor(x, y)) << x << "," << y;
    EXPECT_GT(LastLitColumn(both), labelEnd + 10);

    // A wide column keeps the value's own right edge.
    EXPECT_LE(LastLitColumn(Draw(GLine(150, true))), 2 + 150);
    EXPECT_GE(LastLitColumn(Draw(GLine(150, true))), 2 + 150 - 3);
}

// Texts drawn from their kept images look as texts drawn directly, outline included, whether
// the image is new or kept, and a new colour draws new images.
TEST(OsdPainter, KeptTextImagesDrawWhatDirectDrawingDraws) {
    OsdPlan plan = GLine(4, true);
    plan.texts.push_back({"2024.05.17  09:30:00 .06", 198, 2, OsdAnchor::RightTop});
    OsdTextImages images;
    const QColor grey(90, 90, 90);
    const QImage direct = Draw(plan, nullptr, grey);
    EXPECT_LE(LargestChannelDifference(Draw(plan, &images, grey), direct), 2);
    EXPECT_LE(LargestChannelDifference(Draw(plan, &images, grey), direct), 2); // kept images
    EXPECT_GT(LastLitColumn(Draw(plan, &images)), 190);

    plan.colour = QColor(255, 255, 0);
    const QImage yellow = Draw(plan, &images, grey);
    EXPECT_LE(LargestChannelDifference(yellow, Draw(plan, nullptr, grey)), 2);
    EXPECT_GT(LargestChannelDifference(yellow, direct), 100);
}

} // namespace
} // namespace trevix
