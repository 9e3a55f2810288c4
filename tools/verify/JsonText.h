// JSON text for the report and the history, through nlohmann-json: a writer that always yields
// valid JSON (strings escaped, invalid UTF-8 replaced, non-finite numbers as null) and a bounded
// reader for lines the tool wrote itself, which may have been cut short by a crash.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvix::verify {

class JsonWriter {
public:
    JsonWriter();
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::string_view value);
    // Fixed-point with the given decimals; NaN and infinities are written as null.
    JsonWriter& Number(double value, int decimals = 4);
    JsonWriter& Integer(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // The value written so far; complete once every object and array is closed.
    const std::string& Text() const;

private:
    struct Tree;
    JsonWriter& Close();

    std::unique_ptr<Tree> tree_;
    mutable std::string text_;
};

// A JSON string literal for text, quotes included.
std::string JsonQuote(std::string_view text);

struct JsonMember;

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    // Not std::pair: a pair needs its parts complete, and JsonValue is not yet.
    std::vector<JsonMember> members;

    // The member's value, or nullptr when this is no object or has no such member.
    const JsonValue* Find(std::string_view name) const;
    // The member's number, or fallback when it is missing or not a number.
    double NumberOr(std::string_view name, double fallback) const;
    std::string TextOr(std::string_view name, const std::string& fallback) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// Nesting deeper than this is refused, so a hostile line cannot exhaust the stack.
inline constexpr int MaxJsonDepth = 16;

// Parses one complete JSON value (white space around it allowed); false with a reason for
// anything else, including a value cut short.
bool ParseJson(std::string_view text, JsonValue& value, std::string& error);

}  // namespace calvix::verify
