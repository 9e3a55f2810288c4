// Where profiles are kept and how they are replaced; the shaper and the matrix on inputs whose
// answer is known.
#include "profiling/MatrixFit.h"
#include "profiling/ProfileFiles.h"
#include "profiling/ToneShaper.h"
#include "analysis/ColourCells.h"

#include "TempDir.h"
#include "app/AtomicFile.h"
#include "colour/IccProfile.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <atomic>
#include <thread>
#include <sys/stat.h>

namespace calvix {
namespace {

TEST(ProfileFiles, NamesCannotLeaveTheFolder) {
    const struct {
        const char* serial;
        const char* name;
    } cases[] = {
        {"Q71-000123", "Zelmar-Q71-Q71-000123-front.icc"},
        {"", "Zelmar-Q71-%unknown-front.icc"},
        {"../../etc/x", "Zelmar-Q71-%2E.%2F..%2Fetc%2Fx-front.icc"},
        {"a b\\c\n%", "Zelmar-Q71-a%20b%5Cc%0A%25-front.icc"},
        {"Q71:1", "Zelmar-Q71-Q71%3A1-front.icc"},  // the old names gave it Q71_1's file
    };
    for (const auto& c : cases) EXPECT_EQ(ProfileFileName(c.serial, "front"), c.name);
    const std::string longest(MaxProfileSerialBytes, 'a');  // one byte more and no name is left
    EXPECT_EQ(ProfileFileName(longest, "front") + ProfileFileName(longest + "a", "front"),
              "Zelmar-Q71-" + longest + "-front.icc");
}

TEST(ProfileFiles, ANewProfileKeepsTheOneBeforeAndAFailureKeepsBoth) {
    test::TempDir dir;
    const std::string folder = dir.File("data/icc");  // made on the way
    std::string error;
    const std::vector<std::uint8_t> first(200, 1), second(300, 2), third(100, 3);
    ASSERT_TRUE(StoreProfile(folder, "p.icc", first, error)) << error;
    EXPECT_FALSE(ReadWholeFile(folder + "/p.icc.previous", 1000));
    // Readers looking while profiles are replaced always find one.
    std::atomic<int> done{0}, missing{0};
    std::thread reader([&, p = folder + "/p.icc"] { for (struct stat st {}; !done;) missing += ::stat(p.c_str(), &st) != 0; });
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(StoreProfile(folder, "p.icc", i < 299 ? first : second, error)) << error;
    done = 1;
    reader.join();
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(ReadWholeFile(folder + "/p.icc", 1000)->size(), 300u);
    EXPECT_EQ(ReadWholeFile(folder + "/p.icc.previous", 1000)->size(), 200u);
    ASSERT_EQ(FindProfile(folder, "p.icc").value_or(""), folder + "/p.icc");
    EXPECT_FALSE(FindProfile(folder, "q.icc"));

    // Nothing to write, and a folder that cannot be: both files stay as they were.
    EXPECT_FALSE(StoreProfile(folder, "p.icc", {}, error));
    EXPECT_FALSE(StoreProfile(folder, "", third, error));  // no name: too long a serial
    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
    if (::geteuid() != 0) {  // root writes anyway
        EXPECT_FALSE(StoreProfile(folder, "p.icc", third, error));
        EXPECT_NE(error.find(folder), std::string::npos) << error;
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadWholeFile(folder + "/p.icc", 1000)->size(), 300u);
    EXPECT_EQ(ReadWholeFile(folder + "/p.icc.previous", 1000)->size(), 200u);
    ASSERT_TRUE(WriteFileAtomically(dir.File("plain"), "x"));
    EXPECT_FALSE(StoreProfile(dir.File("plain"), "p.icc", third, error));
}

std::string ProfileDescribing(const char* description) {
    IccProfile profile(cmsCreate_sRGBProfile());
    cmsSetDeviceClass(profile.Handle(), cmsSigInputClass);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description);
    cmsWriteTag(profile.Handle(), cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    const std::vector<std::uint8_t> bytes = profile.Bytes();
    return {bytes.begin(), bytes.end()};
}

// The front of scanner "Q71@\t" (Q71%40%09) is read through a file whose description names it, under the escaped
// name or, when that has none, under the old one (Q71__'s); what setting a stale one aside moves.
TEST(ProfileFiles, AStoredProfileIsUsedOnlyWhenItsDescriptionNamesTheSerialAndSide) {
    const struct {
        const char* current;  // description of the file under the escaped name, null: none
        const char* old;      // and under the old name
        int found;            // 0 none, 1 the current, 2 the old
    } cases[] = {
        {"Zelmar Q71 Q71@\t front, 2026-05-01, reference R1", "Zelmar Q71 Q71@\t front", 1},
        {nullptr, "Zelmar Q71 Q71@\t front, 2026-05-01", 2},
        {nullptr, "Zelmar Q71 Q71__ front, 2026-05-01", 0},        // the other scanner's own
        {"Zelmar Q71 Q71__ front", "Zelmar Q71 Q71@\t front", 0},  // never passed over
        {"Zelmar Q71 Q71@\t rear", nullptr, 0},
        {"Zelmar Q71 Q71@\t front2026", nullptr, 0},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string files[] = {"", dir.File(ProfileFileName("Q71@\t", "front")),
                                     dir.File(OldProfileFileName("Q71@\t", "front"))};
        if (c.current) WriteFileAtomically(files[1], ProfileDescribing(c.current));
        if (c.old) WriteFileAtomically(files[2], ProfileDescribing(c.old));
        std::string refusal, moved, error;
        EXPECT_EQ(FindScannerProfile(dir.Path(), "Q71@\t", "front", &refusal).value_or(""), files[c.found]) << refusal;
        EXPECT_EQ(FindProfile(dir.Path(), ProfileFileName("Q71@\t", "front")).value_or(""), files[c.found]);
        ASSERT_TRUE(SetProfileAside(dir.Path(), "Q71@\t", "front", moved, error)) << error;
        EXPECT_FALSE(FindScannerProfile(dir.Path(), "Q71@\t", "front"));
        EXPECT_EQ(test::FileExists(files[2]), c.old && !c.current && c.found == 0) << moved;
    }
    EXPECT_FALSE(FindScannerProfile("/", "", "front"));  // without a serial, any scanner's
}

TEST(ToneShaper, NoisyOrRepeatedStepsNeverMakeItFallAndItReachesOneAtFullScale) {
    const std::vector<std::vector<std::pair<double, double>>> wedges = {
        {{20, 0.02}, {60, 0.1}, {120, 0.3}, {200, 0.7}, {230, 0.9}},
        {{20, 0.02}, {60, 0.1}, {61, 0.09}, {120, 0.3}, {119.9, 0.31}, {230, 0.9}},  // noise against the order
        {{230, 0.9}, {20, 0.02}, {120, 0.3}},                                         // any order
    };
    for (const auto& wedge : wedges) {
        ToneShaper shaper;
        ASSERT_TRUE(shaper.Fit(wedge));
        const std::vector<unsigned short> table = shaper.Table(1024);
        for (std::size_t i = 1; i < table.size(); ++i) ASSERT_GE(table[i], table[i - 1]) << i;
        EXPECT_EQ(table.back(), 65535);
        EXPECT_DOUBLE_EQ(shaper.Linear(255.0), 1.0);
        // Through a step the curve holds the step's share of the full-scale value.
        EXPECT_NEAR(shaper.Linear(120.0) / shaper.Linear(230.0), 0.3 / 0.9, 0.02);
    }
    ToneShaper flat;
    EXPECT_FALSE(flat.Fit({{128, 0.2}, {128.1, 0.5}}));
}

TEST(MatrixFit, RecoversAKnownMatrixAndKeepsTheWhiteExactlyUnderNoise) {
    const Matrix3 truth{{{0.45, 0.35, 0.16}, {0.22, 0.72, 0.06}, {0.02, 0.12, 0.68}}};
    MatrixFitInput input;
    unsigned seed = 5;
    auto jitter = [&seed] { seed = seed * 1103515245u + 12345u; return ((seed >> 16) % 1000) / 1000.0 - 0.5; };
    for (int i = 0; i < 60; ++i) {
        const Vector3 d{(i % 5) / 4.0, (i / 5 % 4) / 3.0, (i / 20) / 2.0};
        Vector3 t{};
        for (int r = 0; r < 3; ++r) t[r] = truth[r][0] * d[0] + truth[r][1] * d[1] + truth[r][2] * d[2] + 0.01 * jitter();
        input.linear.push_back(d);
        input.target.push_back(t);
    }
    input.whiteLinear = {1.0, 1.0, 1.0};
    input.whiteTarget = {0.9642, 1.0, 0.8249};
    const std::optional<Matrix3> m = FitMatrixKeepingWhite(input);
    ASSERT_TRUE(m);
    for (int r = 0; r < 3; ++r) {
        EXPECT_NEAR((*m)[r][0] + (*m)[r][1] + (*m)[r][2], input.whiteTarget[r], 1e-12);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR((*m)[r][c], truth[r][c], 0.01);
    }
    input.linear.assign(60, {0.5, 0.5, 0.5});  // one colour only: no matrix follows
    EXPECT_FALSE(FitMatrixKeepingWhite(input));
}

}  // namespace
}  // namespace calvix

namespace calvix {
namespace {

// The patch mean in fractions of a level, on a 4 x 3 picture whose pixel (x, y) has red 10x + y,
// green 100 and blue 0: inside, across the border (outside counts white), and through a mapping
// of its own for each channel.
TEST(MeanColourAround, ExactInsideWhiteBeyondTheBorderAndThroughTheDeliveredValues) {
    ScanBitmap image(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = image.Row(y) + 3 * x;
            p[0] = 0, p[1] = 100, p[2] = static_cast<std::uint8_t>(10 * x + y);
        }
    const struct {
        PatchCentre cell;
        bool scaled;
        std::array<double, 3> mean;
    } cases[] = {
        {{{1, 1}, 0}, false, {11.0, 100.0, 0.0}},
        {{{1, 1}, 1}, false, {11.0, 100.0, 0.0}},  // the 3 x 3 around it, all inside
        {{{0, 0}, 1}, false, {(0 + 1 + 10 + 11 + 5 * 255) / 9.0, (4 * 100 + 5 * 255) / 9.0, 5 * 255 / 9.0}},
        {{{2, 1}, 0}, true, {21.0, 200.0, 0.0}},
    };
    for (const auto& c : cases) {
        const DeliveredValue scaled = [](int channel, int v) { return (channel + 1.0) * v; };
        const std::array<double, 3> m = MeanColourAround(image, c.cell, c.scaled ? scaled : DeliveredValue{});
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(m[k], c.mean[k], 1e-9) << c.cell.centre.x << "," << c.cell.radius;
    }
}

}  // namespace
}  // namespace calvix
