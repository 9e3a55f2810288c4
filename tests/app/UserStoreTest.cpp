// The regedit-format user store: typed values, round trips, reads of the wrong type, hand-written
// and UTF-16 files kept line for line, and files it cannot read left alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "LogCapture.h"
#include "TempDir.h"
#include "app/Exceptions.h"
#include "platform/RegFileUserStore.h"

namespace calvix {
namespace {

TEST(UserStoreTest, WritesRegeditTextAndReadsItBack) {
    test::TempDir dir;
    RegFileUserStore store(dir.File("sub/Calvix.reg"));
    EXPECT_EQ(store.OpenKey("\\Software\\Zelmar GmbH\\Calvix", false), nullptr);
    auto key = store.OpenKey("\\Software\\Zelmar GmbH\\Calvix", true);
    ASSERT_NE(key, nullptr);
    key->WriteInteger("WarmUpTime", 300);
    key->WriteString("LoadFile", "C:\\scans\\\"x\".bmp");
    key->WriteBool("ExpertMode", true);
    key->WriteInteger("ListIT8Index", -1);
    EXPECT_EQ(test::ReadFileText(dir.File("sub/Calvix.reg")),
              "Windows Registry Editor Version 5.00\r\n\r\n[Software\\Zelmar GmbH\\Calvix]\r\n"
              "\"WarmUpTime\"=dword:0000012c\r\n\"LoadFile\"=\"C:\\\\scans\\\\\\\"x\\\".bmp\"\r\n"
              "\"ExpertMode\"=dword:00000001\r\n\"ListIT8Index\"=dword:ffffffff\r\n");

    RegFileUserStore reopened(dir.File("sub/Calvix.reg"));
    auto again = reopened.OpenKey("\\Software\\Zelmar GmbH\\Calvix", false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ReadInteger("warmuptime"), 300);
    EXPECT_EQ(again->ReadString("LoadFile"), "C:\\scans\\\"x\".bmp");
    EXPECT_TRUE(again->ReadBool("ExpertMode"));
    EXPECT_EQ(again->ReadInteger("ListIT8Index"), -1);
}

TEST(UserStoreTest, AValueOfTheOtherTypeOrAnUnknownKindFailsTheRead) {
    test::TempDir dir;
    test::WriteFileText(dir.File("s.reg"),
                        "[Software\\Zelmar GmbH\\Calvix]\n\"LanguageAuto\"=\"yes\"\n\"Language\"=hex:01,02\n"
                        "\"LoadFile\"=dword:00000001\n\"Broken\n");
    RegFileUserStore store(dir.File("s.reg"));
    auto key = store.OpenKey("\\Software\\Zelmar GmbH\\Calvix", false);
    ASSERT_NE(key, nullptr);
    EXPECT_THROW(key->ReadBool("LanguageAuto"), ERegistryException);
    EXPECT_THROW(key->ReadInteger("Language"), ERegistryException);
    EXPECT_THROW(key->ReadString("Language"), ERegistryException);
    EXPECT_THROW(key->ReadString("LoadFile"), ERegistryException);
    EXPECT_THROW(key->ReadInteger("Missing"), ERegistryException);
    // A write keeps the value of an unknown kind as it stood.
    key->WriteInteger("WarmUpTime", 5);
    EXPECT_NE(test::ReadFileText(dir.File("s.reg")).find("\"Language\"=hex:01,02"), std::string::npos);
}

}  // namespace
}  // namespace calvix

namespace calvix {
namespace {

using namespace std::string_literals;
constexpr const char* kKey = "\\Software\\Zelmar GmbH\\Calvix";

// UTF-16LE with a byte-order mark, as the registry editor exports.
std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// A hand-written store: everything but the lines of the values written must survive as it was.
TEST(UserStoreTest, AWriteChangesOnlyTheLinesOfItsValue) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"comments, default, indented, multi-line values, other keys",
         "Windows Registry Editor Version 5.00\n\n; kept as written\n[Software\\Zelmar GmbH\\Calvix]\n"
         "@=\"default\"\n  indented\n\"Blob\"=hex:01,02,\\\n  03,04\n\"LoadFile\"=hex(2):41,00,\\\n  00,00\n"
         "\"WarmUpTime\"=dword:00000001\n@=hex:05,\\\n  06\n\n[Other\\Key]\n\"WarmUpTime\"=dword:00000002\n",
         "Windows Registry Editor Version 5.00\n\n; kept as written\n[Software\\Zelmar GmbH\\Calvix]\n"
         "@=\"default\"\n  indented\n\"Blob\"=hex:01,02,\\\n  03,04\n\"LoadFile\"=\"C:\\\\scan.bmp\"\n"
         "\"WarmUpTime\"=dword:0000012c\n\"ListIT8Index\"=dword:ffffffff\n@=hex:05,\\\n  06\n\n[Other\\Key]\n"
         "\"WarmUpTime\"=dword:00000002\n"},
        {"a multi-line value left open at the end of the file",
         "[Software\\Zelmar GmbH\\Calvix]\r\n\"Blob\"=hex:01,\\",
         "[Software\\Zelmar GmbH\\Calvix]\r\n\"WarmUpTime\"=dword:0000012c\r\n\"LoadFile\"=\"C:\\\\scan.bmp\"\r\n"
         "\"ListIT8Index\"=dword:ffffffff\r\n\"Blob\"=hex:01,\\"},
        {"the key missing and no line end at the end",
         "; only a comment",
         "; only a comment\r\n\r\n[Software\\Zelmar GmbH\\Calvix]\r\n\"WarmUpTime\"=dword:0000012c\r\n"
         "\"LoadFile\"=\"C:\\\\scan.bmp\"\r\n\"ListIT8Index\"=dword:ffffffff\r\n"},
        {"UTF-16 with a byte-order mark",
         Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[Software\\Zelmar GmbH\\Calvix]\r\n"
                   u"\"Note\"=\"Grüße 😀\"\r\n\"WarmUpTime\"=dword:00000001\r\n"),
         Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[Software\\Zelmar GmbH\\Calvix]\r\n"
                   u"\"Note\"=\"Grüße 😀\"\r\n\"WarmUpTime\"=dword:0000012c\r\n\"LoadFile\"=\"C:\\\\scan.bmp\"\r\n"
                   u"\"ListIT8Index\"=dword:ffffffff\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        test::WriteFileText(dir.File("s.reg"), c.before);
        RegFileUserStore store(dir.File("s.reg"));
        auto key = store.OpenKey(kKey, true);
        ASSERT_NE(key, nullptr);
        key->WriteInteger("WarmUpTime", 300);
        key->WriteString("LoadFile", "C:\\scan.bmp");
        key->WriteInteger("ListIT8Index", -1);
        EXPECT_EQ(test::ReadFileText(dir.File("s.reg")), c.after);
        EXPECT_EQ(key->ReadInteger("WarmUpTime"), 300);
        EXPECT_EQ(key->ReadString("LoadFile"), "C:\\scan.bmp");
    }
}

TEST(UserStoreTest, Utf16TextIsReadAndAValueItCannotHoldIsRefused) {
    test::TempDir dir;
    const std::string file = Utf16File(u"[Software\\Zelmar GmbH\\Calvix]\r\n\"LoadFile\"=\"Grüße 😀\"\r\n");
    test::WriteFileText(dir.File("s.reg"), file);
    RegFileUserStore store(dir.File("s.reg"));
    auto key = store.OpenKey(kKey, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadString("LoadFile"), "Grüße 😀");
    for (const char* notUtf8 : {"\xC0\x80", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\xFF"}) {
        EXPECT_THROW(key->WriteString("LoadFile", notUtf8), ERegistryException);
        EXPECT_EQ(test::ReadFileText(dir.File("s.reg")), file);
    }
    EXPECT_THROW(key->WriteString("LoadFile", "two\nlines"), ERegistryException);
    EXPECT_EQ(test::ReadFileText(dir.File("s.reg")), file);
}

// The registry editor names the current user's root in its exports; it is the same key.
TEST(UserStoreTest, AnExportNamingTheUsersRootIsTheSameKey) {
    test::TempDir dir;
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zelmar GmbH\\Calvix]\r\n";
    test::WriteFileText(dir.File("s.reg"), head + "\"WarmUpTime\"=dword:00000005\r\n");
    RegFileUserStore store(dir.File("s.reg"));
    auto key = store.OpenKey(kKey, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadInteger("WarmUpTime"), 5);
    key->WriteInteger("ListIT8Index", 2);
    EXPECT_EQ(test::ReadFileText(dir.File("s.reg")),
              head + "\"WarmUpTime\"=dword:00000005\r\n\"ListIT8Index\"=dword:00000002\r\n");
}

// A file the store does not understand opens no key, says why, and is never replaced.
TEST(UserStoreTest, AFileItCannotReadSaysWhyAndIsLeftUntouched) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* cause;
    };
    const Case cases[] = {
        {"binary", "[Software\\Zelmar GmbH\\Calvix]\n\"A\"=dword:1\n\0\x01\x02"s, "binary content"},
        {"odd UTF-16", Utf16File(u"[Software\\Zelmar GmbH\\Calvix]\r\n") + "x", "odd number of bytes"},
        {"lone surrogate", Utf16File(u"[Software\\Zelmar GmbH\\Calvix]\r\n\"A\"=\"\xD800\"\r\n"), "unpaired surrogate"},
        {"open key line", "[Software\\Zelmar GmbH\\Calvix\n\"A\"=dword:1\n", "line 1: key without its closing ']'"},
        {"bare carriage return", "[Software\\Zelmar GmbH\\Calvix]\r\"A\"=dword:1\r", "carriage return"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string path = dir.File("s.reg");
        test::WriteFileText(path, "[Software\\Zelmar GmbH\\Calvix]\n\"A\"=dword:1\n");
        RegFileUserStore store(path);
        auto early = store.OpenKey(kKey, false);
        ASSERT_NE(early, nullptr);
        EXPECT_EQ(store.ReadError(), "");
        test::WriteFileText(path, c.bytes);
        test::LogCapture log;
        EXPECT_EQ(store.OpenKey(kKey, false), nullptr);
        EXPECT_EQ(store.OpenKey(kKey, true), nullptr);
        EXPECT_FALSE(early->ValueExists("A"));
        EXPECT_THROW(early->WriteInteger("A", 2), ERegistryException);
        EXPECT_EQ(test::ReadFileText(path), c.bytes);
        EXPECT_THAT(store.ReadError(), ::testing::StartsWith(path + ": "));
        EXPECT_THAT(store.ReadError(), ::testing::HasSubstr(c.cause));
        // The caller reports it: the store may be read before the log is set up.
        EXPECT_TRUE(log.Lines().empty());
    }
    // Something that is no regular file is refused at once, never waited on.
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo.reg").c_str(), 0644), 0);
    EXPECT_EQ(RegFileUserStore(dir.File("fifo.reg")).OpenKey(kKey, true), nullptr);
}

}  // namespace
}  // namespace calvix
