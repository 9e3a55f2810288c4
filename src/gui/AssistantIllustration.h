// The wizard's pictures, painted rather than loaded: the IT8 chart, the Q71 with its feeder, the
// chart going in face up or turned over, the corners to mark, and the finished run.
#pragma once

#include <QWidget>

class QPainter;
class QRectF;

namespace calvix {

enum class Illustration { Reference, Warmup, ScanFront, ScanRear, MarkCorners, Finished };

// Paints one picture into the rectangle (drawn for about 170 x 230, scaled to fit).
void PaintIllustration(QPainter& painter, const QRectF& area, Illustration picture);

class AssistantIllustration final : public QWidget {
public:
    AssistantIllustration(Illustration picture, QWidget* parent);
    QSize sizeHint() const override { return {170, 230}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Illustration picture_;
};

}  // namespace calvix
