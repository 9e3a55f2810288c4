// Words for what a path names when it is not a plain file, so a refusal says what is wrong
// ("is a FIFO", "is a link to a character device") rather than how reading it went wrong.
#pragma once

#include <sys/types.h>
#include <string>

namespace calvix {

// "a folder", "a FIFO", "a character device", "a block device", "a socket", with "a link to "
// before it when the name itself is a symbolic link; empty for a regular file. mode: the type
// bits of what was opened or stat'ed.
std::string NotRegularFileKind(mode_t mode, bool viaLink);

// The same for a path, judged by lstat and stat; "a link to nothing" for a dangling link, empty
// when the path is a regular file, a link to one, or names nothing at all.
std::string PathKindProblem(const std::string& path);

}  // namespace calvix
