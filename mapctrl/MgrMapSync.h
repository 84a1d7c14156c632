// The map synchronisation manager: keeps the map page and playback in step. The main frame
// owns it for the life of the window; it holds no map state yet.
#pragma once

namespace trevix {

class CMgrMapSync {
public:
    CMgrMapSync();
    ~CMgrMapSync();
    CMgrMapSync(const CMgrMapSync&) = delete;
    CMgrMapSync& operator=(const CMgrMapSync&) = delete;
};

} // namespace trevix
