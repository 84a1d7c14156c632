#include "playback/VolumeOutMaster.h"

#include "app/TraceLog.h"
#include "platform/PulseSink.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <algorithm>

namespace trevix {

using pulse::PulseConnection;

struct CVolumeOutMaster::LoopEvents {
    static void OnSubscription(pa_context* context, pa_subscription_event_type_t event,
                               std::uint32_t index, void* userdata) {
        auto* self = static_cast<CVolumeOutMaster*>(userdata);
        const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (type != PA_SUBSCRIPTION_EVENT_CHANGE)
            return;
        pa_operation* op = nullptr;
        if (facility == PA_SUBSCRIPTION_EVENT_SINK && index == self->sinkIndex_)
            op = pa_context_get_sink_info_by_index(context, index, OnSinkInfo, self);
        else if (facility == PA_SUBSCRIPTION_EVENT_SERVER)
            op = pa_context_get_server_info(context, OnServerInfo, self);
        if (op != nullptr)
            pa_operation_unref(op);
    }

    // Another default sink: follow it, so the volume stays that of what the user hears.
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* userdata) {
        auto* self = static_cast<CVolumeOutMaster*>(userdata);
        if (info == nullptr || info->default_sink_name == nullptr ||
            self->sinkName_ == info->default_sink_name)
            return;
        self->announcedDefault_ = info->default_sink_name;
        pa_operation* op =
            pa_context_get_sink_info_by_name(context, info->default_sink_name, OnSinkInfo, self);
        if (op != nullptr)
            pa_operation_unref(op);
    }

    static void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
        if (eol != 0 || info == nullptr)
            return;
        auto* self = static_cast<CVolumeOutMaster*>(userdata);
        const pulse::SinkState sink = pulse::ToSinkState(*info);
        if (sink.volumes.empty())
            return;
        if (sink.name != self->sinkName_) {
            if (sink.name != self->announcedDefault_)
                return;
            TRACE("Master volume follows the default output %s", sink.name.c_str());
            self->sinkName_ = sink.name;
            self->sinkIndex_ = sink.index;
            self->channelCount_ = static_cast<std::uint32_t>(sink.volumes.size());
            self->steps_ = sink.volumeSteps;
        }
        if (sink.volumes.front() != self->seenVolume_) {
            self->seenVolume_ = sink.volumes.front();
            self->PostVolume(self->seenVolume_);
        }
        if (sink.muted != self->seenMuted_) {
            self->seenMuted_ = sink.muted;
            self->PostMute(sink.muted);
        }
    }

    static void OnSubscribed(pa_context*, int, void* userdata) {
        static_cast<CVolumeOutMaster*>(userdata)->connection_->Signal();
    }
};

CVolumeOutMaster::CVolumeOutMaster() {
    if (!Open()) {
        connection_.reset();
        mixerOpened_ = linesFound_ = volumeAvailable_ = false;
    }
}

CVolumeOutMaster::CVolumeOutMaster(Offline) {}

CVolumeOutMaster::~CVolumeOutMaster() {
    // Stop the loop first, so that nothing posts to the contexts while they go.
    connection_.reset();
    const std::lock_guard guard(callbackMutex_);
    volumeContext_.reset();
    muteContext_.reset();
}

bool CVolumeOutMaster::Open() {
    connection_ = PulseConnection::Connect("Trevix Master Volume", pulse::kServerTimeout);
    if (!connection_) {
        TRACE("Master volume: no sound server");
        return false;
    }
    mixerOpened_ = true;
    const PulseConnection::Lock lock(*connection_);
    const auto name = pulse::QueryDefaultSinkName(*connection_);
    if (!name) {
        TRACE("Master volume: no default sound output");
        return false;
    }
    const auto sink = pulse::QuerySink(*connection_, *name);
    if (!sink || sink->volumes.empty()) {
        TRACE("Master volume: the default sound output %s cannot be read", name->c_str());
        return false;
    }
    sinkName_ = sink->name;
    sinkIndex_ = sink->index;
    channelCount_ = static_cast<std::uint32_t>(sink->volumes.size());
    steps_ = sink->volumeSteps;
    minimum_ = 0;
    maximum_ = pulse::NormalVolume();
    seenVolume_ = sink->volumes.front();
    seenMuted_ = sink->muted;
    linesFound_ = true;
    volumeAvailable_ = true;

    pa_context_set_subscribe_callback(connection_->Context(), LoopEvents::OnSubscription, this);
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                          PA_SUBSCRIPTION_MASK_SERVER);
    if (!connection_->Finish(
            pa_context_subscribe(connection_->Context(), mask, LoopEvents::OnSubscribed, this),
            pulse::Clock::now() + pulse::kServerTimeout))
        TRACE("Master volume: change notices are not available");
    return true;
}

int CVolumeOutMaster::IsAvailable() const {
    return volumeAvailable_ ? 1 : 0;
}

std::uint32_t CVolumeOutMaster::GetStepCount() const {
    if (!volumeAvailable_)
        return kNoValue;
    const PulseConnection::Lock lock(*connection_);
    return steps_;
}

std::uint32_t CVolumeOutMaster::GetMinimum() const {
    return volumeAvailable_ ? minimum_ : kNoValue;
}

std::uint32_t CVolumeOutMaster::GetMaximum() const {
    return volumeAvailable_ ? maximum_ : kNoValue;
}

std::uint32_t CVolumeOutMaster::GetVolume() const {
    if (!volumeAvailable_)
        return kNoValue;
    const PulseConnection::Lock lock(*connection_);
    const auto sink = pulse::QuerySink(*connection_, sinkName_);
    if (!sink || sink->volumes.empty())
        return kNoValue;
    return sink->volumes.front();
}

void CVolumeOutMaster::SetVolume(std::uint32_t raw) {
    if (!volumeAvailable_ || raw < minimum_ || raw > maximum_)
        return;
    const PulseConnection::Lock lock(*connection_);
    if (!pulse::SetSinkVolume(*connection_, sinkName_, channelCount_, raw))
        TRACE("Master volume: setting %u failed", raw);
}

// Percentages are rounded to the nearest, as the system's own volume controls show them, so that
// a volume set as a percentage here or elsewhere reads back as that percentage.
std::uint8_t CVolumeOutMaster::PercentOf(std::uint32_t raw) const {
    const std::uint64_t range = std::uint64_t{maximum_} - minimum_;
    if (range == 0)
        return 0;
    const std::uint64_t percent = (std::uint64_t{raw} * 100 + range / 2) / range;
    return static_cast<std::uint8_t>(std::min<std::uint64_t>(percent, 255));
}

std::uint8_t CVolumeOutMaster::GetVolumePercent() const {
    if (!volumeAvailable_)
        return 0;
    const std::uint32_t raw = GetVolume();
    return raw == kNoValue ? 0 : PercentOf(raw);
}

void CVolumeOutMaster::SetVolumePercent(int percent) {
    if (!volumeAvailable_ || percent < 0 || percent > 100)
        return;
    const std::uint64_t range = std::uint64_t{maximum_} - minimum_;
    const std::uint64_t raw = (range * static_cast<std::uint64_t>(percent) + 50) / 100;
    SetVolume(static_cast<std::uint32_t>(std::min<std::uint64_t>(raw, maximum_)));
}

int CVolumeOutMaster::GetMute(std::uint32_t& value) const {
    if (!volumeAvailable_)
        return 0;
    const PulseConnection::Lock lock(*connection_);
    const auto sink = pulse::QuerySink(*connection_, sinkName_);
    if (!sink)
        return 0;
    value = sink->muted ? 1 : 0;
    return 1;
}

int CVolumeOutMaster::SetMute(std::uint32_t value) {
    if (!volumeAvailable_)
        return 0;
    const PulseConnection::Lock lock(*connection_);
    return pulse::SetSinkMute(*connection_, sinkName_, value != 0) ? 1 : 0;
}

void CVolumeOutMaster::SoundOn() {
    if (!linesFound_)
        return;
    const PulseConnection::Lock lock(*connection_);
    pulse::SetSinkMute(*connection_, sinkName_, false);
}

void CVolumeOutMaster::SoundOff() {
    if (!linesFound_)
        return;
    const PulseConnection::Lock lock(*connection_);
    pulse::SetSinkMute(*connection_, sinkName_, true);
}

void CVolumeOutMaster::SetVolumeCallback(VolumeCallback callback, std::uintptr_t user) {
    const std::lock_guard guard(callbackMutex_);
    volumeCallback_ = std::move(callback);
    callbackUser_ = user;
    // A fresh context belongs to the calling thread; notices are queued to it.
    volumeContext_ = volumeCallback_ ? std::make_unique<QObject>() : nullptr;
}

void CVolumeOutMaster::SetMuteCallback(MuteCallback callback, std::uintptr_t user) {
    const std::lock_guard guard(callbackMutex_);
    muteCallback_ = std::move(callback);
    callbackUser_ = user;
    muteContext_ = muteCallback_ ? std::make_unique<QObject>() : nullptr;
}

void CVolumeOutMaster::PostVolume(std::uint32_t raw) {
    const std::uint8_t percent = PercentOf(raw);
    const std::lock_guard guard(callbackMutex_);
    if (volumeContext_)
        QMetaObject::invokeMethod(
            volumeContext_.get(), [this, percent] { DeliverVolume(percent); },
            Qt::QueuedConnection);
}

void CVolumeOutMaster::PostMute(bool muted) {
    const int soundOn = muted ? 0 : 1;
    const std::lock_guard guard(callbackMutex_);
    if (muteContext_)
        QMetaObject::invokeMethod(
            muteContext_.get(), [this, soundOn] { DeliverMute(soundOn); }, Qt::QueuedConnection);
}

void CVolumeOutMaster::DeliverVolume(std::uint8_t percent) {
    VolumeCallback callback;
    std::uintptr_t user = 0;
    {
        const std::lock_guard guard(callbackMutex_);
        callback = volumeCallback_;
        user = callbackUser_;
    }
    if (callback)
        callback(percent, user);
}

void CVolumeOutMaster::DeliverMute(int soundOn) {
    MuteCallback callback;
    std::uintptr_t user = 0;
    {
        const std::lock_guard guard(callbackMutex_);
        callback = muteCallback_;
        user = callbackUser_;
    }
    if (callback)
        callback(soundOn, user);
}

} // namespace trevix
