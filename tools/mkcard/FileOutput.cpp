#include "tools/mkcard/FileOutput.h"

namespace trevix::mkcard {

bool WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    FileOutput out(path);
    out.Write(bytes);
    return out.Close();
}

bool WriteFileBytes(const std::filesystem::path& path, std::string_view text) {
    return WriteFileBytes(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace trevix::mkcard
