// The Quality page's text: the measured image-quality figures of one chart, each with the level
// it reaches in FADGI, ISO 19264-1 and Metamorfoze, in the language of a text base.
#pragma once

#include "app/MainFormControls.h"
#include "calibration/CorrectionTypes.h"
#include "quality/SideQuality.h"

#include <string>

namespace calvix {

// Message ids of the page's texts in the string table (text id = text base + message id).
enum QualityTextId {
    QualityTextCaption = 2100,
    QualityTextNoChart,
    QualityTextFigure,
    QualityTextValue,
    QualityTextLimitedBy,
    QualityTextDecodedAs,
    QualityTextReferenceEncoding,
    QualityTextSrgbDefaults,
    QualityTextAdaptedMatrix,
    QualityTextPlainMatrix,
    QualityTextNotMet,
    QualityTextNothingGraded,
    QualityTextNoReference,
    QualityTextTooStraight,
    QualityTextNotMeasured,
    QualityTextRefused,
    QualityTextRefusedFrame,
    QualityTextRefusedWedge,
    QualityTextMeasuredFrom,
    QualityTextRawScan,
    QualityTextTone = 2120,
    QualityTextGainHighlights,
    QualityTextGainOther,
    QualityTextNoise,
    QualityTextWhiteBalance,
    QualityTextColourMean,
    QualityTextColourMax,
    QualityTextColourP90,
    QualityTextSamplingRate,
    QualityTextSamplingEfficiency,
    QualityTextMtf50,
    QualityTextMtf10,
    QualityTextMisregistration,
    QualityTextUniformity,
    QualityTextThroughTables,
    QualityTextLoadedFile,
    QualityTextBeyondNyquist,
    QualityTextGamma,
};

// A page text in the language of textBase; the English one where the language lacks it.
std::string QualityText(int textBase, QualityTextId id);

// A number's decimal point as the language writes it (a comma in German and French).
std::string LocalDecimals(std::string text, int textBase);

// Why the chart check refuses a chart, from its code (CheckChartAt).
std::string RefusedChartText(int textBase, int checkCode);

// The slanted edge cannot tell a frequency above Nyquist (0.5 cycles per pixel): an MTF50 above it
// comes from an edge the corners do not lie on, and that direction's figures are not credible.
bool BeyondNyquist(const DirectionSharpness& direction);

// The figures the page grades: those of FiguresOf, without a sampling efficiency resting on a
// direction beyond Nyquist.
quality::Measurements GradedOnPage(const quality::SideQuality& side);

// A decoder of bypass-scan values as the device delivers them through these tables.
quality::PixelDecoder ThroughDeviceTables(const ChannelTables& tables, quality::PixelDecoder decode);

// The page with its caption and headers but no rows: the hint says why.
QualityPageState EmptyQualityPage(int textBase, const std::string& hint);

// The page for a measured side; decoder names how the pixels were read.
QualityPageState QualityPageOf(const quality::SideQuality& side, const std::string& decoder, int textBase);

}  // namespace calvix
