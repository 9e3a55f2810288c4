// The regedit-format user store: typed values, round trips, and reads of the wrong type.
#include <gtest/gtest.h>

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
