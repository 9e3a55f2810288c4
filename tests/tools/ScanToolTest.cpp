// q71-scan's run against the in-test TWAIN manager: every failure path ends with its own exit
// status and a message that names what to check; a good sheet becomes the chosen side's BMP.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "FakeClock.h"
#include "FakeTwainManager.h"
#include "ScanTool.h"
#include "TempDir.h"
#include "analysis/BmpReader.h"
#include "scanner/Twain.h"

namespace calvix::test {
namespace {

using namespace twain;

// What a FILE* stream received.
class Captured {
public:
    Captured() : file_(open_memstream(&data_, &size_)) {}
    ~Captured() {
        std::fclose(file_);
        std::free(data_);
    }
    std::FILE* File() { return file_; }
    std::string Text() {
        std::fflush(file_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

TEST(ScanTool, EveryFailureHasItsStatusAndSaysWhatToCheck) {
    TempDir dir;
    struct Case {
        const char* name;
        std::function<void(FakeTwainManager&, scan::ScanOptions&)> setUp;
        int status;
        const char* message;
    } cases[] = {
        {"no manager library", [](FakeTwainManager& m, scan::ScanOptions&) { m.loadable = false; }, scan::ExitNoManager,
         "cannot load the TWAIN source manager"},
        {"manager refuses", [](FakeTwainManager& m, scan::ScanOptions&) { m.openDsmResult = TWRC_FAILURE; },
         scan::ExitNoManager, "refused to open"},
        {"source does not open", [](FakeTwainManager& m, scan::ScanOptions&) { m.openDsResult = TWRC_FAILURE; },
         scan::ExitNoSource, "\"Zelmar Q71 Ethernet\" cannot be opened"},
        {"capabilities refused", [](FakeTwainManager& m, scan::ScanOptions&) { m.getResult[0x8154] = TWRC_FAILURE; },
         scan::ExitNoSource, "capabilities failed (code 0x0001)"},
        {"no paper", [](FakeTwainManager& m, scan::ScanOptions&) { m.SetNumber(CAP_FEEDERLOADED, TWTY_BOOL, 0); },
         scan::ExitNothingToScan, "no paper in the feeder"},
        {"rear of a simplex scanner",
         [](FakeTwainManager& m, scan::ScanOptions& o) {
             m.FillSource(false);
             o.side = "rear";
         },
         scan::ExitNothingToScan, "no rear side"},
        {"transfer failed", [](FakeTwainManager& m, scan::ScanOptions&) { m.transfers.clear(); }, scan::ExitTransfer,
         "no front image arrived"},
        {"8-bit image", [](FakeTwainManager& m, scan::ScanOptions&) { m.transfers.front().dib = MakeDib(3, 3, 8, 0); },
         scan::ExitBadImage, "delivered a 8-bit image"},
        {"lying header", [](FakeTwainManager& m, scan::ScanOptions&) { m.transfers.front().dib.resize(60); },
         scan::ExitBadImage, "pixel rows run past the block"},
        {"unwritable output", [&dir](FakeTwainManager&, scan::ScanOptions& o) { o.output = dir.File("none/x.bmp"); },
         scan::ExitOutput, "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.events = {MSG_XFERREADY};
        fake.transfers = {{TWRC_XFERDONE, MakeDib(4, 3, 24, 0xF0)}, {TWRC_XFERDONE, MakeDib(4, 3, 24, 0x0E)}};
        scan::ScanOptions options;
        options.output = dir.File("out.bmp");
        c.setUp(fake, options);
        FakeClock clock;
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        Captured out, err;
        EXPECT_EQ(scan::RunScan(options, module, dir.Path(), out.File(), err.File()), c.status);
        EXPECT_NE(err.Text().find(c.message), std::string::npos) << err.Text();
        EXPECT_FALSE(test::FileExists(options.output));
        // Whatever failed, nothing is left open behind the tool.
        EXPECT_FALSE(module.ManagerOpen() || module.SourceOpen());
    }
}

TEST(ScanTool, WritesTheChosenSideAndListsWhatTheSourceReported) {
    TempDir dir;
    for (const char* side : {"front", "rear"}) {
        SCOPED_TRACE(side);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.events = {MSG_XFERREADY};
        fake.transfers = {{TWRC_XFERDONE, MakeDib(4, 3, 24, 0xF0)}, {TWRC_XFERDONE, MakeDib(4, 3, 24, 0x0E)}};
        scan::ScanOptions options;
        options.side = side;
        options.output = dir.File(std::string(side) + ".bmp");
        FakeClock clock;
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        Captured out, err;
        ASSERT_EQ(scan::RunScan(options, module, dir.Path(), out.File(), err.File()), scan::ExitScanned) << err.Text();
        const PictureResult written = LoadBmpFile(options.output);
        ASSERT_TRUE(written.ok);
        EXPECT_EQ(written.image.Pixel(0, 0), MakeColour(side[0] == 'f' ? 0xF0 : 0x0E, 0, 0));
        const std::string text = out.Text();
        EXPECT_EQ(text.find("    26  "), std::string::npos);
        for (const char* piece :
             {"serial            Q71-4711", "duplex            yes (one pass)",
              "\n     1  0x1010 CAP_AUTOSCAN       BOOL    320\n", " 2  0x1118 ICAP_XRESOLUTION   FIX32   65.00",
              " 4  0x812C custom             STR64   \"own page\"", "25  0x810E custom             BOOL    344",
              "feeder              paper present"})
            EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
    }
}

TEST(ScanTool, CommandLineTakesOnlyTheTwoSides) {
    struct Case {
        std::vector<std::string> args;
        int result;
        const char* side;
    } cases[] = {
        {{"q71-scan"}, -1, "front"},
        {{"q71-scan", "--side", "rear", "-o", "x.bmp"}, -1, "rear"},
        {{"q71-scan", "--side", "back"}, scan::ExitUsage, "front"},
        {{"q71-scan", "extra"}, scan::ExitUsage, "front"},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv;
        std::vector<std::string> args = c.args;
        for (std::string& a : args) argv.push_back(a.data());
        scan::ScanOptions options;
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(scan::ParseScanOptions(static_cast<int>(argv.size()), argv.data(), options), c.result);
        ::testing::internal::GetCapturedStderr();
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(options.side, c.side);
    }
}

}  // namespace
}  // namespace calvix::test
