#include "recorder/InfoLogFile.h"

#include "platform/MappedFile.h"
#include "recorder/InfoVdxFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace trevix {
namespace {

constexpr std::size_t kMaxLineBytes = 256;

// Characters [pos, pos + length) of text, or what of them exists.
std::string_view Sub(std::string_view text, std::size_t pos, std::size_t length) {
    return pos < text.size() ? text.substr(pos, length) : std::string_view();
}

// atoi: leading blanks, a sign, digits; anything else ends the number. Clamped to int.
int ToInt(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min<std::int64_t>(value * 10 + (text[at] - '0'), 1ll << 32);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// atof of a field; values that are not finite read as 0.
double ToDouble(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

std::uint16_t ToField(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 65535));
}
std::uint8_t ToByte(int value) {
    return static_cast<std::uint8_t>(value);
}

// The fields of one line: separated by commas, an asterisk also ends a field.
class LineFields {
public:
    explicit LineFields(std::string_view line) {
        std::size_t start = 0;
        for (std::size_t at = 0; at <= line.size() && count_ < kMaxFields; ++at)
            if (at == line.size() || line[at] == ',' || line[at] == '*') {
                fields_[count_++] = line.substr(start, at - start);
                start = at + 1;
            }
    }
    std::string_view operator[](std::size_t index) const {
        return index < count_ ? fields_[index] : std::string_view();
    }

private:
    static constexpr std::size_t kMaxFields = 24;
    std::array<std::string_view, kMaxFields> fields_{};
    std::size_t count_ = 0;
};

// "$MV", three characters, a comma at the '$' at: a sample line, not the "$MVDRL3" header.
bool CountsAsSampleAt(std::string_view text, std::size_t at) {
    return at + 6 < text.size() && text[at] == '$' && text[at + 1] == 'M' && text[at + 2] == 'V' &&
           text[at + 6] == ',';
}

// The sample lines by that rule, at most kMaxLogSamples.
int CountSampleLines(std::string_view text) {
    int count = 0;
    for (std::size_t at = text.find('$'); at != std::string_view::npos && count < kMaxLogSamples;
         at = text.find('$', at + 1))
        if (CountsAsSampleAt(text, at))
            ++count;
    return count;
}

// The next line of text (taken off it) as the loader reads lines: cut to kMaxLineBytes, without
// its CR LF.
std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = line.substr(0, kMaxLineBytes);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// The text after the byte-order mark; header is the "$MVDRL3" first line, or empty without one.
std::string_view TextAfterHeader(std::string_view text, std::string_view& header) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    header = text.starts_with("$MVDRL3") ? NextLine(text) : std::string_view();
    return text;
}

// Whether a line's first field is "$MVDRL" (the line that completes a sample), without splitting
// the whole line.
constexpr std::string_view kSampleName = "$MVDRL";

bool IsSampleLine(std::string_view line) {
    constexpr std::size_t kName = kSampleName.size();
    return line.starts_with(kSampleName) &&
           (line.size() == kName || line[kName] == ',' || line[kName] == '*');
}

// Which sample times complete their sample: times above 0, from the first of them (the origin)
// up to kLogWindowMs after it.
class SampleWindow {
public:
    bool Completes(std::int64_t time) {
        if (time <= 0)
            return false;
        if (!origin_)
            origin_ = time;
        const std::int64_t sinceOrigin = time - *origin_;
        return sinceOrigin >= 0 && sinceOrigin <= kLogWindowMs;
    }

private:
    std::optional<std::int64_t> origin_;
};

SYSTEMTIME RmcTime(std::string_view timeField, std::string_view dateField) {
    SYSTEMTIME time;
    if (Sub(timeField, 0, 6) == "000000" && dateField == "000000")
        return time;
    time.wHour = ToField(ToInt(Sub(timeField, 0, 2)));
    time.wMinute = ToField(ToInt(Sub(timeField, 2, 2)));
    time.wSecond = ToField(ToInt(Sub(timeField, 4, 2)));
    time.wMilliseconds = ToField(ToInt(Sub(timeField, 7, 3)));
    time.wDay = ToField(ToInt(Sub(dateField, 0, 2)));
    time.wMonth = ToField(ToInt(Sub(dateField, 2, 2)));
    time.wYear = ToField(2000 + ToInt(Sub(dateField, 4, 2)));
    if (time.wDay == 0)
        time.wDay = 1;
    if (time.wMonth == 0)
        time.wMonth = 1;
    return time;
}

} // namespace

namespace {

std::int64_t LogRecorderTime(std::string_view timeField, std::string_view dateField,
                             RecorderTimeCache& cache) {
    if (dateField.size() > 6)
        dateField.remove_prefix(1);
    if (timeField.size() > 6)
        timeField.remove_prefix(1);
    if (dateField == "000000" && timeField == "000000")
        return 0;
    int day = 0, month = 0, year = 0;
    if (!dateField.empty()) {
        day = ToInt(Sub(dateField, 0, 2));
        month = ToInt(Sub(dateField, 2, 2));
        const int yy = ToInt(Sub(dateField, 4, 2));
        year = 2000 + yy >= 2070 ? 1900 + yy : 2000 + yy;
    }
    int hour = ToInt(Sub(timeField, 0, 2));
    int minute = ToInt(Sub(timeField, 2, 2));
    int second = ToInt(Sub(timeField, 4, 2));
    int milliseconds = ToInt(Sub(timeField, 6, 3));

    if (year == 1970 && month == 1 && day == 1) {
        year = 2009;
        day = 2;
    } else {
        if (day < 1 || day > 31)
            day = 1;
        if (month < 1 || month > 12)
            month = 1;
        if (year < 2009 || year > 2090)
            year = 2009;
    }
    if (hour < 0 || hour > 23)
        hour = 0;
    if (minute < 0 || minute >= 60)
        minute = 0;
    if (second < 0 || second >= 60)
        second = 0;
    if (milliseconds < 0 || milliseconds >= 1000)
        milliseconds = 0;

    SYSTEMTIME time;
    time.wYear = ToField(year);
    time.wMonth = ToField(month);
    time.wDay = ToField(day);
    time.wHour = ToField(hour);
    time.wMinute = ToField(minute);
    time.wSecond = ToField(second);
    time.wMilliseconds = ToField(milliseconds);
    return cache.ToMs(time);
}

} // namespace

std::int64_t LogRecorderTime(std::string_view timeField, std::string_view dateField) {
    RecorderTimeCache cache;
    return LogRecorderTime(timeField, dateField, cache);
}

double NmeaDegrees(std::string_view field, int degreeDigits) {
    if (!field.empty() && field.front() == '-')
        field.remove_prefix(1);
    if (field.empty())
        return 0.0;
    const auto digits = static_cast<std::size_t>(degreeDigits);
    const int degrees = ToInt(Sub(field, 0, digits));
    const int minutes = ToInt(Sub(field, digits, 2));
    const int fraction = ToInt(Sub(field, digits + 3, 4));
    return degrees + (minutes + fraction / 10000.0) / 60.0;
}

bool IsLogPositionPlausible(double lat, double lon, int mapType) {
    if (mapType == 2 || mapType == 3)
        return lat >= 32.1 && lat <= 43.51 && lon >= 118.1 && lon <= 135.24;
    return lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180;
}

CInfoLogFile::~CInfoLogFile() {
    Wait();
}

CInfoLogFile::CInfoLogFile(CInfoLogFile&& other) noexcept {
    MoveFrom(other);
}

CInfoLogFile& CInfoLogFile::operator=(CInfoLogFile&& other) noexcept {
    if (this != &other) {
        Wait();
        MoveFrom(other);
    }
    return *this;
}

void CInfoLogFile::MoveFrom(CInfoLogFile& other) {
    other.Wait();
    m_nLogFormat = other.m_nLogFormat;
    m_strDRID = std::move(other.m_strDRID);
    m_strSDID = std::move(other.m_strSDID);
    m_strTitle = std::move(other.m_strTitle);
    m_pOwner = other.m_pOwner;
    m_nSampleCount = other.m_nSampleCount;
    m_pSamples = std::move(other.m_pSamples);
    m_strPath = std::move(other.m_strPath);
    m_nMapType = other.m_nMapType;
    other.m_nSampleCount = 0;
}

void CInfoLogFile::Wait() {
    if (m_thread.joinable())
        m_thread.join();
    m_bLoading = false;
}

void CInfoLogFile::StartLoad(const std::string& path, ILogLoadOwner* owner) {
    Wait();
    m_strPath = path;
    m_pOwner = owner;
    m_bLoading = true;
    m_thread = std::thread([this] {
        Load(m_strPath, m_pOwner);
        m_bLoading = false;
    });
}

void CInfoLogFile::Reset() {
    m_strTitle.clear();
    m_pSamples.clear();
    m_pSamples.shrink_to_fit();
    m_nSampleCount = 0;
    m_nLogFormat = 1;
    m_strDRID.clear();
    m_strSDID.clear();
}

void CInfoLogFile::Fail(ILogLoadOwner* owner) {
    if (owner != nullptr) {
        owner->SetLoadState(kLoadStateFailed);
        owner->OnLoadFinished();
    }
}

int CInfoLogFile::Load(const std::string& path, ILogLoadOwner* owner) {
    Reset();
    m_strPath = path;
    ReadOnlyFile file;
    if (!file.Open(path)) {
        Fail(owner);
        return 0;
    }
    const std::uint64_t size = std::min(file.Size(), kMaxLogFileBytes);
    if (size == 0) {
        Fail(owner);
        return 0;
    }
    std::vector<std::uint8_t> text(static_cast<std::size_t>(size));
    if (!file.ReadExact(0, text)) {
        Fail(owner);
        return 0;
    }
    file.Close();
    return LoadFromBytes(text, owner);
}

int CInfoLogFile::LoadFromBytes(std::span<const std::uint8_t> bytes, ILogLoadOwner* owner) {
    Reset();
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.empty()) {
        Fail(owner);
        return 0;
    }
    const int counted = CountSampleLines(text);
    if (counted == 0) {
        Fail(owner);
        return 0;
    }
    m_pSamples.assign(static_cast<std::size_t>(counted), LogSample{});
    if (owner != nullptr) {
        owner->SetProgressRange(counted);
        owner->SetProgressPos(1);
        owner->ShowOwner();
    }

    std::string_view headerLine;
    text = TextAfterHeader(text, headerLine);
    if (!headerLine.empty()) {
        const LineFields header(headerLine);
        m_nLogFormat = ToInt(header[1]);
        auto identifier = [](std::string_view field) {
            field = field.substr(0, 30);
            return recindex::IdentifierText(
                std::span(reinterpret_cast<const std::uint8_t*>(field.data()), field.size()));
        };
        m_strDRID = identifier(header[2]);
        m_strSDID = identifier(header[3]);
    }

    RecorderTimeCache hours;
    SampleWindow window;
    int completed = 0;
    while (!text.empty() && completed < counted &&
           (owner == nullptr || owner->LoadState() != kLoadStateCancel)) {
        const LineFields fields(NextLine(text));
        LogSample& sample = m_pSamples[static_cast<std::size_t>(completed)];
        const std::string_view name = fields[0];
        if (name == "$MVDRL") {
            sample.byCarSignal = ToByte(ToInt(fields[2]));
            sample.fGx = static_cast<float>(ToInt(fields[3]) / 1000.0);
            sample.fGy = static_cast<float>(ToInt(fields[4]) / 1000.0);
            sample.fGz = static_cast<float>(ToInt(fields[5]) / 1000.0);
            sample.llTime = LogRecorderTime(fields[6], fields[7], hours);
            sample.byStatus = ToByte(ToInt(fields[8]));
            sample.wSpeedRaw = ToField(ToInt(fields[9]));
            if (!window.Completes(sample.llTime))
                continue;
            ++completed;
            if (owner != nullptr)
                owner->SetProgressPos(completed);
        } else if (name == "$GPRMC") {
            sample.stGpsTime = RmcTime(fields[1], fields[9]);
            sample.byGpsValid = fields[2] == "A" ? 1 : 0;
            sample.dLat = NmeaDegrees(fields[3], 2);
            if (fields[4] == "S")
                sample.dLat = -sample.dLat;
            sample.dLon = NmeaDegrees(fields[5], 3);
            if (fields[6] == "W")
                sample.dLon = -sample.dLon;
            sample.fSpeed = static_cast<float>(ToDouble(fields[7]) * 1.852);
            sample.fCourse = static_cast<float>(ToDouble(fields[8]));
            if (!IsLogPositionPlausible(sample.dLat, sample.dLon, m_nMapType))
                sample.byGpsValid = 0;
        } else if (name == "$GPGGA") {
            sample.bySatUsed = ToByte(ToInt(fields[7]));
            sample.fHdop = static_cast<float>(ToDouble(fields[8]));
            sample.fAltitude = static_cast<float>(ToDouble(fields[9]));
        } else if (name == "$GPGSV") {
            sample.bySatView = ToByte(ToInt(fields[3]));
        }
    }
    m_nSampleCount = completed;
    m_pSamples.resize(static_cast<std::size_t>(completed));
    if (owner != nullptr)
        owner->OnLoadFinished();
    return 1;
}

const LogSample* CInfoLogFile::GetSample(int index) const {
    if (index < 0 || index >= m_nSampleCount)
        return nullptr;
    return &m_pSamples[static_cast<std::size_t>(index)];
}

namespace {

// Recorder time of a line that completes a sample when its time is valid.
std::int64_t SampleLineTime(std::string_view line, RecorderTimeCache& hours) {
    const LineFields fields(line);
    return LogRecorderTime(fields[6], fields[7], hours);
}

// What one pass over the '$' of a log's text finds out about its samples.
struct SampleLineCensus {
    int counted = 0;                    // what CountSampleLines counts
    int sampleLines = 0;                // lines of the body that IsSampleLine accepts
    std::optional<std::int64_t> origin; // time of the first of them with a time above 0
};

// bodyStart is where the lines after the byte-order mark and the header begin. What is counted
// and every sample line start with "$MV", so the "$MV" alone lead to them, and the lines between
// (the GPS sentences) are passed over.
SampleLineCensus CensusOfSampleLines(std::string_view text, std::size_t bodyStart,
                                     RecorderTimeCache& hours) {
    SampleLineCensus census;
    // The 'V' of "$MV" is found: it is rarer in a log than the '$' of every sentence.
    for (std::size_t v = text.find('V', 2); v != std::string_view::npos;
         v = text.find('V', v + 1)) {
        const std::size_t at = v - 2;
        if (text[at] != '$' || text[at + 1] != 'M')
            continue;
        if (census.counted < kMaxLogSamples && CountsAsSampleAt(text, at))
            ++census.counted;
        const bool lineStart = at == bodyStart || (at > bodyStart && text[at - 1] == '\n');
        std::string_view rest = text.substr(at);
        if (!lineStart || !rest.starts_with(kSampleName))
            continue;
        const std::string_view line = NextLine(rest);
        if (!IsSampleLine(line))
            continue;
        ++census.sampleLines;
        if (!census.origin) {
            const std::int64_t time = SampleLineTime(line, hours);
            if (time > 0)
                census.origin = time;
        }
    }
    return census;
}

// The time of the last sample line of body whose time lies in the window from origin, walking
// back from the end line by line. The line that set origin ends the walk at the latest.
std::int64_t LastSampleTimeFrom(std::string_view body, std::int64_t origin,
                                RecorderTimeCache& hours) {
    std::size_t lineEnd = body.size();
    for (;;) {
        const std::size_t newline =
            lineEnd == 0 ? std::string_view::npos : body.rfind('\n', lineEnd - 1);
        const std::size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
        std::string_view rest = body.substr(lineStart);
        if (rest.starts_with(kSampleName)) {
            const std::string_view line = NextLine(rest);
            if (IsSampleLine(line)) {
                const std::int64_t time = SampleLineTime(line, hours);
                if (time > 0 && time - origin >= 0 && time - origin <= kLogWindowMs)
                    return time;
            }
        }
        if (newline == std::string_view::npos)
            return origin;
        lineEnd = newline;
    }
}

// The loader's walk over every line of body, reading only the lines that complete samples.
std::optional<LogSampleTimes> WalkSampleLines(std::string_view body, int counted,
                                              RecorderTimeCache& hours) {
    SampleWindow window;
    std::optional<LogSampleTimes> times;
    int completed = 0;
    while (!body.empty() && completed < counted) {
        const std::string_view line = NextLine(body);
        if (!IsSampleLine(line))
            continue;
        const std::int64_t time = SampleLineTime(line, hours);
        if (!window.Completes(time))
            continue;
        ++completed;
        if (!times)
            times = LogSampleTimes{time, time};
        times->last = time;
    }
    return times;
}

} // namespace

std::optional<LogSampleTimes> ReadLogSampleTimes(std::span<const std::uint8_t> bytes,
                                                 RecorderTimeCache& hours) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string_view header;
    const std::string_view body = TextAfterHeader(text, header);
    const SampleLineCensus census = CensusOfSampleLines(text, text.size() - body.size(), hours);
    // With more sample lines than the loader makes room for it stops early: walk as it does.
    if (census.sampleLines > census.counted)
        return WalkSampleLines(body, census.counted, hours);
    // Otherwise it completes every sample line whose time lies in the window from the first
    // valid time: the first and the last such line are all that matter.
    if (!census.origin)
        return std::nullopt;
    return LogSampleTimes{*census.origin, LastSampleTimeFrom(body, *census.origin, hours)};
}

} // namespace trevix
