// The window registry: the current window follows creation and activation, and closing a
// window drops every reference to it and tells the main window.

#include "analysis/ImageWindows.h"

#include "BmpTestFiles.h"
#include "FakeClock.h"
#include "FakeImageHost.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

class ImageWindowsTest : public ::testing::Test {
protected:
    test::FakeImageHost host;
    test::FakeClock clock;
    ImageWindows windows{ImageServices{host, clock, nullptr}};
};

TEST_F(ImageWindowsTest, CreatedWindowBecomesCurrent) {
    TChildImage& a = windows.Create();
    EXPECT_EQ(windows.ChildImage(), &a);
    TChildImage& b = windows.Create();
    EXPECT_EQ(windows.ChildImage(), &b);
    windows.Activate(a);
    EXPECT_EQ(windows.ChildImage(), &a);
    EXPECT_EQ(host.activated.back(), &a);
    EXPECT_EQ(windows.Count(), 2);
}

TEST_F(ImageWindowsTest, ClosingDropsEveryReferenceToTheWindow) {
    TChildImage& scan = windows.Create();
    TChildImage& helper = windows.Create();
    windows.SetFrontWindow(&scan);
    windows.SetRearWindow(&scan);
    windows.SetHelperWindow(&helper);
    host.imageCount = 2;

    windows.Activate(scan);
    windows.Close(scan);
    EXPECT_EQ(windows.FrontWindow(), nullptr);
    EXPECT_EQ(windows.RearWindow(), nullptr);
    EXPECT_EQ(windows.HelperWindow(), &helper);
    EXPECT_EQ(windows.ChildImage(), &helper);  // the previously active window takes over
    EXPECT_EQ(host.imageCount, 1);
    EXPECT_TRUE(host.imageOpen);               // one image window is still open
    EXPECT_EQ(host.viewClears, 1);

    EXPECT_TRUE(windows.CloseCurrent());
    EXPECT_EQ(windows.HelperWindow(), nullptr);
    EXPECT_EQ(windows.ChildImage(), nullptr);
    EXPECT_EQ(host.imageCount, 0);
    EXPECT_FALSE(host.imageOpen);
    EXPECT_EQ(host.panels[2], "");
    EXPECT_EQ(host.panels[3], "");
    EXPECT_TRUE(host.info.empty());
    EXPECT_FALSE(windows.CloseCurrent());
}

TEST_F(ImageWindowsTest, ActivationShowsTheWindowsInformationLines) {
    TChildImage& a = windows.Create();
    a.ScanChildImage("/data/Scan_1_1.bmp", test::Pattern(4, 4));
    windows.Create();
    EXPECT_TRUE(host.info.empty());
    windows.Activate(a);
    EXPECT_EQ(host.info, a.infoLines);
}

TEST_F(ImageWindowsTest, ForeignWindowsAreIgnored) {
    TChildImage& a = windows.Create();
    TChildImage stranger(ImageServices{host, clock, nullptr});
    windows.SetFrontWindow(&stranger);
    EXPECT_EQ(windows.FrontWindow(), nullptr);
    windows.Activate(stranger);
    EXPECT_EQ(windows.ChildImage(), &a);
    host.imageCount = 1;
    windows.Close(stranger);
    EXPECT_EQ(host.imageCount, 1);
    EXPECT_EQ(windows.Count(), 1);
}

}  // namespace
}  // namespace calvix
