// The emulated Q71's sheet feeder: a queue of sheets, each face an IT8 chart (from a reference
// file, with a placement) or blank paper. The operator's hand adds sheets; every scan takes the
// top one. Sheets are written as one line of text:
//   blank[,level=LEVEL]      paper white, or a uniform grey of that encoded level (0.05..1)
//   chart-on=front|rear,it8=FILE[,rotate=DEGREES][,shift-x=PIXELS][,shift-y=PIXELS]
#pragma once

#include "ChartColours.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvix::device {

struct Placement {
    int shiftX = 0;
    int shiftY = 0;
    double rotationDegrees = 0.0;
};

struct Face {
    // The chart's colours; none for blank paper.
    std::shared_ptr<const ChartColours> chart;
    Placement placement;
    // The encoded level of a sheet without a chart: paper white unless a grey sheet was fed.
    std::optional<double> blankLevel;
};

struct Sheet {
    Face front;
    Face rear;
    std::string description;  // the line it was made from, in its canonical form
};

inline constexpr std::size_t kMaxSheetText = 4096;
inline constexpr int kMaxShift = 2000;
inline constexpr double kMaxRotation = 180.0;
// A grey sheet's level: darker than this would read as the scanner's background.
inline constexpr double kMinBlankLevel = 0.05;

// Reads one sheet line and loads the chart's reference file; false with a reason otherwise.
bool ParseSheet(std::string_view text, Sheet* sheet, std::string* error);

class Feeder {
public:
    // A feeder tray holds this many sheets; more are refused.
    static constexpr std::size_t kCapacity = 100;

    bool Add(Sheet sheet);
    // The top sheet, taken out; nothing when the feeder is empty.
    std::optional<Sheet> Take();
    void Clear() { sheets_.clear(); }
    std::size_t Count() const { return sheets_.size(); }
    bool Loaded() const { return !sheets_.empty(); }
    std::vector<std::string> Descriptions() const;

private:
    std::deque<Sheet> sheets_;
};

}  // namespace calvix::device
