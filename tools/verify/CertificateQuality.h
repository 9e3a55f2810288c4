// The certificate's image-quality page: per side every figure with its FADGI, ISO 19264-1 and
// Metamorfoze level, each standard's grade with the figures that limit it, and the SFR curves.
#pragma once

#include "CertificatePage.h"
#include "VerifyReport.h"

namespace calvix::verify {

void QualityPage(certificate::Page& page, const VerifyResult& result);

// The green channel's MTF against cycles per pixel, horizontal and vertical, with the Nyquist
// frequency and the 50 % level marked.
void PaintSfr(QPainter& painter, const QRectF& area, const ChartSharpnessResult& sharpness);

}  // namespace calvix::verify
