// TGraphix: the graph window's core. It lays out the plotting area in its two scaling modes
// and turns the three correction curves and the grey-wedge samples into drawing commands:
// frame, diagonal, one marker per sample and channel, one curve per channel.
#pragma once

#include "analysis/PatchSampling.h"
#include "calibration/CorrectionTypes.h"
#include "views/DrawList.h"

namespace calvix {

enum class GraphScaling { OneToOne, FitWindow };

// What the graph plots, read where it lives, never owned.
struct GraphSources {
    const ChannelTables& curves;  // red, green, blue
    const GreyPatchTable& samples;
};

class TGraphix {
public:
    static constexpr const char* Caption = "Graph";
    static constexpr int PlotHeight = 256;
    static constexpr int FullPlotWidth = ChannelTableEntries;
    static constexpr int DefaultPlotLeft = 30;
    // Wide enough for the whole plot at 1:1 between the two margins.
    static constexpr int DefaultClientWidth = FullPlotWidth + 2 * DefaultPlotLeft;
    static constexpr int DefaultClientHeight = 320;
    static constexpr PackedColour FrameColour = MakeColour(128, 128, 128);
    static constexpr PackedColour ChannelColours[3] = {MakeColour(255, 0, 0), MakeColour(0, 128, 0),
                                                       MakeColour(0, 0, 255)};
    static constexpr int MarkerHalfSize = 2;

    // The right-hand strip takes the plotting area's left position as its width, so the plot
    // has the same margin on both sides.
    explicit TGraphix(GraphSources sources, int clientWidth = DefaultClientWidth,
                      int clientHeight = DefaultClientHeight, int plotLeft = DefaultPlotLeft);

    // The popup menu "Scaling": "fit window" and "1:1".
    void PupMenGraphFitWinClick();
    void PupMenuGraph121Click();
    // A new client size lays the window out again.
    void FormResize(int clientWidth, int clientHeight);
    // The view measures the label "1024" so it can be centred under the plot's right end.
    void SetLabelXRWidth(int width);

    void Layout();
    // Redraws the plot from the sources into Picture().
    void Draw();

    GraphScaling Scaling() const { return scaling_; }
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    int PlotLeft() const { return plotLeft_; }
    int PaintBoxRightWidth() const { return paintBoxRightWidth_; }
    // PW: the plotting area's width.
    int PlotWidth() const { return plotWidth_; }
    int LabelXRLeft() const { return labelXRLeft_; }
    // s: input values per plot pixel.
    double Scale() const { return static_cast<double>(FullPlotWidth) / plotWidth_; }
    const DrawList& Picture() const { return picture_; }

private:
    int PlotX(int value) const;

    GraphSources sources_;
    GraphScaling scaling_ = GraphScaling::FitWindow;
    int clientWidth_;
    int clientHeight_;
    int plotLeft_;
    int paintBoxRightWidth_;
    int plotWidth_ = FullPlotWidth;
    int labelXRWidth_ = 0;
    int labelXRLeft_ = 0;
    DrawList picture_;
};

}  // namespace calvix
