// acquireScan of the main window over the in-test TWAIN manager: its three failure codes with
// their log lines and message boxes, and the scans that become image windows and scan files.
#include "MainFormFixture.h"

#include "FakeTwainManager.h"
#include "analysis/BmpReader.h"
#include "assistant/assistent.h"
#include "scanner/MessagePump.h"
#include "scanner/Twain.h"

#include <functional>
#include <utility>

namespace calvix::test {
namespace {

using namespace twain;

class AcquireScanTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        manager.FillSource(true);
        form = std::make_unique<TMainFormular>(
            MainFormPorts{desktop, store, system, clock, &lock, [this] { return manager.Library(); }, dir.Path()});
        form->CreateAppStrings();
        form->twainLoaded = form->TwainModule()->TwainLoadManager();
    }
    void Deliver(std::vector<std::uint8_t> front) {
        manager.events = {MSG_XFERREADY};
        manager.transfers = {{TWRC_XFERDONE, std::move(front)}, {TWRC_XFERDONE, MakeDib(6, 5, 24, 0xB0)}};
    }
    bool LoggedStart(const std::string& start) const {
        const auto lines = LogTexts();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    }

    FakeTwainManager manager;
};

TEST_F(AcquireScanTest, EachFailureHasItsCodeLogLineAndMessage) {
    auto lying = MakeDib(4, 4, 24, 1);
    lying[8] = 40;  // 40 rows claimed, 4 delivered
    const std::string depthLine = "ERR: error 'TWAIN: Conversion of Bit depth failed!'  ( file MainForm, line ";
    const struct {
        bool loaded;
        std::vector<std::uint8_t> front;  // empty: the source asks to close instead
        int code;
        std::string line;
    } cases[] = {
        {false, MakeDib(4, 4, 24, 1), -1, ""},
        {true, {}, -2, "ERR: error '(TWAIN) Zero handle from TwainGetImage()'  ( file MainForm, line "},
        {true, MakeDib(4, 4, 8, 1), -3, depthLine},
        {true, MakeDib(4, 4, 32, 1), -3, depthLine},
        {true, lying, -3, depthLine},
    };
    const TAppStrings& texts = *form->AppStrings();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        form->twainLoaded = c.loaded;
        desktop.messages.clear();
        manager.calls.clear();
        Deliver(c.front);
        if (c.front.empty()) manager.events = {MSG_CLOSEDSREQ};
        EXPECT_EQ(form->acquireScan(1), c.code);
        if (!c.loaded) {
            EXPECT_TRUE(manager.calls.empty() && desktop.messages.empty());
            continue;
        }
        EXPECT_TRUE(LoggedStart(c.line));
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text, c.code == -2 ? texts.MsgErrWarmup.caption : texts.MsgErrBitDepth.caption);
        EXPECT_EQ(desktop.messages[0].title, texts.MBoxTitleError.caption);
        EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(form->Images().Count() + form->imageCount + form->scanCounter, 0);
}

TEST_F(AcquireScanTest, ScansBecomeNumberedScanFilesAndScanWindows) {
    const struct {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Deliver(MakeDib(6, 5, 24, 0xA0));
        if (c.side) {
            form->AcquireClick();  // the menu command scans the front
        } else {
            ASSERT_EQ(form->acquireScan(c.side), 0);
        }
        EXPECT_EQ(form->imageCount, ++count);
        TChildImage* window = form->ChildImage();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->isFront, c.side != 0);
        EXPECT_EQ(window->caption, c.caption);
        EXPECT_EQ(c.side ? form->Images().FrontWindow() : form->Images().RearWindow(), window);
        EXPECT_TRUE(Logged("INF: Scanned image filename: " + DataFile(c.file) + "  "));
        const PictureResult saved = LoadBmpFile(DataFile(c.file));
        ASSERT_TRUE(saved.ok);
        EXPECT_TRUE(saved.image == window->image);
        EXPECT_EQ(window->image.Pixel(5, 0), MakeColour(c.red, 0, 5));
    }
    EXPECT_TRUE(desktop.messages.empty());
    form->SelectTwainSource1Click();
    EXPECT_EQ(manager.Count(DAT_IDENTITY, MSG_GETFIRST), 1u);
    EXPECT_TRUE(form->TwainModule()->SourceChosen());
}

// The wizard's Abort while the scan waits ends it through the core with no message; the tick
// in the wait leaves the closed wizard alone and closes the program under the scan, which
// walks the source back before the manager goes.
TEST_F(AcquireScanTest, TheWizardsAbortEndsTheWaitAndTheWizardOutlivesTheScan) {
    struct OperatorPump final : MessagePump {
        std::function<void()> during;
        int rounds = 0;
        bool ProcessEvents(int) override {
            if (during) std::exchange(during, nullptr)();
            return ++rounds < 100;  // a bound of its own, whatever the scan does
        }
    } pump;
    form = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, clock, &lock,
                                                         [this] { return manager.Library(); }, dir.Path(), &pump});
    form->CreateAppStrings();
    form->twainLoaded = form->TwainModule()->TwainLoadManager();
    form->controls.calibrationAssistent.enabled = true;
    form->MMFileCalibrationAssistentClick();
    bool kept = false;
    pump.during = [&, wizard = form->Assistent()] {
        wizard->ButtonAbortClick();
        form->MMFileCalibrationAssistentClick();  // the menu command, in the wait
        form->TimerTimer();
        kept = form->Assistent() == wizard && wizard->Closed();  // not a new one in its place
    };
    EXPECT_EQ(form->acquireScan(1), -2);
    EXPECT_TRUE(kept && pump.rounds == 1 && desktop.messages.empty());
    EXPECT_TRUE(manager.sequenceErrors == 0 && manager.unloadedIn == 2);
    form.reset();  // before the pump it uses
}

}  // namespace
}  // namespace calvix::test
