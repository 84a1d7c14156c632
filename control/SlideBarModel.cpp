#include "control/SlideBarModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace trevix {
namespace {

constexpr int kTrackY = 3;
constexpr int kTrackHeight = 12;
constexpr int kVolumeTrackWidth = 61;
constexpr int kTimeTrackWidth = 648;

// A double truncated toward zero into the 32-bit range.
std::int32_t TruncateToInt32(double value) {
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(std::trunc(value), low, high));
}

// A 12 pixels high track across the bar at y 3, with the default margins and thumb.
SlideBarGeometry TrackAcross(int width) {
    SlideBarGeometry geometry;
    geometry.trackY = kTrackY;
    geometry.trackWidth = width;
    geometry.trackHeight = kTrackHeight;
    return geometry;
}

} // namespace

SlideBarGeometry VolumeBarGeometry() {
    return TrackAcross(kVolumeTrackWidth);
}

SlideBarGeometry TimeBarGeometry() {
    return TrackAcross(kTimeTrackWidth);
}

SlideBarModel::SlideBarModel(const SlideBarGeometry& geometry) : geometry_(geometry) {}

void SlideBarModel::SetThumbSize(int width, int height) {
    geometry_.thumbWidth = std::max(0, width);
    geometry_.thumbHeight = std::max(0, height);
}

bool SlideBarModel::SetRange(std::int32_t minimum, std::int32_t maximum) {
    const std::int32_t top = std::max(minimum, maximum);
    const bool changed = minimum != minimum_ || top != maximum_;
    minimum_ = minimum;
    maximum_ = top;
    const std::int32_t kept = std::clamp(position_, minimum_, maximum_);
    const bool moved = kept != position_;
    position_ = kept;
    return changed || moved;
}

bool SlideBarModel::SetPosition(std::int32_t value) {
    const std::int32_t clamped = std::clamp(value, minimum_, maximum_);
    if (clamped == position_)
        return false;
    position_ = clamped;
    return true;
}

int SlideBarModel::UsableLength() const {
    const int usable =
        geometry_.trackWidth - geometry_.leftMargin - geometry_.rightMargin - geometry_.thumbWidth;
    return std::max(0, usable);
}

int SlideBarModel::PixelOfValue(std::int32_t value) const {
    const double span = static_cast<double>(maximum_) - static_cast<double>(minimum_);
    // Multiplying before dividing keeps whole results whole (250 of 620 over 620 pixels is
    // 250, not 249.99...) before the truncation.
    double offset = 0.0;
    if (span > 0.0)
        offset =
            (static_cast<double>(value) - static_cast<double>(minimum_)) * UsableLength() / span;
    return TruncateToInt32(geometry_.leftMargin + offset) + HalfThumb();
}

std::int32_t SlideBarModel::ValueOfPixel(int pixel) const {
    const int usable = UsableLength();
    if (usable <= 0)
        return minimum_;
    const double span = static_cast<double>(maximum_) - static_cast<double>(minimum_);
    const double offset = static_cast<double>(pixel) - HalfThumb() - geometry_.leftMargin;
    return TruncateToInt32(offset * span / usable + minimum_);
}

bool SlideBarModel::Press(int x) {
    dragging_ = true;
    const int centre = ThumbCentre();
    grabOffset_ = std::abs(x - centre) > HalfThumb() ? 0 : x - centre;
    return Move(x);
}

bool SlideBarModel::Move(int x) {
    if (!dragging_)
        return false;
    const int low = geometry_.leftMargin + HalfThumb();
    const int high = std::max(low, geometry_.trackWidth - geometry_.rightMargin - HalfThumb());
    const int kept = std::clamp(x - grabOffset_, low, high);
    if (kept == PixelOfValue(position_))
        return false;
    return SetPosition(ValueOfPixel(kept));
}

bool SlideBarModel::Release() {
    const bool wasDragging = dragging_;
    dragging_ = false;
    return wasDragging;
}

void SlideBarModel::CancelDrag() {
    dragging_ = false;
}

bool SlideBarModel::AddMark(std::int32_t value) {
    if (std::find(marks_.begin(), marks_.end(), value) != marks_.end())
        return false;
    marks_.push_back(value);
    return true;
}

std::vector<int> SlideBarModel::VisibleMarkPixels() const {
    std::vector<int> pixels;
    for (const std::int32_t mark : marks_)
        if (mark >= minimum_ && mark <= maximum_)
            pixels.push_back(PixelOfValue(mark));
    return pixels;
}

void SlideBarModel::SetRecordedSpans(std::vector<SlideSpan> spans) {
    spans_ = std::move(spans);
}

std::vector<PixelSpan> SlideBarModel::VisibleSpanPixels() const {
    std::vector<PixelSpan> pixels;
    for (const SlideSpan& span : spans_) {
        const std::int32_t first = std::min(span.first, span.last);
        const std::int32_t last = std::max(span.first, span.last);
        if (last < minimum_ || first > maximum_)
            continue;
        pixels.push_back(PixelSpan{PixelOfValue(std::max(first, minimum_)),
                                   PixelOfValue(std::min(last, maximum_))});
    }
    return pixels;
}

} // namespace trevix
