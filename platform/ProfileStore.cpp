#include "platform/ProfileStore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace trevix {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr char32_t kReplacement = 0xFFFD;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16Le(std::string& out, char32_t cp) {
    const auto unit = [&out](std::uint32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    if (cp >= 0x10000) {
        const std::uint32_t v = cp - 0x10000;
        unit(0xD800 | (v >> 10));
        unit(0xDC00 | (v & 0x3FF));
    } else {
        unit(cp);
    }
}

// UTF-16LE (without its byte-order mark) to UTF-8; lone surrogates become U+FFFD and an odd
// trailing byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    const auto unitAt = [bytes](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    return out;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed input gives U+FFFD for one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > text.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return cp;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();)
        AppendUtf16Le(out, NextCodePoint(text, i));
    return out;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    return !trimmed.empty() && trimmed.front() == ';';
}

// The key of a "key=value" line, or nothing for comments and lines without '='.
std::optional<std::string_view> KeyName(std::string_view line) {
    if (IsComment(line))
        return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(0, equals));
}

std::string ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Closes a file descriptor when it goes.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now; false when the close reports an error (a delayed write failure).
    bool Close() {
        if (fd_ < 0)
            return true;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string TemporaryName(const std::filesystem::path& file) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    std::string name(".");
    name.append(file.filename().string())
        .append(".tmp-")
        .append(std::to_string(::getpid()))
        .append("-")
        .append(std::to_string(counter.fetch_add(1)))
        .append("-")
        .append(std::to_string(random() % 1000000));
    return name;
}

// Reads a regular file of at most limit bytes; nothing when it is missing, unreadable, not a
// regular file (a pipe would block) or too large.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::uintmax_t limit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > limit)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    // The file may have grown since the size query; take what is there up to the limit.
    char extra[4096];
    while (in.read(extra, sizeof extra) || in.gcount() > 0) {
        bytes.append(extra, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit)
            return std::nullopt;
    }
    return bytes;
}

} // namespace

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
    ProfileDocument document;
    std::string text;
    if (bytes.starts_with(kUtf16LeBom)) {
        document.encoding_ = ProfileEncoding::Utf16LeBom;
        text = Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size()));
    } else if (bytes.starts_with(kUtf8Bom)) {
        document.encoding_ = ProfileEncoding::Utf8Bom;
        text = bytes.substr(kUtf8Bom.size());
    } else {
        text = bytes;
    }
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t newline = rest.find('\n');
        if (newline == std::string_view::npos) {
            document.lines_.push_back({std::string(rest), ""});
            break;
        }
        std::string_view line = rest.substr(0, newline);
        const bool crlf = line.ends_with('\r');
        if (crlf)
            line.remove_suffix(1);
        document.lines_.push_back({std::string(line), std::string(crlf ? "\r\n" : "\n")});
        rest.remove_prefix(newline + 1);
    }
    return document;
}

std::string ProfileDocument::Serialize() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    switch (encoding_) {
    case ProfileEncoding::Utf8Bom:
        return std::string(kUtf8Bom) + text;
    case ProfileEncoding::Utf16LeBom:
        return std::string(kUtf16LeBom) + Utf8ToUtf16Le(text);
    case ProfileEncoding::Utf8:
        break;
    }
    return text;
}

std::optional<ProfileDocument::Range> ProfileDocument::FindSection(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].text);
        if (!name || !EqualNoCase(*name, wanted))
            continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionName(lines_[end].text))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileDocument::FindKey(const Range& range,
                                                    std::string_view key) const {
    const std::string_view wanted = Trim(key);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto name = KeyName(lines_[i].text);
        if (name && EqualNoCase(*name, wanted))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const {
    const auto range = FindSection(section);
    if (!range)
        return std::nullopt;
    const auto line = FindKey(*range, key);
    if (!line)
        return std::nullopt;
    return ValueOf(lines_[*line].text);
}

std::size_t ProfileDocument::ContentEnd(const Range& range) const {
    std::size_t end = range.end;
    while (end > range.header + 1 &&
           (Trim(lines_[end - 1].text).empty() || IsComment(lines_[end - 1].text)))
        --end;
    return end;
}

bool ProfileDocument::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

std::vector<std::string> ProfileDocument::Sections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        const auto name = SectionName(line.text);
        if (name && std::none_of(names.begin(), names.end(),
                                 [&](const std::string& n) { return EqualNoCase(n, *name); }))
            names.emplace_back(*name);
    }
    return names;
}

std::vector<std::string> ProfileDocument::Keys(std::string_view section) const {
    std::vector<std::string> names;
    const auto range = FindSection(section);
    if (!range)
        return names;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const auto name = KeyName(lines_[i].text);
        if (name && std::none_of(names.begin(), names.end(),
                                 [&](const std::string& n) { return EqualNoCase(n, *name); }))
            names.emplace_back(*name);
    }
    return names;
}

std::string ProfileDocument::NewLineEnding() const {
    for (const Line& line : lines_)
        if (!line.ending.empty())
            return line.ending;
    return "\n";
}

void ProfileDocument::InsertLine(std::size_t index, std::string text) {
    const std::string ending = NewLineEnding();
    if (index > 0 && lines_[index - 1].ending.empty())
        lines_[index - 1].ending = ending;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                  Line{std::move(text), ending});
}

void ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string keyText(Trim(key));
    const auto range = FindSection(section);
    if (!range) {
        std::string header("[");
        header.append(Trim(section)).append("]");
        InsertLine(lines_.size(), std::move(header));
        InsertLine(lines_.size(), keyText + "=" + std::string(value));
        return;
    }
    if (const auto line = FindKey(*range, key)) {
        // Keep the key's spelling and the blanks around '=' as they were.
        std::string& text = lines_[*line].text;
        std::size_t valueStart = text.find('=') + 1;
        while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
            ++valueStart;
        text = text.substr(0, valueStart) + std::string(value);
        return;
    }
    InsertLine(ContentEnd(*range), keyText + "=" + std::string(value));
}

void ProfileDocument::RemoveKey(std::string_view section, std::string_view key) {
    const auto range = FindSection(section);
    if (!range)
        return;
    if (const auto line = FindKey(*range, key))
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
}

void ProfileDocument::RemoveSection(std::string_view section) {
    const auto range = FindSection(section);
    if (!range)
        return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(ContentEnd(*range)));
}

int ParseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > std::int64_t{INT_MAX} + 1)
            magnitude = std::int64_t{INT_MAX} + 1; // clamp; keeps the product in range
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

std::string CutToBuffer(std::string text, std::size_t maxChars) {
    if (maxChars == 0)
        return text;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue; // continuation byte of the current character
        if (characters == maxChars - 1) {
            text.resize(i);
            break;
        }
        ++characters;
    }
    return text;
}

bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    std::error_code error;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(file, error)) {
        target = std::filesystem::canonical(file, error);
        if (error)
            return false;
    }
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        return false;

    std::filesystem::path temporary;
    UniqueFd fd(-1);
    for (int attempt = 0; attempt < 16 && !fd.Valid(); ++attempt) {
        temporary = folder / TemporaryName(target);
        fd = UniqueFd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.Valid() && errno != EEXIST)
            return false;
    }
    if (!fd.Valid())
        return false;

    bool ok = WriteAll(fd.Get(), bytes);
    if (ok && replacing)
        ok = ::fchmod(fd.Get(), old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd.Get()) == 0;
    ok = fd.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer affects the content.
    UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Valid())
        ::fsync(folderFd.Get());
    return true;
}

ProfileDocument ProfileStore::Load() const {
    const auto bytes = ReadSmallFile(file_, kMaxFileBytes);
    return bytes ? ProfileDocument::Parse(*bytes) : ProfileDocument{};
}

std::string ProfileStore::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue, std::size_t maxChars) const {
    auto value = Load().Value(section, key);
    return CutToBuffer(value ? std::move(*value) : std::string(defaultValue), maxChars);
}

int ProfileStore::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = Load().Value(section, key);
    if (!value || value->empty())
        return defaultValue;
    return ParseProfileInt(*value);
}

bool ProfileStore::Write(std::string_view section, std::optional<std::string_view> key,
                         std::optional<std::string_view> value) const {
    // Line breaks or brackets in names, or line breaks in a value, would change the file's
    // structure (a value could add keys of its own); such writes are refused.
    const auto hasLineBreak = [](std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    };
    if (Trim(section).empty() || hasLineBreak(section) ||
        section.find_first_of("[]") != std::string_view::npos)
        return false;
    if (key &&
        (Trim(*key).empty() || hasLineBreak(*key) || key->find('=') != std::string_view::npos ||
         Trim(*key).front() == '[' || Trim(*key).front() == ';'))
        return false;
    if (value && hasLineBreak(*value))
        return false;

    std::error_code error;
    const bool exists = std::filesystem::exists(file_, error);
    if (error)
        return false;
    ProfileDocument document;
    if (exists) {
        // A file we cannot read completely must not be replaced by a partial copy.
        const auto bytes = ReadSmallFile(file_, kMaxFileBytes);
        if (!bytes)
            return false;
        const auto perms = std::filesystem::status(file_, error).permissions();
        if (error ||
            (perms & (std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                      std::filesystem::perms::others_write)) == std::filesystem::perms::none)
            return false;
        document = ProfileDocument::Parse(*bytes);
    }
    if (!key)
        document.RemoveSection(section);
    else if (!value)
        document.RemoveKey(section, *key);
    else
        document.Set(section, *key, *value);
    if (!exists && (!key || !value))
        return true; // nothing to delete, and no file is created for it
    return ReplaceFileAtomically(file_, document.Serialize());
}

bool ProfileStore::WriteInt(std::string_view section, std::string_view key, int value) const {
    return Write(section, key, std::to_string(value));
}

} // namespace trevix
