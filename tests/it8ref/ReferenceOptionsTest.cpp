// The main window's reference option controls: the gamma up-down with its label and log
// lines, "Gamma last", chromatic adaptation, and switching the controls with the reference.
#include "it8ref/ReferenceOptions.h"

#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "It8TestSupport.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

constexpr float kTwoDecimals = 0.006f;

class ReferenceOptionsTest : public ::testing::Test {
protected:
    ReferenceOptionsTest() {
        for (auto& grey : record.greyXYZ) {
            grey[0] = 19.28f;
            grey[1] = 20.00f;
            grey[2] = 16.50f;
        }
        options.CheckBoxTTabIT8ConvertD65.checked = false;
        options.changed = [this] { ++changes; };
    }
    ~ReferenceOptionsTest() override { ResetReferenceGrey(); }

    void ClickUpDown(int position) {
        options.UpDownTTabIT8Gamma.position = position;
        options.UpDownTTabIT8GammaClick();
    }
    void ClickGammaLast(bool checked) {
        options.CheckBoxTTabIT8GammaLast.checked = checked;
        options.CheckBoxTTabIT8GammaLastClick();
    }
    static float Red() { return ReferenceGreyTable[5][0]; }

    test::LogCapture log;
    TIT8Ref record;
    ReferenceOptions options{record};
    int changes = 0;
};

TEST_F(ReferenceOptionsTest, UpDownShowsPositionTimesATenthAndLogs) {
    struct Step {
        int position;
        const char* label;
        int shown;
    };
    for (const Step& s : {Step{5, "0.5", 5}, Step{50, "5.0", 50}, Step{22, "2.2", 22}, Step{60, "5.0", 50},
                          Step{1, "0.5", 5}}) {
        ClickUpDown(s.position);
        EXPECT_EQ(options.LabelTTabIT8GammaVal.caption, s.label);
        EXPECT_EQ(options.UpDownTTabIT8Gamma.position, s.shown);
        EXPECT_NEAR(record.gamma, s.shown * 0.1, 1e-6);
        EXPECT_TRUE(log.Contains(std::string("STA:   Pos.: ") + std::to_string(s.shown) + ", display " + s.label));
    }
    EXPECT_TRUE(log.Contains("VCL: Gamma UpDown: event 'click' ...  ( file MainForm, line "));
    EXPECT_EQ(changes, 5);
}

TEST_F(ReferenceOptionsTest, GammaLastUsesGammaOneUntilUnchecked) {
    ClickUpDown(22);
    EXPECT_NEAR(Red(), 125.29f, kTwoDecimals);
    ClickGammaLast(true);
    EXPECT_TRUE(options.gammaLast);
    EXPECT_NEAR(Red(), 49.23f, kTwoDecimals);
    ClickUpDown(30);  // label only while "Gamma last" is checked
    EXPECT_EQ(options.LabelTTabIT8GammaVal.caption, "3.0");
    EXPECT_DOUBLE_EQ(record.gamma, 1.0);
    EXPECT_NEAR(Red(), 49.23f, kTwoDecimals);
    ClickUpDown(22);
    ClickGammaLast(false);
    EXPECT_FALSE(options.gammaLast);
    EXPECT_NEAR(Red(), 125.29f, kTwoDecimals);
}

TEST_F(ReferenceOptionsTest, ConvertD65SelectsTheAdaptedMatrix) {
    options.CheckBoxTTabIT8ConvertD65.checked = true;
    options.CheckBoxTTabIT8ConvertD65Click();
    EXPECT_TRUE(record.chromaticAdaptation);
    EXPECT_NEAR(ReferenceGreyTable[0][2], 61.76f, kTwoDecimals);
    options.CheckBoxTTabIT8ConvertD65.checked = false;
    options.CheckBoxTTabIT8ConvertD65Click();
    EXPECT_NEAR(ReferenceGreyTable[0][2], 24.80f, kTwoDecimals);
}

TEST_F(ReferenceOptionsTest, LoadedReferenceEnablesAndDefaultsDisable) {
    options.gammaLast = true;
    options.CheckBoxTTabIT8GammaLast.checked = true;
    options.ShowLoadedReference("/data/R1.txt");
    EXPECT_EQ(options.LabelTTabIT8ProfilPath.caption, "/data/R1.txt");
    for (bool enabled : {options.CheckBoxTTabIT8ConvertD65.enabled, options.UpDownTTabIT8Gamma.enabled,
                         options.LabelTTabIT8GammaVal.enabled, options.LabelTTabIT8Gamma.enabled,
                         options.CheckBoxTTabIT8GammaLast.enabled})
        EXPECT_TRUE(enabled);
    EXPECT_NEAR(Red(), 49.23f, kTwoDecimals);  // the table now comes from the record

    ClickUpDown(22);  // "Gamma last" still holds the gamma at 1.0
    options.ShowDefaultsInForce();
    EXPECT_EQ(options.LabelTTabIT8ProfilPath.caption, "Default values active");
    for (bool enabled : {options.CheckBoxTTabIT8ConvertD65.enabled, options.UpDownTTabIT8Gamma.enabled,
                         options.LabelTTabIT8GammaVal.enabled, options.LabelTTabIT8Gamma.enabled,
                         options.CheckBoxTTabIT8GammaLast.enabled})
        EXPECT_FALSE(enabled);
    // Unchecking "Gamma last" counts as its click: the gamma is the up-down's again.
    EXPECT_FALSE(options.CheckBoxTTabIT8GammaLast.checked);
    EXPECT_FALSE(options.gammaLast);
    EXPECT_NEAR(record.gamma, 2.2, 1e-6);
}

}  // namespace
}  // namespace calvix
