#include "control/ui/GlyphPainter.h"

#include "app/ui/Skin.h"

#include <QPainter>

#include <algorithm>

namespace trevix {

void GlyphStrips::Set(int item, const QImage& picture) {
    if (picture.isNull())
        strips_.erase(item);
    else
        strips_[item] = picture;
}

const QImage* GlyphStrips::Find(int item) const {
    const auto found = strips_.find(item);
    return found != strips_.end() ? &found->second : nullptr;
}

void GlyphStrips::Load(const CSkin& skin, std::span<const int> items) {
    const auto missing = std::find_if(items.begin(), items.end(),
                                      [&](int item) { return skin.Lookup(item) == nullptr; });
    if (missing != items.end())
        (void)skin.Picture(*missing); // reports the missing item once
    for (const int item : items)
        if (skin.Lookup(item) != nullptr)
            Set(item, skin.Picture(item));
}

void DrawGlyphs(QPainter& painter, const GlyphStrips& strips, std::span<const GlyphDraw> glyphs) {
    for (const GlyphDraw& glyph : glyphs) {
        const QImage* strip = strips.Find(glyph.strip);
        if (strip == nullptr || glyph.sourceWidth <= 0 || glyph.sourceHeight <= 0)
            continue;
        const QRect source(glyph.sourceX, 0, glyph.sourceWidth, glyph.sourceHeight);
        const QRect available = source.intersected(strip->rect());
        if (available.isEmpty())
            continue;
        // The part of the destination that the available part of the cell covers.
        const double scaleX = static_cast<double>(glyph.width) / glyph.sourceWidth;
        const double scaleY = static_cast<double>(glyph.height) / glyph.sourceHeight;
        const QRectF target(glyph.x + (available.x() - source.x()) * scaleX,
                            glyph.y + (available.y() - source.y()) * scaleY,
                            available.width() * scaleX, available.height() * scaleY);
        painter.drawImage(target, *strip, QRectF(available));
    }
}

} // namespace trevix
