// The light field across the scanned image: a radial cos^4 fall-off from the image's centre,
// scaled so that the corners lose the given percentage of the light. Applied in linear light.
#pragma once

namespace calvix {

class Illumination {
public:
    Illumination(int width, int height, double falloffPercent);

    bool Flat() const { return k_ == 0.0; }
    // The relative light at (x, y), 1 at the centre.
    double At(double x, double y) const { return Field(Radius2(x, y)); }
    // Per axis parts of the squared radius, so rows add them without recomputing.
    double PartX(double x) const { return k_ * (x - cx_) * (x - cx_) / corner2_; }
    double PartY(double y) const { return k_ * (y - cy_) * (y - cy_) / corner2_; }
    static double FieldOfParts(double parts) { return 1.0 / ((1.0 + parts) * (1.0 + parts)); }

    // Percent of light lost at the midpoints of the left/right and top/bottom edges, and corners.
    double EdgeLossX() const { return 100.0 * (1.0 - At(0.0, cy_)); }
    double EdgeLossY() const { return 100.0 * (1.0 - At(cx_, 0.0)); }
    double CornerLoss() const { return 100.0 * (1.0 - At(0.0, 0.0)); }

private:
    double Radius2(double x, double y) const { return ((x - cx_) * (x - cx_) + (y - cy_) * (y - cy_)) / corner2_; }
    double Field(double r2) const { return FieldOfParts(k_ * r2); }

    double cx_, cy_, corner2_;
    // cos^4 of the angle whose tangent grows with the radius: 1 / (1 + k r^2)^2.
    double k_ = 0.0;
};

}  // namespace calvix
