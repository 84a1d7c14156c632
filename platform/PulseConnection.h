// A connection to the sound server: a threaded main loop of the PulseAudio client library and
// one context on it. Every wait is bounded, so a missing or silent server never hangs a caller.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

namespace trevix::pulse {

using Clock = std::chrono::steady_clock;

// How long a connection attempt or one request to the server may take.
inline constexpr std::chrono::milliseconds kServerTimeout{4000};

class PulseConnection {
public:
    // Connects to the default server (PULSE_SERVER or the user's own) without spawning one.
    // Returns nothing when no server answers within the timeout.
    static std::unique_ptr<PulseConnection> Connect(const char* clientName,
                                                    std::chrono::milliseconds timeout);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_threaded_mainloop* MainLoop() const { return loop_; }
    pa_context* Context() const { return context_; }

    // Holds the main loop's lock; every call into the client library from a thread other than
    // the loop's own needs it. The loop's callbacks run with it held.
    class Lock {
    public:
        explicit Lock(const PulseConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* loop_;
    };

    // With the lock held: sleeps until done() holds, the context fails or the deadline passes.
    // Returns done() at the end. done() is evaluated with the lock held.
    bool WaitUntil(const std::function<bool()>& done, Clock::time_point deadline) const;

    // With the lock held: waits for a request to finish and releases it; a request still running
    // at the deadline is cancelled. False when op is null, timed out or the context failed.
    bool Finish(pa_operation* op, Clock::time_point deadline) const;

    // With the lock held: sleeps until the next Signal, however long that takes. For threads
    // that another thread wakes on purpose (a refill thread told to stop).
    void Wait() const;

    // From a loop callback (or with the lock held): wakes every thread in WaitUntil or Wait so it
    // tests its condition again.
    void Signal() const;

    // With the lock held: the context is connected and usable.
    bool IsReady() const;

private:
    // Only Connect makes connections; the private token keeps the constructor to it.
    struct Token {
        explicit Token() = default;
    };

public:
    explicit PulseConnection(Token) {}

private:
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool loopRunning_ = false;
};

// With the lock held: detaches every callback of stream, disconnects it while it is still good
// and drops the reference; stream becomes null. Nothing when it is null already.
void ReleaseStream(pa_stream*& stream);

} // namespace trevix::pulse
