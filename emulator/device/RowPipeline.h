// The blur of the optical path, row by row: each source row is classified (border pixels by
// their area), coloured and blurred across once into a ring of rows; each output row blurs down
// that ring. Only what an edge reaches is convolved.
#pragma once

#include "BlurKernel.h"
#include "OpticalPath.h"
#include "RowKernels.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace calvix {

// One render's rows of linear light, after the blur in both directions and the misregistration.
class RowPipeline {
public:
    RowPipeline(const OpticalScene& scene, const RenderOptions& options, int width, int height);

    // Row y of channel c after the blur in both directions, into out.
    void OutputRow(int y, std::size_t c, float* out);

private:
    std::size_t Slot(int s) const { return static_cast<std::size_t>(s % ringRows_); }
    float* Row(std::size_t c, int s) { return ring_[c].data() + Slot(s) * static_cast<std::size_t>(width_); }
    std::uint8_t* Marks(std::size_t c, int s) { return marks_[c].data() + Slot(s) * static_cast<std::size_t>(blocks_); }

    // Region rows s - 1, s and s + 1 (edges replicated) around the row being loaded.
    void ShiftRegionRows(int s);

    // Source row s classified, coloured and blurred across into the ring, with its change marks.
    void LoadRow(int s);

    // The pixels of row here with another region left, right, above or below, into border_.
    void FindBorder(const std::uint16_t* above, const std::uint16_t* here, const std::uint16_t* below);

    // A pixel on a region border takes the mean of four samples over its square, one in each
    // quarter of its width and of its height (n-rooks), so an edge lands at its sub-pixel place.
    // Four are enough: the blur that follows spreads the residual error of a straight edge far
    // below what an edge-width measurement resolves, and the border pixels are most of the cost.
    void Cover(int y);

    // Only the spans a change of level reaches are convolved, tap by tap over a padded copy
    // (edges replicated); the rest of the row keeps the plain level it already holds.
    void BlurAcross(float* row, const float* plain, std::size_t c);

    const OpticalScene& scene_;
    int width_, height_, blocks_;
    std::array<BlurKernel, 3> across_, down_;
    std::array<Taps, 3> acrossTaps_, downTaps_;
    int reachY_ = 0, ringRows_ = 2, loaded_ = 0;
    std::array<std::vector<float>, 3> ring_;
    // Per ring row: which column blocks differ from the row before, and whether any does.
    std::array<std::vector<std::uint8_t>, 3> marks_, rowChanged_;
    std::vector<std::uint8_t> window_;
    std::array<std::vector<std::uint16_t>, 3> regions_;
    std::array<std::vector<float>, 3> plain_;
    std::vector<float> padded_;
    std::vector<const float*> sources_;
    std::vector<std::pair<int, int>> spans_;
    std::vector<std::uint8_t> edge_;
    std::vector<int> border_;
    std::vector<double> sampleX_, sampleY_;
    std::vector<std::uint16_t> sampled_;
    int plainRegion_ = -1;  // the region of the row last loaded when it is one plain region
};


}  // namespace calvix
