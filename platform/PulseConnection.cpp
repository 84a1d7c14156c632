#include "platform/PulseConnection.h"

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

namespace trevix::pulse {
namespace {

void OnContextState(pa_context*, void* userdata) {
    static_cast<const PulseConnection*>(userdata)->Signal();
}

void OnTimer(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    static_cast<const PulseConnection*>(userdata)->Signal();
}

bool ContextFailed(pa_context* context) {
    const pa_context_state_t state = pa_context_get_state(context);
    return !PA_CONTEXT_IS_GOOD(state);
}

} // namespace

std::unique_ptr<PulseConnection> PulseConnection::Connect(const char* clientName,
                                                          std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    auto connection = std::make_unique<PulseConnection>(Token{});
    connection->loop_ = pa_threaded_mainloop_new();
    if (connection->loop_ == nullptr)
        return nullptr;
    connection->context_ =
        pa_context_new(pa_threaded_mainloop_get_api(connection->loop_), clientName);
    if (connection->context_ == nullptr)
        return nullptr;
    pa_context_set_state_callback(connection->context_, OnContextState, connection.get());
    if (pa_threaded_mainloop_start(connection->loop_) < 0)
        return nullptr;
    connection->loopRunning_ = true;

    const Lock lock(*connection);
    if (pa_context_connect(connection->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return nullptr;
    if (!connection->WaitUntil([&] { return connection->IsReady(); }, deadline))
        return nullptr;
    return connection;
}

PulseConnection::~PulseConnection() {
    if (loopRunning_)
        pa_threaded_mainloop_stop(loop_);
    // The loop thread has ended, so the context can be torn down without the lock.
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_ != nullptr)
        pa_threaded_mainloop_free(loop_);
}

PulseConnection::Lock::Lock(const PulseConnection& connection) : loop_(connection.loop_) {
    pa_threaded_mainloop_lock(loop_);
}

PulseConnection::Lock::~Lock() {
    pa_threaded_mainloop_unlock(loop_);
}

bool PulseConnection::WaitUntil(const std::function<bool()>& done,
                                Clock::time_point deadline) const {
    while (!done()) {
        if (ContextFailed(context_))
            return false;
        const auto remaining =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (remaining.count() <= 0)
            return false;
        // A timer on the loop wakes this wait at the deadline at the latest.
        pa_time_event* timer = pa_context_rttime_new(
            context_, pa_rtclock_now() + static_cast<pa_usec_t>(remaining.count()), OnTimer,
            const_cast<PulseConnection*>(this));
        if (timer == nullptr)
            return false;
        pa_threaded_mainloop_wait(loop_);
        pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    }
    return true;
}

bool PulseConnection::Finish(pa_operation* op, Clock::time_point deadline) const {
    if (op == nullptr)
        return false;
    const bool done =
        WaitUntil([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, deadline);
    if (!done)
        pa_operation_cancel(op);
    const bool succeeded = done && pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
    return succeeded;
}

void PulseConnection::Wait() const {
    pa_threaded_mainloop_wait(loop_);
}

void PulseConnection::Signal() const {
    pa_threaded_mainloop_signal(loop_, 0);
}

bool PulseConnection::IsReady() const {
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

void ReleaseStream(pa_stream*& stream) {
    if (stream == nullptr)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_overflow_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

} // namespace trevix::pulse
