// Read-only access to card files: positioned reads through a file descriptor, and a read-only
// memory mapping of a whole file. Both only ever read; neither trusts the file to keep its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trevix {

// Bytes that can be read at any offset; a read past the end is short, never an error.
class RandomAccessBytes {
public:
    virtual ~RandomAccessBytes() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies up to out.size() bytes from offset; returns how many were copied.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;

    // True when exactly out.size() bytes could be read.
    bool ReadExact(std::uint64_t offset, std::span<std::uint8_t> out) const {
        return ReadAt(offset, out) == out.size();
    }
};

// Bytes already in memory (tests, fuzz targets, files read whole).
class MemoryBytes final : public RandomAccessBytes {
public:
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

// Reads records one after the other from a RandomAccessBytes through a fixed 64 KiB window, so
// that a long run of small reads costs a few large ones. Reads past the end are short.
class BufferedReader {
public:
    explicit BufferedReader(const RandomAccessBytes& source) : source_(source) {}
    BufferedReader(const BufferedReader&) = delete;
    BufferedReader& operator=(const BufferedReader&) = delete;

    bool ReadExact(std::uint64_t offset, std::span<std::uint8_t> out);

private:
    static constexpr std::size_t kWindowSize = 64 * 1024;
    const RandomAccessBytes& source_;
    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

// A file opened for reading. Size() asks the system each time, so a file that grows or shrinks
// while it is read gives short reads rather than stale answers.
class ReadOnlyFile final : public RandomAccessBytes {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile() override;
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    std::uint64_t Size() const override;
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    int fd_ = -1;
};

// A whole file mapped read-only. Reading a mapping whose file was cut short after mapping
// raises SIGBUS; run such reads through ReadMappingGuarded.
class MappedFile {
public:
    enum class Error { None, Open, Size, Empty, Map };

    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False with LastError() set when the file cannot be opened, is empty or cannot be mapped.
    bool Open(const std::string& path);
    void Close();
    Error LastError() const { return error_; }
    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    Error error_ = Error::None;
};

// Runs work(context) so that a SIGBUS raised on this thread while it runs (a mapped file that
// shrank) ends it early instead of ending the process. Returns false when that happened. The
// work must hold no objects with destructors of its own across the reads of the mapping.
bool ReadMappingGuarded(void (*work)(void*), void* context);

// The same for a callable; the callable's own locals must be trivially destructible.
template <typename Work>
bool ReadMappingGuarded(Work& work) {
    return ReadMappingGuarded([](void* context) { (*static_cast<Work*>(context))(); }, &work);
}

} // namespace trevix
