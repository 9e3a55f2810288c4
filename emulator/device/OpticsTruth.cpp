// Truth files of the emulated Q71's renders. The figures are analytic: a Gaussian of sigma has
// the MTF exp(-2 pi^2 sigma^2 f^2), so MTF50 and MTF10 follow from sigma alone.
#include "OpticsTruth.h"

#include "Illumination.h"
#include "app/AtomicFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace calvix {

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

template <std::size_t N>
std::string List(const std::array<double, N>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < N; ++i) text += (i ? ", " : "") + Number(values[i]);
    return text + "]";
}

// Frequency in cycles per pixel where the Gaussian's MTF falls to the given contrast; a sharp
// channel has none below the sampling limit, written as null.
std::string MtfAt(double sigma, double contrast) {
    if (sigma <= 0.0) return "null";
    return Number(std::sqrt(std::log(1.0 / contrast) / (2.0 * M_PI * M_PI * sigma * sigma)));
}

}  // namespace

RenderTruth TruthOf(const RenderOptions& options, const RenderedChart* chart) {
    RenderTruth truth;
    truth.width = options.pageWidth;
    truth.height = options.pageHeight;
    truth.optics = options.optics;
    truth.noiseSigma = options.noiseSigma;
    if (chart != nullptr) {
        truth.chart = RenderTruth::Chart{options.rotationDegrees, options.shiftX * options.optics.scale,
                                         options.shiftY * options.optics.scale, chart->corners};
    }
    return truth;
}

std::string TruthJson(const RenderTruth& t) {
    const Optics& o = t.optics;
    const Illumination light(t.width, t.height, o.falloffPercent);
    std::string j = "{\n";
    j += "  \"image\": {\"width\": " + std::to_string(t.width) + ", \"height\": " + std::to_string(t.height) + "},\n";
    j += "  \"crosstalk\": [" + List(std::array<double, 3>{o.crosstalk[0], o.crosstalk[1], o.crosstalk[2]}) + ", " +
         List(std::array<double, 3>{o.crosstalk[3], o.crosstalk[4], o.crosstalk[5]}) + ", " +
         List(std::array<double, 3>{o.crosstalk[6], o.crosstalk[7], o.crosstalk[8]}) + "],\n";
    j += "  \"blur\": {\"sigma_px\": " + List(o.blurSigma) + ", \"mtf50_cy_px\": [";
    for (std::size_t c = 0; c < 3; ++c) j += (c ? ", " : "") + MtfAt(o.blurSigma[c], 0.5);
    j += "], \"mtf10_cy_px\": [";
    for (std::size_t c = 0; c < 3; ++c) j += (c ? ", " : "") + MtfAt(o.blurSigma[c], 0.1);
    j += "]},\n";
    j += "  \"falloff\": {\"law\": \"cos4\", \"corners_percent\": " + Number(light.CornerLoss()) +
         ", \"left_right_percent\": " + Number(light.EdgeLossX()) + ", \"top_bottom_percent\": " +
         Number(light.EdgeLossY()) + "},\n";
    j += "  \"misregistration_px\": {\"red\": " + List(std::array<double, 2>{o.misregister[0], o.misregister[1]}) +
         ", \"green\": [0, 0], \"blue\": " + List(std::array<double, 2>{o.misregister[2], o.misregister[3]}) + "},\n";
    j += "  \"sampling\": {\"scale\": " + Number(o.scale) + ", \"nominal_ppi\": 400, \"effective_ppi\": " +
         Number(400.0 * o.scale) + "},\n";
    // Under raw / 4 the 8-bit sigma is a quarter of the raw one; a LUT in force scales it by its slope.
    j += "  \"noise\": {\"sigma_raw\": " + Number(t.noiseSigma) + ", \"sigma_8bit\": " + Number(t.noiseSigma / 4.0) +
         ", \"shot_noise_k\": " + Number(o.shotNoise) + "},\n";
    if (t.chart) {
        j += "  \"chart\": {\"rotation_degrees\": " + Number(t.chart->rotationDegrees) + ", \"shift_px\": " +
             List(std::array<double, 2>{t.chart->shiftX, t.chart->shiftY}) + ", \"corners_px\": [";
        for (std::size_t i = 0; i < 4; ++i) j += (i ? ", " : "") + List(t.chart->corners[i]);
        j += "]}\n";
    } else {
        j += "  \"chart\": null\n";
    }
    return j + "}\n";
}

// The program's own atomic writer: a temporary file of a unique name (a FIFO planted under a
// fixed one would block the write) and a target that is a device, FIFO or folder refused, so a
// node is never replaced by a regular file.
bool WriteTruthFile(const std::string& path, const std::string& text, std::string* error) {
    return WriteFileAtomically(path, text, error);
}

}  // namespace calvix
