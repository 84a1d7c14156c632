#include "tools/mkskin/SkinArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <functional>
#include <map>

namespace trevix::mkskin {
namespace {

// Colours of the dashboard look.
const QColor kPanel(20, 23, 28);
const QColor kStripTop(36, 41, 49);
const QColor kStripBottom(25, 28, 34);
const QColor kLine(45, 51, 60);
const QColor kWell(26, 29, 35);
const QColor kAccent(61, 139, 253);
const QColor kAccentDark(37, 89, 173);
const QColor kIcon(223, 229, 236);
const QColor kIconDisabled(88, 95, 104);
const QColor kDisplay(60, 60, 60);
const QColor kDateDisplay(23, 60, 141);
const QColor kAmber(255, 176, 32);
const QColor kRed(240, 60, 50);
const QColor kGreen(70, 220, 110);

enum class CellState { Normal, Pressed, Selected, Disabled };
constexpr std::array<CellState, 4> kButtonStates = {CellState::Normal, CellState::Pressed,
                                                    CellState::Selected, CellState::Disabled};

QFont Font(int pixels, int weight = 700, bool mono = false) {
    QFont font(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage NewImage(QSize size, const QColor& fill) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QColor IconColour(CellState state) {
    switch (state) {
    case CellState::Disabled:
        return kIconDisabled;
    case CellState::Selected:
        return Qt::white;
    case CellState::Pressed:
        return kAccent.lighter(130);
    case CellState::Normal:
        break;
    }
    return kIcon;
}

// The face of a raised button cell in the given state.
void DrawButtonFace(QPainter& p, const QRectF& cell, CellState state) {
    p.fillRect(cell, kPanel);
    const QRectF face = cell.adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    QColor border = QColor(62, 70, 81);
    switch (state) {
    case CellState::Normal:
        fill.setColorAt(0, QColor(52, 59, 69));
        fill.setColorAt(1, QColor(36, 41, 48));
        break;
    case CellState::Pressed:
        fill.setColorAt(0, QColor(22, 25, 30));
        fill.setColorAt(1, QColor(31, 35, 41));
        border = kAccent;
        break;
    case CellState::Selected:
        fill.setColorAt(0, kAccent);
        fill.setColorAt(1, kAccentDark);
        border = kAccent.lighter(120);
        break;
    case CellState::Disabled:
        fill.setColorAt(0, QColor(30, 33, 38));
        fill.setColorAt(1, QColor(30, 33, 38));
        border = QColor(40, 44, 50);
        break;
    }
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 5, 5);
}

using IconPainter = std::function<void(QPainter&, const QRectF& box, const QColor& colour)>;

QPolygonF Triangle(QPointF tip, double w, double h, bool right) {
    const double back = right ? tip.x() - w : tip.x() + w;
    return QPolygonF({tip, QPointF(back, tip.y() - h / 2), QPointF(back, tip.y() + h / 2)});
}

void FillPolygon(QPainter& p, const QPolygonF& polygon, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(polygon);
}

void Stroke(QPainter& p, const QColor& colour, double width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void Magnifier(QPainter& p, const QRectF& b, const QColor& c, const QString& mark) {
    const double s = b.width();
    const QPointF centre(b.left() + s * 0.42, b.top() + s * 0.42);
    Stroke(p, c, s * 0.11);
    p.drawEllipse(centre, s * 0.3, s * 0.3);
    p.drawLine(QPointF(b.left() + s * 0.64, b.top() + s * 0.64), b.bottomRight());
    if (mark.contains(QLatin1Char('-')) || mark.contains(QLatin1Char('+')))
        p.drawLine(QPointF(centre.x() - s * 0.15, centre.y()),
                   QPointF(centre.x() + s * 0.15, centre.y()));
    if (mark.contains(QLatin1Char('+')))
        p.drawLine(QPointF(centre.x(), centre.y() - s * 0.15),
                   QPointF(centre.x(), centre.y() + s * 0.15));
}

void Grid(QPainter& p, const QRectF& b, const QColor& c, int n) {
    const double gap = b.width() * (n == 2 ? 0.12 : 0.08);
    const double cell = (b.width() - gap * (n - 1)) / n;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            p.drawRoundedRect(
                QRectF(b.left() + x * (cell + gap), b.top() + y * (cell + gap), cell, cell), 1, 1);
}

const std::map<QString, IconPainter>& Icons() {
    static const std::map<QString, IconPainter> icons = {
        {"about",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             Stroke(p, c, b.width() * 0.1);
             p.drawEllipse(b.adjusted(1, 1, -1, -1));
             p.setPen(c);
             p.setFont(Font(static_cast<int>(b.height() * 0.7), 700));
             p.drawText(b, Qt::AlignCenter, QStringLiteral("i"));
         }},
        {"minimize",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             Stroke(p, c, b.width() * 0.14);
             p.drawLine(QPointF(b.left() + 2, b.bottom() - 3),
                        QPointF(b.right() - 2, b.bottom() - 3));
         }},
        {"exit",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             Stroke(p, c, b.width() * 0.14);
             const QRectF r = b.adjusted(b.width() * 0.15, b.width() * 0.15, -b.width() * 0.15,
                                         -b.width() * 0.15);
             p.drawLine(r.topLeft(), r.bottomRight());
             p.drawLine(r.topRight(), r.bottomLeft());
         }},
        {"open",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             QPainterPath folder;
             folder.moveTo(b.left(), b.top() + s * 0.2);
             folder.lineTo(b.left() + s * 0.38, b.top() + s * 0.2);
             folder.lineTo(b.left() + s * 0.48, b.top() + s * 0.32);
             folder.lineTo(b.right(), b.top() + s * 0.32);
             folder.lineTo(b.right(), b.bottom() - s * 0.1);
             folder.lineTo(b.left(), b.bottom() - s * 0.1);
             folder.closeSubpath();
             Stroke(p, c, s * 0.09);
             p.drawPath(folder);
             p.drawLine(QPointF(b.left(), b.top() + s * 0.45),
                        QPointF(b.right(), b.top() + s * 0.45));
         }},
        {"camera",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.09);
             p.drawRoundedRect(QRectF(b.left(), b.top() + s * 0.25, s, s * 0.62), 3, 3);
             p.drawRect(QRectF(b.left() + s * 0.32, b.top() + s * 0.1, s * 0.36, s * 0.15));
             p.drawEllipse(QPointF(b.center().x(), b.top() + s * 0.56), s * 0.18, s * 0.18);
         }},
        {"print",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.09);
             p.drawRect(QRectF(b.left() + s * 0.22, b.top(), s * 0.56, s * 0.3));
             p.drawRoundedRect(QRectF(b.left(), b.top() + s * 0.3, s, s * 0.42), 2, 2);
             p.setBrush(c);
             p.drawRect(QRectF(b.left() + s * 0.22, b.top() + s * 0.6, s * 0.56, s * 0.38));
         }},
        {"film",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.09);
             p.drawRect(QRectF(b.left(), b.top() + s * 0.12, s, s * 0.76));
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             for (int i = 0; i < 4; ++i) {
                 p.drawRect(QRectF(b.left() + s * (0.08 + i * 0.24), b.top() + s * 0.2, s * 0.12,
                                   s * 0.1));
                 p.drawRect(QRectF(b.left() + s * (0.08 + i * 0.24), b.top() + s * 0.7, s * 0.12,
                                   s * 0.1));
             }
             FillPolygon(
                 p,
                 Triangle(QPointF(b.left() + s * 0.64, b.center().y()), s * 0.26, s * 0.26, true),
                 c);
         }},
        {"backup",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.09);
             p.drawRoundedRect(QRectF(b.left(), b.top() + s * 0.6, s, s * 0.36), 2, 2);
             p.drawLine(QPointF(b.center().x(), b.top()),
                        QPointF(b.center().x(), b.top() + s * 0.48));
             p.drawLine(QPointF(b.center().x() - s * 0.2, b.top() + s * 0.28),
                        QPointF(b.center().x(), b.top() + s * 0.48));
             p.drawLine(QPointF(b.center().x() + s * 0.2, b.top() + s * 0.28),
                        QPointF(b.center().x(), b.top() + s * 0.48));
         }},
        {"setup",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             const QPointF centre = b.center();
             Stroke(p, c, s * 0.16);
             for (int i = 0; i < 8; ++i) {
                 const double angle = i * M_PI / 4;
                 p.drawLine(QPointF(centre.x() + std::cos(angle) * s * 0.3,
                                    centre.y() + std::sin(angle) * s * 0.3),
                            QPointF(centre.x() + std::cos(angle) * s * 0.47,
                                    centre.y() + std::sin(angle) * s * 0.47));
             }
             Stroke(p, c, s * 0.1);
             p.drawEllipse(centre, s * 0.27, s * 0.27);
             p.drawEllipse(centre, s * 0.09, s * 0.09);
         }},
        {"home",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.09);
             p.drawPolyline(QPolygonF({QPointF(b.left(), b.top() + s * 0.48),
                                       QPointF(b.center().x(), b.top() + s * 0.05),
                                       QPointF(b.right(), b.top() + s * 0.48)}));
             p.drawRect(QRectF(b.left() + s * 0.16, b.top() + s * 0.45, s * 0.68, s * 0.5));
             p.drawRect(QRectF(b.left() + s * 0.42, b.top() + s * 0.66, s * 0.16, s * 0.29));
         }},
        {"globe",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.08);
             p.drawEllipse(b.adjusted(1, 1, -1, -1));
             p.drawEllipse(QRectF(b.left() + s * 0.3, b.top() + 1, s * 0.4, s - 2));
             p.drawLine(QPointF(b.left() + 1, b.center().y()),
                        QPointF(b.right() - 1, b.center().y()));
             p.drawLine(QPointF(b.center().x(), b.top() + 1),
                        QPointF(b.center().x(), b.bottom() - 1));
         }},
        {"fastback",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             FillPolygon(p, Triangle(QPointF(b.left(), b.center().y()), s * 0.5, s * 0.7, false),
                         c);
             FillPolygon(
                 p, Triangle(QPointF(b.left() + s * 0.5, b.center().y()), s * 0.5, s * 0.7, false),
                 c);
         }},
        {"prevframe",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             p.fillRect(QRectF(b.left() + s * 0.1, b.top() + s * 0.15, s * 0.14, s * 0.7), c);
             FillPolygon(
                 p, Triangle(QPointF(b.left() + s * 0.3, b.center().y()), s * 0.55, s * 0.7, false),
                 c);
         }},
        {"backplay",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             FillPolygon(
                 p,
                 Triangle(QPointF(b.left() + s * 0.15, b.center().y()), s * 0.65, s * 0.75, false),
                 c);
         }},
        {"pause",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             p.fillRect(QRectF(b.left() + s * 0.2, b.top() + s * 0.12, s * 0.2, s * 0.76), c);
             p.fillRect(QRectF(b.left() + s * 0.6, b.top() + s * 0.12, s * 0.2, s * 0.76), c);
         }},
        {"play",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             FillPolygon(
                 p,
                 Triangle(QPointF(b.right() - s * 0.15, b.center().y()), s * 0.65, s * 0.75, true),
                 c);
         }},
        {"nextframe",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             FillPolygon(
                 p, Triangle(QPointF(b.right() - s * 0.3, b.center().y()), s * 0.55, s * 0.7, true),
                 c);
             p.fillRect(QRectF(b.right() - s * 0.24, b.top() + s * 0.15, s * 0.14, s * 0.7), c);
         }},
        {"fastplay",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             FillPolygon(
                 p, Triangle(QPointF(b.right() - s * 0.5, b.center().y()), s * 0.5, s * 0.7, true),
                 c);
             FillPolygon(p, Triangle(QPointF(b.right(), b.center().y()), s * 0.5, s * 0.7, true),
                         c);
         }},
        {"zoomin", [](QPainter& p, const QRectF& b, const QColor& c) { Magnifier(p, b, c, "+"); }},
        {"zoomout", [](QPainter& p, const QRectF& b, const QColor& c) { Magnifier(p, b, c, "-"); }},
        {"search", [](QPainter& p, const QRectF& b, const QColor& c) { Magnifier(p, b, c, ""); }},
        {"defaultgraph",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.09);
             p.drawPolyline(QPolygonF({b.topLeft(), b.bottomLeft(), b.bottomRight()}));
             p.drawPolyline(QPolygonF({QPointF(b.left() + s * 0.12, b.top() + s * 0.6),
                                       QPointF(b.left() + s * 0.35, b.top() + s * 0.3),
                                       QPointF(b.left() + s * 0.6, b.top() + s * 0.6),
                                       QPointF(b.right(), b.top() + s * 0.2)}));
         }},
        {"quad", [](QPainter& p, const QRectF& b, const QColor& c) { Grid(p, b, c, 2); }},
        {"thumbs", [](QPainter& p, const QRectF& b, const QColor& c) { Grid(p, b, c, 4); }},
        {"eventlist",
         [](QPainter& p, const QRectF& b, const QColor& c) {
             const double s = b.width();
             Stroke(p, c, s * 0.1);
             for (int i = 0; i < 3; ++i) {
                 const double y = b.top() + s * (0.2 + i * 0.3);
                 p.drawPoint(QPointF(b.left() + s * 0.08, y));
                 p.drawLine(QPointF(b.left() + s * 0.3, y), QPointF(b.right(), y));
             }
         }},
    };
    return icons;
}

QImage CellStrip(QSize cell, int cells,
                 const std::function<void(QPainter&, const QRectF&, int)>& draw) {
    QImage image = NewImage(QSize(cell.width() * cells, cell.height()), kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    for (int i = 0; i < cells; ++i)
        draw(p, QRectF(i * cell.width(), 0, cell.width(), cell.height()), i);
    return image;
}

QImage IconButton(QSize cell, const IconPainter& icon) {
    return CellStrip(cell, 4, [&](QPainter& p, const QRectF& r, int i) {
        const CellState state = kButtonStates[static_cast<std::size_t>(i)];
        DrawButtonFace(p, r, state);
        const double side = std::floor(std::min(r.width(), r.height()) * 0.5);
        QRectF box(0, 0, side, side);
        box.moveCenter(r.center());
        if (state == CellState::Pressed)
            box.translate(0.5, 1);
        icon(p, box, IconColour(state));
    });
}

QImage TextButton(QSize cell, const QString& words) {
    return CellStrip(cell, 4, [&](QPainter& p, const QRectF& r, int i) {
        const CellState state = kButtonStates[static_cast<std::size_t>(i)];
        DrawButtonFace(p, r, state);
        p.setPen(IconColour(state));
        p.setFont(Font(std::min(12, cell.height() / 2 + 1), 700));
        p.drawText(r.translated(0, state == CellState::Pressed ? 1 : 0), Qt::AlignCenter, words);
    });
}

QImage MenuButton(QSize cell, const QString& words) {
    return CellStrip(cell, 4, [&](QPainter& p, const QRectF& r, int i) {
        const CellState state = kButtonStates[static_cast<std::size_t>(i)];
        QLinearGradient strip(r.topLeft(), r.bottomLeft());
        strip.setColorAt(0, kStripTop);
        strip.setColorAt(1, kStripBottom);
        p.fillRect(r, strip);
        if (state == CellState::Pressed || state == CellState::Selected) {
            p.setPen(Qt::NoPen);
            p.setBrush(state == CellState::Selected ? kAccentDark : QColor(50, 57, 67));
            p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 4, 4);
            p.fillRect(QRectF(r.left() + 6, r.bottom() - 3, r.width() - 12, 2), kAccent);
        }
        p.setPen(state == CellState::Disabled ? kIconDisabled : kIcon);
        p.setFont(Font(12, 600));
        p.drawText(r, Qt::AlignCenter, words);
    });
}

QImage TabButton(QSize cell, const QString& words) {
    return CellStrip(cell, 4, [&](QPainter& p, const QRectF& r, int i) {
        const CellState state = kButtonStates[static_cast<std::size_t>(i)];
        const bool on = state == CellState::Selected || state == CellState::Pressed;
        p.setPen(QPen(on ? kAccent : kLine, 1));
        p.setBrush(on ? QColor(34, 48, 70) : QColor(31, 35, 41));
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, 4), 5, 5);
        if (state == CellState::Selected)
            p.fillRect(QRectF(r.left() + 1, r.bottom() - 2, r.width() - 2, 3), kAccent);
        p.setPen(state == CellState::Disabled ? kIconDisabled : (on ? Qt::white : kIcon));
        p.setFont(Font(12, 700));
        p.drawText(r, Qt::AlignCenter, words);
    });
}

void Speaker(QPainter& p, const QRectF& b, const QColor& c) {
    const double s = b.width();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF(
        {QPointF(b.left(), b.top() + s * 0.35), QPointF(b.left() + s * 0.25, b.top() + s * 0.35),
         QPointF(b.left() + s * 0.55, b.top() + s * 0.08),
         QPointF(b.left() + s * 0.55, b.bottom() - s * 0.08),
         QPointF(b.left() + s * 0.25, b.top() + s * 0.65), QPointF(b.left(), b.top() + s * 0.65)}));
}

QImage MuteBox(QSize cell) {
    return CellStrip(cell, 3, [&](QPainter& p, const QRectF& r, int i) {
        DrawButtonFace(p, r, i == 2 ? CellState::Disabled : CellState::Normal);
        const double side = std::floor(std::min(r.width(), r.height()) * 0.62);
        QRectF box(0, 0, side, side);
        box.moveCenter(r.center());
        const QColor colour = i == 2 ? kIconDisabled : kIcon;
        Speaker(p, box, colour);
        const double s = box.width();
        if (i == 1) {
            Stroke(p, kRed, s * 0.12);
            p.drawLine(QPointF(box.left() + s * 0.68, box.top() + s * 0.3),
                       QPointF(box.right(), box.bottom() - s * 0.3));
            p.drawLine(QPointF(box.left() + s * 0.68, box.bottom() - s * 0.3),
                       QPointF(box.right(), box.top() + s * 0.3));
        } else {
            Stroke(p, i == 2 ? kIconDisabled : kAccent.lighter(120), s * 0.1);
            p.drawArc(QRectF(box.left() + s * 0.35, box.top() + s * 0.25, s * 0.45, s * 0.5),
                      -50 * 16, 100 * 16);
            p.drawArc(QRectF(box.left() + s * 0.3, box.top() + s * 0.05, s * 0.7, s * 0.9),
                      -50 * 16, 100 * 16);
        }
    });
}

QImage PaneImage(QSize size, bool hidden) {
    QImage image = NewImage(size, QColor(12, 14, 17));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (hidden) {
        p.setPen(QPen(QColor(30, 34, 40), 6));
        for (int x = -size.height(); x < size.width(); x += 22)
            p.drawLine(x, size.height(), x + size.height(), 0);
    }
    const double side = size.height() * 0.28;
    QRectF box(0, 0, side, side);
    box.moveCenter(QPointF(size.width() / 2.0, size.height() * 0.42));
    const QColor colour(92, 100, 110);
    Icons().at(QStringLiteral("camera"))(p, box, colour);
    if (hidden) {
        Stroke(p, kRed.darker(120), side * 0.08);
        p.drawLine(box.bottomLeft() + QPointF(-6, 6), box.topRight() + QPointF(6, -6));
    }
    p.setPen(colour);
    p.setFont(Font(std::max(10, size.height() / 14), 700));
    p.drawText(QRectF(0, size.height() * 0.62, size.width(), size.height() * 0.15), Qt::AlignCenter,
               hidden ? QStringLiteral("PICTURE HIDDEN") : QStringLiteral("NO VIDEO"));
    return image;
}

// Glyph strips: each cell a centred text on the display colour.
QImage GlyphStrip(QSize cell, const QStringList& glyphs, int cells, const QColor& background,
                  const QColor& colour, const QFont& font) {
    QImage image = NewImage(QSize(cell.width() * cells, cell.height()), background);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(colour);
    for (int i = 0; i < cells && i < glyphs.size(); ++i)
        p.drawText(QRectF(i * cell.width(), 0, cell.width(), cell.height()), Qt::AlignCenter,
                   glyphs[i]);
    return image;
}

QStringList Digits(bool withDash) {
    QStringList digits;
    for (int i = 0; i < 10; ++i)
        digits << QString::number(i);
    if (withDash)
        digits << QStringLiteral("-");
    return digits;
}

// One lamp cell: optional left arrow, brake bar and right arrow, lit or dark.
void DrawLampCell(QPainter& p, const QRectF& r, bool showLeft, bool left, bool brake,
                  bool showRight, bool right) {
    p.fillRect(r, kDisplay);
    const double cy = r.center().y();
    const QColor dark(88, 88, 88);
    if (showLeft)
        FillPolygon(p,
                    QPolygonF({QPointF(r.left() + 3, cy), QPointF(r.left() + 17, cy - 8),
                               QPointF(r.left() + 17, cy - 3), QPointF(r.left() + 24, cy - 3),
                               QPointF(r.left() + 24, cy + 3), QPointF(r.left() + 17, cy + 3),
                               QPointF(r.left() + 17, cy + 8)}),
                    left ? kAmber : dark);
    if (showRight)
        FillPolygon(p,
                    QPolygonF({QPointF(r.right() - 3, cy), QPointF(r.right() - 17, cy - 8),
                               QPointF(r.right() - 17, cy - 3), QPointF(r.right() - 24, cy - 3),
                               QPointF(r.right() - 24, cy + 3), QPointF(r.right() - 17, cy + 3),
                               QPointF(r.right() - 17, cy + 8)}),
                    right ? kAmber : dark);
    const double brakeLeft = showLeft ? r.left() + 28 : r.left() + 4;
    const double brakeRight = showRight ? r.right() - 28 : r.right() - 4;
    p.setPen(Qt::NoPen);
    p.setBrush(brake ? kRed : dark);
    p.drawRoundedRect(QRectF(brakeLeft, cy - 5, brakeRight - brakeLeft, 10), 3, 3);
}

QImage Strip(const QString& name, QSize size, std::string& error) {
    const QFont mono = Font(12, 700, true);
    const QColor digitColour(235, 240, 245);
    if (name == "smalldigitsA")
        return GlyphStrip({8, 12}, Digits(false), 10, kDateDisplay, digitColour,
                          Font(11, 700, true));
    if (name == "smalldigitsB")
        return GlyphStrip({8, 12}, Digits(false), 10, kDateDisplay, QColor(255, 214, 102),
                          Font(11, 700, true));
    if (name == "largedigits")
        return GlyphStrip({11, 15}, Digits(false), 12, kDateDisplay, digitColour,
                          Font(15, 700, true));
    if (name == "weekdays")
        return GlyphStrip({27, 12}, {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"}, 7,
                          kDateDisplay, QColor(170, 200, 255), Font(10, 700));
    if (name == "dateseparators")
        return GlyphStrip({6, 15}, {"-", ":"}, 2, kDateDisplay, digitColour, Font(13, 700, true));
    if (name == "valuedigits")
        return GlyphStrip({12, 17}, Digits(true), 11, kDisplay, digitColour, Font(16, 700, true));
    if (name == "valuemarks") {
        QImage image = NewImage({19, 17}, kDisplay);
        QPainter p(&image);
        p.setPen(digitColour);
        p.setFont(Font(14, 700, true));
        p.drawText(QRectF(0, 0, 4, 17), Qt::AlignCenter, QStringLiteral("."));
        p.drawText(QRectF(4, 0, 4, 10), Qt::AlignCenter, QString(QChar(0x00B0)));
        p.drawText(QRectF(8, 0, 4, 12), Qt::AlignCenter, QStringLiteral("'"));
        p.drawText(QRectF(12, 0, 7, 12), Qt::AlignCenter, QStringLiteral("\""));
        return image;
    }
    if (name == "compass")
        return GlyphStrip({13, 16}, {"N", "S", "E", "W"}, 4, kDisplay, QColor(120, 200, 255),
                          Font(14, 700));
    if (name == "speeddigits")
        return GlyphStrip({18, 27}, Digits(true), 11, kDisplay, digitColour, Font(27, 700, true));
    if (name == "speedlabel")
        return GlyphStrip({42, 12}, {"PULSE", "GPS"}, 2, kPanel, QColor(160, 170, 182),
                          Font(10, 700));
    if (name == "speedmark") {
        QImage image = NewImage({22, 11}, kPanel);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(kAmber);
        p.drawEllipse(QRectF(1.5, 1.5, 8, 8));
        p.setBrush(kGreen);
        p.drawEllipse(QRectF(12.5, 1.5, 8, 8));
        return image;
    }
    if (name == "leftlamp" || name == "rightlamp") {
        // States: 0 brake and turn, 1 neither, 2 turn only, 3 brake only.
        const bool leftSide = name == "leftlamp";
        return CellStrip({65, 22}, 4, [&](QPainter& p, const QRectF& r, int state) {
            const bool turn = state == 0 || state == 2;
            const bool brake = state == 0 || state == 3;
            DrawLampCell(p, r, leftSide, turn && leftSide, brake, !leftSide, turn && !leftSide);
        });
    }
    if (name == "combinedlamp") {
        // States by brake B, left L, right R: 0 BLR, 1 none, 2 BL, 3 LR, 4 BR, 5 L, 6 B, 7 R.
        constexpr std::array<std::array<bool, 3>, 8> kStates = {{{true, true, true},
                                                                 {false, false, false},
                                                                 {true, true, false},
                                                                 {false, true, true},
                                                                 {true, false, true},
                                                                 {false, true, false},
                                                                 {true, false, false},
                                                                 {false, false, true}}};
        return CellStrip({65, 22}, 8, [&](QPainter& p, const QRectF& r, int state) {
            const auto& [brake, left, right] = kStates[static_cast<std::size_t>(state)];
            DrawLampCell(p, r, true, left, brake, true, right);
        });
    }
    if (name == "inputlamps") {
        QImage image = NewImage({28, 14}, kDisplay);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(kGreen);
        p.drawEllipse(QRectF(2.5, 2.5, 9, 9));
        p.setBrush(QColor(90, 90, 90));
        p.drawEllipse(QRectF(16.5, 2.5, 9, 9));
        return image;
    }
    if (name == "inputlabels") {
        QImage image = NewImage({32, 13}, kDisplay);
        QPainter p(&image);
        p.setPen(QColor(200, 200, 200));
        p.setFont(Font(10, 700));
        const std::array<QRectF, 4> cells = {QRectF(0, 0, 5, 13), QRectF(5, 0, 9, 13),
                                             QRectF(14, 0, 9, 13), QRectF(23, 0, 9, 13)};
        for (int i = 0; i < 4; ++i)
            p.drawText(cells[static_cast<std::size_t>(i)], Qt::AlignCenter, QString::number(i + 1));
        return image;
    }
    if (name == "volumetrack") {
        QImage image = NewImage({61, 12}, kPanel);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient ramp(0, 0, 61, 0);
        ramp.setColorAt(0, kAccentDark);
        ramp.setColorAt(1, kAccent);
        p.setPen(Qt::NoPen);
        p.setBrush(ramp);
        p.drawPolygon(QPolygonF({QPointF(2, 9), QPointF(59, 2), QPointF(59, 10), QPointF(2, 10)}));
        return image;
    }
    if (name == "timetrack") {
        QImage image = NewImage({630, 12}, kPanel);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kLine, 1));
        p.setBrush(QColor(10, 12, 15));
        p.drawRoundedRect(QRectF(0.5, 2.5, 629, 7), 3.5, 3.5);
        return image;
    }
    if (name == "thumb") {
        QImage image = NewImage({20, 20}, kPanel);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient knob(0, 0, 0, 20);
        knob.setColorAt(0, QColor(240, 244, 248));
        knob.setColorAt(1, QColor(170, 178, 188));
        p.setPen(QPen(QColor(10, 12, 15), 1));
        p.setBrush(knob);
        p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(7, 7, 6, 6));
        return image;
    }
    (void)mono;
    (void)size;
    error = "unknown strip " + name.toStdString();
    return {};
}

void Well(QPainter& p, const QRect& r, const QColor& fill, int radius = 4) {
    p.setPen(QPen(kLine, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(r).adjusted(-1.5, -1.5, 1.5, 1.5), radius, radius);
}

void Caption(QPainter& p, const QRect& r, const QString& text,
             int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    p.setPen(QColor(128, 138, 150));
    p.setFont(Font(10, 700));
    p.drawText(r, flags, text);
}

QImage Background(const LayoutItem& self, const Layout& layout) {
    QImage image = NewImage(self.rect.size(), self.color);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Title strip with the application mark (a double click on it exits).
    QLinearGradient strip(0, 0, 0, 32);
    strip.setColorAt(0, kStripTop);
    strip.setColorAt(1, kStripBottom);
    p.fillRect(QRect(0, 0, image.width(), 32), strip);
    p.fillRect(QRect(0, 32, image.width(), 1), kLine);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(7, 7, 14, 14), 3, 3);
    p.setPen(Qt::white);
    p.setFont(Font(11, 800));
    p.drawText(QRectF(7, 7, 14, 14), Qt::AlignCenter, QStringLiteral("T"));
    p.setPen(kIcon);
    p.setFont(Font(15, 800));
    p.drawText(QRect(28, 0, 80, 32), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TREVIX"));
    p.setPen(QColor(128, 138, 150));
    p.setFont(Font(10, 600));
    p.drawText(QRect(96, 2, 60, 32), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VIEWER"));

    // Wells behind the child windows and the speed indicator.
    for (const int item : {1, 2, 3, 4})
        if (const LayoutItem* child = layout.Find(item))
            Well(p, child->rect, QColor(10, 12, 15));

    // The dashboard of status displays (their places are fixed by the panel).
    p.setPen(QPen(kLine, 1));
    p.setBrush(kWell);
    p.drawRoundedRect(QRectF(6.5, 573.5, 180, 189), 6, 6);
    p.drawRoundedRect(QRectF(188.5, 573.5, 473, 189), 6, 6);
    for (const QRect& display :
         {QRect(55, 580, 62, 29), QRect(15, 622, 163, 26), QRect(115, 655, 63, 20),
          QRect(30, 678, 63, 20), QRect(115, 678, 63, 20), QRect(11, 710, 168, 45)})
        Well(p, display, kDisplay, 3);
    Well(p, QRect(431, 578, 230, 24), kDateDisplay, 3);
    if (const LayoutItem* speed = layout.Find(7))
        Well(p, speed->rect, speed->color, 3);
    Caption(p, QRect(14, 582, 40, 12), QStringLiteral("SPEED"));
    Caption(p, QRect(121, 595, 50, 12), QStringLiteral("km/h"));
    Caption(p, QRect(15, 610, 80, 12), QStringLiteral("SIGNALS"));
    Caption(p, QRect(15, 658, 90, 12), QStringLiteral("G-SENSOR"));
    Caption(p, QRect(100, 657, 12, 16), QStringLiteral("Z"), Qt::AlignCenter);
    Caption(p, QRect(15, 680, 12, 16), QStringLiteral("X"), Qt::AlignCenter);
    Caption(p, QRect(100, 680, 12, 16), QStringLiteral("Y"), Qt::AlignCenter);
    Caption(p, QRect(15, 699, 80, 11), QStringLiteral("GPS"));
    return image;
}

} // namespace

QImage DrawPicture(const LayoutItem& item, const Layout& layout, std::string& error) {
    const QString& name = item.picture;
    const QString kind = name.section(QLatin1Char(':'), 0, 0);
    QString argument = name.section(QLatin1Char(':'), 1);
    argument.replace(QLatin1Char('_'), QLatin1Char(' '));
    const QSize cell = item.rect.size();
    QImage image;
    if (kind == "background") {
        image = Background(item, layout);
    } else if (kind == "button") {
        const auto found = Icons().find(argument);
        if (found == Icons().end()) {
            error = "unknown icon " + argument.toStdString();
            return {};
        }
        image = IconButton(cell, found->second);
    } else if (kind == "text") {
        image = TextButton(cell, argument);
    } else if (kind == "menu") {
        image = MenuButton(cell, argument);
    } else if (kind == "tab") {
        image = TabButton(cell, argument);
    } else if (kind == "mute") {
        image = MuteBox(cell);
    } else if (kind == "nopicture" || kind == "hidden") {
        image = PaneImage(cell, kind == "hidden");
    } else if (kind == "strip") {
        image = Strip(argument, cell, error);
    } else {
        error = "unknown picture " + name.toStdString();
        return {};
    }
    return image.convertToFormat(QImage::Format_BGR888);
}

} // namespace trevix::mkskin
