// The certificate's two plots, painted into a rectangle of the page: one side's correction
// curves with its grey samples (the graph window's drawing commands), and the drift of the
// last runs from the history.
#pragma once

#include "History.h"
#include "SideMeasurement.h"
#include "calibration/CorrectionTypes.h"

#include <QPainter>
#include <QRectF>

namespace calvix::verify {

inline constexpr std::size_t DriftRuns = 10;

// curves: the record's tables for the side, or null when no record is known (then the plot
// shows only the diagonal and the samples). Samples are the verification's measured levels
// against the reference levels, so a scanner in calibration puts them on the diagonal.
void PaintCurves(QPainter& painter, const QRectF& area, const SideResult& side, const ChannelTables* curves);

// Mean and max |difference| per side over the last DriftRuns entries.
void PaintDrift(QPainter& painter, const QRectF& area, const HistoryRead& history);

}  // namespace calvix::verify
