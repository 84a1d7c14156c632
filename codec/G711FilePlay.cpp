#include "codec/G711FilePlay.h"

#include "app/TraceLog.h"

#include <cstring>

namespace trevix {

CG711FilePlay::CG711FilePlay() : player_("Trevix Memo Sound") {}

CG711FilePlay::~CG711FilePlay() {
    Stop();
}

bool CG711FilePlay::Play(const std::filesystem::path& path) {
    Stop();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    source_.Reset(file);
    std::array<unsigned char, 2> marker{};
    if (std::fread(marker.data(), 1, marker.size(), file) != marker.size() || marker[0] != 0xFF ||
        marker[1] != 0xD8) {
        source_.Reset(nullptr);
        return false;
    }
    if (!player_.Open({8000, 1, kG711SamplesPerSecond * 2}, source_)) {
        source_.Reset(nullptr);
        return false;
    }
    // A very short file may have played out already; the opening itself decides the result.
    player_.Restart();
    return true;
}

void CG711FilePlay::Stop() {
    if (!player_.IsOpen())
        return;
    player_.Close();
    source_.Reset(nullptr);
    TRACE("G711 File Play STOP.");
}

void CG711FilePlay::FileSource::Reset(std::FILE* file) {
    file_.reset(file);
}

pulse::Fill CG711FilePlay::FileSource::FillBuffer(pulse::FillStage, const pulse::PcmFormat&,
                                                  std::span<std::byte> buffer) {
    if (!file_)
        return pulse::Fill::End();
    readBuffer_.fill(0);
    const std::size_t read = std::fread(readBuffer_.data(), 1, readBuffer_.size(), file_.get());
    if (read == 0) {
        file_.reset();
        return pulse::Fill::End();
    }
    // Only the bytes read are played: a short last read ends the sound where the file ends.
    const auto samples = decoder_.DecodeALaw(std::span(readBuffer_.data(), read));
    const std::size_t bytes = std::min(samples.size_bytes(), buffer.size());
    std::memcpy(buffer.data(), samples.data(), bytes);
    return pulse::Fill::Write(bytes);
}

} // namespace trevix
