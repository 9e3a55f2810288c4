// The graded figures of one side: each measured figure with the level it reaches in every
// standard (none where the standard sets no limit), and per standard the overall grade with the
// figures that hold it down.
#pragma once

#include "quality/QualityLevels.h"

#include <optional>
#include <string>
#include <vector>

namespace calvix::quality {

struct GradedFigure {
    Figure figure;
    FigureValue value;
    std::optional<int> fadgiStars;           // none: FADGI sets no limit on it
    std::optional<std::string> iso;          // "" when no level is met
    std::optional<std::string> metamorfoze;
};

struct StandardGrade {
    bool graded = false;     // the standard grades at least one measured figure
    int fadgiStars = 0;      // FADGI only
    std::string level;       // ISO / Metamorfoze: "A".."C", "Strict".."Extra Light", "" none met
    std::vector<Figure> limiting;  // the figures at the weakest level
};

struct QualityGrades {
    std::vector<GradedFigure> figures;
    StandardGrade fadgi;
    StandardGrade iso;
    StandardGrade metamorfoze;
};

QualityGrades GradeFigures(const Measurements& measured);

// A stable key for the JSON and the history ("tone_delta_l"), and a label for people.
const char* FigureKey(Figure figure);
const char* FigureLabel(Figure figure);
// Figures read back by key (the history); false for an unknown key.
bool FigureFromKey(const std::string& key, Figure* figure);

// "3 stars", "level B", "Strict"; "no level" when none is met, "-" when the standard sets no limit.
std::string FadgiText(const std::optional<int>& stars);
std::string LevelText(const std::optional<std::string>& level);

}  // namespace calvix::quality
