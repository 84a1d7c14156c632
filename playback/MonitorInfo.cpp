#include "playback/MonitorInfo.h"

#include "app/TraceLog.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace trevix {

namespace {

// Right and bottom exclusive, as the monitor rectangles are traced.
void TraceMonitor(const MonitorEntry& monitor) {
    const QRect& a = monitor.available;
    const QRect& g = monitor.geometry;
    TRACE("%s lprc[%d,%d,%d,%d], mi[%d,%d,%d,%d] : %s", monitor.name.c_str(), a.left(), a.top(),
          a.left() + a.width(), a.top() + a.height(), g.left(), g.top(), g.left() + g.width(),
          g.top() + g.height(), monitor.primary ? "PRIMARY" : "");
}

std::vector<MonitorEntry> EnumerateScreens() {
    std::vector<MonitorEntry> monitors;
    if (QGuiApplication::instance() == nullptr)
        return monitors;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        MonitorEntry entry{screen->name().toStdString(), screen->availableGeometry(),
                           screen->geometry(), screen == primary};
        TraceMonitor(entry);
        monitors.push_back(std::move(entry));
    }
    return monitors;
}

} // namespace

CMonitorInfo::CMonitorInfo(std::vector<MonitorEntry> monitors)
    : monitors_(std::move(monitors)), fixed_(true) {}

const std::vector<MonitorEntry>& CMonitorInfo::Monitors() const {
    std::call_once(enumerated_, [this] {
        if (!fixed_)
            monitors_ = EnumerateScreens();
    });
    return monitors_;
}

QRect CMonitorInfo::GetMonitorRect(int index) const {
    const auto& monitors = Monitors();
    if (index < 0 || index >= static_cast<int>(monitors.size()))
        return {};
    return monitors[static_cast<std::size_t>(index)].geometry;
}

int CMonitorInfo::GetMaxWidth() const {
    int width = 0;
    for (const MonitorEntry& monitor : Monitors())
        width = std::max(width, monitor.geometry.width());
    return width;
}

int CMonitorInfo::GetMaxHeight() const {
    int height = 0;
    for (const MonitorEntry& monitor : Monitors())
        height = std::max(height, monitor.geometry.height());
    return height;
}

int CMonitorInfo::MonitorFromPoint(int x, int y) const {
    const auto& monitors = Monitors();
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].geometry.contains(x, y))
            return static_cast<int>(i);
    return -1;
}

int CMonitorInfo::Count() const {
    return static_cast<int>(Monitors().size());
}

} // namespace trevix
