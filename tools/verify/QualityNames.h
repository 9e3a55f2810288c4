// The grey-wedge measurement and its audit levels live in the quality subsystem; the tool keeps
// calling them by the names its reports and tests have always used.
#pragma once

#include "quality/AuditLevels.h"
#include "quality/ColourAccuracy.h"
#include "quality/GreyEvaluation.h"

namespace calvix::verify {

using quality::ColourPatchReading;
using quality::EvaluateGreys;
using quality::GreyEvaluation;
using quality::GreyPatchResult;
using quality::GreyThresholds;
using quality::PatchName;
using quality::ReferenceEncoding;
using quality::StarsText;

}  // namespace calvix::verify
