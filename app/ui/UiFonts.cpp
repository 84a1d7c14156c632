#include "app/ui/UiFonts.h"

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

} // namespace

std::array<QFont, UiFonts::kCount> UiFonts::Make(const QString& family) {
    constexpr std::array<int, kCount> kHeights = {15, 16, 16, 18, 20};
    constexpr std::array<int, kCount> kWeights = {500, 400, 700, 700, 700};
    std::array<QFont, kCount> fonts;
    for (int i = 0; i < kCount; ++i) {
        QFont font(family);
        font.setPixelSize(kHeights[i]);
        font.setWeight(static_cast<QFont::Weight>(kWeights[i]));
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
