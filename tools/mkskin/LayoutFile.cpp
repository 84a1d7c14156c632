#include "tools/mkskin/LayoutFile.h"

#include <QStringList>

#include <set>

namespace trevix::mkskin {

const LayoutItem* Layout::Find(int item) const {
    for (const auto& entry : items)
        if (entry.item == item)
            return &entry;
    return nullptr;
}

std::optional<Layout> ParseLayout(const QString& text, std::string& error) {
    Layout layout;
    std::set<int> seen;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int index = 0; index < lines.size(); ++index) {
        const QString line = lines[index].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const auto fail = [&](const char* why) {
            error = "line " + std::to_string(index + 1) + ": " + why;
            return std::nullopt;
        };
        if (fields.size() != 8)
            return fail("expected: item left top right bottom #rrggbb visible picture");
        LayoutItem item;
        bool ok[6] = {};
        item.item = fields[0].toInt(&ok[0]);
        const int left = fields[1].toInt(&ok[1]);
        const int top = fields[2].toInt(&ok[2]);
        const int right = fields[3].toInt(&ok[3]);
        const int bottom = fields[4].toInt(&ok[4]);
        const int visible = fields[6].toInt(&ok[5]);
        for (const bool good : ok)
            if (!good)
                return fail("not a number");
        if (right <= left || bottom <= top)
            return fail("empty rectangle");
        item.color = QColor(fields[5]);
        if (!item.color.isValid() || !fields[5].startsWith(QLatin1Char('#')))
            return fail("colour must be #rrggbb");
        if (!seen.insert(item.item).second)
            return fail("item listed twice");
        item.rect = QRect(left, top, right - left, bottom - top);
        item.visible = visible != 0;
        item.picture = fields[7];
        item.line = index + 1;
        layout.items.push_back(item);
    }
    return layout;
}

} // namespace trevix::mkskin
