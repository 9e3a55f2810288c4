// The JSON writer and reader (RFC 8259), small and strict.
#include "JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace calvix::verify {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) length = 2, min = 0x80, code = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0) length = 3, min = 0x800, code = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0) length = 4, min = 0x10000, code = lead & 0x07;
    else return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    bool Document(JsonValue& value, std::string& error) {
        SkipSpace();
        if (!Value(value, 1)) {
            error = error_ + " at byte " + std::to_string(i_);
            return false;
        }
        SkipSpace();
        if (i_ != s_.size()) {
            error = "text after the value at byte " + std::to_string(i_);
            return false;
        }
        return true;
    }

private:
    bool Fail(const char* why) {
        error_ = why;
        return false;
    }
    void SkipSpace() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
    }
    bool Literal(std::string_view word) {
        if (s_.substr(i_, word.size()) != word) return Fail("unknown word");
        i_ += word.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > MaxJsonDepth) return Fail("nested too deeply");
        if (i_ >= s_.size()) return Fail("value cut short");
        switch (s_[i_]) {
            case '{': return Object(v, depth);
            case '[': return Array(v, depth);
            case '"': v.type = JsonValue::Type::String; return String(v.text);
            case 't': v.type = JsonValue::Type::Bool; v.boolean = true; return Literal("true");
            case 'f': v.type = JsonValue::Type::Bool; v.boolean = false; return Literal("false");
            case 'n': v.type = JsonValue::Type::Null; return Literal("null");
            default: v.type = JsonValue::Type::Number; return Number(v.number);
        }
    }

    bool Object(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Object;
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
        for (;;) {
            SkipSpace();
            if (i_ >= s_.size() || s_[i_] != '"') return Fail("member name expected");
            std::string name;
            if (!String(name)) return false;
            SkipSpace();
            if (i_ >= s_.size() || s_[i_] != ':') return Fail("':' expected");
            ++i_;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            v.members.push_back(JsonMember{std::move(name), std::move(member)});
            SkipSpace();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
            return Fail("',' or '}' expected");
        }
    }

    bool Array(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Array;
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
        for (;;) {
            SkipSpace();
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            v.items.push_back(std::move(item));
            SkipSpace();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
            return Fail("',' or ']' expected");
        }
    }

    bool Hex4(unsigned& code) {
        if (i_ + 4 > s_.size()) return Fail("escape cut short");
        code = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s_[i_++];
            code <<= 4;
            if (c >= '0' && c <= '9') code |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') code |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') code |= static_cast<unsigned>(c - 'A' + 10);
            else return Fail("bad \\u escape");
        }
        return true;
    }

    bool String(std::string& out) {
        ++i_;
        for (;;) {
            if (i_ >= s_.size()) return Fail("string cut short");
            const unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (c == '"') return ++i_, true;
            if (c < 0x20) return Fail("control character in string");
            if (c != '\\') {
                const std::size_t length = Utf8Length(s_, i_);
                if (length == 0) return Fail("invalid UTF-8");
                out.append(s_.substr(i_, length));
                i_ += length;
                continue;
            }
            if (++i_ >= s_.size()) return Fail("escape cut short");
            const char e = s_[i_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code <= 0xDBFF) {
                        unsigned low = 0;
                        if (s_.substr(i_, 2) != "\\u") return Fail("lone surrogate");
                        i_ += 2;
                        if (!Hex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) return Fail("lone surrogate");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code <= 0xDFFF) {
                        return Fail("lone surrogate");
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default: return Fail("unknown escape");
            }
        }
    }

    bool Number(double& number) {
        const std::size_t start = i_;
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        while (i_ < s_.size() && ((s_[i_] >= '0' && s_[i_] <= '9') || s_[i_] == '.' || s_[i_] == 'e' ||
                                  s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-'))
            ++i_;
        if (i_ == start) return Fail("value expected");
        const char* first = s_.data() + start;
        const char* last = s_.data() + i_;
        const auto [next, ec] = std::from_chars(first, last, number);
        if (ec != std::errc() || next != last || !std::isfinite(number)) return Fail("bad number");
        return true;
    }

    std::string_view s_;
    std::size_t i_ = 0;
    std::string error_;
};

}  // namespace

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
            ++i;
        } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\\ufffd";  // a byte that is no UTF-8: the replacement character
            ++i;
        }
    }
    return out + "\"";
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back()) out_ += ',';
        hasItems_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    hasItems_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    hasItems_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
    if (!hasItems_.empty()) hasItems_.pop_back();
    out_ += bracket;
    return *this;
}

JsonWriter& JsonWriter::EndObject() { return Close('}'); }
JsonWriter& JsonWriter::EndArray() { return Close(']'); }

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    out_ += JsonQuote(name);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    out_ += JsonQuote(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value, int decimals) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    // "-0.0000" is zero; JSON readers would keep the sign.
    std::string number = text;
    if (number.find_first_not_of("-0.") == std::string::npos) number = number.substr(number[0] == '-' ? 1 : 0);
    out_ += number;
    return *this;
}

JsonWriter& JsonWriter::Integer(long long value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
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
    return Parser(text).Document(value, error);
}

}  // namespace calvix::verify
