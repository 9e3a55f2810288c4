// Chart renderer: maps every page pixel back into the target's box (inverse bilinear map, so
// shifts, rotations and distorted boxes share one path), classifies it as page, card, line or
// patch, and converts that region's colour through the tone response, noise and tables.
#include "ChartRenderer.h"

#include "BoxMap.h"
#include "OpticalPath.h"
#include "SensorNoise.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace calvix {

namespace {

using chart::BoxFrame;
using chart::BoxMap;
using chart::FrameAt;
using chart::RasterColumnCount;
using chart::RasterRowCount;
using chart::Vec;
// Patches sit inside their cells with a card-coloured gap, so that every probe finds card
// right behind the box line and the raster lines drawn on cell borders miss the samples.
constexpr double PatchInset = 8.0;

enum Region : int { PageRegion = 0, SurroundRegion = 1, LineRegion = 2, FirstPatchRegion = 3 };
constexpr int FirstGreyRegion = FirstPatchRegion + ChartPatchRows * ChartPatchColumns;
constexpr int RegionCount = FirstGreyRegion + ChartGreyCount;

bool InLine(double distance, double half) { return distance >= -half && distance < half; }

// Inlined into the per-pixel loops, as the one function it was before the optics needed its parts.
[[gnu::always_inline]] inline int ClassifyIn(const BoxFrame& frame, double u, double v, double halfLine, double margin);

[[gnu::always_inline]] inline int Classify(const BoxMap& box, Vec p, double halfLine, double margin) {
    double u = 0.0;
    double v = 0.0;
    if (!box.Inverse(p, u, v)) return PageRegion;
    return ClassifyIn(FrameAt(box, u, v), u, v, halfLine, margin);
}

// The region of a point by its place (u, v) in the box; a parallelogram has one frame for all.
inline int ClassifyIn(const BoxFrame& frame, double u, double v, double halfLine, double margin) {
    const double width = frame.width;
    const double height = frame.height;
    const double across = u * width;  // from the left line's middle, in pixels
    const double down = v * height;   // from the top line's middle
    if (across < -margin || across >= width + margin || down < -margin || down >= height + margin) {
        return PageRegion;
    }
    const bool alongSides = down >= -halfLine && down < height + halfLine;
    const bool alongTopBottom = across >= -halfLine && across < width + halfLine;
    if ((alongSides && (InLine(across, halfLine) || InLine(across - width, halfLine))) ||
        (alongTopBottom && (InLine(down, halfLine) || InLine(down - height, halfLine)))) {
        return LineRegion;
    }
    if (u < 0.0 || u >= 1.0 || v < 0.0 || v >= 1.0) return SurroundRegion;

    const int column = static_cast<int>(u * RasterColumnCount);
    const int row = static_cast<int>(v * RasterRowCount);
    const double cellWidth = frame.cellWidth;
    const double cellHeight = frame.cellHeight;
    const double inCellX = across - column * cellWidth;
    if (inCellX < PatchInset || inCellX >= cellWidth - PatchInset) return SurroundRegion;

    if (row >= RasterRowCount - 2) {
        // The grey strip fills the two bottom rows across the whole width.
        const double inStrip = down - (RasterRowCount - 2) * cellHeight;
        if (inStrip < PatchInset || inStrip >= 2 * cellHeight - PatchInset) return SurroundRegion;
        return FirstGreyRegion + std::clamp(column, 0, ChartGreyCount - 1);
    }
    const double inCellY = down - row * cellHeight;
    if (inCellY < PatchInset || inCellY >= cellHeight - PatchInset) return SurroundRegion;
    if (row < 1 || row > ChartPatchRows || column < 1 || column > ChartPatchColumns) return SurroundRegion;
    return FirstPatchRegion + (row - 1) * ChartPatchColumns + (column - 1);
}

EncodedRgb RegionColour(const ChartColours& colours, const RenderOptions& options, int region) {
    if (region == PageRegion) return {PageBackgroundLevel, PageBackgroundLevel, PageBackgroundLevel};
    if (region == SurroundRegion) return {SurroundLevel, SurroundLevel, SurroundLevel};
    if (region == LineRegion) return {LineLevel, LineLevel, LineLevel};
    if (region < FirstGreyRegion) {
        const int index = region - FirstPatchRegion;
        return XyzD50ToSrgb(colours.patches[static_cast<std::size_t>(index / ChartPatchColumns)]
                                           [static_cast<std::size_t>(index % ChartPatchColumns)]);
    }
    const int grey = region - FirstGreyRegion;
    EncodedRgb rgb = XyzD50ToSrgb(colours.greys[static_cast<std::size_t>(grey)]);
    if (grey == options.colouredWedgeIndex) {
        // A strong red of about the patch's lightness: far outside any grey tolerance.
        rgb = {std::min(1.0, rgb.r + 0.3), std::max(0.0, rgb.g - 0.2), std::max(0.0, rgb.b - 0.2)};
    }
    return rgb;
}

std::array<int, 3> RawOf(const ToneResponse& tone, const EncodedRgb& rgb) {
    return {RawValue(tone.channel[0], rgb.r), RawValue(tone.channel[1], rgb.g), RawValue(tone.channel[2], rgb.b)};
}

std::uint8_t Output(const RenderOptions& options, int channel, int raw) {
    raw = std::clamp(raw, 0, 1023);
    if (options.tables != nullptr) return (*options.tables)[static_cast<std::size_t>(channel)][static_cast<std::size_t>(raw)];
    return static_cast<std::uint8_t>(raw / 4);
}

std::array<Vec, 4> PlacedCorners(const RenderOptions& o) {
    const double left = o.boxLeft + o.shiftX;
    const double top = o.boxTop + o.shiftY;
    const double right = left + o.boxWidth;
    const double bottom = top + o.boxHeight;
    const Vec centre{(left + right) / 2.0, (top + bottom) / 2.0};
    const double angle = o.rotationDegrees * M_PI / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const Vec plain[4] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
    std::array<Vec, 4> placed{};
    for (std::size_t i = 0; i < 4; ++i) {
        const Vec d = plain[i] - centre;
        placed[i] = centre + Vec{d.x * c - d.y * s, d.x * s + d.y * c};
        placed[i].x += o.cornerMoves[i].x;
        placed[i].y += o.cornerMoves[i].y;
    }
    return placed;
}

void PaintDust(ScanBitmap& image, const RenderOptions& options, Random& random) {
    const std::uint8_t dark[3] = {Output(options, 2, 16), Output(options, 1, 16), Output(options, 0, 16)};
    for (int speck = 0; speck < options.dustSpecks; ++speck) {
        const int cx = static_cast<int>(random.Next() % static_cast<std::uint64_t>(image.Width()));
        const int cy = static_cast<int>(random.Next() % static_cast<std::uint64_t>(image.Height()));
        const int radius = 1 + static_cast<int>(random.Next() % 3);
        for (int y = cy - radius; y <= cy + radius; ++y) {
            for (int x = cx - radius; x <= cx + radius; ++x) {
                if (!image.Contains(x, y) || (x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
                std::memcpy(image.Row(y) + 3 * static_cast<std::size_t>(x), dark, 3);
            }
        }
    }
}

// One pixel from its region's raw values, with a noise draw when the render is noisy.
// noisy is the noise's !Empty(), asked once, as its sampler is taken once (see SensorNoise::Draw).
inline void PutPixel(std::uint8_t* pixel, const RenderOptions& options, const std::array<int, 3>& raw,
                     const std::array<std::uint8_t, 3>& plain, const SensorNoise::Draw& noise, bool noisy, Random& random) {
    if (!noisy) {
        std::memcpy(pixel, plain.data(), 3);
        return;
    }
    const std::uint64_t bits = random.Next();
    for (int c = 0; c < 3; ++c) pixel[2 - c] = Output(options, c, noise.Apply(raw[static_cast<std::size_t>(c)], c, bits));
}

// A region's colour in linear light after the crosstalk, as the optics receive it.
std::array<float, 3> LinearOf(const Optics& optics, const EncodedRgb& rgb) {
    const double in[3] = {SrgbDecode(rgb.r), SrgbDecode(rgb.g), SrgbDecode(rgb.b)};
    std::array<float, 3> out{};
    for (std::size_t row = 0; row < 3; ++row) {
        const double* m = optics.crosstalk.data() + 3 * row;
        out[row] = static_cast<float>(std::clamp(m[0] * in[0] + m[1] * in[1] + m[2] * in[2], 0.0, 1.0));
    }
    return out;
}

}  // namespace

int RawValue(const ChannelResponse& response, double encoded) {
    const double v = std::clamp(encoded, 0.0, 1.0);
    const double level = response.gain * std::pow(v, response.gamma) + response.offset;
    const double raw = std::clamp(level, 0.0, 1.0) * 1023.0;
    return static_cast<int>(std::lround(raw));
}

RenderedChart RenderChart(const ChartColours& colours, const RenderOptions& options) {
    RenderedChart result;
    result.image = ScanBitmap(options.pageWidth, options.pageHeight);
    ScanBitmap& image = result.image;

    const bool optical = options.optics.Active();
    OpticalScene scene;
    std::optional<RawCurve> curve;
    if (optical) curve.emplace(options.tone);
    std::array<std::array<int, 3>, RegionCount> raw{};
    std::array<std::array<std::uint8_t, 3>, RegionCount> plain{};  // blue, green, red bytes
    for (int region = 0; region < RegionCount && optical; ++region) {
        scene.linear.push_back(LinearOf(options.optics, RegionColour(colours, options, region)));
        for (int c = 0; c < 3; ++c) raw[static_cast<std::size_t>(region)][static_cast<std::size_t>(c)] =
            curve->Raw(c, scene.linear.back()[static_cast<std::size_t>(c)]);
    }
    for (int region = 0; region < RegionCount && !optical; ++region) {
        raw[static_cast<std::size_t>(region)] = RawOf(options.tone, RegionColour(colours, options, region));
        for (int c = 0; c < 3; ++c) {
            plain[static_cast<std::size_t>(region)][static_cast<std::size_t>(2 - c)] =
                Output(options, c, raw[static_cast<std::size_t>(region)][static_cast<std::size_t>(c)]);
        }
    }
    for (int i = 0; i < ChartGreyCount; ++i) {
        result.greyRaw[static_cast<std::size_t>(i)] = raw[static_cast<std::size_t>(FirstGreyRegion + i)];
    }

    const std::array<Vec, 4> corners = PlacedCorners(options);
    const double scale = options.optics.scale;
    // The image shows the page at the sampling scale, from its top-left corner.
    for (std::size_t i = 0; i < 4; ++i) result.corners[i] = {corners[i].x * scale, corners[i].y * scale};
    const BoxMap box(corners[0], corners[1], corners[2], corners[3]);
    const double halfLine = options.lineWidth / 2.0;
    const double margin = options.surroundMargin + halfLine;

    // Only the neighbourhood of the box needs the inverse map; the rest is scanner background.
    double minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Vec& c : corners) {
        minX = std::min(minX, c.x), maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y), maxY = std::max(maxY, c.y);
    }
    const int pageWidth = static_cast<int>(std::ceil(image.Width() / scale));  // what the image takes in
    const int pageHeight = static_cast<int>(std::ceil(image.Height() / scale));
    const int x0 = std::clamp(static_cast<int>(std::floor(minX - 2 * margin)), 0, pageWidth);
    const int x1 = std::clamp(static_cast<int>(std::ceil(maxX + 2 * margin)), 0, pageWidth);
    const int y0 = std::clamp(static_cast<int>(std::floor(minY - 2 * margin)), 0, pageHeight);
    const int y1 = std::clamp(static_cast<int>(std::ceil(maxY + 2 * margin)), 0, pageHeight);

    Random random(options.seed);
    const SensorNoise noise(options.noiseSigma, options.optics.shotNoise, random);
    const bool noisy = !noise.Empty();
    const SensorNoise::Draw draw = noise.Sampler();
    if (optical) {
        const bool affine = box.Affine();
        const BoxFrame frame = FrameAt(box, 0.5, 0.5);
        std::vector<double> pageX, pageY, u, v;
        // The regions of n image points; a parallelogram's inverse map done for all of them first.
        auto classify = [&](const double* x, const double* y, int n, std::uint16_t* regions) {
            for (std::vector<double>* a : {&pageX, &pageY, &u, &v}) a->resize(static_cast<std::size_t>(n));
            const double* px = x;
            const double* py = y;
            if (scale != 1.0) {
                for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) pageX[i] = x[i] / scale, pageY[i] = y[i] / scale;
                px = pageX.data(), py = pageY.data();
            }
            if (affine) box.AffineInverse(px, py, n, u.data(), v.data());
            for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
                int region = PageRegion;
                if (py[i] >= y0 && py[i] < y1 && px[i] >= x0 && px[i] < x1)
                    region = affine ? ClassifyIn(frame, u[i], v[i], halfLine, margin) : Classify(box, Vec{px[i], py[i]}, halfLine, margin);
                regions[i] = static_cast<std::uint16_t>(region);
            }
        };
        scene.regionsAt = classify;
        std::vector<double> coarseX, rowX, rowY;  // coarseX: every 4th column and the last
        std::vector<std::uint16_t> coarse, fine;
        std::vector<int> fineAt;
        scene.regionsOfRow = [&](int y, std::uint16_t* regions) {
            // Every 4th pixel first: where two agree, so do the pixels between (no region of the
            // chart is narrower than 4 pixels along a row but a corner's sliver); else each one.
            constexpr int kStep = 4;
            const int width = image.Width();
            const double pageRow = y / scale;
            if (!(pageRow >= y0 && pageRow < y1)) {
                std::fill(regions, regions + width, static_cast<std::uint16_t>(PageRegion));
                return;
            }
            for (int x = static_cast<int>(coarseX.size()) * kStep; x < width + kStep - 1; x += kStep) coarseX.push_back(std::min(x, width - 1));
            rowY.assign(coarseX.size(), y);
            coarse.resize(coarseX.size());
            classify(coarseX.data(), rowY.data(), static_cast<int>(coarseX.size()), coarse.data());
            regions[0] = coarse[0];
            rowX.clear(), fineAt.clear();
            for (std::size_t k = 1; k < coarse.size(); ++k) {
                const int at = std::min(static_cast<int>(k) * kStep, width - 1);
                const int from = static_cast<int>(k) * kStep - kStep + 1;
                if (coarse[k] == coarse[k - 1]) std::fill(regions + from, regions + at + 1, coarse[k]);
                for (int i = from; i < at && coarse[k] != coarse[k - 1]; ++i) rowX.push_back(i), fineAt.push_back(i);
                regions[at] = coarse[k];
            }
            rowY.assign(rowX.size(), y);
            fine.resize(rowX.size());
            classify(rowX.data(), rowY.data(), static_cast<int>(rowX.size()), fine.data());
            for (std::size_t j = 0; j < fine.size(); ++j) regions[fineAt[j]] = fine[j];
        };
        RenderOptically(scene, options, noise, random, image);
        PaintDust(image, options, random);
        return result;
    }

    chart::RowInverse inverse;  // of the row's pixels near the box, in one go
    std::vector<std::uint16_t> regions(static_cast<std::size_t>(image.Width()));
    std::array<std::uint32_t, RegionCount> plainPixel{};  // blue, green, red and a byte to spare
    for (std::size_t r = 0; r < plainPixel.size(); ++r) std::memcpy(&plainPixel[r], plain[r].data(), 3);
    for (int y = 0; y < image.Height(); ++y) {
        const int width = image.Width();
        const bool nearRow = y >= y0 && y < y1;
        const int from = std::min(x0, width);
        const int to = nearRow ? std::min(x1, width) : from;
        std::fill(regions.begin(), regions.end(), static_cast<std::uint16_t>(PageRegion));
        if (to > from) box.InverseOfRow(y, from, to - from, inverse);
        for (int x = from; x < to; ++x) {
            const std::size_t k = static_cast<std::size_t>(x - from);
            if (inverse.ok[k] == 0) continue;
            const BoxFrame frame{inverse.width[k], inverse.height[k], inverse.cellWidth[k], inverse.cellHeight[k]};
            regions[static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(ClassifyIn(frame, inverse.u[k], inverse.v[k], halfLine, margin));
        }
        std::uint8_t* row = image.Row(y);
        if (!noisy) {
            // One store a pixel: four bytes, the fourth overwritten by the next pixel.
            for (int x = 0; x + 1 < width; ++x) std::memcpy(row + 3 * static_cast<std::size_t>(x), &plainPixel[regions[static_cast<std::size_t>(x)]], 4);
            if (width > 0) std::memcpy(row + 3 * static_cast<std::size_t>(width - 1), plain[regions[static_cast<std::size_t>(width - 1)]].data(), 3);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const std::size_t region = regions[static_cast<std::size_t>(x)];
            PutPixel(row + 3 * static_cast<std::size_t>(x), options, raw[region], plain[region], draw, noisy, random);
        }
    }
    PaintDust(image, options, random);
    return result;
}

ScanBitmap RenderBlankPage(const RenderOptions& options) { return RenderBlankPage(options, PaperWhiteLevel); }

ScanBitmap RenderBlankPage(const RenderOptions& options, double level) {
    ScanBitmap image(options.pageWidth, options.pageHeight);
    const std::array<int, 3> raw = RawOf(options.tone, {level, level, level});
    std::array<std::uint8_t, 3> plain{};
    for (int c = 0; c < 3; ++c) plain[static_cast<std::size_t>(2 - c)] = Output(options, c, raw[static_cast<std::size_t>(c)]);
    Random random(options.seed);
    const SensorNoise noise(options.noiseSigma, options.optics.shotNoise, random);
    const bool noisy = !noise.Empty();
    const SensorNoise::Draw draw = noise.Sampler();
    if (options.optics.Active()) {
        OpticalScene scene;
        const EncodedRgb paper{level, level, level};
        scene.linear.push_back(LinearOf(options.optics, paper));
        scene.regionsOfRow = [&](int, std::uint16_t* regions) { std::fill(regions, regions + image.Width(), 0); };
        scene.regionsAt = [](const double*, const double*, int n, std::uint16_t* regions) { std::fill(regions, regions + n, 0); };
        RenderOptically(scene, options, noise, random, image);
        PaintDust(image, options, random);
        return image;
    }
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) PutPixel(row + 3 * static_cast<std::size_t>(x), options, raw, plain, draw, noisy, random);
    }
    PaintDust(image, options, random);
    return image;
}

}  // namespace calvix
