// Reading a whole input file with a size bound, only when it is a regular file: a FIFO or a
// device named on the command line must neither block the tool nor feed it without end.
#pragma once

#include <cstddef>
#include <string>

namespace calvix::verify {

enum class ReadResult { Ok, Unreadable, TooLarge };

// content holds the file when Ok; error the reason otherwise (without the path).
ReadResult ReadInputFile(const std::string& path, std::size_t maxBytes, std::string& content, std::string& error);

}  // namespace calvix::verify
