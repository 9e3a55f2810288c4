// The core's file-dialog filters come in the Windows form "Label|pattern;pattern"; Qt's file
// dialog wants "Label (pattern pattern)" and reads the patterns from the last parenthesised group.
#pragma once

#include <QString>

#include <string>

namespace calvix {

// "JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg" becomes "JPEG (*.jpg *.jpeg)". A label that already ends
// with its own patterns keeps them once; "*.*" matches every file, as on Windows. A filter
// without a '|' is taken as Qt's form already.
QString QtNameFilter(const std::string& filter);

}  // namespace calvix
