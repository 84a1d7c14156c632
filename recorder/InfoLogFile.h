// A driving log (.log): one sample per second of GPS sentences, G-sensor values and car status,
// read on a loading thread into an array of LogSample records.
#pragma once

#include "recorder/FrameInfo.h"
#include "recorder/LoadState.h"

#include "recorder/LoadState.h"
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trevix {

// What the loading thread reports to the window that started it. Every call comes from the
// loading thread; an implementation hands them to its own thread.
class ILogLoadOwner {
public:
    virtual ~ILogLoadOwner() = default;
    virtual int LoadState() const = 0; // read before each line; 2 = cancel requested
    virtual void SetLoadState(int state) = 0;
    virtual void SetProgressRange(int count) = 0;
    virtual void SetProgressPos(int position) = 0;
    virtual void ShowOwner() = 0;
    // Exactly once per load, as its last call (message 1824).
    virtual void OnLoadFinished() = 0;
};

inline constexpr int kMaxLogSamples = 3610;
// A log of one hour is a few megabytes; a larger file is read only this far.
inline constexpr std::uint64_t kMaxLogFileBytes = 64ull * 1024 * 1024;
inline constexpr std::int64_t kLogWindowMs = 3610 * 1000;

// Recorder milliseconds of a "$MVDRL" time and date field, with the recorder's repairs; 0 when
// both read "000000".
std::int64_t LogRecorderTime(std::string_view timeField, std::string_view dateField);

// Decimal degrees of an NMEA ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3) field.
double NmeaDegrees(std::string_view field, int degreeDigits);

// Whether a decimal-degree fix is plausible for the viewer's map type.
bool IsLogPositionPlausible(double lat, double lon, int mapType);

// The recorder times of the first and the last sample a load of a log's text completes.
struct LogSampleTimes {
    std::int64_t first = 0;
    std::int64_t last = 0;
};
// The same samples as LoadFromBytes completes, found by reading only the lines that complete
// them; empty when the load would complete none. hours converts the times (and may be shared by
// a run of logs).
std::optional<LogSampleTimes> ReadLogSampleTimes(std::span<const std::uint8_t> text,
                                                 RecorderTimeCache& hours);

class CInfoLogFile {
public:
    CInfoLogFile() = default;
    ~CInfoLogFile(); // waits for a running load
    CInfoLogFile(const CInfoLogFile&) = delete;
    CInfoLogFile& operator=(const CInfoLogFile&) = delete;
    // Moving waits for a running load of the source first.
    CInfoLogFile(CInfoLogFile&& other) noexcept;
    CInfoLogFile& operator=(CInfoLogFile&& other) noexcept;

    void SetMapType(int mapType) { m_nMapType = mapType; }

    // Starts the loading thread and returns at once; the owner hears of the end by
    // OnLoadFinished. The owner must outlive the load (Wait() or destruction waits for it).
    void StartLoad(const std::string& path, ILogLoadOwner* owner);
    // Waits until a started load has ended.
    void Wait();
    bool IsLoading() const { return m_bLoading.load(); }

    // The same load on the calling thread; returns its result (1 loaded, 0 failed).
    int Load(const std::string& path, ILogLoadOwner* owner = nullptr);
    // Parses a log held in memory; owner may be null.
    int LoadFromBytes(std::span<const std::uint8_t> text, ILogLoadOwner* owner = nullptr);

    const LogSample* GetSample(int index) const;

    int m_nLogFormat = 1;
    std::string m_strDRID;
    std::string m_strSDID;
    std::string m_strTitle;
    ILogLoadOwner* m_pOwner = nullptr;
    int m_nSampleCount = 0;
    std::vector<LogSample> m_pSamples;
    std::string m_strPath;

private:
    void Reset();
    void Fail(ILogLoadOwner* owner);
    void MoveFrom(CInfoLogFile& other);

    int m_nMapType = 4;
    std::thread m_thread;
    std::atomic<bool> m_bLoading{false};
};

} // namespace trevix
