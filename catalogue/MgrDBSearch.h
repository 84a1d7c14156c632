// The catalogue manager: keeps the chosen recorder folder, scans it into the event, normal, memo
// and log lists of the file-list window (deleting files too short to hold anything on the way),
// reads the card's car-pulse and channel settings, and keeps the loaded log files and the index
// of the current loaded recording. It reports only through the interfaces of SearchViews.h.
#pragma once

#include "catalogue/ScanLists.h"
#include "catalogue/SearchViews.h"
#include "recorder/InfoLogFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// Car-pulse count per second to km/h by the card's car-pulse type (0..5); 0 for other types
// and for negative counts.
int CarPulseSpeed(int carPulseType, int pulsesPerSecond);

// The card's set.ini values the viewer uses.
struct CardChannelSettings {
    int carPulseType = -1;                        // -1: not set (or outside -1 ... 5)
    std::array<int, 4> useChannel = {1, 1, 1, 1}; // USECHANNEL1 ... USECHANNEL4
};
CardChannelSettings ReadCardChannelSettings(std::string_view root);

// The crashed-file check and the disk check offered before a removable card is scanned.
class ICardCheckHost {
public:
    virtual ~ICardCheckHost() = default;
    virtual bool IsRemovable(const std::string& root) = 0;
    // Runs the crashed-file check on root (with its dialog); true when damaged files were found.
    virtual bool CheckCrashedFiles(const std::string& root) = 0;
    // Asks text with OK/Cancel (application name as caption); true on OK.
    virtual bool AskOkCancel(const std::string& text) = 0;
    // Runs the check-disk dialog for root modally.
    virtual void RunCheckDisk(const std::string& root) = 0;
};

class CMgrDBSearch {
public:
    CMgrDBSearch(ISearchView& searchView, ILoadingView& loadingView, IViewerHost& host,
                 ILoadedRecordings& recordings);
    CMgrDBSearch(const CMgrDBSearch&) = delete;
    CMgrDBSearch& operator=(const CMgrDBSearch&) = delete;

    const std::string& RootPath() const { return m_strRootPath; }
    void SetRootPath(std::string root) { m_strRootPath = std::move(root); }

    // "Select Data Folder" after the folder browser returned chosenPath (empty: keep the old
    // root): the crashed-file check on a removable card when checks is given, the recorder
    // folder test, then the scan. False when the folder is no recorder folder (lists cleared,
    // root emptied, "Invalid drive recorder folder." shown).
    bool SelectAndScan(std::string_view chosenPath, ICardCheckHost* checks);
    // The same choice before the recorder settings dialogs: no check and no scan.
    bool SelectForSettings(std::string_view chosenPath);

    // The recorder folder test; a valid folder without any recording shows "No recorded file."
    // and still counts as valid.
    bool TestRecorderFolder(std::string_view root);

    // Scans the root into the lists (also the handler of message 0x07A2).
    void Scan();
    void OnRescan() { Scan(); }
    // Timer 999, 2000 ms after a scan: hides the loading window.
    void OnHideLoadingTimer();

    // Empties the lists and the views, destroys the loaded recordings and log files, and makes
    // no recording current.
    void Clear();

    // Makes entry index of the loaded recordings current (negative: none).
    void SelectRecording(int index);
    int CurrentRecording() const { return m_nCurDriveInfo; }

    int CarPulseType() const { return m_nCarPulseType; }
    int UseChannel(int channel) const; // channel 0..3; 0 for others
    int CarPulseSpeed(int pulsesPerSecond) const {
        return trevix::CarPulseSpeed(m_nCarPulseType, pulsesPerSecond);
    }

    std::vector<CInfoLogFile>& LogFiles() { return m_arLogFiles; }
    const std::vector<CInfoLogFile>& LogFiles() const { return m_arLogFiles; }
    // True when a loaded log file has samples and time lies within the range of its samples.
    bool IsTimeCoveredByLog(std::int64_t time) const;

    // The lists and deletions of the last scan.
    const ScanLists& LastScan() const { return m_scan; }

private:
    // Root after a folder choice (steps shared by both selections); the recorder folder test
    // and its failure handling.
    void TakeChosenRoot(std::string_view chosenPath);
    bool AcceptRoot();

    ISearchView& m_searchView;
    ILoadingView& m_loadingView;
    IViewerHost& m_host;
    ILoadedRecordings& m_recordings;

    std::vector<CInfoLogFile> m_arLogFiles;
    int m_nCarPulseType = -1;
    std::array<int, 4> m_nUseChannel = {1, 1, 1, 1};
    int m_nCurDriveInfo = -1;
    std::string m_strRootPath;
    ScanLists m_scan;
};

} // namespace trevix
