// The tick and the close handler: splash, expert-mode timing, close requests, the service
// lock, the spinner and the shut-down order.
#include "MainFormFixture.h"

namespace calvix::test {
namespace {

TEST_F(MainFormTest, ExpertModeShowsTheWindowAtTick22AndClosesTheSplashAtTick32) {
    SetStoreValue("ExpertMode", 1);
    Start();
    int visibleAt = 0, splashClosedAt = 0;
    for (int tick = 1; tick <= 40; ++tick) {
        form->TimerTimer();
        if (!visibleAt && !desktop.transparent) visibleAt = tick;
        if (!splashClosedAt && tick > 1 && !form->splashOpen) splashClosedAt = tick;
    }
    EXPECT_EQ(visibleAt, 22);
    EXPECT_EQ(splashClosedAt, 32);
    EXPECT_FALSE(form->Splash()->LogListVisible());
}

TEST_F(MainFormTest, NormalModeStaysTransparentAndClosesOnRequest) {
    store.keys[Key];
    Start();
    Ticks(3);
    EXPECT_TRUE(form->splashOpen);
    EXPECT_TRUE(form->splashLogActive);
    EXPECT_EQ(form->Splash()->VersionLabel(), "v1.1.0 build#7");
    EXPECT_TRUE(desktop.transparent);
    EXPECT_EQ(desktop.statusPanels[4], "\\");  // third tick shows the third spinner character
    form->closeRequested = true;
    form->TimerTimer();
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(desktop.mainWindowClosed);
}

TEST_F(MainFormTest, TheStartUpLoadRunsOnlyWhenScheduledAndNoImageIsOpen) {
    for (const auto& [scheduled, open] : {std::pair{true, false}, {false, false}, {true, true}}) {
        Start();
        form->autoloadOnStart = scheduled, form->imageOpen = open;
        form->TimerTimer();
        EXPECT_EQ(form->autoloadPending, !scheduled || open) << scheduled << open;
        form.reset();
        LogWriter.ResetForTest();
    }
}

TEST_F(MainFormTest, ShutDownRunsOnceInItsOrderAndSavesTheSplashLog) {
    SetStoreValue("SearchScanner", 0);  // no scanner search lines on the splash
    Start();
    Ticks(2);
    LogWriter.WriteLine("STA: shown on the splash", LogStaSplash);
    form->Close();
    form->Close();
    const char* order[] = {"DBG: call to 'TMainFormular::FormClose()'", "STA: Application shutting down ...",
                           "STA:   ... saving registry", "STA:   ... writing INI file", "STA:   ... ok!",
                           "STA:   ... saving splash logfile", "STA:   ... bye!"};
    const auto texts = LogTexts();
    long last = -1;
    for (const char* text : order) {
        const auto it = std::find_if(texts.begin() + (last + 1), texts.end(),
                                     [&](const std::string& t) { return t.rfind(text, 0) == 0; });
        ASSERT_NE(it, texts.end()) << text;
        last = it - texts.begin();
    }
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "STA: Application shutting down ..."), 1);
    EXPECT_EQ(ReadFileText(DataFile("Calvix_splash.log")),
              ">>>  Zelmar Calvix <<<\r\nSTA: shown on the splash\r\n");
    EXPECT_NE(ReadFileText(DataFile("Calvix.log")).find("STA:   ... bye!\r\n"), std::string::npos);
    FlockNamedLock other;
    EXPECT_TRUE(other.TryAcquire("ZelmarHelvaneTraceMutex"));
}

TEST_F(MainFormTest, AServiceInterfaceInUseRefusesTheRun) {
    FlockNamedLock other;
    ASSERT_TRUE(other.TryAcquire("ZelmarHelvaneTraceMutex"));
    SetStoreValue("LanguageAuto", 0);
    SetStoreValue("Language", 9);
    Start();
    form->TimerTimer();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, "Request");
    EXPECT_EQ(desktop.messages[0].text.rfind("The Service- Interface is in use!", 0), 0u);
    const auto texts = LogTexts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
                    return t.rfind("ERR: error 'Program aborted, service interface is in use!'", 0) == 0;
                }));
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(form->startupReady);
}

TEST_F(MainFormTest, TheServiceLockIsHeldForTheRunAndReleasedAtShutDown) {
    Start();
    form->TimerTimer();
    FlockNamedLock other;
    EXPECT_FALSE(other.TryAcquire("ZelmarHelvaneTraceMutex"));
    form->Close();
    EXPECT_TRUE(other.TryAcquire("ZelmarHelvaneTraceMutex"));
}

}  // namespace
}  // namespace calvix::test
