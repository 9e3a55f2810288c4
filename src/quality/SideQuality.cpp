// One side's figures. The sharpness is read in linear light through each channel's tone curve as
// the grey wedge shows it (through the decoder of the colour figures only where the wedge cannot
// be read), so a calibrated scan's edges are not taken for sRGB ones.
#include "quality/SideQuality.h"

#include "quality/WedgeLinearisation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calvix::quality {

namespace {

// A blank page under the strongest fall-off a lamp leaves (half the light lost at the corners)
// strays about 37 % from its mean; a printed page strays by far more.
constexpr double kMaxBlankDeviationPercent = 60.0;

// Each channel's 8-bit levels to linear light, the others held at 0: Y / Yn of the decoded colour
// relative to that of the channel at 255, which for a decoder that treats channels apart (sRGB, a
// shaper/matrix profile, the reference encoding) is the channel's own curve up to scale.
ChannelLinearisation LinearisationOf(const PixelDecoder& decode) {
    ChannelLinearisation table{};
    for (std::size_t c = 0; c < 3; ++c) {
        std::array<double, 3> rgb{0.0, 0.0, 0.0};
        rgb[c] = 255.0;
        const double top = std::max(1e-6, RelativeLuminance(decode(rgb[0], rgb[1], rgb[2])));
        for (int level = 0; level < 256; ++level) {
            rgb[c] = level;
            table[c][static_cast<std::size_t>(level)] =
                static_cast<float>(RelativeLuminance(decode(rgb[0], rgb[1], rgb[2])) / top);
        }
    }
    return table;
}

std::optional<double> Lower(const std::optional<double>& a, const std::optional<double>& b) {
    if (a && b) return std::min(*a, *b);
    return a ? a : b;
}

}  // namespace

bool MeasureSideQuality(const SideQualityInput& input, SideQuality* quality, std::string* error) {
    if (input.chart == nullptr || input.chart->Empty()) {
        *error = "no chart scan to measure";
        return false;
    }
    if (!input.decode) {
        *error = "no pixel decoder for the scan's encoding";
        return false;
    }
    const ScanBitmap& chart = *input.chart;
    SideQuality q;
    q.decoderName = input.decoderName;
    ToneFigures tone;
    if (MeasureToneResponse(chart, input.cornerSlots, [&] {
            std::array<double, GreyPatchCount> l{};
            for (std::size_t i = 0; i < l.size(); ++i) l[i] = input.referenceGreys[i].L;
            return l;
        }(), input.decode, input.tone, &tone, &q.tone.error))
        q.tone.figures = std::move(tone);
    NoiseFigures noise;
    if (MeasurePatchNoise(chart, input.cornerSlots, input.decode, &noise, &q.noise.error)) q.noise.figures = noise;
    WhiteBalance balance;
    if (MeasureWhiteBalance(chart, input.cornerSlots, input.referenceGreys, input.decode, &balance, &q.whiteBalance.error))
        q.whiteBalance.figures = balance;
    // The colour cells lie on the same raster as the greys: where those cannot be found, neither can they.
    if (q.tone.figures) q.colour = MeasureColourAccuracy(chart, input.cornerSlots, input.referencePatches, input.decode);
    SamplingRateFigures rate;
    if (MeasureSamplingRate(input.cornerSlots, input.sampling, &rate, &q.sampling.error)) q.sampling.figures = rate;
    // The wedge's own curves first: a decoder need not treat the channels apart (a profile's
    // colour table does not), and the edges want each channel's light, not a colour's luminance.
    ChannelLinearisation linear{};
    std::string unused;
    if (!WedgeLinearisation(chart, input.cornerSlots, input.referenceGreys, &linear, &unused))
        linear = LinearisationOf(input.decode);
    ChartSharpnessSettings sharpness;
    sharpness.edge.linearisation = &linear;
    q.sharpness = MeasureChartSharpness(chart, input.cornerSlots, sharpness);
    if (input.blankPage != nullptr) {
        UniformityOptions options = input.uniformity;
        if (q.sampling.figures) options.ppi = 0.5 * (q.sampling.figures->ppiX + q.sampling.figures->ppiY);
        options.chartWidth = chart.Width();
        options.chartHeight = chart.Height();
        UniformityFigures page;
        if (!MeasureUniformity(*input.blankPage, input.decode, options, &page, &q.uniformity.error)) {
        } else if (std::abs(page.maxDeviationPercent) > kMaxBlankDeviationPercent) {
            char text[160];
            std::snprintf(text, sizeof text, "the blank page is not blank: a cell strays %.0f %% from the page's mean",
                          page.maxDeviationPercent);
            q.uniformity.error = text;
        } else {
            q.uniformity.figures = page;
        }
    }
    q.grades = GradeFigures(FiguresOf(q));
    *quality = std::move(q);
    return true;
}

Measurements FiguresOf(const SideQuality& q) {
    Measurements m;
    if (const auto& t = q.tone.figures) {
        m.push_back({Figure::ToneDeltaL, t->maxAbsDeltaL});
        if (t->highlights.steps > 0) m.push_back({Figure::GainModulationHighlights, {t->highlights.min, t->highlights.max}});
        if (t->other.steps > 0) m.push_back({Figure::GainModulationOther, {t->other.min, t->other.max}});
    }
    if (q.noise.figures) m.push_back({Figure::NoiseL, q.noise.figures->worstSigmaL});
    if (q.whiteBalance.figures) m.push_back({Figure::WhiteBalanceDeltaAb, q.whiteBalance.figures->maxDeltaAb});
    if (q.colour.figures.patches > 0) {
        m.push_back({Figure::ColourMeanDeltaE, q.colour.figures.mean});
        m.push_back({Figure::ColourMaxDeltaE, q.colour.figures.max});
        m.push_back({Figure::ColourP90DeltaE, q.colour.figures.p90});
    }
    if (q.sampling.figures) m.push_back({Figure::SamplingRatePpi, std::min(q.sampling.figures->ppiX, q.sampling.figures->ppiY)});
    const DirectionSharpness& h = q.sharpness.horizontal;
    const DirectionSharpness& v = q.sharpness.vertical;
    if (const auto efficiency = Lower(h.samplingEfficiency[SfrLuminance], v.samplingEfficiency[SfrLuminance]))
        m.push_back({Figure::SamplingEfficiency, *efficiency});
    if (const auto mtf50 = Lower(h.mtf50[SfrGreen], v.mtf50[SfrGreen])) m.push_back({Figure::Mtf50, *mtf50});
    double shift = -1.0;
    for (const DirectionSharpness* d : {&h, &v})
        if (d->status == EdgeStatus::Measured)
            shift = std::max({shift, std::abs(d->redShift), std::abs(d->blueShift)});
    if (shift >= 0.0) m.push_back({Figure::Misregistration, shift});
    if (q.uniformity.figures) m.push_back({Figure::Uniformity, std::abs(q.uniformity.figures->maxDeviationPercent)});
    return m;
}

}  // namespace calvix::quality
