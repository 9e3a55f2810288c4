// Ticks and closes that arrive under a message box, while the handler that opened it still runs.
#include "MainFormFixture.h"

#include "FakeServiceLibrary.h"
#include "FakeTwainManager.h"
#include "assistant/assistent.h"
#include "scanner/Twain.h"

namespace calvix::test {
namespace {

class NestedTickTest : public MainFormTest {
protected:
    // The first message box runs inside; the form shows no paper and refuses the upload.
    void Open(bool expert, std::function<void()> inside) {
        SetStoreValue("ExpertMode", expert), SetStoreValue("SearchScanner", 0);
        manager.FillSource(false);
        manager.SetNumber(twain::CAP_FEEDERLOADED, twain::TWTY_BOOL, 0);
        form = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, clock, &lock,
            [] { return std::make_unique<FakeServiceLibrary>(); }, dir.Path(), nullptr, [this] { return manager.Library(); }});
        Scanner().clock = &clock, Scanner().uploadResult = 1;
        form->CreateAppStrings();
        form->twainLoaded = form->TwainModule()->TwainLoadManager();
        Ticks(2);
        desktop.onMessage = [inside](const HeadlessDesktop::Message&) mutable { if (auto f = std::exchange(inside, nullptr)) f(); };
    }
    long ShutDowns() const { const auto t = LogTexts(); return std::count(t.begin(), t.end(), "STA: Application shutting down ..."); }
    FakeTwainManager manager;
};

// Expert mode, "Insert paper!": the wizard's Abort, the main window's close and a tick under it.
TEST_F(NestedTickTest, UnderAScanMessageBoxTheWizardStaysAndTheCloseWaitsForTheAnswer) {
    bool kept = false;
    Open(true, [&] {
        form->Assistent()->ButtonAbortClick();
        form->Close();
        form->TimerTimer();
        // The waiting close is a request the others can see: no new connect starts under it.
        kept = form->Assistent() && !form->ShuttingDown() && form->closeRequested;
    });
    form->controls.calibrationAssistent.enabled = true;
    form->MMFileCalibrationAssistentClick();
    form->Assistent()->ButtonScanFrontClick();
    EXPECT_TRUE(kept && ShutDowns() == 0);
    form->TimerTimer();
    EXPECT_TRUE(form->Closed() && desktop.mainWindowClosed && ShutDowns() == 1);
}

// Normal mode, the refused upload's box at shut-down: a tick and a close under it change nothing.
TEST_F(NestedTickTest, UnderTheShutDownsMessageBoxTicksAndClosesDoNothing) {
    Open(false, [&] {
        form->autoloadOnStart = true;
        form->TimerTimer();
        form->Close();
    });
    const std::string spinner = desktop.statusPanels[4];
    form->lutReady = form->closeRequested = true;
    form->TimerTimer();
    EXPECT_EQ(desktop.messages.back().text.rfind(form->AppStrings()->MsgErrSendingLUT.caption, 0), 0u);
    EXPECT_TRUE(form->Closed() && ShutDowns() == 1 && form->autoloadPending);
    EXPECT_EQ(desktop.statusPanels[4], spinner);
}

// Retry until the scanner takes the LUT, which a box then confirms, or Quit, which gives it up.
TEST_F(NestedTickTest, ARefusedUploadIsTriedAgainUntilStoredOrGivenUp) {
    for (const bool retry : {true, false}) {
        Open(false, [] { Scanner().uploadResult = 0; });
        desktop.messageAnswers = {retry ? MessageAnswer::Retry : MessageAnswer::Cancel};
        form->scannerSerial = "SN7", form->lutReady = form->closeRequested = true;
        form->TimerTimer();
        EXPECT_EQ(form->lutSent, retry);
        ASSERT_EQ(desktop.messages.size(), retry ? 2u : 1u);
        EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::RetryQuit);
        EXPECT_EQ(desktop.messages.back().text.rfind("Calibration finished: the scanner acknowledged the LUT.\n"
                                                     "Scanner: Zelmar Q71, serial SN7\n"
                                                     "ICC profile, front side: not written (see Calvix.log)", 0),
                  retry ? 0u : std::string::npos);
        form.reset(), desktop.messages.clear();
    }
}

}  // namespace
}  // namespace calvix::test
