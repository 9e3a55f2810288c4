// acquireScan of the main window over the in-test TWAIN manager: its three failure codes with
// their log lines and message boxes, and the scans that become image windows and scan files.
#include "MainFormFixture.h"

#include "FakeTwainManager.h"
#include "analysis/BmpReader.h"
#include "scanner/Twain.h"

namespace calvix::test {
namespace {

using namespace twain;

class AcquireScanTest : public MainFormTest {
protected:
    void StartWithTwain() {
        manager.FillSource(true);
        form = std::make_unique<TMainFormular>(
            MainFormPorts{desktop, store, system, clock, &lock, [this] { return manager.Library(); }, dir.Path()});
        form->CreateAppStrings();
        ASSERT_TRUE(form->TwainModule()->TwainLoadManager());
        form->twainLoaded = true;
    }
    void Deliver(std::vector<std::uint8_t> front, std::vector<std::uint8_t> rear) {
        manager.events = {MSG_XFERREADY};
        manager.transfers = {{TWRC_XFERDONE, std::move(front)}, {TWRC_XFERDONE, std::move(rear)}};
    }
    bool LoggedStart(const std::string& start) const {
        for (const std::string& line : LogTexts())
            if (line.rfind(start, 0) == 0) return true;
        return false;
    }

    FakeTwainManager manager;
};

TEST_F(AcquireScanTest, EachFailureHasItsCodeLogLineAndMessage) {
    auto badHeader = MakeDib(4, 4, 24, 1);
    badHeader[8] = 40;  // 40 rows claimed, 4 delivered
    struct Case {
        const char* name;
        bool loaded;
        std::vector<std::uint8_t> front;  // empty: the source asks to close instead
        int code;
        const char* line;
        bool bitDepthMessage;
    } cases[] = {
        {"no TWAIN library", false, MakeDib(4, 4, 24, 1), -1, nullptr, false},
        {"no image",
         true,
         {},
         -2,
         "ERR: error '(TWAIN) Zero handle from TwainGetImage()'  ( file MainForm, line ",
         false},
        {"8 bits", true, MakeDib(4, 4, 8, 1), -3,
         "ERR: error 'TWAIN: Conversion of Bit depth failed!'  ( file MainForm, line ", true},
        {"32 bits", true, MakeDib(4, 4, 32, 1), -3, "ERR: error 'TWAIN: Conversion of Bit depth failed!'", true},
        {"lying header", true, badHeader, -3, "ERR: error 'TWAIN: Conversion of Bit depth failed!'", true},
    };
    StartWithTwain();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->twainLoaded = c.loaded;
        desktop.messages.clear();
        manager.calls.clear();
        if (c.front.empty())
            manager.events = {MSG_CLOSEDSREQ};
        else
            Deliver(c.front, MakeDib(4, 4, 24, 2));
        EXPECT_EQ(form->acquireScan(1), c.code);
        if (!c.loaded) {
            EXPECT_TRUE(manager.calls.empty());
            EXPECT_TRUE(desktop.messages.empty());
            continue;
        }
        EXPECT_TRUE(LoggedStart(c.line));
        ASSERT_EQ(desktop.messages.size(), 1u);
        const TAppStrings& texts = *form->AppStrings();
        EXPECT_EQ(desktop.messages[0].text,
                  c.bitDepthMessage ? texts.MsgErrBitDepth.caption : texts.MsgErrWarmup.caption);
        EXPECT_EQ(desktop.messages[0].title, texts.MBoxTitleError.caption);
        EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(form->Images().Count(), 0);
    EXPECT_EQ(form->imageCount, 0);
    EXPECT_EQ(form->scanCounter, 0);
}

TEST_F(AcquireScanTest, ScansBecomeNumberedScanFilesAndScanWindows) {
    StartWithTwain();
    struct Case {
        int side;
        const char* file;
        const char* caption;
        std::uint8_t red;
    } cases[] = {
        {1, "Scan_front_1.bmp", "IT8 Front Image", 0xA0},
        {0, "Scan_rear_2.bmp", "IT8 Rear Image", 0xB0},
        {1, "Scan_front_3.bmp", "IT8 Front Image", 0xA0},
    };
    int count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Deliver(MakeDib(6, 5, 24, 0xA0), MakeDib(6, 5, 24, 0xB0));
        ASSERT_EQ(form->acquireScan(c.side), 0);
        EXPECT_EQ(form->imageCount, ++count);
        TChildImage* window = form->ChildImage();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->isFront, c.side != 0);
        EXPECT_EQ(window->caption, c.caption);
        EXPECT_EQ(c.side ? form->Images().FrontWindow() : form->Images().RearWindow(), window);
        EXPECT_EQ(window->filePath, DataFile(c.file));
        EXPECT_TRUE(Logged("INF: Scanned image filename: " + DataFile(c.file) + "  "));
        const PictureResult saved = LoadBmpFile(DataFile(c.file));
        ASSERT_TRUE(saved.ok);
        EXPECT_TRUE(saved.image == window->image);
        EXPECT_EQ(window->image.Pixel(5, 0), MakeColour(c.red, 0, 5));
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(AcquireScanTest, MenuCommandsScanTheFrontAndChooseTheSource) {
    StartWithTwain();
    Deliver(MakeDib(2, 2, 24, 0xA0), MakeDib(2, 2, 24, 0xB0));
    form->AcquireClick();
    ASSERT_NE(form->Images().FrontWindow(), nullptr);
    EXPECT_TRUE(test::FileExists(DataFile("Scan_front_1.bmp")));
    manager.calls.clear();
    form->SelectTwainSource1Click();
    EXPECT_EQ(manager.Count(DAT_IDENTITY, MSG_GETFIRST), 1u);
    EXPECT_TRUE(form->TwainModule()->SourceChosen());
}

}  // namespace
}  // namespace calvix::test
