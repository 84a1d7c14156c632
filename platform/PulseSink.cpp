#include "platform/PulseSink.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/volume.h>

namespace trevix::pulse {
namespace {

struct ServerQuery {
    const PulseConnection* connection;
    std::optional<std::string> defaultSink;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    auto* query = static_cast<ServerQuery*>(userdata);
    if (info != nullptr && info->default_sink_name != nullptr && *info->default_sink_name != 0)
        query->defaultSink = info->default_sink_name;
    query->connection->Signal();
}

struct SinkQuery {
    const PulseConnection* connection;
    std::optional<SinkState> sink;
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* query = static_cast<SinkQuery*>(userdata);
    if (eol == 0 && info != nullptr)
        query->sink = ToSinkState(*info);
    query->connection->Signal();
}

struct SuccessQuery {
    const PulseConnection* connection;
    bool succeeded = false;
};

void OnSuccess(pa_context*, int success, void* userdata) {
    auto* query = static_cast<SuccessQuery*>(userdata);
    query->succeeded = success != 0;
    query->connection->Signal();
}

Clock::time_point Deadline() {
    return Clock::now() + kServerTimeout;
}

} // namespace

std::uint32_t NormalVolume() {
    return PA_VOLUME_NORM;
}

SinkState ToSinkState(const pa_sink_info& info) {
    SinkState state;
    state.name = info.name != nullptr ? info.name : "";
    state.index = info.index;
    state.volumeSteps = info.n_volume_steps;
    for (unsigned channel = 0; channel < info.volume.channels && channel < PA_CHANNELS_MAX;
         ++channel)
        state.volumes.push_back(info.volume.values[channel]);
    state.muted = info.mute != 0;
    return state;
}

std::optional<std::string> QueryDefaultSinkName(const PulseConnection& connection) {
    ServerQuery query{&connection, std::nullopt};
    if (!connection.Finish(pa_context_get_server_info(connection.Context(), OnServerInfo, &query),
                           Deadline()))
        return std::nullopt;
    return query.defaultSink;
}

std::optional<SinkState> QuerySink(const PulseConnection& connection, const std::string& name) {
    SinkQuery query{&connection, std::nullopt};
    if (!connection.Finish(pa_context_get_sink_info_by_name(connection.Context(), name.c_str(),
                                                            OnSinkInfo, &query),
                           Deadline()))
        return std::nullopt;
    return query.sink;
}

bool SetSinkVolume(const PulseConnection& connection, const std::string& name,
                   std::uint32_t channels, std::uint32_t raw) {
    if (channels == 0 || channels > PA_CHANNELS_MAX || raw > PA_VOLUME_MAX)
        return false;
    pa_cvolume volume;
    pa_cvolume_set(&volume, channels, raw);
    SuccessQuery query{&connection};
    return connection.Finish(pa_context_set_sink_volume_by_name(connection.Context(), name.c_str(),
                                                                &volume, OnSuccess, &query),
                             Deadline()) &&
           query.succeeded;
}

bool SetSinkMute(const PulseConnection& connection, const std::string& name, bool muted) {
    SuccessQuery query{&connection};
    return connection.Finish(pa_context_set_sink_mute_by_name(connection.Context(), name.c_str(),
                                                              muted ? 1 : 0, OnSuccess, &query),
                             Deadline()) &&
           query.succeeded;
}

} // namespace trevix::pulse
