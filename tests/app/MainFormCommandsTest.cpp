// The main window's small handlers: the status-bar and logo geometry of a resize, the View
// toggles, the hidden double-buffering pair, the page control's help context, and the "VCL:"
// lines of the window events.
#include <functional>

#include "MainFormFixture.h"
#include "app/StringTable.h"
#include "assistant/assistent.h"
#include "mainform/MainWindowLayout.h"
#include "mainform/SplashTexts.h"
#include "views/DrawList.h"

namespace calvix::test {
namespace {

class MainFormCommandsTest : public MainFormTest {
protected:
    void EnableVcl(bool on) {
        form->controls.vcl.checked = on;
        form->SyncLogCategories();
    }
    // Log lines are "VCL: <text>  ( file MainForm, line N)"; the line number is ours.
    bool LoggedVcl(const std::string& text) const {
        const std::string head = "VCL: " + text + "  ( file MainForm, line ";
        const auto texts = LogTexts();
        return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(head, 0) == 0; });
    }
};

TEST_F(MainFormCommandsTest, ResizeGivesPanelZeroTheRestAndTheLogoWhatTheSeparatorLeaves) {
    Start();
    EnableVcl(true);
    struct Row {
        int width, separatorRight, panel0, logo;
    };
    const Row rows[] = {
        {1024, 600, 644, 394},
        {380, 0, 0, 350},
        {300, 200, -80, 70},  // narrower than panels 1-7: a negative request the bar clips
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.width);
        form->FormResize(r.width, r.separatorRight);
        EXPECT_EQ(form->statusPanel0Width, r.panel0);
        EXPECT_EQ(form->labelLogoWidth, r.logo);
        EXPECT_TRUE(LoggedVcl("Adjust status bar: " + std::to_string(r.panel0)));
    }
}

TEST_F(MainFormCommandsTest, ViewCommandsToggleTickAndBarTogether) {
    Start();
    struct Row {
        const char* name;
        void (TMainFormular::*click)();
        CommandState MainFormControls::*command;
        bool MainFormControls::*visible;
    };
    const Row rows[] = {
        {"tool bar", &TMainFormular::MMViewToolBarClick, &MainFormControls::viewToolBar, &MainFormControls::toolBarVisible},
        {"status bar", &TMainFormular::MMViewStatusBarClick, &MainFormControls::viewStatusBar,
         &MainFormControls::statusBarVisible},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE((form->controls.*r.command).checked);
        for (const bool expected : {false, true}) {
            (form.get()->*r.click)();
            EXPECT_EQ((form->controls.*r.command).checked, expected);
            EXPECT_EQ(form->controls.*r.visible, expected);
        }
    }
}

TEST_F(MainFormCommandsTest, KnowGatesDoublebufferingWhichReachesFrameAndCurrentWindow) {
    Start();
    EXPECT_TRUE(form->doubleBuffered);  // taken from the designed check box
    EXPECT_FALSE(form->controls.doubleBuffering.enabled);
    form->controls.know.checked = true;
    form->CheckBoxKnowClick();
    EXPECT_TRUE(form->controls.doubleBuffering.enabled);
    form->controls.know.checked = false;
    form->CheckBoxKnowClick();
    EXPECT_FALSE(form->controls.doubleBuffering.enabled);

    form->controls.doubleBuffering.checked = false;
    form->TTabSettingsCheckBoxDoublebufferingClick();  // no image window: the frame only
    EXPECT_FALSE(form->doubleBuffered);
    TChildImage& window = form->Images().Create();
    form->controls.doubleBuffering.checked = true;
    form->TTabSettingsCheckBoxDoublebufferingClick();
    EXPECT_TRUE(form->doubleBuffered);
    EXPECT_TRUE(window.doubleBuffered);
}

TEST_F(MainFormCommandsTest, PageControlTakesTheActivePagesHelpContext) {
    Start();
    const std::pair<int, int> rows[] = {{ToolTabInfo, 1000}, {ToolTabSettings, 4000}, {ToolTabZoom, 3000},
                                        {ToolTabIT8Chart, 2000}, {ToolTabQuality, 16000}, {9, 2000}, {-1, 2000}};
    for (const auto& [page, context] : rows) {
        form->ToolTabMouseActivate(page);
        EXPECT_EQ(form->toolTabHelpContext, context) << page;
    }
}

TEST_F(MainFormCommandsTest, WindowEventsWriteTheirVclLinesOnlyWithVclOn) {
    Start();
    struct Row {
        std::function<void(TMainFormular&)> event;
        const char* text;
    };
    const Row rows[] = {
        {[](TMainFormular& f) { f.SplitterToolTabMoved(812); }, "Toolbar area changed! Splitter Client now at 812"},
        {[](TMainFormular& f) { f.SplitterToolbarUpperMoved(305); }, "Toolbar area changed! Splitter Upper now at 305"},
        {[](TMainFormular& f) { f.ToolTabMouseActivate(1); }, "ToolTab: event 'MouseActivate' ..."},
        {[](TMainFormular& f) { f.ToolTabMouseEnter(); }, "ToolTab: event 'MouseEnter' ..."},
        {[](TMainFormular& f) { f.ToolTabDrawTab(3); }, "ToolTab: event 'DrawTab', index 3"},
        {[](TMainFormular& f) { f.FormShow(); }, "eventhandler MainForm.OnShow"},
        {[](TMainFormular& f) { f.FormPaint(); }, "eventhandler MainForm.OnPaint"},
    };
    for (const bool vcl : {false, true}) {
        EnableVcl(vcl);
        for (const Row& r : rows) {
            r.event(*form);
            EXPECT_EQ(LoggedVcl(r.text), vcl) << r.text;
        }
    }
}

TEST_F(MainFormCommandsTest, SplitterMoveRedrawsTheZoomViewAtItsNewSize) {
    Start();
    TChildImage& window = form->Images().Create();
    ++form->imageCount;
    window.ScanChildImage(dir.Path() + "/Scan_front_1.bmp", ScanBitmap(400, 300));
    form->Views().ImageWindowResize(window, 200, 150);
    form->Views().SetZoomSize({100, 80});
    form->SplitterToolbarUpperMoved(300);
    ASSERT_FALSE(form->Views().Zoom().picture.empty());
    const auto& fill = std::get<FillCommand>(form->Views().Zoom().picture.front());
    EXPECT_EQ(fill.rect, (ViewRect{0, 0, 100, 80}));
}

// The wizard's Help opens the page in view (Start's own, not the main window's) in the language in force.
TEST_F(MainFormCommandsTest, WizardHelpOpensThePageInView) {
    SetStoreValue("LanguageAuto", std::int32_t{0});
    SetStoreValue("Language", std::int32_t{12});
    Start();
    form->controls.calibrationAssistent.enabled = true;
    form->MMFileCalibrationAssistentClick();
    form->Assistent()->ButtonHelpClick();
    EXPECT_EQ(desktop.helpShown.at(0).helpContext, HelpContextStart);
    EXPECT_TRUE(desktop.helpShown.at(0).helpFile.ends_with("/Calvix_fr.chm"));
}

// The window within the screen's free area; the tool panel a third of it, within bounds, widened to its tabs.
TEST(MainWindowLayoutTest, WindowWithinTheScreenAndPanelByShare) {
    const struct {
        int freeWidth, freeHeight;
        WindowSize size;
    } screens[] = {{1920, 1050, {1024, 720}}, {1024, 720, {1024, 720}}, {792, 568, {792, 568}}, {0, 600, {1024, 720}},
                   {800, 0, {1024, 720}}, {1, 1, {1, 1}}};
    for (const auto& s : screens)
        EXPECT_EQ(MainWindowSize(s.freeWidth, s.freeHeight), s.size) << s.freeWidth << "x" << s.freeHeight;
    const struct {
        int window, tabs, panel;
    } panels[] = {{1024, 0, 341}, {1280, 0, 426},   {1560, 0, 520},   {1600, 0, 520},
                  {800, 0, 300},  {1024, 380, 380}, {1024, 900, 824}, {400, 0, 200}, {300, 0, 150}};
    for (const auto& p : panels) EXPECT_EQ(ToolPanelWidth(p.window, p.tabs), p.panel) << p.window << " " << p.tabs;
}

// Splash lines are shown in the language by their English start, the rest of the line kept.
TEST(MainWindowTextsTest, SplashLinesFollowTheLanguage) {
    const struct {
        int base;
        const char *line, *shown;
    } rows[] = {
        {TextBaseGerman, "STA: TWAIN: DSM opened!", "STA: TWAIN: Quellen-Manager geöffnet!"},
        {TextBaseFrench, "TWAIN: Q71 connected! (Ser# SN1, dupl.)", "TWAIN: Q71 connecté! (n° de série SN1, dupl.)"},
        // The longer of two matching starts wins.
        {TextBaseGerman, "TWAIN: Q71 connected, reading capabilities failed!",
         "TWAIN: Q71 verbunden, seine Fähigkeiten sind nicht lesbar!"},
        {TextBaseGerman, "an unknown line", "an unknown line"},
    };
    for (const auto& r : rows) EXPECT_EQ(SplashLineFor(r.base, r.line), r.shown) << r.line;
}

}  // namespace
}  // namespace calvix::test
