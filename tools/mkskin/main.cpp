// mkskin LAYOUT OUTDIR [--preview PNG]: draws the skin's pictures and writes OUTDIR/trevix.dsc
// and OUTDIR/trevix.chk. With --preview it also saves the panel as it would look, and a sheet
// of every picture beside it ("-sheet.png"), for people to look at.
#include "app/SkinFile.h"
#include "tools/mkskin/LayoutFile.h"
#include "tools/mkskin/SkinArt.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>
#include <vector>

namespace {

using trevix::mkskin::Layout;
using trevix::mkskin::LayoutItem;

bool WriteBytes(const QString& path, const std::vector<std::byte>& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return file.commit();
}

std::uint32_t Colorref(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

// Children of the file-list window are placed in its client area.
bool IsFileListChild(int item) {
    return (item >= 26 && item <= 31) || item == 39 || item == 43 || item == 44 || item == 53;
}

QImage Preview(const Layout& layout, const std::vector<QImage>& pictures) {
    QImage panel(1024, 768, QImage::Format_RGB32);
    panel.fill(Qt::black);
    QPainter p(&panel);
    const LayoutItem* fileList = layout.Find(trevix::skin_item::kFileListWindow);
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        const LayoutItem& item = layout.items[i];
        const QImage& picture = pictures[i];
        if (picture.isNull() || !item.visible)
            continue;
        if (item.item == trevix::skin_item::kBackground) {
            p.drawImage(QPoint(0, 0), picture);
            continue;
        }
        const bool button = item.picture.startsWith("button:") ||
                            item.picture.startsWith("text:") || item.picture.startsWith("menu:") ||
                            item.picture.startsWith("tab:") || item.picture == "mute";
        if (!button || item.item == trevix::skin_item::kLogSearchButton)
            continue;
        QRect place = item.rect;
        if (IsFileListChild(item.item) && fileList != nullptr)
            place.translate(fileList->rect.topLeft());
        const int cells = item.picture == "mute" ? 3 : 4;
        // The Event tab shows as selected, the way the file-list window starts.
        const int cell = item.item == 29 ? 2 : 0;
        const int cellWidth = picture.width() / cells;
        p.drawImage(place, picture, QRect(cell * cellWidth, 0, cellWidth, picture.height()));
    }
    return panel;
}

QImage Sheet(const std::vector<QImage>& pictures) {
    int width = 0;
    int height = 0;
    for (const QImage& picture : pictures) {
        if (picture.isNull() || picture.width() > 700)
            continue;
        width = std::max(width, picture.width());
        height += picture.height() + 4;
    }
    QImage sheet(width + 8, height + 8, QImage::Format_RGB32);
    sheet.fill(QColor(255, 0, 255));
    QPainter p(&sheet);
    int y = 4;
    for (const QImage& picture : pictures) {
        if (picture.isNull() || picture.width() > 700)
            continue;
        p.drawImage(QPoint(4, y), picture);
        y += picture.height() + 4;
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 3 && !(args.size() == 5 && args[3] == "--preview")) {
        std::fprintf(stderr, "usage: mkskin LAYOUT OUTDIR [--preview PNG]\n");
        return 2;
    }
    QFile layoutFile(args[1]);
    if (!layoutFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkskin: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    std::string error;
    const auto layout = trevix::mkskin::ParseLayout(QString::fromUtf8(layoutFile.readAll()), error);
    if (!layout) {
        std::fprintf(stderr, "mkskin: %s: %s\n", qPrintable(args[1]), error.c_str());
        return 1;
    }

    std::vector<std::byte> store;
    std::vector<trevix::SkinControl_Info> records;
    std::vector<QImage> pictures;
    for (const LayoutItem& item : layout->items) {
        trevix::SkinControl_Info record;
        record.item = item.item;
        record.left = item.rect.left();
        record.top = item.rect.top();
        record.right = item.rect.left() + item.rect.width();
        record.bottom = item.rect.top() + item.rect.height();
        record.color = Colorref(item.color);
        record.visible = item.visible ? 1 : 0;
        QImage picture;
        if (item.picture != "-") {
            picture = trevix::mkskin::DrawPicture(item, *layout, error);
            if (picture.isNull()) {
                std::fprintf(stderr, "mkskin: line %d: %s\n", item.line, error.c_str());
                return 1;
            }
            record.pictureOffset = static_cast<std::uint32_t>(store.size());
            const auto bitmap = trevix::EncodeBmp24(picture);
            store.insert(store.end(), bitmap.begin(), bitmap.end());
        }
        pictures.push_back(picture);
        records.push_back(record);
    }

    const QString folder = args[2];
    if (!WriteBytes(folder + "/trevix.chk", store) ||
        !WriteBytes(folder + "/trevix.dsc", trevix::EncodeSkinDescription(records))) {
        std::fprintf(stderr, "mkskin: cannot write the skin into %s\n", qPrintable(folder));
        return 1;
    }
    if (args.size() == 5) {
        QString sheetPath = args[4];
        sheetPath.replace(QStringLiteral(".png"), QStringLiteral("-sheet.png"));
        if (!Preview(*layout, pictures).save(args[4]) || !Sheet(pictures).save(sheetPath))
            std::fprintf(stderr, "mkskin: cannot save the preview %s\n", qPrintable(args[4]));
    }
    return 0;
}
