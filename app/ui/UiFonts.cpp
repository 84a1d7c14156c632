#include "app/ui/UiFonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>

#include <optional>

namespace trevix {
namespace {

struct FontTable {
    QMutex mutex;
    std::optional<std::array<QFont, UiFonts::kCount>> fonts;
};

FontTable& Table() {
    static FontTable table;
    return table;
}

// The heights are cell heights (ascent plus descent), as the controls' layouts were measured
// with; Qt's pixel size is the smaller em height, so the largest pixel size whose line height
// fits the cell is taken.
void FitCellHeight(QFont& font, int cellHeight) {
    int pixels = cellHeight;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > cellHeight)
        font.setPixelSize(--pixels);
}

} // namespace

std::array<QFont, UiFonts::kCount> UiFonts::Make(const QString& family) {
    constexpr std::array<int, kCount> kHeights = {15, 16, 16, 18, 20};
    constexpr std::array<int, kCount> kWeights = {500, 400, 700, 700, 700};
    std::array<QFont, kCount> fonts;
    for (int i = 0; i < kCount; ++i) {
        QFont font(family);
        font.setWeight(static_cast<QFont::Weight>(kWeights[i]));
        FitCellHeight(font, kHeights[i]);
        font.setStyleStrategy(QFont::PreferAntialias);
        fonts[i] = font;
    }
    return fonts;
}

QFont UiFonts::Get(int index) {
    FontTable& table = Table();
    QMutexLocker lock(&table.mutex);
    if (!table.fonts)
        table.fonts = Make(QGuiApplication::font().family());
    if (index < 0 || index >= kCount)
        index = 0;
    return (*table.fonts)[index];
}

void UiFonts::Set(const std::array<QFont, kCount>& fonts) {
    FontTable& table = Table();
    QMutexLocker lock(&table.mutex);
    table.fonts = fonts;
}

} // namespace trevix
