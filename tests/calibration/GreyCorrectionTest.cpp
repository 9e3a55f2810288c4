// Tests of a whole grey-wedge evaluation: its outputs, its order around the colour display,
// its log lines, and how front and rear evaluations share the LUT record.
#include "calibration/GreyCorrection.h"

#include "TempDir.h"
#include "WedgeFixtures.h"
#include "app/FormStatus.h"
#include "calibration/ChannelTable.h"
#include "calibration/CorrectionFiles.h"
#include "calibration/GreyPatchExchange.h"
#include "calibration/ReferenceColours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace calvix {
namespace {

using test::DefaultGreys;
using test::GreyWedge;
using test::ReadFileText;
using test::TempDir;

std::size_t FileCount(const TempDir& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) count += entry.is_regular_file();
    return count;
}

class GreyCorrectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogWriter.ResetForTest();
        LogWriter.SetEcho(false);
        LogWriter.SetActive(true);
    }
    void TearDown() override { LogWriter.ResetForTest(); }

    GreyWedgeInput Input(bool isFront, int slider, int lightest) const {
        GreyWedgeInput input;
        input.measured = GreyWedge([=](int k) { return lightest - 9 * k; });
        input.referenceGreys = DefaultGreys();
        input.sliderPosition = slider;
        input.isFront = isFront;
        input.dataFolder = folder.Path();
        return input;
    }

    std::size_t LogLinesContaining(const std::string& text) const {
        return std::count_if(LogWriter.Buffer().begin(), LogWriter.Buffer().end(),
                             [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    TempDir folder;
};

TEST_F(GreyCorrectionTest, FrontEvaluationFillsTablesFilesAndTheFrontHalf) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    const GreyWedgeInput input = Input(true, 4, 230);
    correction.Evaluate(input, lut);

    const GreyColours reference = ReferenceColoursOf(DefaultGreys());
    EXPECT_EQ(correction.Measured(), input.measured);
    EXPECT_EQ(correction.ReferenceColours(), reference);
    EXPECT_NEAR(correction.whiteScale()[0], 1.0 + 25.0 / 255.0, 1e-12);
    EXPECT_EQ(correction.Tables(), BuildChannelTables(input.measured, reference, correction.whiteScale()));
    for (ColourChannel channel : AllChannels) {
        const auto stored = lut.Table(LutSide::Front, channel);
        const ChannelTable& built = correction.Tables()[static_cast<int>(channel)];
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), built.begin()));
        const auto rear = lut.Table(LutSide::Rear, channel);
        EXPECT_TRUE(std::all_of(rear.begin(), rear.end(), [](std::uint8_t b) { return b == 0; }));
    }
    EXPECT_EQ(ReadFileText(folder.File("gs_rgb_front.csv")), GreyScaleFileText(input.measured, reference));
    EXPECT_EQ(ReadFileText(folder.File("corrvals_front.csv")), TableFileText(correction.Tables()));
    EXPECT_FALSE(test::FileExists(folder.File("gs_rgb_back.csv")));
    EXPECT_EQ(LogLinesContaining(" > STA: Correction factors RGB"), 1u);
    EXPECT_EQ(LogLinesContaining(" > STA: 23 230 "), 1u);
}

TEST_F(GreyCorrectionTest, RearEvaluationLeavesTheFrontUntouched) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    correction.Evaluate(Input(true, 0, 240), lut);
    const CalibrationLutRecord::Bytes afterFront = lut.Copy();
    const std::string frontFile = ReadFileText(folder.File("corrvals_front.csv"));

    correction.Evaluate(Input(false, 0, 220), lut);
    EXPECT_EQ(std::memcmp(lut.Raw().data(), afterFront.data(), 3155), 0);
    EXPECT_NE(std::memcmp(lut.Raw().data() + 3155, afterFront.data() + 3155, 3072), 0);
    EXPECT_EQ(ReadFileText(folder.File("corrvals_front.csv")), frontFile);
    EXPECT_EQ(ReadFileText(folder.File("corrvals_back.csv")), TableFileText(correction.Tables()));

    // The same side again overwrites only that side.
    const CalibrationLutRecord::Bytes afterRear = lut.Copy();
    correction.Evaluate(Input(false, 0, 210), lut);
    EXPECT_EQ(std::memcmp(lut.Raw().data(), afterRear.data(), 3155), 0);
    EXPECT_EQ(lut.Table(LutSide::Rear, ColourChannel::Red)[4 * 210], 255);
}

// Greys out of order make tables that fall: the side's earlier tables stay, in every caller.
TEST_F(GreyCorrectionTest, TablesThatFallNeverReachTheRecord) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    for (const bool front : {true, false}) {
        correction.Evaluate(Input(front, 0, 240), lut);
        const CalibrationLutRecord::Bytes good = lut.Copy();
        GreyWedgeInput falling = Input(front, 0, 230);
        std::swap(falling.referenceGreys[3], falling.referenceGreys[20]);
        correction.Evaluate(falling, lut);
        EXPECT_FALSE(correction.TablesUsable() || ChannelTableNonDecreasing(correction.Tables()[0]));
        EXPECT_EQ(lut.Copy(), good) << front;
    }
    EXPECT_EQ(LogLinesContaining(" side fall, not taken into the LUT!"), 2u);
}

TEST_F(GreyCorrectionTest, SliderOutsideItsRangeKeepsTheLastScale) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    EXPECT_EQ(correction.whiteScale(), (WhiteScale{1.0, 1.0, 1.0}));
    correction.Evaluate(Input(true, 2, 204), lut);
    const WhiteScale kept = correction.whiteScale();
    EXPECT_NEAR(kept[0], 1.1, 1e-12);
    correction.Evaluate(Input(true, 9, 215), lut);
    EXPECT_EQ(correction.whiteScale(), kept);
}

TEST_F(GreyCorrectionTest, ColourDisplayComesBeforeTheFactors) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    int calls = 0;
    const GreyWedgeInput input = Input(true, 0, 230);
    correction.Evaluate(input, lut, [&](const GreyColours& measured, const GreyColours& reference) {
        ++calls;
        EXPECT_EQ(measured, input.measured);
        EXPECT_EQ(reference, ReferenceColoursOf(DefaultGreys()));
        EXPECT_TRUE(test::FileExists(folder.File("gs_rgb_front.csv")));
        EXPECT_FALSE(test::FileExists(folder.File("corrvals_front.csv")));
        EXPECT_EQ(LogLinesContaining("Correction factors RGB"), 0u);
    });
    EXPECT_EQ(calls, 1);
}

TEST_F(GreyCorrectionTest, UnwritableFolderStillUpdatesTheRecord) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    GreyWedgeInput input = Input(false, 0, 230);
    input.dataFolder = folder.Path() + "/missing";
    correction.Evaluate(input, lut);
    EXPECT_EQ(lut.Table(LutSide::Rear, ColourChannel::Blue)[1023], 255);
    EXPECT_EQ(LogLinesContaining("Correction factors RGB"), 1u);
    EXPECT_EQ(FileCount(folder), 0u);
    // Neither file is passed over in silence: both are reported with their paths and logged.
    ASSERT_EQ(correction.Files().size(), 2u);
    EXPECT_EQ(correction.Files()[0].path, input.dataFolder + "/gs_rgb_back.csv");
    EXPECT_EQ(correction.Files()[1].path, input.dataFolder + "/corrvals_back.csv");
    for (const EvaluationFile& file : correction.Files()) {
        EXPECT_NE(file.error.find("'" + file.path + "': No such file or directory"), std::string::npos) << file.error;
        EXPECT_EQ(LogLinesContaining("ERR: error '" + file.error + "'"), 1u);
    }
}

TEST_F(GreyCorrectionTest, DegenerateInputsGiveDefinedOutputs) {
    CalibrationLutRecord lut;
    GreyCorrection correction;
    GreyWedgeInput input = Input(true, 4, 230);
    input.measured.fill(0);
    for (auto& grey : input.referenceGreys) grey = {42.0f, 42.0f, 42.0f};
    correction.Evaluate(input, lut);
    for (const auto& step : correction.Factors())
        for (double f : step) EXPECT_EQ(f, 0.0);
    EXPECT_EQ(correction.whiteScale(), (WhiteScale{2.0, 2.0, 2.0}));
    // Measured 0 everywhere: the table is white from its first entry.
    for (const ChannelTable& table : correction.Tables())
        EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](std::uint8_t b) { return b == 255; }));
    EXPECT_NE(ReadFileText(folder.File("gs_rgb_front.csv")).find("GS12\t0\t0\t0\t122\t122\t122\n"), std::string::npos);
}

TEST_F(GreyCorrectionTest, ResultsGoBackIntoTheSharedGreyWedgeTable) {
    GreyPatchTable table{};
    for (int k = 0; k < GreyWedgeSteps; ++k) table[k].measured = MakeColour(240 - 9 * k, 235 - 9 * k, 230 - 9 * k);
    GreyWedgeInput input = Input(true, 0, 230);
    input.measured = MeasuredColours(table);
    EXPECT_EQ(BlueOf(input.measured[23]), 23);

    CalibrationLutRecord lut;
    GreyCorrection correction;
    correction.Evaluate(input, lut);
    WriteEvaluation(correction, table);
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        EXPECT_EQ(table[k].measured, input.measured[k]);
        EXPECT_EQ(table[k].reference, correction.ReferenceColours()[k]);
        EXPECT_EQ(table[k].correction, correction.Factors()[k]);
    }
    EXPECT_EQ(table[0].reference, MakeColour(255, 255, 255));
}

}  // namespace
}  // namespace calvix
