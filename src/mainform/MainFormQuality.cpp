// TMainFormular's Quality page: the current window's chart measured through the reading the
// calibration itself stands on (the reference encoding of a loaded reference file; sRGB while
// the built-in defaults are in force), held until what it was measured from changes.
#include "mainform/MainForm.h"

#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "mainform/QualityTable.h"
#include "quality/GreyEvaluation.h"
#include "quality/ReferenceLab.h"
#include "quality/SideQuality.h"

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
        }
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
    } else if (inputs.window == nullptr || !inputs.cornersValid || inputs.window->image.Empty()) {
        qualityPage_ = EmptyQualityPage(textBase, QualityText(textBase, QualityTextNoChart));
    } else {
        quality::SideQualityInput input;
        input.chart = inputs.window->originalImage ? inputs.window->originalImage.get() : &inputs.window->image;
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
                decoder = QualityText(textBase, QualityTextReferenceEncoding) + " (gamma " + GammaText(inputs.gamma) +
                          ", " + QualityText(textBase, inputs.adapted ? QualityTextAdaptedMatrix : QualityTextPlainMatrix) + ")";
            }
        } else {
            DefaultReferenceOf(input);
        }
        if (!input.decode) {
            input.decode = quality::SrgbDecoder();
            decoder = QualityText(textBase, QualityTextSrgbDefaults);
        }
        input.decoderName = decoder;
        quality::SideQuality side;
        std::string error;
        if (!quality::MeasureSideQuality(input, &side, &error)) {
            qualityPage_ = EmptyQualityPage(textBase, error);
        } else {
            if (inputs.reference.empty()) {
                // No colour reference: no colour figures, nor a grade resting on them.
                side.colour = {};
                side.grades = quality::GradeFigures(quality::FiguresOf(side));
            }
            qualityPage_ = QualityPageOf(side, decoder, textBase);
            qualityFigures_ = std::make_shared<const quality::SideQuality>(std::move(side));
        }
    }
    qualityPage_.revision = revision;
}

}  // namespace calvix
