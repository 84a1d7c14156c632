// Writing generated files: a data file written block by block, and whole small files.
#pragma once

#include "tools/mkcard/ByteWriter.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>

namespace trevix::mkcard {

// A new file (replacing an old one) that counts what was written; Close reports whether every
// write reached the file. A symbolic link left at the path by an earlier card's damage is
// removed first, so the file is written in its place and not through the link.
class FileOutput {
public:
    explicit FileOutput(const std::filesystem::path& path)
        : out_((RemoveLink(path), path), std::ios::binary | std::ios::trunc) {}

    void Write(std::span<const std::uint8_t> bytes) {
        out_.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        size_ += bytes.size();
    }
    std::uint64_t Size() const { return size_; }
    bool Close() {
        out_.close();
        return !out_.fail();
    }

private:
    static void RemoveLink(const std::filesystem::path& path) {
        std::error_code error;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
            std::filesystem::remove(path, error);
    }

    std::ofstream out_;
    std::uint64_t size_ = 0;
};

bool WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
bool WriteFileBytes(const std::filesystem::path& path, std::string_view text);

} // namespace trevix::mkcard
