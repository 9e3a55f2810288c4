// Each row of the matrix is its own constrained least-squares problem; its normal equations
// with one Lagrange multiplier form a 4x4 system, solved by elimination with partial pivoting.
#include "profiling/MatrixFit.h"

#include <cmath>
#include <utility>

namespace calvix {

namespace {

using System4 = std::array<std::array<double, 5>, 4>;  // augmented

bool Solve(System4& s, std::array<double, 4>& x) {
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(s[r][col]) > std::fabs(s[pivot][col])) pivot = r;
        if (std::fabs(s[pivot][col]) < 1e-12) return false;
        std::swap(s[col], s[pivot]);
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            const double f = s[r][col] / s[col][col];
            for (int c = col; c < 5; ++c) s[r][c] -= f * s[col][c];
        }
    }
    for (int i = 0; i < 4; ++i) x[i] = s[i][4] / s[i][i];
    return true;
}

}  // namespace

std::optional<Matrix3> FitMatrixKeepingWhite(const MatrixFitInput& input) {
    const std::size_t n = input.linear.size();
    if (n < 3 || input.target.size() != n || (!input.weight.empty() && input.weight.size() != n)) return std::nullopt;
    // The device side's Gram matrix is shared by the three rows.
    std::array<std::array<double, 3>, 3> gram{};
    std::array<Vector3, 3> moment{};  // moment[row][j] = sum w * target[row] * linear[j]
    for (std::size_t i = 0; i < n; ++i) {
        const double w = input.weight.empty() ? 1.0 : input.weight[i];
        const Vector3& d = input.linear[i];
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) gram[j][k] += w * d[j] * d[k];
            for (int row = 0; row < 3; ++row) moment[row][j] += w * input.target[i][row] * d[j];
        }
    }
    Matrix3 m{};
    for (int row = 0; row < 3; ++row) {
        System4 s{};
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) s[j][k] = gram[j][k];
            s[j][3] = input.whiteLinear[j];
            s[j][4] = moment[row][j];
            s[3][j] = input.whiteLinear[j];
        }
        s[3][4] = input.whiteTarget[row];
        std::array<double, 4> x{};
        if (!Solve(s, x)) return std::nullopt;
        for (int j = 0; j < 3; ++j) {
            if (!std::isfinite(x[j])) return std::nullopt;
            m[row][j] = x[j];
        }
    }
    return m;
}

}  // namespace calvix
