// Bounded whole-file reads over the program's regular-file opener.
#include "InputFile.h"

#include "app/RegularFile.h"

#include <cstdio>

namespace calvix::verify {

ReadResult ReadInputFile(const std::string& path, std::size_t maxBytes, std::string& content, std::string& error) {
    content.clear();
    std::FILE* file = OpenRegularFile(path, error);
    if (file == nullptr) return ReadResult::Unreadable;
    char chunk[65536];
    ReadResult result = ReadResult::Ok;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (n == 0) break;
        if (content.size() + n > maxBytes) {
            error = "larger than " + std::to_string(maxBytes) + " bytes";
            result = ReadResult::TooLarge;
            break;
        }
        content.append(chunk, n);
    }
    if (result == ReadResult::Ok && std::ferror(file) != 0) {
        error = "read error";
        result = ReadResult::Unreadable;
    }
    std::fclose(file);
    if (result != ReadResult::Ok) content.clear();
    return result;
}

}  // namespace calvix::verify
