// The conversion of the reference record's grey-patch XYZ values into ReferenceGreyTable,
// and the two options of TIT8Ref (gamma, chromatic adaptation) that shape it.
#include "it8ref/ReferenceGrey.h"

#include "it8ref/It8Ref.h"

#include <cmath>

namespace calvix {

// Constant-initialised, so the defaults are in force before any dynamic initialisation runs.
constinit GreyTable ReferenceGreyTable = DefaultReferenceGrey;

void ResetReferenceGrey() { ReferenceGreyTable = DefaultReferenceGrey; }

void SetReferenceGrey(int index, float r, float g, float b) {
    if (index < 0 || index >= static_cast<int>(ReferenceGreyTable.size())) return;
    ReferenceGreyTable[index] = {r, g, b};
}

namespace {

// The sRGB-like transfer without a linear toe. A negative linear value has no real power
// for a non-integer exponent; it is mirrored instead (-(|c|^e)), which keeps the curve
// monotonic and continuous across gamma settings and equals the plain power for gamma 1.0.
// It also keeps gamma 0.5 (exponent 2) from turning a below-black patch into a positive one.
float Transfer(float linear, double exponent) {
    const double magnitude = std::pow(std::fabs(static_cast<double>(linear)), exponent);
    const double shaped = linear < 0.0f ? -magnitude : magnitude;
    return static_cast<float>(shaped * 1.055 - 0.055);
}

}  // namespace

GreyRgb ConvertGrey(const float xyz[3], const ColourMatrix& matrix, double gamma) {
    const float x = static_cast<float>(0.01 * xyz[0]);
    const float y = static_cast<float>(0.01 * xyz[1]);
    const float z = static_cast<float>(0.01 * xyz[2]);
    const double exponent = 1.0 / gamma;
    GreyRgb rgb{};
    for (std::size_t c = 0; c < 3; ++c) {
        const float linear = matrix[c][0] * x + matrix[c][1] * y + matrix[c][2] * z;
        float value = Transfer(linear, exponent);
        if (value > 1.0f) value = 1.0f;
        rgb[c] = value * 255.0f;
    }
    return rgb;
}

std::int32_t TIT8Ref::SetGamma(float value) {
    gamma = value;
    return UpdateReferenceGrey();
}

std::int32_t TIT8Ref::SetChromaticAdaptation(bool flag) {
    chromaticAdaptation = flag;
    return UpdateReferenceGrey();
}

std::int32_t TIT8Ref::UpdateReferenceGrey() {
    const ColourMatrix& matrix = chromaticAdaptation ? AdaptedMatrix : PlainMatrix;
    for (int i = 0; i < It8GreyPatches; ++i) {
        const GreyRgb rgb = ConvertGrey(greyXYZ[i], matrix, gamma);
        SetReferenceGrey(i, rgb[0], rgb[1], rgb[2]);
    }
    return 0;
}

}  // namespace calvix
