// Loading real shared objects through dlopen: the built service library, libraries that lack
// one entry point each, a missing library and a file that is no library.
#include "FakeClock.h"
#include "platform/DlDynamicLibrary.h"
#include "scanner/EthernetCmd.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace calvix {
namespace {


TEST(LibraryLoadingTest, BuiltServiceLibraryIsUsable) {
    test::FakeClock clock;
    CEthernetCmd cmd(std::make_unique<DlDynamicLibrary>(), CALVIX_SYSTEM_DIR_BUILD, clock);
    EXPECT_EQ(cmd.libraryStatus(), 0);
    cmd.Teardown();
    EXPECT_EQ(cmd.libraryStatus(), -1);
}

class MissingEntryPoint : public ::testing::TestWithParam<int> {};

TEST_P(MissingEntryPoint, GivesItsOwnStatus) {
    test::FakeClock clock;
    const std::string systemDir = std::string(BROKEN_LIBRARY_ROOT) + "/omit" + std::to_string(GetParam());
    CEthernetCmd cmd(std::make_unique<DlDynamicLibrary>(), systemDir, clock);
    EXPECT_EQ(cmd.libraryStatus(), -102 - GetParam());
    EXPECT_EQ(cmd.Connect(), -1);
}

INSTANTIATE_TEST_SUITE_P(EachOfTwelve, MissingEntryPoint, ::testing::Range(0, 12));

TEST(LibraryLoadingTest, MissingOrBrokenLibraryGivesMinus101) {
    test::FakeClock clock;
    test::TempDir dir;
    CEthernetCmd empty(std::make_unique<DlDynamicLibrary>(), dir.Path(), clock);
    EXPECT_EQ(empty.libraryStatus(), -101);

    std::filesystem::create_directories(dir.File("twain_32/zelmar"));
    test::WriteFileText(dir.File("twain_32/zelmar/zedareru.zi"), "not a shared object\n");
    CEthernetCmd broken(std::make_unique<DlDynamicLibrary>(), dir.Path(), clock);
    EXPECT_EQ(broken.libraryStatus(), -101);
}

TEST(LibraryLoadingTest, MissingSystemDirectoryGivesMinus100) {
    test::FakeClock clock;
    CEthernetCmd cmd(std::make_unique<DlDynamicLibrary>(), "/nonexistent/calvix-system", clock);
    EXPECT_EQ(cmd.libraryStatus(), -100);
}

}  // namespace
}  // namespace calvix
