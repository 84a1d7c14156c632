// The hand-shake between a loading thread and the window that started it.
#pragma once

namespace trevix {

// Load finished (both parameters 0): posted once by every loader to its loading window.
inline constexpr int kMsgLoadFinished = 1824;

// Load states of the loading window.
inline constexpr int kLoadStateRunning = 0;
inline constexpr int kLoadStateCancel = 2; // set by the window: the user cancelled
inline constexpr int kLoadStateFailed = 3; // set by a loader: the recording could not load

} // namespace trevix
