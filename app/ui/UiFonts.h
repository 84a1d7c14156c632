// The five fonts the viewer's controls, panes and lists share by index 0..4. The application
// object fills them once at start-up; until then (and in tests) they are made from the
// desktop's default font family.
#pragma once

#include <QFont>

#include <array>

namespace trevix {

class UiFonts {
public:
    static constexpr int kCount = 5;

    // Font index 0..4; other indexes give font 0.
    static QFont Get(int index);
    // Replaces all five.
    static void Set(const std::array<QFont, kCount>& fonts);
    // The five fonts built from family: cell heights (line heights) of at most 15, 16, 16, 18,
    // 20 pixels and weights 500, 400, 700, 700, 700.
    static std::array<QFont, kCount> Make(const QString& family);
};

} // namespace trevix
