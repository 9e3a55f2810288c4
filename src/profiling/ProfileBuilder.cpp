// Profile making. The table, where used, holds the matrix's prediction plus a smoothed share of
// the patches' remaining errors: a kernel-weighted mean of residuals shrunk towards zero, so
// between and beyond the patches it never overshoots what the patches say, and far from every
// patch it is the matrix.
#include "profiling/ProfileBuilder.h"

#include "profiling/MatrixFit.h"
#include "profiling/ProfileAccuracy.h"

#include <cmath>

namespace calvix {

namespace {

constexpr Vector3 PcsWhite{0.9642, 1.0, 0.8249};  // D50 as the ICC PCS states it
constexpr int GridPoints = 17;
// Kernel width in cube-root space (roughly lightness-like, so dark patches are not crowded into
// one cell; about two thirds of a grid step, chosen on rendered charts read across two scans),
// and the weight of "no correction" against the patches.
constexpr double KernelWidth = 0.04;
constexpr double Shrink = 0.1;
// The table is kept only when it reads the chart this much better on average and at the 90th
// percentile: a table that is only marginally better is not worth its size and its risk.
constexpr double TableGain = 0.8;
constexpr double ClipLow = 2.5, ClipHigh = 254.0;
// The white pins the table as it pins the matrix: it weighs as this many patches with no error.
constexpr double WhiteWeight = 25.0;

// A channel at the end of the scale has lost what lies beyond it: such a patch says nothing
// about the slope of the model there and only drags the fit towards the clip.
bool Clipped(const std::array<double, 3>& device) {
    for (double v : device)
        if (v <= ClipLow || v >= ClipHigh) return true;
    return false;
}

Vector3 Linear(const InputProfileModel& model, const std::array<double, 3>& device) {
    return {model.shapers[0].Linear(device[0]), model.shapers[1].Linear(device[1]), model.shapers[2].Linear(device[2])};
}

Vector3 Times(const Matrix3& m, const Vector3& v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2], m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Vector3 RelativeTarget(const Xyz& reference, const Xyz& white) {
    return {reference.X / white.X * PcsWhite[0], reference.Y / white.Y * PcsWhite[1], reference.Z / white.Z * PcsWhite[2]};
}

void FillGrid(InputProfileModel& model, const std::vector<Vector3>& linear, const std::vector<Vector3>& target,
              const Vector3& white) {
    std::vector<Vector3> where, residual;
    std::vector<double> weight;
    for (std::size_t i = 0; i < linear.size(); ++i) {
        weight.push_back(1.0);
        const Vector3 predicted = Times(model.matrix, linear[i]);
        where.push_back({std::cbrt(linear[i][0]), std::cbrt(linear[i][1]), std::cbrt(linear[i][2])});
        residual.push_back({target[i][0] - predicted[0], target[i][1] - predicted[1], target[i][2] - predicted[2]});
    }
    where.push_back({std::cbrt(white[0]), std::cbrt(white[1]), std::cbrt(white[2])});
    residual.push_back({0.0, 0.0, 0.0});
    weight.push_back(WhiteWeight);
    model.gridPoints = GridPoints;
    model.grid.clear();
    model.grid.reserve(GridPoints * GridPoints * GridPoints);
    const double step = 1.0 / (GridPoints - 1);
    for (int r = 0; r < GridPoints; ++r) {
        for (int g = 0; g < GridPoints; ++g) {
            for (int b = 0; b < GridPoints; ++b) {
                // Nodes are even in cube-root space, as the table's input curves are.
                const Vector3 at{r * step, g * step, b * step};
                const Vector3 node{at[0] * at[0] * at[0], at[1] * at[1] * at[1], at[2] * at[2] * at[2]};
                Vector3 value = Times(model.matrix, node);
                double weights = Shrink;
                Vector3 correction{};
                for (std::size_t i = 0; i < where.size(); ++i) {
                    const double dx = at[0] - where[i][0], dy = at[1] - where[i][1], dz = at[2] - where[i][2];
                    const double w = weight[i] * std::exp(-(dx * dx + dy * dy + dz * dz) / (2.0 * KernelWidth * KernelWidth));
                    weights += w;
                    for (int c = 0; c < 3; ++c) correction[c] += w * residual[i][c];
                }
                for (int c = 0; c < 3; ++c) value[c] += correction[c] / weights;
                model.grid.push_back(value);
            }
        }
    }
}

std::optional<IccProfile> Write(const InputProfileModel& model, const ProfileRequest& request, const ProfileFigures& fit,
                                const std::string& kind, ProfileFigures& measured, std::string& error) {
    // Written once to be measured as a reader gets it (from its bytes, with the tags' own
    // precision), then again with its own figures in its tags.
    std::optional<IccProfile> draft = WriteInputProfile(model, request.identity, request.iccVersion, fit, kind, error);
    if (!draft) return std::nullopt;
    std::optional<IccProfile> read = IccProfile::FromBytes(draft->Bytes(), error);
    if (!read) return std::nullopt;
    measured = ProfileAccuracy(*read, request.patches.colours);
    return WriteInputProfile(model, request.identity, request.iccVersion, measured, kind, error);
}

}  // namespace

std::optional<BuiltProfile> BuildInputProfile(const ProfileRequest& request, std::string& error) {
    const ChartMeasurement& m = request.patches;
    if (m.greys.size() != 24 || m.colours.size() < 3) {
        error = "a profile needs the 24 grey steps and the colour patches";
        return std::nullopt;
    }
    InputProfileModel model;
    model.white = m.greys.front().reference;
    if (!(model.white.X > 0.0 && model.white.Y > 0.0 && model.white.Z > 0.0)) {
        error = "the reference's white (GS0) has no positive XYZ";
        return std::nullopt;
    }
    for (int c = 0; c < 3; ++c) {
        std::vector<std::pair<double, double>> points;
        for (const PatchMeasurement& p : m.greys) points.emplace_back(p.device[c], p.reference.Y / model.white.Y);
        if (!model.shapers[static_cast<std::size_t>(c)].Fit(points)) {
            error = "the grey wedge does not rise in one channel: no tone curve can be made";
            return std::nullopt;
        }
    }
    // Every patch goes into the table, clipped ones too: where a channel clips, the best the
    // table can say is what the patches that clip there are on average.
    MatrixFitInput fit, all;
    for (const auto* set : {&m.colours, &m.greys}) {
        for (const PatchMeasurement& p : *set) {
            all.linear.push_back(Linear(model, p.device));
            all.target.push_back(RelativeTarget(p.reference, model.white));
            if (Clipped(p.device)) continue;
            fit.linear.push_back(all.linear.back());
            fit.target.push_back(all.target.back());
        }
    }
    fit.whiteLinear = Linear(model, m.greys.front().device);
    fit.whiteTarget = PcsWhite;
    const std::optional<Matrix3> matrix = FitMatrixKeepingWhite(fit);
    if (!matrix) {
        error = "the patches do not determine a colour matrix";
        return std::nullopt;
    }
    model.matrix = *matrix;

    BuiltProfile built;
    built.kind = "shaper/matrix";
    std::optional<IccProfile> profile = Write(model, request, {}, built.kind, built.matrixFit, error);
    if (!profile) return std::nullopt;
    built.fit = built.matrixFit;

    if (request.allowTable) {
        InputProfileModel table = model;
        FillGrid(table, all.linear, all.target, fit.whiteLinear);
        ProfileFigures tableFit;
        std::optional<IccProfile> withTable = Write(table, request, {}, "shaper/table", tableFit, error);
        if (withTable && tableFit.mean < TableGain * built.matrixFit.mean && tableFit.p90 < TableGain * built.matrixFit.p90) {
            profile = std::move(withTable);
            built.kind = "shaper/table";
            built.fit = tableFit;
        }
    }
    built.bytes = profile->Bytes();
    if (built.bytes.empty()) {
        error = "Little CMS could not serialise the profile";
        return std::nullopt;
    }
    return built;
}

}  // namespace calvix
