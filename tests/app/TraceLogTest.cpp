#include "app/TraceLog.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace trevix;

namespace {

std::uint16_t Unit(const trace::Record& record, std::size_t offset) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(record[offset]) |
                                      std::to_integer<unsigned>(record[offset + 1]) << 8);
}

// Binds the trace socket in a private runtime folder for the life of the object.
class TraceListener {
public:
    TraceListener() {
        ::setenv("XDG_RUNTIME_DIR", dir_.Str().c_str(), 1);
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = trace::SocketPath();
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const timeval timeout{2, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~TraceListener() {
        ::close(fd_);
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    bool Bound() const { return bound_; }
    // Size of the next datagram (0 on time-out) and its record; a longer datagram shows as
    // a size above the record's.
    std::size_t Receive(trace::Record& record) {
        std::vector<std::byte> buffer(record.size() + 1);
        const auto got = ::recv(fd_, buffer.data(), buffer.size(), 0);
        std::copy_n(buffer.begin(), record.size(), record.begin());
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    test::TempDir dir_;
    int fd_ = -1;
    bool bound_ = false;
};

} // namespace

TEST(TraceRecord, FieldsLieAtTheirOffsetsAsUtf16) {
    const TraceSite site{0, 700, "/src/catalogue/MgrDBSearch.cpp", nullptr};
    const trace::Record record = trace::BuildRecord(site, "Größe");
    EXPECT_EQ(record.size(), 12292u);
    EXPECT_EQ(Unit(record, 0), 0);
    EXPECT_EQ(Unit(record, trace::kAppNameOffset), 'T');
    EXPECT_EQ(Unit(record, trace::kLocationOffset), '7');
    EXPECT_EQ(Unit(record, trace::kMessageOffset + 4), 0x00F6); // ö as one UTF-16 unit
    const auto decoded = trace::DecodeRecord(record);
    EXPECT_EQ(decoded.appName, "Trevix");
    EXPECT_EQ(decoded.location, "700 line in ./MgrDBSearch.cpp");
    EXPECT_EQ(decoded.message, "Größe");
    EXPECT_EQ(decoded.extra, "");
    // Everything after the message terminator is zero.
    for (std::size_t i = trace::kMessageOffset + 2 * 5; i < trace::kExtraOffset; ++i)
        ASSERT_EQ(std::to_integer<int>(record[i]), 0) << i;
}

TEST(TraceRecord, LongTextsAreCutToTheirLimits) {
    const std::string longPath = "/" + std::string(600, 'p') + ".cpp";
    const TraceSite site{3, 1, longPath.c_str(), "x"};
    const auto decoded = trace::DecodeRecord(trace::BuildRecord(site, std::string(3000, 'm')));
    EXPECT_EQ(decoded.level, 3);
    EXPECT_EQ(decoded.message.size(), 1024u);
    // The path is cut to 511 characters before it is placed in the location text.
    EXPECT_EQ(decoded.location.size(), std::string("1 line in ").size() + 511);
    EXPECT_EQ(decoded.extra, "x");
}

TEST(TraceChannel, DeliversOneRecordPerCallToABoundListener) {
    TraceListener listener;
    ASSERT_TRUE(listener.Bound());
    TRACE("Windows Ver : %d.%d", 6, 1);
    trace::Record record{};
    ASSERT_EQ(listener.Receive(record), trace::kRecordSize);
    const auto decoded = trace::DecodeRecord(record);
    EXPECT_EQ(decoded.message, "Windows Ver : 6.1");
    EXPECT_EQ(decoded.location.rfind(" line in ./TraceLogTest.cpp"),
              decoded.location.size() - std::string(" line in ./TraceLogTest.cpp").size());
}

TEST(TraceChannel, FormattedMessageIsCutAt1024Characters) {
    TraceListener listener;
    ASSERT_TRUE(listener.Bound());
    const std::string text(1500, 'a');
    TRACE("%s", text.c_str());
    trace::Record record{};
    ASSERT_EQ(listener.Receive(record), trace::kRecordSize);
    EXPECT_EQ(trace::DecodeRecord(record).message, std::string(1024, 'a'));
}

TEST(TraceChannel, WithoutListenerNothingIsSentAndNothingWaits) {
    test::TempDir dir;
    ::setenv("XDG_RUNTIME_DIR", dir.Str().c_str(), 1);
    TRACE("nobody listens %d", 1);
    EXPECT_FALSE(std::filesystem::exists(trace::SocketPath()));
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(trace::SocketPath(), "/tmp/trevix-trace-" + std::to_string(::getuid()) + ".sock");
}

TEST(TraceChannel, CallsFromManyThreadsEachArriveWhole) {
    TraceListener listener;
    ASSERT_TRUE(listener.Bound());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] { TRACE("thread %d", t); });
    for (auto& thread : threads)
        thread.join();
    std::vector<std::string> messages;
    for (int i = 0; i < 4; ++i) {
        trace::Record record{};
        ASSERT_EQ(listener.Receive(record), trace::kRecordSize);
        messages.push_back(trace::DecodeRecord(record).message);
    }
    std::sort(messages.begin(), messages.end());
    EXPECT_EQ(messages, (std::vector<std::string>{"thread 0", "thread 1", "thread 2", "thread 3"}));
}
