#include "tools/trevix-tool/JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace trevix::tool {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItem_.empty()) {
        if (hasItem_.back())
            text_ += ',';
        hasItem_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    hasItem_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_ += '}';
    hasItem_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    hasItem_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_ += ']';
    hasItem_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    WriteString(key);
    text_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::Value(std::string_view text) {
    BeforeValue();
    WriteString(text);
    return *this;
}

void JsonWriter::WriteString(std::string_view text) {
    text_ += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            text_ += "\\\"";
            break;
        case '\\':
            text_ += "\\\\";
            break;
        case '\n':
            text_ += "\\n";
            break;
        case '\r':
            text_ += "\\r";
            break;
        case '\t':
            text_ += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                text_ += escape;
            } else {
                text_ += c;
            }
        }
    }
    text_ += '"';
}

JsonWriter& JsonWriter::Value(std::int64_t number) {
    BeforeValue();
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::Value(double number) {
    BeforeValue();
    if (!std::isfinite(number)) {
        text_ += "null";
        return *this;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    text_.append(buffer, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::Value(bool flag) {
    BeforeValue();
    text_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

} // namespace trevix::tool
