#include "playback/ui/OsdPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace trevix {
namespace {

// The OSD drawn in white on black: the outline is invisible, so lit pixels are the texts.
QImage Draw(const OsdPlan& plan) {
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawOsd(painter, plan);
    return image;
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

} // namespace
} // namespace trevix
