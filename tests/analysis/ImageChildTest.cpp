// The loading operations of an image window: decoder choice by name, information lines with
// the header dump, the top-down check box, log lines, timing, and the main window's follow-ups.

#include "analysis/ImageChild.h"

#include "BmpTestFiles.h"
#include "FakeImageHost.h"
#include "TempDir.h"
#include "analysis/BmpReader.h"
#include "app/Clock.h"
#include "app/FormStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace calvix {
namespace {

// Every reading of the clock moves it on, so an operation's own duration is known exactly,
// while the time since start-up is far larger.
class SteppingClock final : public Clock {
public:
    mutable std::int64_t now = 500000;
    std::int64_t step = 7;
    std::int64_t ElapsedMs() const override { return now += step; }
    void SleepMs(int ms) override { now += ms; }
    CivilTime LocalNow() const override { return {}; }
    CivilTime UtcNow() const override { return {}; }
};

// Stands in for the GUI's reader of other formats; may remove the file while "reading" it.
class FakeOtherFormats final : public PictureFormatLoader {
public:
    bool removeFile = false;
    int calls = 0;
    PictureResult Load(std::span<const std::uint8_t>, const std::string& path, const LoadProgressFn& progress) override {
        ++calls;
        if (removeFile) std::remove(path.c_str());
        ReportProgress(progress, LoadStage::Starting, 0, "png");
        ReportProgress(progress, LoadStage::Running, 50);
        ReportProgress(progress, LoadStage::Ending, 100);
        PictureResult r;
        r.ok = true;
        r.image = test::Pattern(4, 4);
        r.heldAsBitmap = false;
        return r;
    }
};

class ImageChildTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogWriter.ResetForTest();
        LogWriter.SetEcho(false);
        LogWriter.SetActive(true);
    }

    std::string WriteBmp(const std::string& name, bool topDown = false) {
        test::BmpBuilder b;
        b.width = 3;
        b.height = topDown ? -2 : 2;
        b.rows = test::Rows24(test::Pattern(3, 2), topDown);
        const std::string path = dir.File(name);
        test::WriteBytes(path, b.Build());
        return path;
    }

    // A whole log line, behind the log's line prefix.
    bool Logged(const std::string& line) const {
        const auto& buffer = LogWriter.Buffer();
        return std::find(buffer.begin(), buffer.end(), " > " + line) != buffer.end();
    }
    bool LoggedContaining(const std::string& part) const {
        const auto& buffer = LogWriter.Buffer();
        return std::any_of(buffer.begin(), buffer.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    test::TempDir dir;
    test::FakeImageHost host;
    SteppingClock clock;
    FakeOtherFormats others;
    ImageServices services{host, clock, &others};
    TChildImage window{services};
};

TEST_F(ImageChildTest, LowerCaseBmpGetsInformationLinesAndHeaderDump) {
    const std::string path = WriteBmp("chart.bmp");
    ASSERT_EQ(window.LoadChildImage(path), 0);
    const std::vector<std::string>& lines = window.infoLines;
    ASSERT_GE(lines.size(), 19u);
    EXPECT_EQ(lines[0], "Filename: chart.bmp");
    EXPECT_EQ(lines[1], "Image size: 3pix * 2pix");
    EXPECT_EQ(lines[2], "Imagetype: Bitmap");
    EXPECT_EQ(lines[3].substr(0, 20), "\r\nBITMAPFILEHEADER\r\n");
    EXPECT_EQ(lines[4], "BITMAPINFOHEADER");
    EXPECT_EQ(lines[5], "\t.biSize = 40");
    EXPECT_EQ(lines[lines.size() - 3], "");
    EXPECT_EQ(lines[lines.size() - 2], "BM Height positiv! (2)");
    EXPECT_EQ(lines.back(), "Image loaded in 7ms");  // its own duration, not time since start
    EXPECT_EQ(window.loadTimeMs, 7);
    EXPECT_EQ(window.caption, path);
    EXPECT_EQ(window.filePath, path);
    EXPECT_EQ(window.image, test::Pattern(3, 2));
    EXPECT_FALSE(window.topDown);
    EXPECT_FALSE(host.topDownChecked);
    EXPECT_EQ(host.panels[2], "2");
    EXPECT_EQ(host.panels[3], "3");
    EXPECT_TRUE(host.imageOpen);
    EXPECT_TRUE(host.closeEnabled);
    EXPECT_EQ(host.info, lines);
    EXPECT_EQ(host.zoomRedraws, 1);
    EXPECT_EQ(host.overviewDraws, 1);
    ASSERT_TRUE(window.overview.has_value());
    EXPECT_EQ(window.overview->Width(), 20);
    EXPECT_TRUE(window.ready);
}

TEST_F(ImageChildTest, LogsTraceLoadingAndTimingLines) {
    const std::string path = WriteBmp("chart.bmp");
    ASSERT_EQ(window.LoadChildImage(path), 0);
    EXPECT_TRUE(LoggedContaining("DBG: call to 'ChildImage.LoadChildImage()'  ( file ImageChild, line "));
    EXPECT_TRUE(Logged("STA: loading file: " + path));
    EXPECT_TRUE(Logged("STA: Image height: 2pix"));
    EXPECT_TRUE(Logged("STA: Image width: 3pix"));
    EXPECT_TRUE(Logged("STA: Image loaded in 7ms"));
    // The BMP reader's progress, percent sign printed literally.
    EXPECT_TRUE(Logged("STA: \tStage: Starting 0%"));
    EXPECT_TRUE(Logged("STA: \tMessage: BMP 3 x 2, 24 bits per pixel"));
    EXPECT_TRUE(Logged("STA: \tStage: Ending 100%"));
    EXPECT_TRUE(Logged("STA: \tMessage: "));
}

TEST_F(ImageChildTest, OtherFormatsReportProgressThroughTheLog) {
    const std::string path = dir.File("picture.png");
    test::WriteFileText(path, "not a bmp");
    ASSERT_EQ(window.LoadChildImage(path), 0);
    EXPECT_EQ(others.calls, 1);
    EXPECT_EQ(window.infoLines[2], "Imagetype: Graphic");
    EXPECT_TRUE(Logged("STA: \tStage: Starting 0%"));
    EXPECT_TRUE(Logged("STA: \tMessage: png"));
    EXPECT_TRUE(Logged("STA: \tDone 50%"));
    EXPECT_TRUE(Logged("STA: \tStage: Ending 100%"));
}

TEST_F(ImageChildTest, TopDownBmpChecksTheBoxAndAScanUnchecksIt) {
    ASSERT_EQ(window.LoadChildImage(WriteBmp("top.bmp", true)), 0);
    EXPECT_TRUE(host.topDownChecked);
    EXPECT_TRUE(window.topDown);
    EXPECT_EQ(window.image, test::Pattern(3, 2));
    EXPECT_EQ(window.infoLines[window.infoLines.size() - 2], "BM Height positiv! (2)");

    TChildImage scan(services);
    scan.ScanChildImage(dir.File("Scan_1_1.bmp"), test::Pattern(5, 5));
    EXPECT_FALSE(host.topDownChecked);
    EXPECT_FALSE(scan.topDown);
}

TEST_F(ImageChildTest, UpperCaseBmpExtensionGetsNoHeaderDump) {
    ASSERT_EQ(window.LoadChildImage(WriteBmp("chart.BMP")), 0);
    ASSERT_EQ(window.infoLines.size(), 4u);
    EXPECT_EQ(window.infoLines[3], "Image loaded in 7ms");
}

TEST_F(ImageChildTest, NamesWithJpgOrJpegAnywhereGoThroughTheJpegDecoder) {
    const std::vector<std::uint8_t> jpeg = test::EncodeJpeg(test::Pattern(16, 8), test::JpegKind::Colour);
    for (const char* name : {"scan.jpeg", "SCAN.JPG", "scan.Jpg"}) {
        test::WriteBytes(dir.File(name), jpeg);
        TChildImage w(services);
        ASSERT_EQ(w.LoadChildImage(dir.File(name)), 0) << name;
        EXPECT_EQ(w.image.Width(), 16);
        EXPECT_EQ(w.infoLines[2], "Imagetype: Bitmap");
        EXPECT_EQ(w.infoLines.size(), 4u);
    }
    // A BMP inside a folder named like a JPEG goes to the JPEG decoder too, which refuses it.
    ASSERT_EQ(::mkdir(dir.File("photos.jpg").c_str(), 0755), 0);
    const std::string path = WriteBmp("photos.jpg/chart.bmp");
    TChildImage w(services);
    EXPECT_EQ(w.LoadChildImage(path), LoadDecodeFailed);
    EXPECT_NE(w.infoLines.back().find("JPEG"), std::string::npos);
    EXPECT_TRUE(w.image.Empty());
}

TEST_F(ImageChildTest, JpegDataUnderAnotherNameIsAGraphic) {
    test::WriteBytes(dir.File("photo.img"), test::EncodeJpeg(test::Pattern(8, 8), test::JpegKind::Grey));
    ASSERT_EQ(window.LoadChildImage(dir.File("photo.img")), 0);
    EXPECT_EQ(window.infoLines[2], "Imagetype: Graphic");
    EXPECT_EQ(others.calls, 0);
}

TEST_F(ImageChildTest, BmpThatCannotBeReopenedForItsDumpEndsWithMinusOne) {
    const std::string path = dir.File("gone.bmp");
    test::WriteFileText(path, "PNG-like data");
    others.removeFile = true;
    EXPECT_EQ(window.LoadChildImage(path), LoadHeaderDumpFailed);
    EXPECT_EQ(window.infoLines.size(), 3u);  // the first lines only
    EXPECT_EQ(window.image.Width(), 4);      // the picture itself was loaded
    EXPECT_TRUE(window.caption.empty());
    EXPECT_FALSE(LoggedContaining("STA: Image loaded in"));
    EXPECT_EQ(host.overviewDraws, 0);
}

TEST_F(ImageChildTest, UndecodableFileLeavesTheWindowEmptyWithAReason) {
    const std::string path = dir.File("broken.bmp");
    test::WriteFileText(path, "BM this is not a bitmap");
    EXPECT_EQ(window.LoadChildImage(path), LoadDecodeFailed);
    EXPECT_TRUE(window.image.Empty());
    EXPECT_FALSE(window.ready);
    EXPECT_FALSE(host.imageOpen);
    ASSERT_EQ(host.info.size(), 2u);
    EXPECT_EQ(host.info[0], "Filename: broken.bmp");
    EXPECT_TRUE(LoggedContaining("ERR: error 'cannot load image '" + path));
    EXPECT_EQ(window.LoadChildImage(dir.File("missing.bmp")), LoadDecodeFailed);
}

TEST_F(ImageChildTest, ScanWindowCaptionLinesAndLog) {
    const ScanBitmap scan = test::Pattern(6, 4);
    for (bool front : {true, false}) {
        TChildImage w(services);
        w.isFront = front;
        w.ScanChildImage(dir.File("Scan_123_1.bmp"), scan);
        EXPECT_EQ(w.caption, front ? "IT8 Front Image" : "IT8 Rear Image");
        EXPECT_EQ(w.image, scan);
        const std::vector<std::string> expected = {"Filename: Scan_123_1.bmp", "Image size: 6pix * 4pix",
                                                   "Imagetype: Bitmap", "Image loaded in 7ms"};
        EXPECT_EQ(w.infoLines, expected);
        EXPECT_EQ(host.info, expected);
    }
    EXPECT_TRUE(Logged("INF: Scanned image filename: " + dir.File("Scan_123_1.bmp") + "  "));
    EXPECT_TRUE(LoggedContaining("DBG: call to 'ChildImage.ScanChildImage()'  ( file ImageChild, line "));
    EXPECT_EQ(host.panels[2], "4");
    EXPECT_EQ(host.panels[3], "6");
}

TEST_F(ImageChildTest, HelperWindowSavesItsImage) {
    const ScanBitmap helper = test::Pattern(7, 3);
    const std::string path = dir.File("Help_front.bmp");
    ASSERT_TRUE(window.HelpChildImage(path, helper));
    EXPECT_EQ(window.caption, "Helper Image");
    EXPECT_TRUE(Logged("STA: Helper image filename: " + path));
    EXPECT_TRUE(LoggedContaining("DBG: call to 'ChildImageHelpChildImage()'  ( file ImageChild, line "));
    const PictureResult saved = LoadBmpFile(path);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.image, helper);

    TChildImage failing(services);
    EXPECT_FALSE(failing.HelpChildImage(dir.File("no/such/folder/Help_rear.bmp"), helper));
    EXPECT_TRUE(LoggedContaining("ERR: error 'cannot save image: "));
}

}  // namespace
}  // namespace calvix
