// What the pane panel reaches outside itself, as small interfaces the owner implements: the
// back panel's windows, the play control and catalogue, the log views beside the preview pane,
// and the application's state. A missing link (nullptr) skips its steps.
#pragma once

#include <QSize>

#include <cstdint>

namespace trevix {

// The back panel's windows that the layouts and the enlarged states show, hide and enable.
class IPaneBackPanel {
public:
    virtual ~IPaneBackPanel() = default;
    // The six layout buttons: Front, Interior, Side, Rear, Quad and 4x4.
    virtual void ShowLayoutButtons() = 0;
    // The log layout keeps the four channel buttons and hides Quad and 4x4.
    virtual void HideQuadAndThumbnailButtons() = 0;
    // The time slide bar and its companion window.
    virtual void ShowTimeSlideBar(bool show) = 0;
    // Fast back play, Back play, Pause, Play and Fast Play (previous and next frame stay).
    virtual void EnableTransportButtons(bool enable) = 0;
    // The three G-sensor digit displays.
    virtual void ShowGValues(float x, float y, float z) = 0;
    // The back panel's skinned controls, the G-sensor window, the file-list window and the map
    // window, hidden while the panel is enlarged or full screen.
    virtual void ShowSurroundings(bool show) = 0;
};

// The play control and the catalogue as the panel needs them.
class IPanePlayback {
public:
    virtual ~IPanePlayback() = default;
    // PlayState of the play control (any thread).
    virtual int PlayState() const = 0;
    virtual void Stop() = 0;
    // The current recording shown again at the current time (GotoTime).
    virtual void ShowCurrentTimeAgain() = 0;
    // When a recording is current, the catalogue fills the thumbnail panes (the thumbnail
    // filler) with pictures of the panel's channel.
    virtual void FillThumbnails(int channel) = 0;
    // The CamFlip setting of channel changed; its decoder takes the new orientation.
    virtual void CamFlipChanged(int channel) = 0;
};

// The three log views of the log layout (G-sensor control, log search, log information).
class IPaneLogViews {
public:
    virtual ~IPaneLogViews() = default;
    virtual void Show(bool show) = 0;
    // Places the views in the panel's client area of size client (log layout).
    virtual void Place(QSize client) = 0;
    // The log preview channel changed: the current log sample is shown again.
    virtual void ShowCurrentSample() = 0;
};

// The application's state the panes draw by (user-interface thread).
class IPaneAppState {
public:
    virtual ~IPaneAppState() = default;
    // kLoadedNone ... kLoadedLog.
    virtual int LoadedKind() const = 0;
    // The Vender setting.
    virtual int Vendor() const = 0;
    // The "/debug" command line: diagnostic texts in the panes.
    virtual bool DebugMode() const = 0;
    // km/h of a raw car-pulse count by the card's car-pulse type.
    virtual int CarPulseSpeed(int pulsesPerSecond) const = 0;
    // Whether an Event or Normal recording is listed (the enlarged states need one).
    virtual bool HasRecordingsListed() const = 0;
};

} // namespace trevix
