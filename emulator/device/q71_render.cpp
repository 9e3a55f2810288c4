// q71-render: renders one side of an IT8 target as the emulated Q71 scans it and writes it as a
// 24-bit BMP file, so a render can be looked at by eye or fed to the analysis by hand.
#include "analysis/BmpWriter.h"
#include "ChartRenderer.h"
#include "it8ref/It8Ref.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    CLI::App app{"Render an IT8 target as the emulated Q71 scans it"};
    std::string output = "q71_render.bmp";
    std::string referenceFile;
    calvix::RenderOptions options;
    double gamma = 1.0;
    double gain = 1.0;
    double offset = 0.0;
    app.add_option("-o,--output", output, "BMP file to write");
    app.add_option("--it8", referenceFile, "IT8 reference file for the patch colours (default: synthetic)");
    app.add_option("--shift-x", options.shiftX, "Horizontal shift of the chart in pixels");
    app.add_option("--shift-y", options.shiftY, "Vertical shift of the chart in pixels");
    app.add_option("--rotate", options.rotationDegrees, "Rotation in degrees, clockwise");
    app.add_option("--noise", options.noiseSigma, "Noise sigma in raw 10-bit units");
    app.add_option("--seed", options.seed, "Noise and dust seed");
    app.add_option("--dust", options.dustSpecks, "Number of dust specks");
    app.add_option("--coloured-wedge", options.colouredWedgeIndex, "Grey patch printed in colour");
    app.add_option("--box-width", options.boxWidth, "Box width in pixels");
    app.add_option("--box-height", options.boxHeight, "Box height in pixels");
    app.add_option("--gamma", gamma, "Sensor gamma, all channels");
    app.add_option("--gain", gain, "Sensor gain, all channels");
    app.add_option("--offset", offset, "Sensor offset (0..1 of full scale), all channels");
    CLI11_PARSE(app, argc, argv);

    for (calvix::ChannelResponse& channel : options.tone.channel) channel = {gain, offset, gamma};
    calvix::ChartColours colours = calvix::SyntheticChartColours();
    if (!referenceFile.empty()) {
        calvix::TIT8Ref& reference = calvix::It8Reference();
        if (reference.LoadFile(referenceFile) != 0) {
            std::fprintf(stderr, "q71-render: cannot read reference file %s\n", referenceFile.c_str());
            return 1;
        }
        colours = calvix::ChartColoursFromReference(reference);
    }
    const calvix::RenderedChart chart = calvix::RenderChart(colours, options);
    std::string error;
    if (!calvix::SaveBmpFile(chart.image, output, error)) {
        std::fprintf(stderr, "q71-render: %s\n", error.c_str());
        return 1;
    }
    for (const auto& corner : chart.corners) std::printf("corner %.1f %.1f\n", corner[0], corner[1]);
    return 0;
}
