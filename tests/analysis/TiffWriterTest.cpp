// Archival TIFF files read back through libtiff: every compression with and without a profile
// gives the bitmap's pixels, 400 ppi and the profile's exact bytes; a failed write leaves nothing.
#include "analysis/TiffWriter.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>

namespace calvix::test {
namespace {

TEST(TiffWriter, ReadsBackAsTheBitmapWithItsResolutionAndProfile) {
    // Several strips, and rows whose bytes differ in every channel.
    ScanBitmap image(97, 701);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) image.SetPixel(x, y, MakeColour(x * 7 + y, y * 3, x ^ y));
    std::vector<std::uint8_t> profile(611);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 13 + 5);
    TempDir dir;
    for (const auto compression : {TiffCompression::None, TiffCompression::Lzw})
        for (const bool withProfile : {false, true}) {
            const std::string path = dir.File("scan.tif");
            SCOPED_TRACE(std::to_string(compression == TiffCompression::Lzw) + std::to_string(withProfile));
            const std::vector<std::uint8_t> embedded = withProfile ? profile : std::vector<std::uint8_t>{};
            std::string error;
            ASSERT_TRUE(SaveTiffFile(image, path, {compression, 400, embedded}, error)) << error;
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
            TIFF* tif = TIFFOpen(path.c_str(), "r");
            ASSERT_NE(tif, nullptr);
            std::uint32_t width = 0, height = 0, iccSize = 0;
            std::uint16_t samples = 0, bits = 0, photometric = 0, planar = 0, codec = 0, unit = 0;
            float xres = 0, yres = 0;
            void* icc = nullptr;
            TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width), TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
            TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples), TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
            TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric), TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar);
            TIFFGetField(tif, TIFFTAG_COMPRESSION, &codec), TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
            TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres), TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
            EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc), withProfile ? 1 : 0);
            const auto* iccBytes = static_cast<const std::uint8_t*>(icc);
            EXPECT_EQ(std::vector<std::uint8_t>(iccBytes, iccBytes + (withProfile ? iccSize : 0)), embedded);
            EXPECT_EQ(std::make_tuple(width, height, samples, bits, photometric, planar, unit),
                      std::make_tuple(97u, 701u, 3, 8, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, RESUNIT_INCH));
            EXPECT_EQ(codec, compression == TiffCompression::Lzw ? COMPRESSION_LZW : COMPRESSION_NONE);
            EXPECT_EQ(xres, 400.0f);
            EXPECT_EQ(yres, 400.0f);
            std::vector<std::uint8_t> row(TIFFScanlineSize(tif));
            ASSERT_EQ(row.size(), image.Stride());
            // LZW strips read only in order, so every row is read and compared.
            for (int y = 0; y < image.Height(); ++y) {
                ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
                for (int x = 0; x < image.Width(); ++x)
                    ASSERT_EQ(MakeColour(row[3 * x], row[3 * x + 1], row[3 * x + 2]), image.Pixel(x, y)) << x << "," << y;
            }
            TIFFClose(tif);
        }
}

TEST(TiffWriter, AFailedWriteNamesThePathAndLeavesNothingBehind) {
    TempDir dir;
    std::string error;
    const std::string missing = dir.File("none/scan.tif");
    EXPECT_FALSE(SaveTiffFile(ScanBitmap(4, 4), missing, {}, error));
    EXPECT_NE(error.find("cannot create '" + missing + "': No such file or directory"), std::string::npos) << error;
    std::filesystem::create_directory(dir.File("folder.tif"));
    EXPECT_FALSE(SaveTiffFile(ScanBitmap(4, 4), dir.File("folder.tif"), {}, error));
    EXPECT_NE(error.find("will not replace '" + dir.File("folder.tif") + "'"), std::string::npos) << error;
    EXPECT_FALSE(SaveTiffFile(ScanBitmap(), dir.File("empty.tif"), {}, error));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("folder.tif")));
}

}  // namespace
}  // namespace calvix::test
