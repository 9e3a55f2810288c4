// IniFile keeps what is not its own and reads bad numbers as defaults.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/IniFile.h"

namespace calvix {
namespace {

TEST(IniFileTest, ForeignLinesSurviveAndNewKeysAreAppendedInWrittenOrder) {
    IniFile ini;
    ini.LoadText("; hand-edited\r\n[Logging]\r\nCustom=7\r\nActive=0\r\n\r\n[Other]\r\nx=y\r\n");
    ini.WriteBool("Logging", "Active", true);
    ini.WriteBool("Logging", "Timestamp", true);
    ini.WriteInteger("Logging", "LogLevel", 128);
    ini.WriteInteger("Miscellaneous", "GWTolerance", 20);
    EXPECT_EQ(ini.Text(),
              "; hand-edited\r\n[Logging]\r\nCustom=7\r\nActive=1\r\nTimestamp=1\r\nLogLevel=128\r\n\r\n"
              "[Other]\r\nx=y\r\n\r\n[Miscellaneous]\r\nGWTolerance=20\r\n");
}

TEST(IniFileTest, ValuesThatAreNotIntegersReadAsTheDefault) {
    IniFile ini;
    ini.LoadText("[M]\nA=12\nB=abc\nC=\nD= -5 \nE=99999999999\nF=1x\nlogging=1\n");
    EXPECT_EQ(ini.ReadInteger("M", "A", 3), 12);
    EXPECT_EQ(ini.ReadInteger("M", "B", 3), 3);
    EXPECT_EQ(ini.ReadInteger("M", "C", 3), 3);
    EXPECT_EQ(ini.ReadInteger("M", "D", 3), -5);
    EXPECT_EQ(ini.ReadInteger("M", "E", 3), 3);
    EXPECT_EQ(ini.ReadInteger("M", "F", 3), 3);
    EXPECT_EQ(ini.ReadInteger("M", "missing", 3), 3);
    EXPECT_TRUE(ini.ReadBool("m", "LOGGING", false));  // names compare without case
}

TEST(IniFileTest, GarbageIsKeptAndTheMissingFileIsEmpty) {
    test::TempDir dir;
    IniFile ini;
    EXPECT_TRUE(ini.Load(dir.File("none.ini")));
    EXPECT_EQ(ini.Text(), "");

    std::string garbage = "\x01\x02[[[=]\n==\n\xff\xfe no section\n[Logging\nActive=zz\n";
    garbage.push_back('\0');
    garbage += "tail";
    test::WriteFileText(dir.File("bad.ini"), garbage);
    ASSERT_TRUE(ini.Load(dir.File("bad.ini")));
    EXPECT_TRUE(ini.ReadBool("Logging", "Active", true));
    ini.WriteBool("Logging", "Active", false);
    ASSERT_TRUE(ini.Save(dir.File("bad.ini")));
    IniFile again;
    ASSERT_TRUE(again.Load(dir.File("bad.ini")));
    EXPECT_FALSE(again.ReadBool("Logging", "Active", true));
    EXPECT_NE(test::ReadFileText(dir.File("bad.ini")).find("\xff\xfe no section"), std::string::npos);
}

TEST(IniFileTest, AFolderOrUnreadableFileCannotBeLoaded) {
    test::TempDir dir;
    IniFile ini;
    EXPECT_FALSE(ini.Load(dir.Path()));
}

}  // namespace
}  // namespace calvix
