// Opening outside input for reading only when it is a regular file: a folder, FIFO or device
// is refused before anything is read, so a reader neither blocks on a pipe nor reads forever.
// Writers ask the same of what they would replace.
#pragma once

#include <cstdio>
#include <string>

namespace calvix {

// The open file, or nullptr with the reason (without the path) in error.
std::FILE* OpenRegularFile(const std::string& path, std::string& error);

// Why a writer must not put a new file in place of path, empty when it may: path is missing,
// a regular file, or a symbolic link to one or to nothing (the link itself is replaced). A
// folder, device, FIFO or socket there is the operator's slip, and renaming over it would
// destroy the node while reporting success.
std::string ReplaceTargetProblem(const std::string& path);

}  // namespace calvix
