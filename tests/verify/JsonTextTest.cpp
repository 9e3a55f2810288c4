// The JSON writer always yields text the reader takes back; the reader refuses anything cut,
// malformed or nested beyond its bound.
#include "JsonText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace calvix::verify {
namespace {

TEST(JsonWriter, EscapesAndNonFiniteNumbers) {
    JsonWriter w;
    w.BeginObject().Key("text").String("a\"b\\c\n\x01\xC3\xA4\xFF").Key("nan").Number(std::nan(""));
    w.Key("inf").Number(std::numeric_limits<double>::infinity()).Key("n").Number(-1.23456, 4);
    w.Key("list").BeginArray().Integer(-7).Bool(true).Null().EndArray().EndObject();
    EXPECT_EQ(w.Text(), "{\"text\":\"a\\\"b\\\\c\\n\\u0001\xC3\xA4\xEF\xBF\xBD\",\"nan\":null,\"inf\":null,"
                        "\"n\":-1.2346,\"list\":[-7,true,null]}");
    JsonValue v;
    std::string error;
    ASSERT_TRUE(ParseJson(w.Text(), v, error)) << error;
    EXPECT_EQ(v.TextOr("text", ""), "a\"b\\c\n\x01\xC3\xA4\xEF\xBF\xBD");
    EXPECT_EQ(v.Find("nan")->type, JsonValue::Type::Null);
    EXPECT_DOUBLE_EQ(v.NumberOr("n", 0), -1.2346);
    EXPECT_DOUBLE_EQ(v.NumberOr("text", 5.0), 5.0);
}

TEST(JsonReader, RefusesWhatIsNotOneCompleteValue) {
    const char* bad[] = {
        "",      "{",          "{\"a\":1",       "{\"a\":1,}", "[1,2",      "[1 2]",     "\"cut",
        "tru",   "{\"a\" 1}",  "1 2",            "nan",        "1e999",     "\"\\u12\"", "\"\\ud800\"",
        "\"\x01\"", "\"\xFF\"", "{\"a\":[1,]}",  "-",          "\"\\q\"",   "{1:2}",
    };
    for (const char* text : bad) {
        JsonValue v;
        std::string error;
        EXPECT_FALSE(ParseJson(text, v, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    JsonValue v;
    std::string error;
    EXPECT_TRUE(ParseJson(" {\"a\":[1.5e2,\"\\u00e4\\ud83d\\ude00\"]} \n", v, error)) << error;
    EXPECT_DOUBLE_EQ(v.Find("a")->items.at(0).number, 150.0);
    EXPECT_EQ(v.Find("a")->items.at(1).text, "\xC3\xA4\xF0\x9F\x98\x80");
}

TEST(JsonReader, NestingIsBounded) {
    JsonValue v;
    std::string error;
    const std::string deep = std::string(MaxJsonDepth + 1, '[') + std::string(MaxJsonDepth + 1, ']');
    EXPECT_FALSE(ParseJson(deep, v, error));
    const std::string allowed = std::string(MaxJsonDepth, '[') + std::string(MaxJsonDepth, ']');
    EXPECT_TRUE(ParseJson(allowed, v, error)) << error;
    EXPECT_FALSE(ParseJson(std::string(1000000, '['), v, error));
}

}  // namespace
}  // namespace calvix::verify
