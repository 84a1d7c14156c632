// A small JSON writer that keeps keys in the order they are written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trevix::tool {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& Value(std::string_view text);
    JsonWriter& Value(const char* text) { return Value(std::string_view(text)); }
    JsonWriter& Value(const std::string& text) { return Value(std::string_view(text)); }
    JsonWriter& Value(std::int64_t number);
    JsonWriter& Value(int number) { return Value(static_cast<std::int64_t>(number)); }
    JsonWriter& Value(unsigned number) { return Value(static_cast<std::int64_t>(number)); }
    JsonWriter& Value(double number);
    JsonWriter& Value(bool flag);
    JsonWriter& Null();

    // Key and value in one call.
    template <typename T>
    JsonWriter& Field(std::string_view key, const T& value) {
        Key(key);
        return Value(value);
    }

    const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void WriteString(std::string_view text);

    std::string text_;
    std::vector<bool> hasItem_; // per open container: an item was written
    bool afterKey_ = false;
};

} // namespace trevix::tool
