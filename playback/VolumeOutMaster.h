// The system volume: the volume and mute switch of the sound output that plays by default (the
// server's default sink). The viewer has no gain of its own; its volume bar and mute box drive
// this, and changes made by any other program come back through the registered callbacks.
#pragma once

#include "platform/PulseConnection.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace trevix {

class CVolumeOutMaster {
public:
    // The result of a read that is not possible (unusable, or the server did not answer).
    static constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;

    using VolumeCallback = std::function<void(std::uint8_t percent, std::uintptr_t user)>;
    using MuteCallback = std::function<void(int soundOn, std::uintptr_t user)>;

    // Connects to the sound server and finds its default sink. Without a server or a default
    // sink the object stays unusable: IsAvailable is 0 and every operation does nothing.
    CVolumeOutMaster();
    virtual ~CVolumeOutMaster();
    CVolumeOutMaster(const CVolumeOutMaster&) = delete;
    CVolumeOutMaster& operator=(const CVolumeOutMaster&) = delete;

    // Volume as a percentage of the range from zero to the maximum, rounded to the nearest;
    // 0 when unusable. Volumes above the maximum give more than 100, at most 255.
    virtual std::uint8_t GetVolumePercent() const;
    // Sets every channel to that percentage of the range (rounded to the nearest raw value);
    // percentages outside 0-100 do nothing.
    virtual void SetVolumePercent(int percent);
    virtual int IsAvailable() const;
    virtual void SoundOn();
    virtual void SoundOff();
    virtual std::uint32_t GetStepCount() const;
    virtual std::uint32_t GetMinimum() const;
    virtual std::uint32_t GetMaximum() const;
    // Raw volume of the first channel, or kNoValue.
    virtual std::uint32_t GetVolume() const;
    // Sets every channel to raw; nothing when raw is outside minimum..maximum.
    virtual void SetVolume(std::uint32_t raw);

    // The callbacks run on the thread that registers them, which must run a Qt event loop,
    // whenever the volume (percent as GetVolumePercent) or the mute switch (1 = sound on)
    // changes, whoever changed it. Each registration replaces the user value of both; an empty
    // function unregisters. Register, replace and destroy from one thread.
    virtual void SetVolumeCallback(VolumeCallback callback, std::uintptr_t user);
    virtual void SetMuteCallback(MuteCallback callback, std::uintptr_t user);

    // 1 and the mute value (1 muted) in value, or 0.
    virtual int GetMute(std::uint32_t& value) const;
    // 1 on success, else 0.
    virtual int SetMute(std::uint32_t value);

protected:
    // For stand-ins in tests of the controls above it: an unusable object without a server.
    struct Offline {};
    explicit CVolumeOutMaster(Offline);

private:
    struct LoopEvents; // the server's change events, handled on the loop thread
    friend struct LoopEvents;

    bool Open();
    void PostVolume(std::uint32_t raw);
    void PostMute(bool muted);
    void DeliverVolume(std::uint8_t percent);
    void DeliverMute(int soundOn);
    std::uint8_t PercentOf(std::uint32_t raw) const;

    std::unique_ptr<pulse::PulseConnection> connection_;

    // Written in construction and by the loop thread (with the connection's lock held).
    bool mixerOpened_ = false;
    bool linesFound_ = false;
    bool volumeAvailable_ = false;
    std::string sinkName_;
    std::uint32_t sinkIndex_ = 0;
    std::uint32_t channelCount_ = 0;
    std::uint32_t minimum_ = kNoValue;
    std::uint32_t maximum_ = kNoValue;
    std::uint32_t steps_ = 0;
    std::uint32_t seenVolume_ = kNoValue;
    bool seenMuted_ = false;
    std::string announcedDefault_; // the default sink the server named last

    // Callback registrations; each has a context object in the registering thread.
    mutable std::mutex callbackMutex_;
    VolumeCallback volumeCallback_;
    MuteCallback muteCallback_;
    std::uintptr_t callbackUser_ = 0;
    std::unique_ptr<QObject> volumeContext_;
    std::unique_ptr<QObject> muteContext_;
};

} // namespace trevix
