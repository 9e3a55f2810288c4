// Offline verifications of rendered charts, in-process: the report JSON holds exactly what was
// measured, the colour patches are read where the chart has them, and bad input ends early.
#include "ChartRenderer.h"
#include "JsonText.h"
#include "TempDir.h"
#include "TestData.h"
#include "VerifyRun.h"
#include "analysis/BmpWriter.h"
#include "colour/IccProfile.h"
#include "it8ref/It8Ref.h"
#include "platform/XdgDirs.h"
#include "profiling/ProfileFiles.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>

namespace calvix::verify {
namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

void RenderR1(const RenderOptions& options, const std::string& path) {
    TIT8Ref reference;
    ASSERT_EQ(reference.LoadFile(kR1), 0);
    std::string error;
    ASSERT_TRUE(SaveBmpFile(RenderChart(ChartColoursFromReference(reference), options).image, path, error)) << error;
}

struct OfflineRun {
    int status = -1;
    VerifyResult result;
    std::string out;
};

OfflineRun RunOffline(VerifyOptions options, const std::string& dataHome, const std::string& iccFolder = {}) {
    OfflineRun run;
    VerifyEnvironment env;
    std::FILE* out = std::tmpfile();
    env.out = out;
    env.err = out;
    env.dataHome = dataHome;
    env.iccFolder = iccFolder;
    env.verifiedAt = "2026-05-01T09:30:00Z";
    env.toolVersion = "test";
    options.offline = true;
    run.status = RunVerify(options, env, run.result);
    std::rewind(out);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) run.out.append(buffer, n);
    std::fclose(out);
    return run;
}

// A chart rendered straight to sRGB (no sensor, no LUT): its colour patches read back as sRGB
// are the reference colours, up to 8-bit rounding and the colours sRGB cannot hold.
class OfflineVerifyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempDir;
        RenderOptions options;
        options.rotationDegrees = 0.3;
        options.shiftX = 7;
        RenderR1(options, folder_->File("front.bmp"));
    }
    static void TearDownTestSuite() { delete folder_; }
    static test::TempDir* folder_;
};
test::TempDir* OfflineVerifyTest::folder_ = nullptr;

TEST_F(OfflineVerifyTest, ReportJsonHoldsTheMeasuredValues) {
    test::TempDir dir;
    VerifyOptions options;
    options.reference = kR1;
    options.offlineFront = folder_->File("front.bmp");
    options.serial = "Q71-\xFF" "77";  // a byte that is no UTF-8: U+FFFD in the JSON and the history
    options.report = dir.File("cert.pdf");
    options.thresholds.maxLevels = 255;
    options.thresholds.meanLevels = 255.0;
    const OfflineRun run = RunOffline(options, dir.File("data"));
    // No certificate writer in this environment: the JSON is written, the PDF reported missing.
    EXPECT_EQ(run.status, ExitOutput) << run.out;
    ASSERT_EQ(run.result.sides.size(), 1u);
    const SideResult& side = run.result.sides[0];
    ASSERT_TRUE(side.Measured()) << run.out;

    JsonValue json;
    std::string error;
    ASSERT_TRUE(ParseJson(test::ReadFileText(dir.File("cert.json")), json, error)) << error;
    EXPECT_EQ(json.TextOr("schema", ""), "calvix-verify-report/1");
    EXPECT_EQ(json.TextOr("verified_at", ""), "2026-05-01T09:30:00Z");
    EXPECT_EQ(json.Find("scanner")->TextOr("serial", ""), "Q71-\uFFFD77");
    EXPECT_EQ(json.Find("reference")->Find("batch")->TextOr("SERIAL", ""), "R1");
    EXPECT_EQ(json.TextOr("verdict", ""), "pass");
    const JsonValue& s = json.Find("sides")->items.at(0);
    EXPECT_EQ(s.TextOr("side", ""), "front");
    const JsonValue& patches = *s.Find("grey_patches");
    ASSERT_EQ(patches.items.size(), 24u);
    for (std::size_t k = 0; k < 24; ++k) {
        const GreyPatchResult& p = side.grey.patches[k];
        const JsonValue& j = patches.items[k];
        EXPECT_EQ(j.TextOr("patch", ""), "GS" + std::to_string(k));
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(j.Find("reference")->items.at(c).number, p.reference[c]);
            EXPECT_EQ(j.Find("measured")->items.at(c).number, p.measured[c]);
            EXPECT_EQ(j.Find("difference")->items.at(c).number, p.difference[c]);
        }
        EXPECT_NEAR(j.NumberOr("delta_l", -999), p.deltaL, 5e-5);
        EXPECT_NEAR(j.NumberOr("delta_ab", -999), p.deltaAb, 5e-5);
    }
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_NEAR(s.Find("mean_abs_difference")->items.at(c).number, side.grey.meanAbs[c], 5e-5);
        EXPECT_EQ(s.Find("max_abs_difference")->items.at(c).number, side.grey.maxAbs[c]);
    }
    EXPECT_NEAR(s.Find("tone")->NumberOr("max_abs_delta_l", -1), side.grey.maxAbsDeltaL, 5e-5);
    EXPECT_EQ(s.Find("tone")->NumberOr("fadgi_stars", -1), side.fadgiToneStars);
    EXPECT_NEAR(s.Find("white_balance")->NumberOr("max_delta_ab", -1), side.grey.maxDeltaAb, 5e-5);
    EXPECT_NEAR(s.Find("delta_e2000")->NumberOr("p90", -1), side.colour.figures.p90, 5e-5);
    EXPECT_EQ(s.Find("delta_e2000")->NumberOr("patches", -1), 264);

    // The same run went into the history as one line.
    HistoryRead history;
    ASSERT_TRUE(ReadHistory(HistoryPath(dir.File("data"), options.serial), history, error, options.serial)) << error;
    ASSERT_EQ(history.entries.size(), 1u);
    EXPECT_DOUBLE_EQ(history.entries[0].Side("front")->max, WorstMax(side.grey));
}

TEST_F(OfflineVerifyTest, ColourPatchesAreReadAtTheirCells) {
    test::TempDir dir;
    VerifyOptions options;
    options.reference = kR1;
    options.offlineFront = folder_->File("front.bmp");
    options.noHistory = true;
    options.assumeSrgb = true;
    const OfflineRun run = RunOffline(options, dir.Path());
    ASSERT_EQ(run.result.sides.size(), 1u);
    const ProfileFigures& colour = run.result.sides[0].colour.figures;
    ASSERT_EQ(colour.patches, 264);
    // Nine in ten patches within 3 (the rest are colours sRGB cannot hold): a raster one cell
    // off would put most of them tens away.
    EXPECT_LT(colour.p90, 3.0) << run.out;
    EXPECT_LT(colour.mean, 1.5) << run.out;
    // The plain sRGB render is not the reference encoding: the greys do not pass.
    EXPECT_EQ(run.status, ExitFail);
    EXPECT_NE(run.out.find("verdict: FAIL: front: GS"), std::string::npos) << run.out;
}

// The encoding each side's colour patches are read through, named alike in the text, the JSON and
// the history. The profile is made by --profile-out from this very render, so reading through it
// must give back the fit it was made with.
TEST_F(OfflineVerifyTest, ColourPatchesAreReadThroughTheEncodingChosen) {
    test::TempDir dir;
    const std::string serial = "Q71-42";
    VerifyOptions make;
    make.reference = kR1;
    make.offlineFront = folder_->File("front.bmp");
    make.serial = serial;
    make.noHistory = true;
    make.profileOut = dir.File("made");
    make.thresholds = {255.0, 255};  // only a side that passes is profiled; the sRGB render's greys pass only so
    const OfflineRun made = RunOffline(make, dir.Path());
    ASSERT_TRUE(made.result.sides.at(0).madeProfile.has_value()) << made.out;
    const MadeProfile profile = *made.result.sides[0].madeProfile;
    const std::string path = dir.File("made/Zelmar-Q71-Q71-42-front.icc");
    ASSERT_EQ(profile.path, path) << made.out << profile.error;
    EXPECT_NE(made.out.find("front profile: " + path + " (shaper/"), std::string::npos) << made.out;
    EXPECT_LT(profile.fit.mean, 2.0) << made.out;

    const char* oldDataHome = std::getenv("XDG_DATA_HOME");
    const std::string restore = oldDataHome ? oldDataHome : "";
    ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    const std::string iccFolder = XdgIccFolder();
    ASSERT_EQ(iccFolder, dir.File("data/icc"));
    std::filesystem::create_directories(iccFolder);
    std::filesystem::copy_file(path, iccFolder + "/" + ProfileFileName(serial, "front"));
    const std::string byProfile =
        "ICC profile Zelmar-Q71-Q71-42-front.icc (Zelmar Q71 Q71-42 front, 2026-05-01, reference R1)";
    struct Case {
        const char* name;
        std::string profile, serial;
        bool srgb;
        double gamma;
        bool adapt;
        const char* kind;
        std::string text;
    } cases[] = {
        {"profile given", path, "", false, 1.0, false, "icc_profile", byProfile},
        {"found by serial", "", serial, false, 1.0, false, "icc_profile", byProfile},
        {"none for this serial", "", "Q71-43", false, 1.0, false, "reference_encoding",
         "calibration reference encoding (gamma 1.0, plain matrix)"},
        {"as calibrated", "", serial + "-x", false, 2.2, true, "reference_encoding",
         "calibration reference encoding (gamma 2.2, adapted matrix)"},
        {"sRGB asked", "", serial, true, 1.0, false, "srgb", "sRGB (assumed)"},
    };
    for (const Case& c : cases) {
        VerifyOptions options;
        options.reference = kR1;
        options.offlineFront = folder_->File("front.bmp");
        options.profile = c.profile;
        options.serial = c.serial;
        options.assumeSrgb = c.srgb;
        options.gamma = c.gamma;
        options.adaptD65 = c.adapt;
        options.report = dir.File("cert.pdf");
        const OfflineRun run = RunOffline(options, dir.File("data"), XdgIccFolder());
        ASSERT_EQ(run.result.sides.size(), 1u) << c.name << run.out;
        const ColourPatchSummary& colour = run.result.sides[0].colour;
        EXPECT_EQ(colour.encoding, c.text) << c.name;
        EXPECT_NE(run.out.find("read through " + c.text + ":\n"), std::string::npos) << c.name << run.out;
        if (colour.encodingKind == std::string("icc_profile")) {
            EXPECT_NEAR(colour.figures.mean, profile.fit.mean, 0.05) << c.name;
        }
        JsonValue json, line;
        std::string error;
        ASSERT_TRUE(ParseJson(test::ReadFileText(dir.File("cert.json")), json, error)) << error;
        const JsonValue& side = json.Find("sides")->items.at(0);
        EXPECT_EQ(side.Find("delta_e2000")->TextOr("encoding", ""), c.text) << c.name;
        EXPECT_EQ(side.Find("delta_e2000")->TextOr("encoding_kind", ""), c.kind) << c.name;
        const JsonValue& patches = *side.Find("colour_patches");
        ASSERT_EQ(patches.items.size(), 264u) << c.name;
        for (std::size_t k : {0u, 131u, 263u}) {
            EXPECT_EQ(patches.items[k].TextOr("patch", ""), colour.patches[k].name);
            EXPECT_NEAR(patches.items[k].Find("measured_lab")->items.at(0).number, colour.patches[k].measured.L, 5e-5);
            EXPECT_NEAR(patches.items[k].NumberOr("delta_e2000", -1), colour.patches[k].deltaE, 5e-5);
        }
        ASSERT_TRUE(ParseJson(HistoryLine(run.result), line, error)) << error;
        EXPECT_EQ(line.Find("sides")->items.at(0).TextOr("colour_encoding", ""), c.kind) << c.name;
    }
    if (oldDataHome) ::setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else ::unsetenv("XDG_DATA_HOME");
}

TEST_F(OfflineVerifyTest, BadInputEndsBeforeAnyMeasurement) {
    test::TempDir dir;
    test::WriteFileText(dir.File("short.bin"), "123");
    test::WriteFileText(dir.File("noise.bmp"), "BM not a picture");
    struct Case {
        const char* name;
        std::string reference, front, record;
        int status;
        std::string says;
        std::string report = {};
        std::string profile = {};
        std::string profileOut = {};
    } cases[] = {
        {"missing reference", dir.File("none.txt"), folder_->File("front.bmp"), "", ExitInput, "IT8 reference file"},
        {"short record", kR1, folder_->File("front.bmp"), dir.File("short.bin"), ExitInput, "has 3 bytes, not 6227"},
        {"unreadable scan", kR1, dir.File("noise.bmp"), "", ExitInput, "picture (file too short for a BMP header)"},
        // Checked before the scan: a FIFO as the JSON beside the certificate stays a FIFO.
        {"report onto a FIFO", kR1, folder_->File("front.bmp"), "", ExitOutput, "json': not a regular file",
         dir.File("r.pdf")},
        {"blank page", kR1, dir.File("blank.bmp"), "", ExitChartFailed, "verdict: FAIL: front: chart check failed"},
        {"a profile that is none", kR1, folder_->File("front.bmp"), "", ExitInput,
         "cannot use the colour profile " + dir.File("short.bin"), "", dir.File("short.bin")},
        // No profile from a wedge that failed the check; one not stored is no PASS.
        {"profile of a failed wedge", kR1, dir.File("wedge.bmp"), "", ExitFail,
         "front profile: none stored, the side failed its chart check", "", "", dir.Path()},
        {"profile not stored", kR1, folder_->File("front.bmp"), "", ExitProfileOutput,
         "verdict: INCOMPLETE: the sides pass, but a profile was not written", "", "", dir.File("short.bin")},
        {"a display profile", kR1, folder_->File("front.bmp"), "", ExitInput, "' is a display profile (class 'mntr')",
         "", dir.File("display.icc")},
    };
    ASSERT_EQ(::mkfifo(dir.File("r.json").c_str(), 0600), 0);
    const std::vector<std::uint8_t> srgb = IccProfile(cmsCreate_sRGBProfile()).Bytes();
    test::WriteFileText(dir.File("display.icc"), std::string(srgb.begin(), srgb.end()));
    std::string error;
    ASSERT_TRUE(SaveBmpFile(RenderBlankPage(RenderOptions{}), dir.File("blank.bmp"), error));
    RenderOptions wedge;
    wedge.colouredWedgeIndex = 5;
    RenderR1(wedge, dir.File("wedge.bmp"));
    for (const Case& c : cases) {
        VerifyOptions options;
        options.reference = c.reference;
        options.offlineFront = c.front;
        options.record = c.record;
        options.noHistory = true;
        options.report = c.report;
        options.profile = c.profile;
        options.profileOut = c.profileOut;
        options.thresholds = {255.0, 255};  // the sRGB render's greys pass only so
        const OfflineRun run = RunOffline(options, dir.Path());
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.name << "\n" << run.out;
    }
    EXPECT_EQ(ReportJsonPath("a/cert.pdf"), "a/cert.json");
    EXPECT_EQ(ReportJsonPath("cert"), "cert.json");
}

}  // namespace
}  // namespace calvix::verify
