// Menus that a panel button drops down run their own event loop: this looks at the menu while
// it is open and then closes it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>

#include <functional>

namespace trevix::test {

// Runs inspect on the menu that open drops down, then closes it; false when none appeared.
inline bool WithDroppedMenu(const std::function<void()>& open,
                            const std::function<void(QMenu&)>& inspect) {
    bool seen = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu != nullptr && menu->isVisible()) {
            poll.stop();
            seen = true;
            inspect(*menu);
            menu->close();
        } else if (clock.elapsed() > 10000) {
            poll.stop();
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<QMenu*>(widget) != nullptr && widget->isVisible())
                    widget->close();
        }
    });
    poll.start();
    open();
    return seen;
}

} // namespace trevix::test
