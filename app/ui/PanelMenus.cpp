#include "app/ui/PanelMenus.h"

#include "app/Lang.h"

#include <vector>

namespace trevix {

namespace {

QString MenuText(const cmd::MenuEntry& entry) {
    return QString::fromStdString(Lang(cmd::kMenuSection, entry.key, entry.text));
}

QString ObjectName(const cmd::MenuEntry& entry) {
    return QString::fromLatin1(entry.key.data(), static_cast<qsizetype>(entry.key.size()));
}

} // namespace

std::unique_ptr<QMenu> BuildPanelMenu(cmd::PanelMenu menu, const CommandContext& context,
                                      QWidget* owner) {
    auto root = std::make_unique<QMenu>(owner);
    std::span<const cmd::MenuEntry> entries = cmd::MenuEntries(menu);
    // Vendor 999 sees only the Help menu's first item.
    if (menu == cmd::PanelMenu::Help && !HelpShowsHomepage(context.vendor))
        entries = entries.first(1);

    // The menu open at each depth; a submenu entry opens the next depth.
    std::vector<QMenu*> open = {root.get()};
    for (const cmd::MenuEntry& entry : entries) {
        open.resize(static_cast<std::size_t>(entry.depth) + 1);
        QMenu* parent = open.back();
        switch (entry.kind) {
        case cmd::MenuEntryKind::Separator:
            parent->addSeparator();
            break;
        case cmd::MenuEntryKind::Submenu: {
            QMenu* submenu = parent->addMenu(MenuText(entry));
            submenu->setObjectName(ObjectName(entry));
            submenu->menuAction()->setObjectName(ObjectName(entry));
            submenu->setEnabled(MenuItemEnabled(entry.id, context));
            open.push_back(submenu);
            break;
        }
        case cmd::MenuEntryKind::Item: {
            QAction* action = parent->addAction(MenuText(entry));
            action->setObjectName(ObjectName(entry));
            action->setData(entry.id);
            action->setEnabled(MenuItemEnabled(entry.id, context));
            if (MenuItemChecked(entry.id, context)) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            break;
        }
        }
    }
    return root;
}

int CommandOfAction(const QAction* action) {
    if (action == nullptr)
        return 0;
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : 0;
}

} // namespace trevix
