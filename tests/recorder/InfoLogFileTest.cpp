#include "recorder/InfoLogFile.h"

#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

namespace trevix {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// One second of log: GPS sentences, then the recorder line. second counts from 10:00:00.
std::string Second(int second, const char* rmcStatus = "A", const char* lat = "3530.1234",
                   const char* ns = "N", const char* lon = "13942.5678", const char* ew = "E") {
    char text[512];
    const int hour = 10 + second / 3600, minute = second / 60 % 60, sec = second % 60;
    std::snprintf(text, sizeof text,
                  "$GPRMC,%02d%02d%02d.500,%s,%s,%s,%s,%s,10.0,90.5,060524,,,A*6C\r\n"
                  "$GPGGA,%02d%02d%02d.500,3530.1234,N,13942.5678,E,1,07,1.2,45.5,M,,M,,*47\r\n"
                  "$GPGSV,3,1,11,01,02,03,04*7A\r\n"
                  "$MVDRL,x,12,-250,500,1000,0%02d%02d%02d123,0060524,7,345\r\n",
                  hour - 9, minute, sec, rmcStatus, lat, ns, lon, ew, hour - 9, minute, sec, hour,
                  minute, sec);
    return text;
}

class RecordingOwner : public ILogLoadOwner {
public:
    int LoadState() const override { return state; }
    void SetLoadState(int value) override { state = value; }
    void SetProgressRange(int count) override { range = count; }
    void SetProgressPos(int position) override {
        lastPos = position;
        if (cancelAt > 0 && position >= cancelAt)
            state = kLoadStateCancel;
    }
    void ShowOwner() override { shown = true; }
    void OnLoadFinished() override { ++finished; }

    std::atomic<int> state{0};
    int range = 0, lastPos = 0, cancelAt = 0;
    bool shown = false;
    std::atomic<int> finished{0};
};

class InfoLogFileTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone_{"UTC"};
    CInfoLogFile log_;
    RecordingOwner owner_;
};

TEST_F(InfoLogFileTest, HeaderAndSampleFields) {
    const std::string text = "\xEF\xBB\xBF$MVDRL3,5,DRIVE-REC-123456,SD\xC3\xA9-0001\r\n" +
                             Second(0) + Second(1, "V") +
                             Second(2, "A", "3530.1234", "S", "13942.5678", "W");
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text), &owner_), 1);
    EXPECT_EQ(log_.m_nLogFormat, 5);
    EXPECT_EQ(log_.m_strDRID, "DRIVE-REC-");
    EXPECT_EQ(log_.m_strSDID, "SD\xC3\xA9-0001");
    ASSERT_EQ(log_.m_nSampleCount, 3);
    EXPECT_EQ(owner_.range, 3);
    EXPECT_EQ(owner_.lastPos, 3);
    EXPECT_TRUE(owner_.shown);
    EXPECT_EQ(owner_.finished, 1);

    const LogSample& s = *log_.GetSample(0);
    EXPECT_EQ(s.llTime, 1714989600123); // 2024-05-06 10:00:00.123 UTC
    EXPECT_EQ(s.byGpsValid, 1);
    EXPECT_NEAR(s.dLat, 35 + 30.1234 / 60, 1e-9);
    EXPECT_NEAR(s.dLon, 139 + 42.5678 / 60, 1e-9);
    EXPECT_FLOAT_EQ(s.fSpeed, 18.52f);
    EXPECT_FLOAT_EQ(s.fCourse, 90.5f);
    EXPECT_EQ(s.bySatUsed, 7);
    EXPECT_FLOAT_EQ(s.fHdop, 1.2f);
    EXPECT_FLOAT_EQ(s.fAltitude, 45.5f);
    EXPECT_EQ(s.bySatView, 11);
    EXPECT_EQ(s.stGpsTime.wYear, 2024);
    EXPECT_EQ(s.stGpsTime.wMonth, 5);
    EXPECT_EQ(s.stGpsTime.wDay, 6);
    EXPECT_EQ(s.stGpsTime.wHour, 1);
    EXPECT_EQ(s.stGpsTime.wMilliseconds, 500);
    EXPECT_EQ(s.byCarSignal, 12);
    EXPECT_FLOAT_EQ(s.fGx, -0.25f);
    EXPECT_FLOAT_EQ(s.fGz, 1.0f);
    EXPECT_EQ(s.byStatus, 7);
    EXPECT_EQ(s.wSpeedRaw, 345);
    EXPECT_EQ(log_.GetSample(1)->byGpsValid, 0);
    EXPECT_LT(log_.GetSample(2)->dLat, 0);
    EXPECT_LT(log_.GetSample(2)->dLon, 0);
    EXPECT_EQ(log_.GetSample(3), nullptr);
}

TEST_F(InfoLogFileTest, WithoutHeaderTheFormatIsOne) {
    ASSERT_EQ(log_.LoadFromBytes(Bytes(Second(0))), 1);
    EXPECT_EQ(log_.m_nLogFormat, 1);
    EXPECT_TRUE(log_.m_strDRID.empty());
    EXPECT_EQ(log_.m_nSampleCount, 1);
}

TEST_F(InfoLogFileTest, ZeroTimeIsSkippedAndTheNextSampleIsTheOrigin) {
    const std::string text = "$MVDRL,x,1,0,0,0,000000,000000,0,0\r\n" + Second(5) + Second(6);
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text)), 1);
    ASSERT_EQ(log_.m_nSampleCount, 2);
    EXPECT_EQ(log_.GetSample(1)->llTime - log_.GetSample(0)->llTime, 1000);
    EXPECT_EQ(log_.GetSample(0)->byCarSignal, 12); // the skipped line was overwritten
}

TEST_F(InfoLogFileTest, SamplesOutsideTheWindowAreDropped) {
    std::string text = Second(100) + Second(50) + Second(100 + 3610) + Second(100 + 3611);
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text)), 1);
    EXPECT_EQ(log_.m_nSampleCount, 2); // before the origin and after 3610 s: dropped
}

TEST_F(InfoLogFileTest, AtMost3610SamplesAreCounted) {
    std::string text;
    for (int i = 0; i < 3620; ++i)
        text += "$MVDRL,x,0,0,0,0,010000,060524,0,0\r\n";
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text), &owner_), 1);
    EXPECT_EQ(owner_.range, 3610);
    EXPECT_EQ(log_.m_nSampleCount, 3610);
}

TEST_F(InfoLogFileTest, LateGgaFillsTheNextSample) {
    const std::string text = "$MVDRL,x,0,0,0,0,010000,060524,0,0\r\n"
                             "$GPGGA,,,,,,,9,2.5,100.0\r\n"
                             "$MVDRL,x,0,0,0,0,010001,060524,0,0\r\n";
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text)), 1);
    EXPECT_EQ(log_.GetSample(0)->bySatUsed, 0);
    EXPECT_EQ(log_.GetSample(1)->bySatUsed, 9);
}

TEST_F(InfoLogFileTest, PlausibilityFollowsTheMapType) {
    const std::string text = Second(0, "A", "3506.0000", "N", "13942.0000", "E");
    log_.SetMapType(2);
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text)), 1);
    EXPECT_EQ(log_.GetSample(0)->byGpsValid, 0);
    log_.SetMapType(0);
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text)), 1);
    EXPECT_EQ(log_.GetSample(0)->byGpsValid, 1);
    EXPECT_TRUE(IsLogPositionPlausible(35.1, 129.7, 3));
    EXPECT_FALSE(IsLogPositionPlausible(90.1, 0, 0));
}

TEST(LogRecorderTime, RepairsAndCenturies) {
    test::ScopedTimeZone zone("UTC");
    EXPECT_EQ(LogRecorderTime("000000", "000000"), 0);
    EXPECT_EQ(LogRecorderTime("120000", "010170"), LogRecorderTime("120000", "020109"));
    EXPECT_EQ(LogRecorderTime("120000", "000024"), LogRecorderTime("120000", "010124"));
    EXPECT_EQ(LogRecorderTime("120000", "321324"), LogRecorderTime("120000", "010124"));
    EXPECT_EQ(LogRecorderTime("120000", "010508"), LogRecorderTime("120000", "010509"));
    EXPECT_EQ(LogRecorderTime("256161", "010524"), LogRecorderTime("000000", "010524"));
    EXPECT_EQ(LogRecorderTime("X120000999", "X010524"), LogRecorderTime("120000", "010524") + 999);
    EXPECT_EQ(LogRecorderTime("", ""), LogRecorderTime("000000", "010109"));
}

TEST(LogRecorderTime, SamplesOfOneLoadMatchTheLocalTimeConversionAcrossDaylightSaving) {
    test::ScopedTimeZone zone("Europe/Berlin");
    // 2024-03-31 02:00 does not exist there; 2024-10-27 02:00-03:00 happens twice.
    const std::vector<std::pair<const char*, std::vector<const char*>>> days = {
        {"310324", {"015958", "015959", "030000", "030001", "035959", "040000"}},
        {"271024", {"015959", "020000", "023000", "025959"}}};
    for (const auto& [date, times] : days) {
        std::string text;
        for (const char* time : times)
            text += std::string("$MVDRL,x,0,0,0,0,") + time + "," + date + ",0,0\r\n";
        CInfoLogFile log;
        ASSERT_EQ(log.LoadFromBytes(Bytes(text)), 1);
        ASSERT_EQ(log.m_nSampleCount, static_cast<int>(times.size())) << date;
        for (int i = 0; i < log.m_nSampleCount; ++i)
            EXPECT_EQ(log.GetSample(i)->llTime,
                      LogRecorderTime(times[static_cast<std::size_t>(i)], date))
                << date << " " << i;
    }
}

TEST(NmeaDegrees, PositionsAndSign) {
    EXPECT_NEAR(NmeaDegrees("3530.1234", 2), 35 + 30.1234 / 60, 1e-12);
    EXPECT_NEAR(NmeaDegrees("-3530.1234", 2), 35 + 30.1234 / 60, 1e-12);
    EXPECT_NEAR(NmeaDegrees("13942.5678", 3), 139 + 42.5678 / 60, 1e-12);
    EXPECT_EQ(NmeaDegrees("", 2), 0.0);
    EXPECT_EQ(NmeaDegrees("-", 2), 0.0);
}

TEST_F(InfoLogFileTest, FailuresReportStateThree) {
    EXPECT_EQ(log_.LoadFromBytes({}, &owner_), 0);
    EXPECT_EQ(owner_.state, kLoadStateFailed);
    owner_.state = 0;
    EXPECT_EQ(log_.LoadFromBytes(Bytes("$MVDRL3,1,a,b\r\n$GPRMC,1\r\n"), &owner_), 0);
    EXPECT_EQ(owner_.state, kLoadStateFailed);
    EXPECT_EQ(owner_.finished, 2);
    EXPECT_EQ(log_.Load("/nonexistent/x.log", nullptr), 0);
}

TEST_F(InfoLogFileTest, CancelStopsBeforeTheNextLine) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += Second(i);
    owner_.cancelAt = 5;
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text), &owner_), 1);
    EXPECT_EQ(log_.m_nSampleCount, 5);
    EXPECT_EQ(owner_.finished, 1);
}

TEST_F(InfoLogFileTest, HostileBytesNeverBreakTheParser) {
    std::string text(5000, 'A'); // a line far longer than the line buffer
    text += "\r\n";
    text += "$GPRMC,,A,nan,N,inf,E,1e999,-0,\r\n";
    // Empty time and date fields read as 2009-01-01 00:00 and complete the sample.
    text += std::string("$MVDRL,\0\xFF,99999999999999999999,,-,", 33) + "\n";
    text += std::string(300, ',') + "\n";
    text += "$MVDRL,x,0,0,0,0,010000,060524,0,0"; // no line end at the end of the file
    ASSERT_EQ(log_.LoadFromBytes(Bytes(text)), 1);
    ASSERT_EQ(log_.m_nSampleCount, 1);
    EXPECT_EQ(log_.GetSample(0)->llTime, LogRecorderTime("", ""));
    EXPECT_EQ(log_.GetSample(0)->byGpsValid, 1); // nan and inf read as 0 by the degrees
    EXPECT_EQ(log_.GetSample(0)->fSpeed, 0.0f);
}

TEST_F(InfoLogFileTest, LoadingThreadReportsOnceAndIsWaitedFor) {
    test::TempDir dir;
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += Second(i);
    const auto path = dir.Write("log/0000000001,x.log", text);
    log_.StartLoad(path.string(), &owner_);
    log_.Wait();
    EXPECT_FALSE(log_.IsLoading());
    EXPECT_EQ(owner_.finished, 1);
    EXPECT_EQ(log_.m_nSampleCount, 30);
    EXPECT_EQ(log_.m_strPath, path.string());

    CInfoLogFile moved(std::move(log_));
    EXPECT_EQ(moved.m_nSampleCount, 30);

    RecordingOwner other;
    {
        CInfoLogFile scoped;
        scoped.StartLoad(path.string(), &other);
    } // the destructor waits for the thread
    EXPECT_EQ(other.finished, 1);
}

} // namespace
} // namespace trevix
