// A temporary folder removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace trevix::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }

    // Writes bytes to a file below the folder (creating folders on the way); returns its path.
    std::filesystem::path Write(std::string_view relative, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);

// Sets TZ for the life of the object and restores the previous value afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace trevix::test
