#include "control/ui/ZVCarSignal.h"

#include "app/SkinFile.h"
#include "app/ViewerConfig.h"
#include "control/CarSignalLamps.h"
#include "control/ui/UiThread.h"

#include <array>

namespace trevix {
namespace {

constexpr std::array<int, 5> kStrips = {skin_item::kLeftLamp, skin_item::kRightLamp,
                                        skin_item::kCombinedLamp, skin_item::kInputLamps,
                                        skin_item::kInputLabels};

} // namespace

const QColor CZVCarSignal::kBackground(60, 60, 60);

QRect CZVCarSignal::PanelRect() {
    return QRect(QPoint(15, 622), QPoint(177, 647));
}

CZVCarSignal::CZVCarSignal(QWidget* parent) : CZVDigitDisplay(kBackground, false, parent) {}

void CZVCarSignal::SetModelReader(std::function<int()> reader) {
    modelReader_ = std::move(reader);
}

int CZVCarSignal::Model() const {
    return modelReader_ ? modelReader_() : ViewerConfig::kDefaultModel;
}

void CZVCarSignal::SetBits(std::uint8_t bits) {
    if (HandedToOwnThread(this, [this, bits] { SetBits(bits); }))
        return;
    if (bits == bits_)
        return;
    bits_ = bits;
    update();
}

void CZVCarSignal::Redraw() {
    if (HandedToOwnThread(this, [this] { Redraw(); }))
        return;
    update();
}

GlyphList CZVCarSignal::CurrentGlyphs() const {
    const QRect client = ClientArea();
    return CarSignalGlyphs(bits_, Model(), client.width(), client.height());
}

std::span<const int> CZVCarSignal::StripItems() const {
    return kStrips;
}

} // namespace trevix
