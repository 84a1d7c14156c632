// The transport states of the play clock and the tables that hang off them: the clock factor,
// the timer periods, the log-playback intervals, the speed-indicator texts and the state each
// transport command moves to.
#pragma once

#include <cstdint>
#include <string_view>

namespace trevix {

// 1 stopped, 2-7 forward at x0.5 ... x16, 8-13 the same speeds backwards; 0 is never set.
using PlayState = int;

inline constexpr PlayState kPlayNone = 0;
inline constexpr PlayState kPlayStopped = 1;
inline constexpr PlayState kPlayHalf = 2;
inline constexpr PlayState kPlayNormal = 3; // x1, the only state with sound
inline constexpr PlayState kPlayFast2 = 4;
inline constexpr PlayState kPlayFast4 = 5;
inline constexpr PlayState kPlayFast8 = 6;
inline constexpr PlayState kPlayFast16 = 7;
inline constexpr PlayState kPlayReverseHalf = 8;
inline constexpr PlayState kPlayReverse = 9;
inline constexpr PlayState kPlayFastReverse2 = 10;
inline constexpr PlayState kPlayFastReverse4 = 11;
inline constexpr PlayState kPlayFastReverse8 = 12;
inline constexpr PlayState kPlayFastReverse16 = 13;

constexpr bool IsForwardState(PlayState state) {
    return state >= kPlayHalf && state <= kPlayFast16;
}
constexpr bool IsBackwardState(PlayState state) {
    return state >= kPlayReverseHalf && state <= kPlayFastReverse16;
}
constexpr bool IsPlayingState(PlayState state) {
    return IsForwardState(state) || IsBackwardState(state);
}

// Real elapsed milliseconds scaled by the state's clock factor: halves round toward zero,
// backward states negate, states outside 2-13 leave the value unchanged.
constexpr std::int64_t ScaleElapsed(PlayState state, std::int64_t elapsedMs) {
    if (!IsPlayingState(state))
        return elapsedMs;
    const int speed = IsForwardState(state) ? state - kPlayHalf : state - kPlayReverseHalf;
    const std::int64_t scaled = speed == 0 ? elapsedMs / 2 : elapsedMs * (1 << (speed - 1));
    return IsForwardState(state) ? scaled : -scaled;
}

// Video timer period in milliseconds. Table A applies with no current recording or an MPEG-4
// recording (video kind 2), table B otherwise; states outside 2-13 use 25 ms.
constexpr int VideoTimerPeriodMs(PlayState state, bool tableA) {
    constexpr int kTableA[14] = {25, 25, 50, 25, 12, 100, 50, 25, 1000, 500, 250, 100, 50, 25};
    constexpr int kTableB[14] = {25, 25, 50, 25, 33, 33, 33, 33, 50, 25, 33, 33, 33, 33};
    if (!IsPlayingState(state))
        return 25;
    return tableA ? kTableA[state] : kTableB[state];
}

// Interval of the log timer: one sample per interval.
constexpr int LogTimerIntervalMs(PlayState state) {
    switch (state) {
    case kPlayHalf:
    case kPlayReverseHalf:
        return 2000;
    case kPlayFast2:
    case kPlayFastReverse2:
        return 500;
    case kPlayFast4:
    case kPlayFastReverse4:
        return 250;
    case kPlayFast8:
    case kPlayFastReverse8:
        return 125;
    case kPlayFast16:
    case kPlayFastReverse16:
        return 62;
    default:
        return 1000;
    }
}

// The speed indicator's text; vendor is the viewer's Vender setting.
constexpr std::string_view SpeedIndicatorText(PlayState state, int vendor) {
    constexpr std::string_view kVendor1[14] = {"",    "",     "x0.5", "x1", "x2", "x4", "x8",
                                               "x16", "x0.5", "x1",   "x2", "x4", "x8", "x16"};
    constexpr std::string_view kOther[14] = {"",   "0",    "0.5", "1",  "2",  "4",  "8",
                                             "16", "-0.5", "-1",  "-2", "-4", "-8", "-16"};
    if (state < 0 || state > kPlayFastReverse16)
        return "";
    return vendor == 1 ? kVendor1[state] : kOther[state];
}

// The state after each transport command.
constexpr PlayState NextPlayState(PlayState state) {
    return state == kPlayNormal ? kPlayHalf : kPlayNormal;
}
constexpr PlayState NextReverseState(PlayState state) {
    return state == kPlayReverse ? kPlayReverseHalf : kPlayReverse;
}
constexpr PlayState NextFastPlayState(PlayState state) {
    if (state >= kPlayFast2 && state < kPlayFast16)
        return state + 1;
    return kPlayFast2;
}
constexpr PlayState NextFastReverseState(PlayState state) {
    if (state >= kPlayFastReverse2 && state < kPlayFastReverse16)
        return state + 1;
    return kPlayFastReverse2;
}

} // namespace trevix
