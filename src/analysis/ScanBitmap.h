// ScanBitmap: the in-memory 24-bit raster that the analysis reads (blue, green, red per pixel,
// row 0 at the top), and the packed colour view (red in the lowest byte) used by sampling.
#pragma once

#include "analysis/ImageMemory.h"

#include <cstddef>
#include <cstdint>

namespace calvix {

using PackedColour = std::uint32_t;

constexpr PackedColour MakeColour(int r, int g, int b) {
    return static_cast<PackedColour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(PackedColour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(PackedColour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(PackedColour c) { return static_cast<int>((c >> 16) & 0xFF); }

class ScanBitmap {
public:
    // Largest side accepted anywhere; keeps every size computation far from overflow.
    static constexpr int MaxSide = 65535;

    ScanBitmap() = default;
    // A black image; throws std::invalid_argument for a side outside 1..MaxSide.
    ScanBitmap(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    std::size_t Stride() const { return static_cast<std::size_t>(width_) * 3; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Bytes of row y (0 <= y < Height()); pixel x starts at byte 3*x, in blue, green, red order.
    std::uint8_t* Row(int y) { return data_.data() + static_cast<std::size_t>(y) * Stride(); }
    const std::uint8_t* Row(int y) const { return data_.data() + static_cast<std::size_t>(y) * Stride(); }

    // Packed view of one pixel; the caller guarantees Contains(x, y).
    PackedColour Pixel(int x, int y) const {
        const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        return MakeColour(p[2], p[1], p[0]);
    }
    void SetPixel(int x, int y, PackedColour c) {
        std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        p[0] = static_cast<std::uint8_t>(BlueOf(c));
        p[1] = static_cast<std::uint8_t>(GreenOf(c));
        p[2] = static_cast<std::uint8_t>(RedOf(c));
    }

    std::uint8_t* Data() { return data_.data(); }
    const std::uint8_t* Data() const { return data_.data(); }
    std::size_t SizeBytes() const { return data_.size(); }

    friend bool operator==(const ScanBitmap& a, const ScanBitmap& b) {
        return a.width_ == b.width_ && a.height_ == b.height_ && a.data_ == b.data_;
    }

private:
    int width_ = 0;
    int height_ = 0;
    ImageBuffer data_;
};

}  // namespace calvix
