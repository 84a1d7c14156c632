#include "playback/PaneOsd.h"

#include "app/Lang.h"
#include "recorder/Vocabulary.h"

#include <algorithm>
#include <cstdio>

namespace trevix {

namespace {

constexpr int kDebugLineTop = 20;

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[128];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    if (length < 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(std::min<int>(length, sizeof buffer - 1)));
}

std::string PhaseLabel(std::uint8_t phase) {
    switch (phase) {
    case kPhaseNormal:
        return Lang("GUI", "RecNormal", "NOR");
    case kPhasePre:
        return Lang("GUI", "RecPre", "PRE");
    case kPhasePost:
        return Lang("GUI", "RecPost", "POST");
    default:
        return Lang("GUI", "RecMemo", "MEMO");
    }
}

int OsdChannel(const OsdContext& context) {
    switch (context.layout) {
    case PaneLayout::Thumbnail:
        return context.channel;
    case PaneLayout::Log:
        return context.logPreviewChannel;
    case PaneLayout::Quad:
    case PaneLayout::Single:
        break;
    }
    return context.pane;
}

} // namespace

OsdStyle OsdStyleFor(PaneLayout layout) {
    switch (layout) {
    case PaneLayout::Single:
        return {4, 5, 18, 65};
    case PaneLayout::Quad:
        return {2, 5, 14, 50};
    case PaneLayout::Thumbnail:
    case PaneLayout::Log:
        break;
    }
    return {1, 3, 14, 45};
}

std::string OsdCameraName(const OsdContext& context) {
    const int channel = OsdChannel(context);
    if (channel < 0 || channel > 3)
        return {};
    return CameraName(channel);
}

std::string OsdPhaseText(const PaneStatus& status, PaneLayout layout, bool memoLoaded) {
    if (memoLoaded)
        return Lang("GUI", "RecMemo", "MEMO");
    const std::string label = PhaseLabel(status.phase);
    if (status.phase == kPhaseNormal)
        return "[" + label + "]";
    const std::uint8_t code = status.frame.eventCode;
    if (UsesExtendedEventName(code) && layout != PaneLayout::Thumbnail)
        return EventNameEx(status.eventCodeEx) + " [" + label + "]";
    if (layout != PaneLayout::Thumbnail)
        return EventName(code) + " [" + label + "]";
    return "[" + label + "]";
}

std::string OsdTimeStamp(const SYSTEMTIME& time) {
    return Format("%d.%.2d.%.2d  %.2d:%.2d:%.2d .%.2d", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond, time.wMilliseconds / 10);
}

std::string FrameTypeLetter(std::uint8_t frameType) {
    switch (frameType) {
    case kFrameTypeJpeg:
        return "J";
    case kFrameTypeIntra:
        return "I";
    case kFrameTypePredicted:
        return "P";
    case kFrameTypePredictedKey:
        return "Pk";
    default:
        return "?";
    }
}

OsdPlan BuildOsd(const PaneStatus& status, const OsdContext& context, QSize client) {
    OsdPlan plan;
    plan.style = OsdStyleFor(context.layout);
    if (context.layout == PaneLayout::Thumbnail && context.pane == context.thumbCurrent)
        plan.colour = kOsdCurrentThumbColour;
    const PaneFrame& frame = status.frame;
    const int m = plan.style.margin;
    const int s = plan.style.lineStep;
    const int left = 0;
    const int top = 0;
    const int right = client.width();
    const int bottom = client.height();
    auto add = [&plan](std::string text, int x, int y, OsdAnchor anchor) {
        if (!text.empty())
            plan.texts.push_back({std::move(text), x, y, anchor});
    };

    add(OsdCameraName(context), left + m, top + m, OsdAnchor::LeftTop);
    add(Format("%d/%d", frame.frameIndex + 1, frame.frameCount), right - m, bottom - m,
        OsdAnchor::RightBaseline);
    if (context.debug) {
        add(Format(context.accelerated ? "%dK-%s" : "%dk-%s", frame.frameSize / 1000,
                   FrameTypeLetter(frame.frameType).c_str()),
            left + m, kDebugLineTop, OsdAnchor::LeftTop);
        add(Format("%d km/h", context.speedKmh), right - m, kDebugLineTop, OsdAnchor::RightTop);
    }
    const double values[3] = {frame.gX, frame.gY, frame.gZ - 1.0};
    const char* const labels[3] = {"X:", "Y:", "Z:"};
    for (int line = 0; line < 3; ++line) {
        const int baseline = bottom - m - (2 - line) * s;
        add(labels[line], left + 2, baseline, OsdAnchor::LeftBaseline);
        add(Format("%.2f", values[line]), left + 2 + plan.style.valueColumn, baseline,
            OsdAnchor::RightBaseline);
    }
    if (context.layout != PaneLayout::Thumbnail) {
        const int shift = context.layout == PaneLayout::Single ? 100 : 80;
        add(OsdTimeStamp(frame.time), (left + right) / 2 - shift, bottom - m,
            OsdAnchor::LeftBaseline);
    }
    add(OsdPhaseText(status, context.layout, context.memoLoaded), right - m, top + m,
        OsdAnchor::RightTop);
    return plan;
}

} // namespace trevix
