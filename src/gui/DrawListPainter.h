// Paints what the views computed: a ScanBitmap shown in place as a QImage, and the drawing
// commands of a DrawList (fills, stretched image regions, lines, frames, polylines, markers).
#pragma once

#include <QImage>

#include "views/DrawList.h"

class QPainter;

namespace calvix {

// The bitmap's own pixels seen as a QImage (blue, green, red bytes, row 0 at the top): no
// copy, so it is valid only while the bitmap is neither changed in size nor freed. Null for
// an empty bitmap.
QImage WrapBitmap(const ScanBitmap& bitmap);

QColor ToQColor(PackedColour colour);

// source: the image that StretchCommands copy from; without one they are skipped.
void PaintDrawList(QPainter& painter, const DrawList& list, const ScanBitmap* source);
void PaintCommand(QPainter& painter, const DrawCommand& command, const ScanBitmap* source);

}  // namespace calvix
