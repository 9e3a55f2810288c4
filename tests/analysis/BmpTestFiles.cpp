// Test picture builders: the BMP layout written field by field, JPEG through the libjpeg encoder.

#include "BmpTestFiles.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace calvix::test {
namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> BmpBuilder::Build() const {
    std::vector<std::uint8_t> header;
    Put(header, headerSize, 4);
    if (headerSize == 12) {
        Put(header, static_cast<std::uint32_t>(width), 2);
        Put(header, static_cast<std::uint32_t>(height), 2);
        Put(header, 1, 2);
        Put(header, bits, 2);
    } else {
        Put(header, static_cast<std::uint32_t>(width), 4);
        Put(header, static_cast<std::uint32_t>(height), 4);
        Put(header, 1, 2);
        Put(header, bits, 2);
        Put(header, compression, 4);
        Put(header, 0, 4);
        Put(header, 2835, 4);
        Put(header, 2835, 4);
        Put(header, clrUsed, 4);
        Put(header, 0, 4);
        if (headerSize >= 52) {
            for (std::uint32_t m : masks) Put(header, m, 4);
        }
        while (header.size() < headerSize) header.push_back(0);
        header.resize(headerSize);
    }
    if (masksAfterHeader) {
        for (int i = 0; i < (compression == 6 ? 4 : 3); ++i) Put(header, masks[i], 4);
    }
    for (std::uint32_t c : palette) {
        Put(header, c, 3);
        if (headerSize != 12) header.push_back(0);
    }
    std::vector<std::uint8_t> out;
    const std::uint32_t offBits = 14 + static_cast<std::uint32_t>(header.size());
    out.push_back('B');
    out.push_back('M');
    Put(out, 0, 4);  // size, patched below
    Put(out, 0, 4);
    Put(out, offBits, 4);
    out.insert(out.end(), header.begin(), header.end());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out.insert(out.end(), rows[r].begin(), rows[r].end());
        if (padLastRow || r + 1 < rows.size()) {
            for (std::size_t n = rows[r].size(); n % 4 != 0; ++n) out.push_back(0);
        }
    }
    const std::uint32_t size = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[2 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return out;
}

std::vector<std::vector<std::uint8_t>> Rows24(const ScanBitmap& image, bool topDown) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int i = 0; i < image.Height(); ++i) {
        const int y = topDown ? i : image.Height() - 1 - i;
        rows.emplace_back(image.Row(y), image.Row(y) + image.Stride());
    }
    return rows;
}

ScanBitmap Pattern(int width, int height, int seed) {
    ScanBitmap image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetPixel(x, y, MakeColour(17 * x + 3 * y + seed, 29 * y + x + 7 * seed, 53 * (x + y) + 11 + seed));
        }
    }
    return image;
}

std::vector<std::uint8_t> EncodeJpeg(const ScanBitmap& image, JpegKind kind, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.Width());
    info.image_height = static_cast<JDIMENSION>(image.Height());
    const int components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Cmyk ? 4 : 3;
    info.input_components = components;
    info.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (kind == JpegKind::Progressive) jpeg_simple_progression(&info);
    if (kind == JpegKind::Cmyk) info.write_Adobe_marker = TRUE;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.Width()) * components);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* src = image.Row(static_cast<int>(info.next_scanline));
        for (int x = 0; x < image.Width(); ++x) {
            const int b = src[3 * x], g = src[3 * x + 1], r = src[3 * x + 2];
            if (kind == JpegKind::Grey) {
                row[x] = static_cast<JSAMPLE>((r + g + b) / 3);
            } else if (kind == JpegKind::Cmyk) {
                // Adobe's inverted CMYK with K = 255 (no black): the stored values are R, G, B.
                row[4 * x] = static_cast<JSAMPLE>(r);
                row[4 * x + 1] = static_cast<JSAMPLE>(g);
                row[4 * x + 2] = static_cast<JSAMPLE>(b);
                row[4 * x + 3] = 255;
            } else {
                row[3 * x] = static_cast<JSAMPLE>(r);
                row[3 * x + 1] = static_cast<JSAMPLE>(g);
                row[3 * x + 2] = static_cast<JSAMPLE>(b);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

}  // namespace calvix::test
