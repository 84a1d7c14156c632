// The picture strips of a status display and the copying of their cells into it.
#pragma once

#include "control/StatusGlyphs.h"

#include <QImage>

#include <map>
#include <span>

class QPainter;

namespace trevix {

class CSkin;

class GlyphStrips {
public:
    void Set(int item, const QImage& picture);
    // The strip of item, or nullptr when it has none.
    const QImage* Find(int item) const;
    // Reads the pictures of items from the skin. When some are missing from the skin the first
    // of them is reported once (the display then draws without it).
    void Load(const CSkin& skin, std::span<const int> items);

private:
    std::map<int, QImage> strips_;
};

// Copies each glyph's cell into its place. A glyph whose strip is missing is left out; a strip
// smaller than its cell gives only the part it has.
void DrawGlyphs(QPainter& painter, const GlyphStrips& strips, std::span<const GlyphDraw> glyphs);

} // namespace trevix
