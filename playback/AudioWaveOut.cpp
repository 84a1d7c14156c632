#include "playback/AudioWaveOut.h"

#include "app/TraceLog.h"

#include <algorithm>
#include <cstring>

namespace trevix {
namespace {

void CopySamples(std::span<const std::int16_t> samples, std::span<std::byte> buffer) {
    const std::size_t bytes = std::min(samples.size_bytes(), buffer.size());
    if (bytes > 0)
        std::memcpy(buffer.data(), samples.data(), bytes);
}

// The buffer without the samples the feed dropped from the head of its second.
pulse::Fill WriteWithout(std::size_t droppedSamples, std::span<std::byte> buffer) {
    const std::size_t dropped = droppedSamples * sizeof(std::int16_t);
    return pulse::Fill::Write(buffer.size() - std::min(dropped, buffer.size()));
}

} // namespace

RefillPlan PlanRefill(const AudioFeedResult& fed, const pulse::PcmFormat& open) {
    if (!fed.hasRecording)
        return {RefillPlan::Action::Silence, open};
    const pulse::PcmFormat reported{fed.rate, fed.channels, fed.byteCount};
    if (reported == open)
        return {fed.HasData() ? RefillPlan::Action::Copy : RefillPlan::Action::Silence, open};
    if (!reported.IsValid())
        return {RefillPlan::Action::Silence, open};
    return {RefillPlan::Action::Reopen, reported};
}

CAudioWaveOut::CAudioWaveOut() : player_("Trevix Recording Sound") {}

CAudioWaveOut::~CAudioWaveOut() {
    Close();
}

bool CAudioWaveOut::Open(IAudioFeed* owner, std::uint32_t rate, std::size_t bufferSize,
                         std::uint32_t channels) {
    Close();
    source_.Reset(owner);
    if (!player_.Open({rate, channels, bufferSize}, source_)) {
        TRACE("Audio output open failed (%u Hz, %u ch, %zu bytes)", rate, channels, bufferSize);
        return false;
    }
    return true;
}

void CAudioWaveOut::Close() {
    player_.Close();
}

void CAudioWaveOut::FeedSource::Reset(IAudioFeed* feed) {
    feed_ = feed;
    pending_.clear();
    hasPending_ = false;
}

pulse::Fill CAudioWaveOut::FeedSource::FillBuffer(pulse::FillStage stage,
                                                  const pulse::PcmFormat& open,
                                                  std::span<std::byte> buffer) {
    if (stage == pulse::FillStage::First && hasPending_) {
        hasPending_ = false;
        CopySamples(pending_, buffer);
        return WriteWithout(pendingDropped_, buffer);
    }
    if (feed_ == nullptr)
        return pulse::Fill::Write(buffer.size());

    const AudioFeedResult fed = feed_->FeedAudio(stage == pulse::FillStage::First ? 0 : 1);
    const RefillPlan plan = PlanRefill(fed, open);
    switch (plan.action) {
    case RefillPlan::Action::Copy:
        CopySamples(fed.samples, buffer);
        return WriteWithout(fed.droppedSamples, buffer);
    case RefillPlan::Action::Silence:
        break;
    case RefillPlan::Action::Reopen:
        // Only one reopen per opening before a buffer of it has played, so that a feed that
        // changes format on every call cannot make the output spin.
        if (stage == pulse::FillStage::Second)
            break;
        TRACE("Audio format change: %u Hz, %u ch, %zu bytes", plan.format.rate,
              plan.format.channels, plan.format.bufferBytes);
        pending_.assign(fed.samples.begin(), fed.samples.end());
        pendingDropped_ = fed.droppedSamples;
        hasPending_ = true;
        return pulse::Fill::Reopen(plan.format);
    }
    return pulse::Fill::Write(buffer.size());
}

} // namespace trevix
