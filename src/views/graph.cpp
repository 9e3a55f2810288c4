// Graph window layout and plot. The x axis is the 10-bit input 0..1023 (a measured 8-bit
// value times four) squeezed into the plot width; the y axis is the 8-bit output, upwards.
#include "views/graph.h"

#include "app/FormStatus.h"

#include <algorithm>

namespace calvix {

TGraphix::TGraphix(GraphSources sources, int clientWidth, int clientHeight, int plotLeft)
    : sources_(sources),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight),
      plotLeft_(std::max(plotLeft, 0)),
      paintBoxRightWidth_(plotLeft_) {
    Layout();
}

void TGraphix::PupMenGraphFitWinClick() {
    CALVIX_LOG_DBG(unit::graph, "TGraphix::PupMenGraphFitWinClick()");
    scaling_ = GraphScaling::FitWindow;
    Layout();
    Draw();
}

void TGraphix::PupMenuGraph121Click() {
    CALVIX_LOG_DBG(unit::graph, "TGraphix::PupMenuGraph121Click()");
    scaling_ = GraphScaling::OneToOne;
    Layout();
    Draw();
}

void TGraphix::FormResize(int clientWidth, int clientHeight) {
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    Layout();
    // The plot's x positions follow its width, so a stale picture would be drawn squeezed.
    Draw();
}

void TGraphix::SetLabelXRWidth(int width) {
    labelXRWidth_ = std::max(width, 0);
    Layout();
}

void TGraphix::Layout() {
    if (scaling_ == GraphScaling::FitWindow) {
        // A window narrower than its two margins still gets a plot one pixel wide: a width of
        // 0 or less would make the scale infinite or turn the plot over.
        plotWidth_ = std::max(clientWidth_ - 2 * paintBoxRightWidth_, 1);
    } else {
        plotWidth_ = FullPlotWidth;
    }
    labelXRLeft_ = plotLeft_ + plotWidth_ - labelXRWidth_ / 2;
}

// value / s truncated, computed as value * PW / 1024 in whole numbers: the same number without
// the rounding of a real s, which would put the right edge (1024 / s) one pixel short.
int TGraphix::PlotX(int value) const { return value * plotWidth_ / FullPlotWidth; }

void TGraphix::Draw() {
    DrawList picture;
    const Stroke grey{FrameColour, 1, StrokeMode::Copy};
    const int right = PlotX(FullPlotWidth);
    picture.emplace_back(PolylineCommand{{{0, 255}, {right - 1, 255}, {right - 1, 0}, {0, 0}, {0, 255}}, grey});
    picture.emplace_back(LineCommand{{0, 256}, {right, 1}, grey});

    for (int channel = 0; channel < 3; ++channel) {
        const Stroke pen{ChannelColours[channel], 1, StrokeMode::Copy};
        const ColourChannel c = AllChannels[static_cast<std::size_t>(channel)];
        for (int i = GreyPatchCount - 1; i >= 0; --i) {
            const GreyPatch& sample = sources_.samples[static_cast<std::size_t>(i)];
            const Point at{PlotX(4 * ChannelOf(sample.measured, c)), 255 - ChannelOf(sample.reference, c)};
            picture.emplace_back(MarkerCommand{at, MarkerHalfSize, pen});
        }
    }

    for (int channel = 0; channel < 3; ++channel) {
        const Stroke pen{ChannelColours[channel], 1, StrokeMode::Copy};
        const ChannelTable& curve = sources_.curves[static_cast<std::size_t>(channel)];
        PolylineCommand line{{}, pen};
        line.points.reserve(curve.size() + 1);
        line.points.push_back({0, 256});
        for (int i = 0; i < FullPlotWidth; ++i) {
            line.points.push_back({PlotX(i), 256 - curve[static_cast<std::size_t>(i)]});
        }
        picture.emplace_back(std::move(line));
    }
    picture_ = std::move(picture);
}

}  // namespace calvix
