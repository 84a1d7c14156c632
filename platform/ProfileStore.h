// Profile files: "[Section]" lines and "Key=Value" lines, read and written with the semantics of
// the classic private-profile functions. Sections and keys match without regard to (ASCII) case,
// a write keeps every other line byte for byte, and a file is replaced atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevix {

// How a profile file is stored on disk; a write keeps the encoding it found.
enum class ProfileEncoding { Utf8, Utf8Bom, Utf16LeBom };

// The lines of one profile file in memory. Text is held as UTF-8 (files without a byte-order
// mark are taken byte for byte, so any 8-bit text survives a round trip unchanged).
class ProfileDocument {
public:
    ProfileDocument() = default;

    // Never fails: bytes that are no profile text simply hold no sections.
    static ProfileDocument Parse(std::string_view bytes);
    // The file bytes in the document's encoding, with each line's own line ending.
    std::string Serialize() const;

    ProfileEncoding Encoding() const { return encoding_; }

    // The value of key in section (blanks around it removed, one pair of enclosing quotes
    // removed), or nothing when the section or key is absent. The first match wins.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // Section names and key names in file order (first spelling of each).
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

    // Replaces the value of key, or adds the key after the section's last key, or appends the
    // section with the key when the section is missing.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void RemoveKey(std::string_view section, std::string_view key);
    // Removes the section header and its lines; blank lines and comments before the next
    // section header stay.
    void RemoveSection(std::string_view section);

private:
    struct Line {
        std::string text;   // without its line ending
        std::string ending; // "\r\n", "\n" or "" (last line without break)
    };
    struct Range {
        std::size_t header = 0; // index of the "[...]" line
        std::size_t end = 0;    // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section) const;
    // One past the last line that is neither blank nor a comment: blank lines and comments
    // at the end of a section introduce the next one and stay with it.
    std::size_t ContentEnd(const Range& range) const;
    std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;
    void InsertLine(std::size_t index, std::string text);
    std::string NewLineEnding() const;

    std::vector<Line> lines_;
    ProfileEncoding encoding_ = ProfileEncoding::Utf8;
};

// The integer of a profile value the way the private-profile integer read takes it: leading
// blanks, an optional sign and decimal digits; text without leading digits gives 0, values
// beyond the 32-bit range are clamped.
int ParseProfileInt(std::string_view text);

// Keeps at most maxChars - 1 characters (code points) of text, like a read into a buffer of
// maxChars characters with its terminator; 0 means no limit.
std::string CutToBuffer(std::string text, std::size_t maxChars);

// Writes bytes to a temporary file beside file, flushes it to disk and renames it over file, so
// readers see either the old or the new content. Keeps the old file's permission bits. Returns
// false (and leaves file untouched) on any failure.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// One profile file on disk. Every read opens the file afresh; a missing, unreadable or
// oversized file reads as empty. Cheap to copy.
class ProfileStore {
public:
    // Files larger than this are not profile files: they read as empty and are never rewritten.
    static constexpr std::uintmax_t kMaxFileBytes = 8u << 20;

    explicit ProfileStore(std::filesystem::path file) : file_(std::move(file)) {}

    const std::filesystem::path& File() const { return file_; }

    // The value, or defaultValue when the key is absent; cut to maxChars - 1 characters when
    // maxChars is not 0.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t maxChars = 0) const;
    // The value as integer (ParseProfileInt); defaultValue when the key is absent or empty.
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // No key: removes the section. Key without value: removes the key. Otherwise sets it.
    // Returns false when the file cannot be read back or replaced; the file is then unchanged.
    // A file with no write permission bit at all counts as read-only and is not replaced.
    // Names holding line breaks, brackets or '=' and values holding line breaks are refused.
    bool Write(std::string_view section, std::optional<std::string_view> key,
               std::optional<std::string_view> value) const;
    bool WriteInt(std::string_view section, std::string_view key, int value) const;

    // The parsed file (empty document when it cannot be read).
    ProfileDocument Load() const;

private:
    std::filesystem::path file_;
};

} // namespace trevix
