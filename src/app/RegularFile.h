// Opening outside input for reading only when it is a regular file: a folder, FIFO or device
// is refused before anything is read, so a reader neither blocks on a pipe nor reads forever.
#pragma once

#include <cstdio>
#include <string>

namespace calvix {

// The open file, or nullptr with the reason (without the path) in error.
std::FILE* OpenRegularFile(const std::string& path, std::string& error);

}  // namespace calvix
