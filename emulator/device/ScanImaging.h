// How the emulated Q71 turns a face of a sheet into the image it sends: the side's sensor
// response renders the face into 10-bit raw values, the side's stored LUT (or raw / 4 when it
// is bypassed or none is stored) makes 8 bits of them, and the bitmap travels as the rows of a
// native transfer in ImageHeader and ImageData frames.
#pragma once

#include "ChartRenderer.h"
#include "DeviceState.h"
#include "Feeder.h"
#include "OpticsTruth.h"
#include "ScanWire.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace calvix::device {

using ChannelTables = std::array<ChannelTable, 3>;

// Where the tables of each side sit in the stored record: red, green, blue.
inline constexpr std::size_t kLutTableOffset[2][3] = {{83, 1107, 2131}, {3155, 4179, 5203}};

// Mild responses, different per side, as two sensors of one scanner differ.
ToneResponse DefaultResponse(Side side);

// "gain,offset,gamma" for all three channels, or three such groups for red/green/blue
// separated by '/'. Gain 0..4, offset -1..1, gamma 0.1..10.
bool ParseToneResponse(std::string_view text, ToneResponse* response);

// The tables of the stored record for a side; false when no record is stored or the record
// holds only the front and the rear is asked for.
bool StoredTables(const DeviceState& state, Side side, ChannelTables* tables);

struct FaceRender {
    const ToneResponse* response = nullptr;
    const ChannelTables* tables = nullptr;  // none: raw / 4
    double noiseSigma = 0.0;
    Optics optics;  // the side's optics, all off by default
    std::uint32_t seed = 1;
    int pageWidth = RenderOptions{}.pageWidth;  // the A5 page at 400 dpi
    int pageHeight = RenderOptions{}.pageHeight;
};

// The page as the sensor sees the face; with truth, what the render put into it.
ScanBitmap RenderFace(const Face& face, const FaceRender& render, RenderTruth* truth = nullptr);

// Appends the ImageHeader frame and the ImageData frames of an image (8, 24 or 32 bits).
void AppendImageFrames(const ScanBitmap& image, std::uint8_t face, wire::ImageDisposition disposition,
                       std::uint16_t bitCount, std::uint16_t dpi, std::string* out);

// Bytes AppendImageFrames adds for an image of this size.
std::uint64_t FramedImageBytes(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount);

}  // namespace calvix::device
