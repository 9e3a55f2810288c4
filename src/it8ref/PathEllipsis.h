// Shortening a file path for a label of limited width: the directory part gives way to an
// ellipsis, the file name always stays whole.
#pragma once

#include <cstddef>
#include <string>

namespace calvix {

// The path itself when it fits `width` characters (counted as UTF-8 code points); else the
// head of its directory part, "...", and the last separator with the file name, filling the
// width. When the file name alone leaves no room, "..." plus separator and name (which may
// then exceed the width: the name is never cut).
std::string ShortenPathForLabel(const std::string& path, std::size_t width);

}  // namespace calvix
