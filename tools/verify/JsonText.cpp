// The JSON writer and reader on nlohmann-json. The writer builds the value as an ordered tree
// (members keep the order they were written in) and dumps it once; the reader is a SAX handler
// that builds JsonValue directly and stops at the depth bound, so a line of a million '[' costs
// nothing and nothing is thrown.
#include "JsonText.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace calvix::verify {

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Builds the value as the parser reports it; every container opened beyond MaxJsonDepth, and
// every number too large for a double, ends the parse.
class Builder : public nlohmann::json_sax<Json> {
public:
    explicit Builder(JsonValue& root) : root_(root) {}

    bool null() override { return Add(JsonValue{}); }
    bool boolean(bool v) override {
        JsonValue value;
        value.type = JsonValue::Type::Bool;
        value.boolean = v;
        return Add(std::move(value));
    }
    bool number_integer(number_integer_t v) override { return Number(static_cast<double>(v)); }
    bool number_unsigned(number_unsigned_t v) override { return Number(static_cast<double>(v)); }
    bool number_float(number_float_t v, const string_t&) override { return Number(v); }
    bool string(string_t& v) override {
        JsonValue value;
        value.type = JsonValue::Type::String;
        value.text = std::move(v);
        return Add(std::move(value));
    }
    bool binary(binary_t&) override { return Fail("binary data"); }
    bool start_object(std::size_t) override { return Open(JsonValue::Type::Object); }
    bool key(string_t& name) override {
        keys_.back() = std::move(name);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(JsonValue::Type::Array); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) override {
        // The library's message names the token and says what was expected.
        std::string what = ex.what();
        const std::size_t colon = what.rfind(": ");
        if (colon != std::string::npos) what = what.substr(colon + 2);
        return Fail(what + " (at byte " + std::to_string(position) + ")");
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    bool Number(double v) {
        if (!std::isfinite(v)) return Fail("number out of range");
        JsonValue value;
        value.type = JsonValue::Type::Number;
        value.number = v;
        return Add(std::move(value));
    }
    bool Open(JsonValue::Type type) {
        if (open_.size() >= static_cast<std::size_t>(MaxJsonDepth)) return Fail("nested too deeply");
        JsonValue value;
        value.type = type;
        open_.push_back(std::move(value));
        keys_.emplace_back();
        return true;
    }
    bool Close() {
        JsonValue value = std::move(open_.back());
        open_.pop_back();
        keys_.pop_back();
        return Add(std::move(value));
    }
    bool Add(JsonValue value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return true;
        }
        JsonValue& parent = open_.back();
        if (parent.type == JsonValue::Type::Array) parent.items.push_back(std::move(value));
        else parent.members.push_back(JsonMember{std::move(keys_.back()), std::move(value)});
        return true;
    }

    JsonValue& root_;
    std::vector<JsonValue> open_;
    std::vector<std::string> keys_;  // the member name pending in each open object
    std::string error_;
};

}  // namespace

struct JsonWriter::Tree {
    std::vector<Json> open;          // the containers not yet closed, outermost first
    std::vector<std::string> keys;   // the member name pending in each
    Json root;
    bool done = false;

    void Add(Json value) {
        if (open.empty()) {
            root = std::move(value);
            done = true;
        } else if (open.back().is_array()) {
            open.back().push_back(std::move(value));
        } else {
            open.back()[keys.back()] = std::move(value);
        }
    }
};

JsonWriter::JsonWriter() : tree_(std::make_unique<Tree>()) {}
JsonWriter::~JsonWriter() = default;

std::string JsonQuote(std::string_view text) { return Dump(Json(std::string(text))); }

JsonWriter& JsonWriter::BeginObject() {
    tree_->open.push_back(Json::object());
    tree_->keys.emplace_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    tree_->open.push_back(Json::array());
    tree_->keys.emplace_back();
    return *this;
}

JsonWriter& JsonWriter::Close() {
    if (tree_->open.empty()) return *this;
    Json value = std::move(tree_->open.back());
    tree_->open.pop_back();
    tree_->keys.pop_back();
    tree_->Add(std::move(value));
    return *this;
}

JsonWriter& JsonWriter::EndObject() { return Close(); }
JsonWriter& JsonWriter::EndArray() { return Close(); }

JsonWriter& JsonWriter::Key(std::string_view name) {
    if (!tree_->keys.empty()) tree_->keys.back() = std::string(name);
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    tree_->Add(std::string(value));
    return *this;
}

JsonWriter& JsonWriter::Number(double value, int decimals) {
    if (!std::isfinite(value)) return Null();
    // Rounded to the decimals asked for; the library then writes the shortest text that reads
    // back as that double. "-0" is zero: JSON readers would keep the sign.
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    const double rounded = std::strtod(text, nullptr);
    tree_->Add(rounded == 0.0 ? 0.0 : rounded);
    return *this;
}

JsonWriter& JsonWriter::Integer(long long value) {
    tree_->Add(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    tree_->Add(value);
    return *this;
}

JsonWriter& JsonWriter::Null() {
    tree_->Add(nullptr);
    return *this;
}

const std::string& JsonWriter::Text() const {
    text_ = tree_->done ? Dump(tree_->root) : std::string();
    return text_;
}

const JsonValue* JsonValue::Find(std::string_view name) const {
    if (type != Type::Object) return nullptr;
    for (const auto& [key, value] : members)
        if (key == name) return &value;
    return nullptr;
}

double JsonValue::NumberOr(std::string_view name, double fallback) const {
    const JsonValue* v = Find(name);
    return v != nullptr && v->type == Type::Number ? v->number : fallback;
}

std::string JsonValue::TextOr(std::string_view name, const std::string& fallback) const {
    const JsonValue* v = Find(name);
    return v != nullptr && v->type == Type::String ? v->text : fallback;
}

bool ParseJson(std::string_view text, JsonValue& value, std::string& error) {
    value = JsonValue{};
    Builder builder(value);
    if (Json::sax_parse(text.begin(), text.end(), &builder, nlohmann::detail::input_format_t::json, true)) return true;
    error = builder.Error().empty() ? "not a JSON value" : builder.Error();
    value = JsonValue{};
    return false;
}

}  // namespace calvix::verify
