#include "app/TraceLog.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace trevix;
using namespace std::chrono_literals;

namespace {

std::string TracewinPath() {
    const char* dir = std::getenv("TREVIX_BINARY_DIR");
    return std::string(dir != nullptr ? dir : TREVIX_BINARY_DIR) + "/tools/tracewin/tracewin";
}

bool IsSocket(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

template <typename Condition>
bool WaitFor(Condition condition) {
    for (auto deadline = std::chrono::steady_clock::now() + 10s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(10ms))
        if (condition())
            return true;
    return condition();
}

// A private runtime folder (so a private trace socket) for the life of the object.
class PrivateRuntimeDir {
public:
    PrivateRuntimeDir() {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            previous_ = old;
        ::setenv("XDG_RUNTIME_DIR", dir_.Str().c_str(), 1);
    }
    ~PrivateRuntimeDir() {
        if (previous_)
            ::setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    const test::TempDir& Dir() const { return dir_; }

private:
    test::TempDir dir_;
    std::optional<std::string> previous_;
};

// tracewin running as a child with its output in files; killed if still running at the end.
class Listener {
public:
    Listener(const test::TempDir& dir, std::vector<std::string> args, std::string name)
        : out_(dir.Str() + "/" + name + ".out"), err_(dir.Str() + "/" + name + ".err") {
        args.insert(args.begin(), TracewinPath());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Listener() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool Started() const { return pid_ > 0; }
    bool Listening() const { return Err().find("listening on") != std::string::npos; }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // Exit code once the child ended, or empty when it runs on past the wait.
    std::optional<int> Wait() {
        WaitFor([&] {
            int status = 0;
            if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_)
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_.has_value();
        });
        return status_;
    }
    std::string Out() const { return test::ReadFile(out_); }
    std::string Err() const { return test::ReadFile(err_); }

private:
    std::string out_, err_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

void SendDatagram(const std::string& path, const void* data, std::size_t size) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ::sendto(fd, data, size, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
}

} // namespace

TEST(Tracewin, PrintsEachRecordAsOneLineAndRemovesItsSocket) {
    PrivateRuntimeDir runtime;
    const std::string socket = trace::SocketPath();
    Listener listener(runtime.Dir(), {"--count", "2"}, "a");
    ASSERT_TRUE(listener.Started());
    ASSERT_TRUE(WaitFor([&] { return IsSocket(socket); })) << listener.Err();

    const char shortDatagram[10] = {};
    SendDatagram(socket, shortDatagram, sizeof shortDatagram); // skipped, not printed
    const int line = __LINE__ + 1;
    TRACE("Scan %d files", 7);
    TRACE("two\nlines\tand a tab");

    ASSERT_EQ(listener.Wait(), 0) << listener.Err();
    std::ostringstream expected;
    expected << "Trevix\t" << line << " line in ./TracewinTest.cpp\tScan 7 files\n"
             << "Trevix\t" << line + 1 << " line in ./TracewinTest.cpp\ttwo\\nlines\\tand a tab\n";
    EXPECT_EQ(listener.Out(), expected.str());
    EXPECT_NE(listener.Err().find("skipped a datagram of 10 bytes"), std::string::npos);
    EXPECT_FALSE(IsSocket(socket));
}

TEST(Tracewin, KeepsARunningListenerAndEndsOnSigterm) {
    PrivateRuntimeDir runtime;
    const std::string socket = trace::SocketPath();
    Listener first(runtime.Dir(), {}, "first");
    ASSERT_TRUE(WaitFor([&] { return IsSocket(socket); })) << first.Err();

    Listener second(runtime.Dir(), {}, "second");
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_TRUE(IsSocket(socket)); // the second one left the first one's socket alone

    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_FALSE(IsSocket(socket));
}

TEST(Tracewin, ReplacesAStaleSocketFile) {
    PrivateRuntimeDir runtime;
    const std::string socket = trace::SocketPath();
    {
        // A socket file whose owner has gone.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    ASSERT_TRUE(IsSocket(socket));
    Listener listener(runtime.Dir(), {"--count", "1"}, "stale");
    ASSERT_TRUE(WaitFor([&] { return listener.Listening(); })) << listener.Err();
    TRACE("after restart");
    ASSERT_EQ(listener.Wait(), 0) << listener.Err();
    EXPECT_NE(listener.Out().find("\tafter restart\n"), std::string::npos);
}

TEST(Tracewin, RefusesToReplaceAFileThatIsNoSocket) {
    PrivateRuntimeDir runtime;
    const std::string socket = trace::SocketPath();
    runtime.Dir().Write("trevix-trace.sock", "keep me");
    Listener listener(runtime.Dir(), {}, "file");
    EXPECT_EQ(listener.Wait(), 1);
    EXPECT_EQ(test::ReadFile(socket), "keep me");
}
