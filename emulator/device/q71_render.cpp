// q71-render: renders one side of an IT8 target as the emulated Q71 scans it and writes it as a
// 24-bit BMP file, so a render can be looked at by eye or fed to the analysis by hand.
#include "analysis/BmpWriter.h"
#include "ChartRenderer.h"
#include "CommandLine.h"
#include "EmptyValueOption.h"
#include "OpticsTruth.h"
#include "OutputClash.h"
#include "PrintableText.h"
#include "app/RegularFile.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// A closed range that also refuses NaN and infinities, which plain comparisons let through.
CLI::Validator Within(double low, double high) {
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !std::isfinite(value) || value < low || value > high) {
                char message[96];
                std::snprintf(message, sizeof message, "must be a number from %g to %g", low, high);
                return message;
            }
            return {};
        },
        "");
}

int Refuse(const std::string& message) {
    std::fprintf(stderr, "q71-render: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Render an IT8 target as the emulated Q71 scans it"};
    std::string output = "q71_render.bmp";
    std::string referenceFile;
    calvix::RenderOptions options;
    double gamma = 1.0;
    double gain = 1.0;
    double offset = 0.0;
    // Every geometry value stays far inside int range once added up, and every count is one a
    // render finishes in seconds.
    const int page = options.pageWidth + options.pageHeight;
    app.add_option("-o,--output", output, "BMP file to write");
    app.add_option("--it8", referenceFile, "IT8 reference file for the patch colours (default: synthetic)");
    app.add_option("--shift-x", options.shiftX, "Horizontal shift of the chart in pixels")->check(Within(-page, page));
    app.add_option("--shift-y", options.shiftY, "Vertical shift of the chart in pixels")->check(Within(-page, page));
    app.add_option("--rotate", options.rotationDegrees, "Rotation in degrees, clockwise")->check(Within(-360, 360));
    app.add_option("--noise", options.noiseSigma, "Noise sigma in raw 10-bit units")->check(Within(0, 1023));
    app.add_option("--seed", options.seed, "Noise and dust seed");
    app.add_option("--dust", options.dustSpecks, "Number of dust specks")->check(Within(0, 100000));
    app.add_option("--coloured-wedge", options.colouredWedgeIndex, "Grey patch printed in colour")->check(Within(-1, 23));
    app.add_option("--box-width", options.boxWidth, "Box width in pixels")->check(Within(1, 4 * page));
    app.add_option("--box-height", options.boxHeight, "Box height in pixels")->check(Within(1, 4 * page));
    app.add_option("--gamma", gamma, "Sensor gamma, all channels")->check(Within(0.01, 100));
    app.add_option("--gain", gain, "Sensor gain, all channels")->check(Within(0, 100));
    app.add_option("--offset", offset, "Sensor offset (0..1 of full scale), all channels")->check(Within(-1, 1));
    std::vector<double> crosstalk;
    std::vector<double> blur;
    std::vector<double> misregister;
    std::string truthPath;
    calvix::Optics& optics = options.optics;
    app.add_option("--crosstalk", crosstalk, "Colour crosstalk on linear RGB, a,b,c,d,e,f,g,h,i row-major; rows sum to 1")
        ->delimiter(',')->expected(9)->check(Within(calvix::kMinCrosstalk, calvix::kMaxCrosstalk));
    app.add_option("--blur", blur, "Gaussian blur sigma in pixels, SIGMA or R,G,B (0 to 5)")
        ->delimiter(',')->expected(1, 3)->check(Within(0, calvix::kMaxBlurSigma));
    app.add_option("--falloff", optics.falloffPercent, "Light lost at the corners in percent, cos^4 from the centre")
        ->check(Within(0, calvix::kMaxFalloffPercent));
    app.add_option("--misregister", misregister, "Red and blue shift against green in pixels, RX,RY,BX,BY (-3 to 3)")
        ->delimiter(',')->expected(4)->check(Within(-calvix::kMaxMisregister, calvix::kMaxMisregister));
    app.add_option("--scale", optics.scale, "Sampling rate as a factor of 400 ppi (0.95 to 1.05)")
        ->check(Within(calvix::kMinScale, calvix::kMaxScale));
    app.add_option("--shot-noise", optics.shotNoise, "Photon noise: variance per raw level (0 to 10)")
        ->check(Within(0, calvix::kMaxShotNoise));
    app.add_option("--truth", truthPath, "JSON file for the values in force and the figures they imply");
    calvix::RefuseEmptyValues(app);
    if (const std::optional<int> exitCode = calvix::ParseCommandLine(app, argc, argv)) return *exitCode;
    if (const std::string clash = calvix::OutputClash({{"-o", output}, {"--truth", truthPath}}, {{"--it8", referenceFile}});
        !clash.empty())
        return Refuse("will not overwrite: " + clash);
    // Both outputs are judged before the render, so a refused truth file leaves no picture behind.
    for (const std::string* target : {&output, &truthPath})
        if (const std::string why = target->empty() ? "" : calvix::ReplaceTargetProblem(*target); !why.empty()) {
            std::fprintf(stderr, "q71-render: will not write '%s': %s\n", target->c_str(), why.c_str());
            return 1;
        }
    if (!crosstalk.empty()) {
        std::copy(crosstalk.begin(), crosstalk.end(), optics.crosstalk.begin());
        const std::string fault = calvix::CrosstalkFault(optics.crosstalk);
        if (!fault.empty()) return Refuse("--crosstalk: " + fault);
    }
    if (blur.size() == 2) return Refuse("--blur: one sigma or three (R,G,B), each from 0 to 5");
    if (!blur.empty()) optics.blurSigma = {blur[0], blur[blur.size() / 2], blur.back()};
    if (!misregister.empty()) std::copy(misregister.begin(), misregister.end(), optics.misregister.begin());

    for (calvix::ChannelResponse& channel : options.tone.channel) channel = {gain, offset, gamma};
    calvix::ChartColours colours = calvix::SyntheticChartColours();
    std::string error;
    if (!referenceFile.empty() && !calvix::LoadChartColours(referenceFile, &colours, &error)) {
        std::fprintf(stderr, "q71-render: %s\n", calvix::PrintableText(error).c_str());
        return 1;
    }
    const calvix::RenderedChart chart = calvix::RenderChart(colours, options);
    if (!calvix::SaveBmpFile(chart.image, output, error)) {
        std::fprintf(stderr, "q71-render: %s\n", error.c_str());
        return 1;
    }
    if (!truthPath.empty() &&
        !calvix::WriteTruthFile(truthPath, calvix::TruthJson(calvix::TruthOf(options, &chart)), &error)) {
        std::fprintf(stderr, "q71-render: %s\n", error.c_str());
        return 1;
    }
    for (const auto& corner : chart.corners) std::printf("corner %.1f %.1f\n", corner[0], corner[1]);
    return 0;
}
