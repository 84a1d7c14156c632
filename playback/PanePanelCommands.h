// The pane panel as the main panel's commands reach it: its layout, the enlarged and full-screen
// states, the log preview channel and clearing the panes.
#pragma once

#include "app/CommandState.h"

namespace trevix {

class IPanePanelCommands {
public:
    virtual ~IPanePanelCommands() = default;
    virtual PaneLayout Layout() const = 0;
    virtual bool IsEnlarged() const = 0; // enlarged or full screen
    virtual bool HasPreviewPicture() const = 0;
    virtual void SetLayout(PaneLayout layout, int channel) = 0;
    // Log list: the preview picture's channel; the current log sample is shown again.
    virtual void SetLogPreviewChannel(int channel) = 0;
    virtual void ClearPanes() = 0;
    virtual void ToggleEnlarged() = 0;
    virtual void ToggleFullScreen() = 0;
};

} // namespace trevix
