// Archival TIFF files read back through libtiff: every compression with and without a profile
// gives the bitmap's pixels, 400 ppi and the profile's exact bytes; a failed write leaves nothing.
#include "analysis/TiffWriter.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

namespace calvix::test {
namespace {

TEST(TiffWriter, ReadsBackAsTheBitmapWithItsResolutionAndProfile) {
    // Several strips, and rows whose bytes differ in every channel.
    ScanBitmap image(97, 701);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) image.SetPixel(x, y, MakeColour(x * 7 + y, y * 3, x ^ y));
    std::vector<std::uint8_t> profile(611);
    std::iota(profile.begin(), profile.end(), std::uint8_t{7});
    TempDir dir;
    for (const auto& [compression, codec] :
         {std::pair{TiffCompression::None, COMPRESSION_NONE}, {TiffCompression::Lzw, COMPRESSION_LZW}})
        for (const auto& embedded : {std::vector<std::uint8_t>{}, profile}) {
            SCOPED_TRACE(std::to_string(codec) + " " + std::to_string(embedded.size()));
            std::string error;
            ASSERT_TRUE(SaveTiffFile(image, dir.File("scan.tif"), {compression, 400, embedded}, error)) << error;
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
            EXPECT_EQ(std::filesystem::status(dir.File("scan.tif")).permissions(), std::filesystem::perms(0644));
            TIFF* tif = TIFFOpen(dir.File("scan.tif").c_str(), "r");
            ASSERT_NE(tif, nullptr);
            std::uint32_t width = 0, height = 0, iccSize = 0;
            float xres = 0, yres = 0;
            TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width), TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
            TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres), TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
            EXPECT_EQ(std::make_tuple(width, height, xres, yres), std::make_tuple(97u, 701u, 400.0f, 400.0f));
            const std::pair<ttag_t, int> tags[] = {
                {TIFFTAG_SAMPLESPERPIXEL, 3},           {TIFFTAG_BITSPERSAMPLE, 8},
                {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB}, {TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG},
                {TIFFTAG_COMPRESSION, codec},           {TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH}};
            for (std::uint16_t value = 0; const auto& [tag, want] : tags)
                EXPECT_TRUE(TIFFGetField(tif, tag, &value) == 1 && value == want) << tag << ": " << value;
            const std::uint8_t* icc = nullptr;
            EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc), embedded.empty() ? 0 : 1);
            EXPECT_EQ(std::vector<std::uint8_t>(icc, icc + (embedded.empty() ? 0 : iccSize)), embedded);
            // LZW strips read only in order, so every row is read and compared, back in blue-green-red.
            std::vector<std::uint8_t> row(image.Stride() + 16);
            for (int y = 0; y < image.Height(); ++y) {
                ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
                for (std::size_t i = 0; i < image.Stride(); i += 3) std::swap(row[i], row[i + 2]);
                ASSERT_TRUE(std::equal(image.Row(y), image.Row(y) + image.Stride(), row.begin())) << y;
            }
            TIFFClose(tif);
        }
}

TEST(TiffWriter, AFailedWriteNamesThePathAndLeavesNothingBehind) {
    TempDir dir;
    std::string error;
    const std::string missing = dir.File("none/scan.tif"), folder = dir.File("folder.tif");
    EXPECT_FALSE(SaveTiffFile(ScanBitmap(4, 4), missing, {}, error));
    EXPECT_NE(error.find("cannot create '" + missing + "': No such file or directory"), std::string::npos) << error;
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(SaveTiffFile(ScanBitmap(4, 4), folder, {}, error));
    EXPECT_NE(error.find("will not replace '" + folder + "'"), std::string::npos) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    // libtiff itself would store 0 for the smallest of these.
    for (const auto& [ppi, written] :
         {std::pair{1.0, true}, {1e6, true}, {0.0, false}, {1e-10, false}, {1.01e6, false}, {NAN, false}})
        EXPECT_EQ(SaveTiffFile(ScanBitmap(4, 4), dir.File("p.tif"), {TiffCompression::None, ppi, {}}, error), written)
            << ppi;
    EXPECT_NE(error.find("the resolution is not between 1 and 1000000 pixels per inch"), std::string::npos) << error;
}

}  // namespace
}  // namespace calvix::test
