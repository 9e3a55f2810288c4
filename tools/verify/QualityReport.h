// A side's image-quality figures as the reports show them: a table for people (figure, value,
// FADGI, ISO 19264-1, Metamorfoze level, then each standard's grade and what limits it) and the
// "quality" object of the report JSON.
#pragma once

#include "JsonText.h"
#include "quality/SideQuality.h"

#include <cstdio>
#include <string>

namespace calvix::verify {

// "1.23", "0.95..1.08" for a gain range, "412.3" for a rate.
std::string FigureValueText(quality::Figure figure, const quality::FigureValue& value);
// "2 stars (limited by noise, largest sigma L*)", "not graded".
std::string GradeText(const quality::StandardGrade& grade, bool fadgi);

void PrintQuality(const quality::SideQuality& q, std::FILE* out);
void QualityJson(JsonWriter& w, const quality::SideQuality& q);

}  // namespace calvix::verify
