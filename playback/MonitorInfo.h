// The display monitors of the desktop: their rectangles in enumeration order, read once, for
// the size of the full-screen state and the monitor under a point.
#pragma once

#include <QRect>

#include <mutex>
#include <string>
#include <vector>

namespace trevix {

struct MonitorEntry {
    std::string name;
    QRect available; // the rectangle the enumeration gives (work area)
    QRect geometry;  // the monitor rectangle
    bool primary = false;
};

class CMonitorInfo {
public:
    // The monitors of the running application (QGuiApplication::screens), read on first use.
    CMonitorInfo() = default;
    // A fixed list (tests, or a caller that already enumerated).
    explicit CMonitorInfo(std::vector<MonitorEntry> monitors);

    // The monitor rectangle of index; an empty rectangle past the end.
    QRect GetMonitorRect(int index) const;
    // The largest width and height over all monitors (0 without monitors).
    int GetMaxWidth() const;
    int GetMaxHeight() const;
    // The index of the first monitor whose rectangle contains the point; -1 when none does.
    int MonitorFromPoint(int x, int y) const;
    int Count() const;

private:
    // Enumerates once; traces "%s lprc[%d,%d,%d,%d], mi[%d,%d,%d,%d] : %s" per monitor.
    const std::vector<MonitorEntry>& Monitors() const;

    mutable std::once_flag enumerated_;
    mutable std::vector<MonitorEntry> monitors_;
    bool fixed_ = false;
};

} // namespace trevix
