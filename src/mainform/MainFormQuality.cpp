// TMainFormular's Quality page: the current window's chart measured through the reading the
// calibration itself stands on (the reference encoding of a loaded reference file; sRGB while
// the built-in defaults are in force), held until what it was measured from changes.
#include "mainform/MainForm.h"

#include "calibration/CalibrationLut.h"
#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "mainform/QualityTable.h"
#include "quality/GreyEvaluation.h"
#include "quality/ReferenceLab.h"
#include "quality/SideQuality.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace calvix {

namespace {

std::string GammaText(double gamma) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", gamma);
    return text;
}

// Without a file the defaults are RGB aims, read as sRGB like the pixels: the greys have a
// reference, the colour patches none.
void DefaultReferenceOf(quality::SideQualityInput& input) {
    const quality::PixelDecoder srgb = quality::SrgbDecoder();
    for (std::size_t i = 0; i < input.referenceGreys.size(); ++i) {
        const GreyRgb& rgb = DefaultReferenceGrey[i];
        input.referenceGreys[i] = srgb(rgb[0], rgb[1], rgb[2]);
    }
}

}  // namespace

const QualityPageState& TMainFormular::QualityPage() {
    QualityInputs inputs;
    inputs.expert = ExpertMode;
    inputs.textBase = textBase;
    if (ExpertMode && images_ && referenceOptions_) {
        inputs.window = images_->ChildImage();
        inputs.epoch = qualityEpoch_;
        if (inputs.window) {
            inputs.picture = inputs.window->originalImage.get();
            inputs.corners = inputs.window->cornerSlots;
            inputs.cornersValid = inputs.window->cornersValid;
            inputs.bypassScan = inputs.window->bypassScan;
            if (inputs.bypassScan && inputs.window->correctionDone) {
                const LutSide side = inputs.window->isFront ? LutSide::Front : LutSide::Rear;
                ChannelTables tables;
                for (int c = 0; c < 3; ++c) {
                    const auto table = CalibrationLut.Table(side, static_cast<ColourChannel>(c));
                    std::copy(table.begin(), table.end(), tables[static_cast<std::size_t>(c)].begin());
                }
                inputs.tables = tables;
            }
        }
        inputs.gwTolerance = GWTolerance;
        inputs.reference = referenceOptions_->loadedPath;
        const TIT8Ref& reference = It8Reference();
        inputs.gamma = reference.gamma;
        inputs.adapted = reference.chromaticAdaptation;
    }
    if (!qualityInputs_ || !(*qualityInputs_ == inputs)) MeasureQualityPage(inputs);
    return qualityPage_;
}

void TMainFormular::MeasureQualityPage(const QualityInputs& inputs) {
    const int revision = qualityPage_.revision + 1;
    qualityInputs_ = inputs;
    qualityFigures_.reset();
    if (!inputs.expert) {
        qualityPage_ = QualityPageState{};
    } else if (inputs.window == nullptr || !inputs.cornersValid || inputs.picture == nullptr) {
        // A window without its unmarked picture (the helper image) shows only marks to measure.
        qualityPage_ = EmptyQualityPage(textBase, QualityText(textBase, QualityTextNoChart));
    } else if (const int check = CheckChartAt(*inputs.picture, inputs.corners, inputs.gwTolerance, ReferenceGreyTable);
               check != 0) {
        // What the wizard refuses to calibrate from is not graded either.
        qualityPage_ = EmptyQualityPage(textBase, RefusedChartText(textBase, check));
    } else {
        quality::SideQualityInput input;
        input.chart = inputs.picture;
        input.cornerSlots = inputs.corners;
        std::string decoder;
        if (!inputs.reference.empty()) {
            // The encoding the grey-scale correction aims at, with the adaptation and gamma in force.
            auto encoding = std::make_shared<const quality::ReferenceEncoding>(
                ReferenceGreyTable, inputs.adapted ? AdaptedMatrix : PlainMatrix, inputs.gamma);
            input.referenceGreys = quality::ReferenceGreyLab(It8Reference());
            input.referencePatches = quality::ReferencePatchLab(It8Reference());
            if (encoding->Usable()) {
                input.decode = [encoding](double r, double g, double b) { return encoding->DecodeFractional({r, g, b}); };
                decoder = QualityText(textBase, QualityTextReferenceEncoding) + " (" +
                          QualityText(textBase, QualityTextGamma) + " " +
                          LocalDecimals(GammaText(inputs.gamma), textBase) + ", " +
                          QualityText(textBase, inputs.adapted ? QualityTextAdaptedMatrix : QualityTextPlainMatrix) +
                          ")";
            }
        } else {
            DefaultReferenceOf(input);
        }
        if (!input.decode) {
            input.decode = quality::SrgbDecoder();
            decoder = QualityText(textBase, QualityTextSrgbDefaults);
        }
        if (inputs.tables) input.decode = ThroughDeviceTables(*inputs.tables, std::move(input.decode));
        input.decoderName = decoder;
        quality::SideQuality side;
        std::string error;
        if (!quality::MeasureSideQuality(input, &side, &error)) {
            qualityPage_ = EmptyQualityPage(textBase, error);
        } else {
            // No colour reference: no colour figures, nor a grade resting on them.
            if (inputs.reference.empty()) side.colour = {};
            side.grades = quality::GradeFigures(GradedOnPage(side));
            qualityPage_ = QualityPageOf(side, decoder, textBase);
            qualityPage_.measured = QualityText(textBase, QualityTextMeasuredFrom) + ": " +
                                    QualityText(textBase, inputs.tables       ? QualityTextThroughTables
                                                          : inputs.bypassScan ? QualityTextRawScan
                                                                              : QualityTextLoadedFile);
            qualityFigures_ = std::make_shared<const quality::SideQuality>(std::move(side));
        }
    }
    qualityPage_.revision = revision;
}

}  // namespace calvix
