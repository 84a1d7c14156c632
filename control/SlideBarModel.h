// The state of a slide bar without its window: range and position, the mapping between values
// and pixels, the rules of a mouse drag, and the time bar's marks and recorded spans.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace trevix {

// The kinds of slide bar.
enum class SlideBarKind { Volume = 1, Time = 2 };

// Messages of a slide bar to its parent (the bar and its position): while dragging, at every
// change of the position; when the mouse button is released.
inline constexpr int kMsgSlideBarMoving = 2024;
inline constexpr int kMsgSlideBarReleased = 2025;

// Where the track lies in the bar's client area and what it leaves free at its ends.
struct SlideBarGeometry {
    int trackX = 0;
    int trackY = 0;
    int trackWidth = 0;
    int trackHeight = 0;
    int leftMargin = 4;
    int rightMargin = 4;
    int thumbWidth = 20;
    int thumbHeight = 20;
};

// The volume bar: a 61 x 12 track at (0, 3), 0-100 starting at 50. The time bar: a 648 x 12
// track at (0, 3). Both have 20 x 20 thumbs and margins of 4.
SlideBarGeometry VolumeBarGeometry();
SlideBarGeometry TimeBarGeometry();
inline constexpr int kVolumeBarMinimum = 0;
inline constexpr int kVolumeBarMaximum = 100;
inline constexpr int kVolumeBarStart = 50;

// A recorded stretch of the time bar in seconds from its start, first and last included.
struct SlideSpan {
    std::int32_t first = 0;
    std::int32_t last = 0;

    bool operator==(const SlideSpan&) const = default;
};

// A span's ends in pixels.
struct PixelSpan {
    int left = 0;
    int right = 0;

    bool operator==(const PixelSpan&) const = default;
};

class SlideBarModel {
public:
    explicit SlideBarModel(const SlideBarGeometry& geometry);

    const SlideBarGeometry& Geometry() const { return geometry_; }
    // The thumb's size follows its picture.
    void SetThumbSize(int width, int height);

    // A maximum below the minimum is taken as the minimum; the position is kept inside.
    // True when range or position changed.
    bool SetRange(std::int32_t minimum, std::int32_t maximum);
    // Clamps value into the range. True when the position changed.
    bool SetPosition(std::int32_t value);
    std::int32_t Minimum() const { return minimum_; }
    std::int32_t Maximum() const { return maximum_; }
    std::int32_t Position() const { return position_; }

    // Usable length: track width less both margins and the thumb (0 when they fill it).
    int UsableLength() const;
    int HalfThumb() const { return geometry_.thumbWidth / 2; }
    // The pixel of a value: the thumb's centre when the position is value. An empty range puts
    // every value at the left end.
    int PixelOfValue(std::int32_t value) const;
    // The value of a pixel (not clamped to the range).
    std::int32_t ValueOfPixel(int pixel) const;
    // The thumb's left edge and centre at the current position.
    int ThumbLeft() const { return PixelOfValue(position_) - HalfThumb(); }
    int ThumbCentre() const { return PixelOfValue(position_); }

    // Mouse rules. Each returns true when the position changed (the bar tells its parent).
    // A press more than half a thumb away from the thumb's centre makes the thumb jump under
    // the mouse; nearer, the thumb keeps the offset at which it was grabbed.
    bool Press(int x);
    bool Move(int x);
    // True when a drag ended (the bar tells its parent the final position).
    bool Release();
    // Ends a drag without telling anyone (the bar was disabled).
    void CancelDrag();
    bool Dragging() const { return dragging_; }
    int GrabOffset() const { return grabOffset_; }

    // Marks, each value once. Returns true when it was added.
    bool AddMark(std::int32_t value);
    void ClearMarks() { marks_.clear(); }
    const std::vector<std::int32_t>& Marks() const { return marks_; }
    // The pixels of the marks inside the range; marks outside it are not shown.
    std::vector<int> VisibleMarkPixels() const;

    void SetRecordedSpans(std::vector<SlideSpan> spans);
    void ClearRecordedSpans() { spans_.clear(); }
    const std::vector<SlideSpan>& RecordedSpans() const { return spans_; }
    // The spans clipped to the range, in pixels; spans wholly outside it are left out.
    std::vector<PixelSpan> VisibleSpanPixels() const;

private:
    SlideBarGeometry geometry_;
    std::int32_t minimum_ = 0;
    std::int32_t maximum_ = 0;
    std::int32_t position_ = 0;
    bool dragging_ = false;
    int grabOffset_ = 0;
    std::vector<std::int32_t> marks_;
    std::vector<SlideSpan> spans_;
};

} // namespace trevix
