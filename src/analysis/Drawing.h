// Deterministic drawing into a ScanBitmap: lines of a pen width, closed polygon outlines,
// filled rectangles and the corner marker. Everything is clipped to the image.
#pragma once

#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"

#include <optional>
#include <span>

namespace calvix {

// Copy paints the pen colour; NotXor paints the inverse of (pen xor pixel), which for a black
// pen inverts the pixel, so drawing the same figure twice restores the image.
enum class PenMode { Copy, NotXor };
enum class PenTip { Round, Square };

struct Pen {
    PackedColour colour = MakeColour(0, 0, 0);
    int width = 1;
    PenMode mode = PenMode::Copy;
    PenTip tip = PenTip::Round;
};

// Widths beyond this are drawn with it; no figure of this program needs more.
inline constexpr int MaxPenWidth = 64;

// Both end points are drawn. The pen's tip is stamped on every pixel of the Bresenham line.
void DrawLine(ScanBitmap& image, Point from, Point to, const Pen& pen);

// Outline through the vertices, closed back to the first one; each pixel is painted once.
void DrawPolygon(ScanBitmap& image, std::span<const Point> vertices, const Pen& pen);

// Fills left <= x < right, top <= y < bottom.
void FillRect(ScanBitmap& image, int left, int top, int right, int bottom, PackedColour colour);

// Four lines from the centre to the corners of a square of half size s, and the square's
// outline. Without a pen the marker is drawn with an inverting black pen, one pixel wide.
void DrawMarker(ScanBitmap& image, Point centre, int halfSize, const std::optional<Pen>& pen);

}  // namespace calvix
