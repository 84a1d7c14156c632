// Drawing of the texts laid over pictures: each text in black one pixel left, right, above and
// below, then in its colour on top, with a transparent background.
#pragma once

#include "playback/PaneOsd.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QString>

#include <vector>

class QFontMetrics;
class QPainter;

namespace trevix {

// A text of a plan where it is drawn: its baseline starts at baseline.
struct PlacedOsdText {
    QString text;
    QPoint baseline;
};
// Where every text of plan lies with metrics of the plan's font.
std::vector<PlacedOsdText> PlaceOsd(const OsdPlan& plan, const QFontMetrics& metrics);

// Every text of plan in its UI font and colour.
void DrawOsd(QPainter& painter, const OsdPlan& plan);

// The same, each outlined text drawn once into a small image kept while the font and colour
// stay: a painter that keeps the textures of images it has drawn (the OpenGL one) then draws an
// unchanged text as one texture, instead of drawing its glyphs five times again.
class OsdTextImages {
public:
    void Draw(QPainter& painter, const OsdPlan& plan);

private:
    // A text's image and where its baseline starts inside it.
    struct Entry {
        QImage image;
        QPoint origin;
    };
    // More different texts than this (time and values that keep changing) start the store anew.
    static constexpr qsizetype kMaxEntries = 256;

    const Entry& EntryOf(const QString& text, const QFontMetrics& metrics, qreal pixelRatio);

    QFont font_;
    QColor colour_;
    qreal pixelRatio_ = 1.0;
    QHash<QString, Entry> entries_;
};

} // namespace trevix
