// Little-endian byte writing into a growing buffer or a fixed array, as the recorder's files
// store their numbers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace trevix::mkcard {

using Bytes = std::vector<std::uint8_t>;

// Writes at fixed offsets of a span; writes that would pass its end are dropped.
class FieldWriter {
public:
    explicit FieldWriter(std::span<std::uint8_t> target) : target_(target) {}

    void U8(std::size_t offset, std::uint8_t value) { Put(offset, &value, 1); }
    void U16(std::size_t offset, std::uint16_t value) {
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                       static_cast<std::uint8_t>(value >> 8)};
        Put(offset, bytes, 2);
    }
    void I16(std::size_t offset, std::int16_t value) {
        U16(offset, static_cast<std::uint16_t>(value));
    }
    void U32(std::size_t offset, std::uint32_t value) {
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        Put(offset, bytes, 4);
    }
    void F64(std::size_t offset, double value) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        U32(offset, static_cast<std::uint32_t>(bits));
        U32(offset + 4, static_cast<std::uint32_t>(bits >> 32));
    }
    // Copies the text, cut to maxBytes; the rest of the field stays as it is (zero).
    void Text(std::size_t offset, std::string_view text, std::size_t maxBytes) {
        Put(offset, reinterpret_cast<const std::uint8_t*>(text.data()),
            text.size() < maxBytes ? text.size() : maxBytes);
    }

private:
    void Put(std::size_t offset, const std::uint8_t* bytes, std::size_t count) {
        if (offset > target_.size() || count > target_.size() - offset)
            return;
        std::memcpy(target_.data() + offset, bytes, count);
    }

    std::span<std::uint8_t> target_;
};

inline void Append(Bytes& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void Append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

} // namespace trevix::mkcard
