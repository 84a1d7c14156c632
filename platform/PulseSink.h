// Reading and writing the volume and mute switch of a sink (a sound output device of the
// server). Every function here is called with the connection's lock held.
#pragma once

#include "platform/PulseConnection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct pa_sink_info;

namespace trevix::pulse {

struct SinkState {
    std::string name;
    std::uint32_t index = 0;
    std::uint32_t volumeSteps = 0;
    std::vector<std::uint32_t> volumes; // raw volume of every channel (0 silent, 65536 normal)
    bool muted = false;
};

// The server's normal (100 %) volume: the top of the volume scale offered to the user.
std::uint32_t NormalVolume();

SinkState ToSinkState(const pa_sink_info& info);

// The name of the sink that plays sound by default; nothing when there is none.
std::optional<std::string> QueryDefaultSinkName(const PulseConnection& connection);
std::optional<SinkState> QuerySink(const PulseConnection& connection, const std::string& name);
// Sets every one of `channels` channels to raw.
bool SetSinkVolume(const PulseConnection& connection, const std::string& name,
                   std::uint32_t channels, std::uint32_t raw);
bool SetSinkMute(const PulseConnection& connection, const std::string& name, bool muted);

} // namespace trevix::pulse
