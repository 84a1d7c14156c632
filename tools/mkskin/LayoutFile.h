// The readable skin layout: one item per line,
//   item  left top right bottom  #rrggbb  visible  picture
// '#' at the start of a line begins a comment. The picture names what the builder draws
// (see SkinArt.h); "-" means the item has no picture of its own.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace trevix::mkskin {

struct LayoutItem {
    int item = 0;
    QRect rect; // right and bottom exclusive, as in the description file
    QColor color;
    bool visible = true;
    QString picture;
    int line = 0;
};

struct Layout {
    std::vector<LayoutItem> items;
    const LayoutItem* Find(int item) const;
};

// Parses the text; on a malformed line returns nothing and sets error.
std::optional<Layout> ParseLayout(const QString& text, std::string& error);

} // namespace trevix::mkskin
