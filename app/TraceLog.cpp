#include "app/TraceLog.h"

#include <QString>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace trevix {
namespace trace {
namespace {

// Writes text as zero-terminated UTF-16LE into a field, keeping at most maxUnits code units
// before the terminator; the rest of the field stays zero.
void PutUtf16(Record& record, std::size_t offset, std::size_t fieldBytes, const QString& text,
              std::size_t maxUnits) {
    const std::size_t units =
        std::min({static_cast<std::size_t>(text.size()), maxUnits, fieldBytes / 2 - 1});
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = text.at(static_cast<qsizetype>(i)).unicode();
        record[offset + 2 * i] = static_cast<std::byte>(unit & 0xFF);
        record[offset + 2 * i + 1] = static_cast<std::byte>(unit >> 8);
    }
}

std::string GetUtf16(const Record& record, std::size_t offset, std::size_t fieldBytes) {
    QString text;
    for (std::size_t i = 0; i + 1 < fieldBytes; i += 2) {
        const auto unit =
            static_cast<char16_t>(std::to_integer<unsigned>(record[offset + i]) |
                                  std::to_integer<unsigned>(record[offset + i + 1]) << 8);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text.toStdString();
}

bool ListenerBound(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

void SendRecord(const std::string& path, const Record& record) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    // A slow listener may hold the caller briefly, never indefinitely.
    const timeval timeout{0, 200000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    ::sendto(fd, record.data(), record.size(), MSG_NOSIGNAL,
             reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
}

} // namespace

std::string SocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/trevix-trace.sock";
    return "/tmp/trevix-trace-" + std::to_string(::getuid()) + ".sock";
}

std::string RelativeSourcePath(std::string_view filePath) {
    const auto slash = filePath.find_last_of("/\\");
    const std::string_view unit =
        slash == std::string_view::npos ? filePath : filePath.substr(slash + 1);
    return "./" + std::string(unit);
}

std::string LocationText(int line, std::string_view sourcePath) {
    const QString path =
        QString::fromUtf8(sourcePath.data(), static_cast<qsizetype>(sourcePath.size()))
            .left(static_cast<qsizetype>(kMaxPathChars));
    return QStringLiteral("%1 line in %2").arg(line).arg(path).toStdString();
}

Record BuildRecord(const TraceSite& site, std::string_view message) {
    Record record{};
    const auto level = static_cast<std::uint32_t>(site.level);
    for (int i = 0; i < 4; ++i)
        record[static_cast<std::size_t>(i)] = static_cast<std::byte>((level >> (8 * i)) & 0xFF);
    const auto fromUtf8 = [](std::string_view text) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    PutUtf16(record, kAppNameOffset, 2048, QString::fromLatin1(kAppName), 1023);
    PutUtf16(record, kLocationOffset, 2048,
             fromUtf8(LocationText(site.line, RelativeSourcePath(site.sourcePath))), 1023);
    PutUtf16(record, kMessageOffset, 4096, fromUtf8(message), kMaxMessageChars);
    if (site.extra != nullptr)
        PutUtf16(record, kExtraOffset, 4096, fromUtf8(site.extra), 2047);
    return record;
}

DecodedRecord DecodeRecord(const Record& record) {
    DecodedRecord decoded;
    std::uint32_t level = 0;
    for (int i = 0; i < 4; ++i)
        level |= std::to_integer<std::uint32_t>(record[static_cast<std::size_t>(i)]) << (8 * i);
    decoded.level = static_cast<std::int32_t>(level);
    decoded.appName = GetUtf16(record, kAppNameOffset, 2048);
    decoded.location = GetUtf16(record, kLocationOffset, 2048);
    decoded.message = GetUtf16(record, kMessageOffset, 4096);
    decoded.extra = GetUtf16(record, kExtraOffset, 4096);
    return decoded;
}

} // namespace trace

void TraceLog(const TraceSite& site, const char* format, ...) {
    // Format into this call's own storage; the limit is in characters, applied after decoding.
    char buffer[4 * trace::kMaxMessageChars + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);

    const std::string path = trace::SocketPath();
    if (!trace::ListenerBound(path))
        return;
    trace::SendRecord(path, trace::BuildRecord(site, buffer));
}

} // namespace trevix
