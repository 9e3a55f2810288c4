// The overview bitmap of an image window: the whole image reduced into the overview's size,
// stretched or with its aspect ratio kept, pixels dropped rather than blended.
#pragma once

#include "analysis/ImageHost.h"
#include "analysis/ScanBitmap.h"

namespace calvix {

// An empty bitmap when either the image or the overview size is empty.
ScanBitmap MakeOverviewBitmap(const ScanBitmap& image, const OverviewGeometry& geometry);

}  // namespace calvix
