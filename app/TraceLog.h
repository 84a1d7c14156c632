// Diagnostic channel: one fixed-size record per line, sent to an outside log listener when one
// is bound to the trace socket; otherwise the call costs the formatting and one file test.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trevix {

// Where a trace line comes from.
struct TraceSite {
    std::int32_t level = 0;
    std::int32_t line = 0;
    const char* sourcePath = ""; // compiler file path; sent as "./Unit.cpp"
    const char* extra = nullptr; // optional extra text, absent at every call site
};

namespace trace {

inline constexpr std::size_t kRecordSize = 12292;
inline constexpr std::size_t kAppNameOffset = 4;
inline constexpr std::size_t kLocationOffset = 2052;
inline constexpr std::size_t kMessageOffset = 4100;
inline constexpr std::size_t kExtraOffset = 8196;
inline constexpr std::size_t kMaxMessageChars = 1024; // formatted message limit
inline constexpr std::size_t kMaxPathChars = 511;
inline constexpr const char* kAppName = "Trevix";

using Record = std::array<std::byte, kRecordSize>;

// Path of the listener's socket: $XDG_RUNTIME_DIR/trevix-trace.sock, or
// /tmp/trevix-trace-<uid>.sock when there is no runtime folder.
std::string SocketPath();

// "./Unit.cpp" from a compiler file path.
std::string RelativeSourcePath(std::string_view filePath);

// The location text "%d line in %s" (path converted and cut to 511 characters).
std::string LocationText(int line, std::string_view sourcePath);

// Builds the wire record: level, application name, location, message and extra text as
// zero-terminated UTF-16LE, each cut to its field's limit.
Record BuildRecord(const TraceSite& site, std::string_view message);

// Fields of a received record, for the listener and the tests.
struct DecodedRecord {
    std::int32_t level = 0;
    std::string appName, location, message, extra;
};
DecodedRecord DecodeRecord(const Record& record);

} // namespace trace

// Formats the message printf-style (cut to 1024 characters) and sends it. Safe from any thread.
[[gnu::format(printf, 2, 3)]] void TraceLog(const TraceSite& site, const char* format, ...);

} // namespace trevix

#define TREVIX_TRACE_SITE                                                                          \
    ::trevix::TraceSite {                                                                          \
        0, __LINE__, __FILE__, nullptr                                                             \
    }

// TRACE("Bad mpeg4 stream"), TRACE("Windows Ver : %d.%d", major, minor)
#define TRACE(...) ::trevix::TraceLog(TREVIX_TRACE_SITE, __VA_ARGS__)
