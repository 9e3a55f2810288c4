// q71-scan's run against the in-test TWAIN manager: every failure path ends with its own exit
// status and a message that names what to check; a good sheet becomes the side's BMP or TIFF.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "FakeClock.h"
#include "FakeTwainManager.h"
#include "ScanTool.h"
#include "TempDir.h"
#include "analysis/BmpReader.h"
#include "colour/IccProfile.h"
#include "profiling/ProfileFiles.h"
#include "scanner/Twain.h"

#include <lcms2.h>
#include <tiffio.h>
#include <unistd.h>

namespace calvix::test {
namespace {

using namespace twain;
using Prepare = std::function<void(FakeTwainManager&, scan::ScanOptions&)>;

struct ToolRun {
    int status = 0;
    std::string out, err;
};

ToolRun RunWith(const TempDir& dir, const Prepare& setUp, scan::ScanOptions& options) {
    FakeTwainManager fake;
    fake.FillSource(true);
    fake.events = {MSG_XFERREADY};
    fake.transfers = {{TWRC_XFERDONE, MakeDib(4, 3, 24, 0xF0)}, {TWRC_XFERDONE, MakeDib(4, 3, 24, 0x0E)}};
    setUp(fake, options);
    FakeClock clock;
    Twain module(fake.Library(), dir.Path(), clock, nullptr);
    char *out = nullptr, *err = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* outFile = open_memstream(&out, &outSize);
    std::FILE* errFile = open_memstream(&err, &errSize);
    ToolRun run;
    run.status = scan::RunScan(options, module, dir.Path(), outFile, errFile);
    std::fclose(outFile);
    std::fclose(errFile);
    run.out.assign(out, outSize);
    run.err.assign(err, errSize);
    std::free(out);
    std::free(err);
    // Whatever happened, nothing is left open behind the tool.
    EXPECT_FALSE(module.ManagerOpen() || module.SourceOpen());
    return run;
}

TEST(ScanTool, EveryFailureHasItsStatusAndSaysWhatToCheck) {
    TempDir dir;
    const std::vector<std::uint8_t> display = IccProfile(cmsCreate_sRGBProfile()).Bytes();
    WriteFileText(dir.File("display.icc"), std::string(display.begin(), display.end()));
    std::filesystem::copy_file(dir.File("display.icc"), dir.File(ProfileFileName("Q71-4711", "rear")));
    ::symlink("/dev/zero", dir.File(ProfileFileName("Q71-4711", "front")).c_str());
    const struct {
        Prepare setUp;
        int status = 0;
        std::string message;
    } cases[] = {
        {[](auto& m, auto&) { m.loadable = false; }, scan::ExitNoManager, "cannot load the TWAIN source manager"},
        {[](auto& m, auto&) {
             m.answers[{DAT_PARENT, MSG_OPENDSM}] = TWRC_FAILURE;
         },
         scan::ExitNoManager, "refused to open"},
        {[](auto& m, auto&) {
             m.answers[{DAT_IDENTITY, MSG_OPENDS}] = TWRC_FAILURE;
         },
         scan::ExitNoSource, "\"Zelmar Q71 Ethernet\" cannot be opened"},
        {[](auto& m, auto&) { m.getResult[0x8154] = TWRC_FAILURE; }, scan::ExitNoSource,
         "capabilities failed (code 0x0001)"},
        {[](auto& m, auto&) { m.SetNumber(CAP_FEEDERLOADED, TWTY_BOOL, 0); }, scan::ExitNothingToScan,
         "no paper in the feeder"},
        {[](auto& m, auto& o) { m.FillSource(false), o.side = "rear"; }, scan::ExitNothingToScan, "no rear side"},
        {[](auto& m, auto&) { m.transfers.clear(); }, scan::ExitTransfer, "no front image arrived"},
        {[](auto& m, auto&) { m.transfers.front().dib = MakeDib(3, 3, 8, 0); }, scan::ExitBadImage,
         "delivered a 8-bit image"},
        // Far shorter than its rows: the allocator's rounding of the block cannot cover them.
        {[](auto& m, auto&) {
             m.transfers.front().dib = MakeDib(64, 64, 24, 0);
             m.transfers.front().dib.resize(200);
         },
         scan::ExitBadImage, "rows run past the block"},
        {[&dir](auto&, auto& o) { o.output = dir.File("none/x.bmp"); }, scan::ExitOutput,
         "folder " + dir.File("none") + " cannot be used"},
        {[&dir](auto&, auto& o) { std::filesystem::create_directory(o.output = dir.File("taken.bmp")); },
         scan::ExitOutput, "taken.bmp: is a folder"},
        {[&dir](auto&, auto& o) { WriteFileText(dir.File("plain"), ""), o.output = dir.File("plain/x.bmp"); },
         scan::ExitOutput, "plain is not a folder"},
        {[&dir](auto&, auto& o) { o.profile = dir.File("no.icc"), o.output = dir.File("out.tif"); }, scan::ExitProfile,
         "cannot read the ICC profile " + dir.File("no.icc")},
        // A device named as the output (only ever /dev/null behind a link) stays what it is.
        {[&dir](auto&, auto& o) { ::symlink("/dev/null", (o.output = dir.File("n.bmp")).c_str()); }, scan::ExitOutput,
         "not a regular file"},
        // Profiles that must not be embedded, named or stored, each refused with what is wrong.
        {[&](auto&, auto& o) { o.profile = dir.File("display.icc"), o.output = dir.File("out.tif"); },
         scan::ExitProfile, "display.icc is a display profile (class 'mntr')"},
        {[&](auto&, auto& o) { o.side = "rear", o.iccFolder = dir.Path(), o.output = dir.File("out.tif"); },
         scan::ExitProfile, "-rear.icc describes \"sRGB"},
        {[&](auto&, auto& o) { o.iccFolder = dir.Path(), o.output = dir.File("out.tif"); }, scan::ExitProfile,
         "-front.icc: is a link to a character device, not a profile file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        scan::ScanOptions options;
        options.output = dir.File("out.bmp");
        const ToolRun run = RunWith(dir, c.setUp, options);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        // An output that cannot be written is found before the sheet is used up.
        EXPECT_TRUE(c.status != scan::ExitOutput || run.out.find("scanning") == std::string::npos) << run.out;
        EXPECT_FALSE(std::filesystem::is_regular_file(std::filesystem::symlink_status(options.output)));
    }
    char program[] = "q71-scan", flag[] = "-o", empty[] = "", *argv[] = {program, flag, empty};
    scan::ScanOptions options;
    EXPECT_EQ(scan::ParseScanOptions(3, argv, options), scan::ExitUsage);
    char bmp[] = "x.bmp", none[] = "--no-profile", *bmpArgv[] = {program, flag, bmp, none};
    EXPECT_EQ(scan::ParseScanOptions(4, bmpArgv, options), scan::ExitUsage);
}

TEST(ScanTool, WritesTheChosenSideAndListsWhatTheSourceReported) {
    TempDir dir;
    for (const char* side : {"front", "rear"}) {
        scan::ScanOptions options;
        options.side = side;
        options.output = dir.File(std::string(side) + ".bmp");
        const ToolRun run = RunWith(
            dir, [](auto&, auto&) {}, options);
        ASSERT_EQ(run.status, scan::ExitScanned) << run.err;
        const PictureResult written = LoadBmpFile(options.output);
        ASSERT_TRUE(written.ok);
        EXPECT_EQ(written.image.Pixel(0, 0), MakeColour(side[0] == 'f' ? 0xF0 : 0x0E, 0, 0));
        EXPECT_EQ(run.out.find("    26  "), std::string::npos);
        for (const char* piece :
             {"serial            Q71-4711", "duplex            yes (one pass)",
              "\n     1  0x1010 CAP_AUTOSCAN       BOOL    320\n", " 2  0x1118 ICAP_XRESOLUTION   FIX32   65.00",
              " 4  0x812C custom             STR64   \"own page\"", "25  0x810E custom             BOOL    344",
              "feeder              paper present"})
            EXPECT_NE(run.out.find(piece), std::string::npos) << piece << "\n" << run.out;
    }
}

TEST(ScanTool, ATiffCarriesTheSidesProfileTheOneNamedOrNone) {
    TempDir dir;
    const std::string own = dir.File(ProfileFileName("Q71-4711", "rear")), named = dir.File("named.icc");
    std::vector<std::uint8_t> bytes[2];  // the sRGB profile, made distinct by its rendering intent
    for (const int i : {0, 1}) {
        IccProfile srgb(cmsCreate_sRGBProfile());
        cmsSetDeviceClass(srgb.Handle(), cmsSigInputClass);
        cmsSetHeaderRenderingIntent(srgb.Handle(), i);
        cmsMLU* text = cmsMLUalloc(nullptr, 1);
        cmsMLUsetASCII(text, "en", "US", "Zelmar Q71 Q71-4711 rear");
        cmsWriteTag(srgb.Handle(), cmsSigProfileDescriptionTag, text);
        cmsMLUfree(text);
        bytes[i] = srgb.Bytes();
        WriteFileText(i == 0 ? own : named, std::string(bytes[i].begin(), bytes[i].end()));
    }
    WriteFileText(dir.File(ProfileFileName("", "rear")), std::string(bytes[0].begin(), bytes[0].end()));  // never taken
    const std::tuple<const char*, std::string, bool, std::vector<std::uint8_t>, std::string, bool> cases[] = {
        {"rear", "", false, bytes[0], own, false},
        {"front", "", false, {}, "none: no Zelmar-Q71-Q71-4711-front.icc in " + dir.Path(), false},
        {"rear", named, false, bytes[1], named, false},
        {"rear", "", true, {}, "none (--no-profile)", false},
        {"rear", "", false, {}, "none: the scanner reported no serial number", true},
        {"rear", named, false, bytes[1], named, true},
    };
    for (const auto& [side, profile, none, embedded, line, noSerial] : cases) {
        SCOPED_TRACE(line);
        scan::ScanOptions options{side, dir.File("Scan.Tiff"), false, profile, none, "none", dir.Path()};
        const ToolRun run = RunWith(
            dir, [none = noSerial](auto& m, auto&) { none ? m.values[CAP_SERIALNUMBER].bytes.assign(256, 0) : void(); },
            options);
        ASSERT_EQ(run.status, scan::ExitScanned) << run.err;
        EXPECT_NE(run.out.find("\nprofile             " + line), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(", TIFF uncompressed)\n"), std::string::npos) << run.out;
        TIFF* tif = TIFFOpen(options.output.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        std::uint32_t size = 0;
        const std::uint8_t* icc = nullptr;
        EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &icc), embedded.empty() ? 0 : 1);
        EXPECT_EQ(std::vector<std::uint8_t>(icc, icc + (icc ? size : 0)), embedded);
        TIFFClose(tif);
    }
}

}  // namespace
}  // namespace calvix::test
