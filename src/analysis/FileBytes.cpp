// Bounded whole-file reads for the picture decoders. Only regular files are read (a FIFO or
// a device could block or never end); reads go in chunks until end of file rather than
// trusting the size, so a file that grows meanwhile still keeps the bound.

#include "analysis/FileBytes.h"

#include "app/RegularFile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace calvix {

bool ReadFileBytes(const std::string& path, ImageBytes& bytes, std::string& error,
                   std::size_t maxBytes) {
    bytes.clear();
    std::string reason;
    std::FILE* file = OpenRegularFile(path, reason);
    if (file == nullptr) {
        error = "cannot open '" + path + "': " + reason;
        return false;
    }
    constexpr std::size_t chunk = 1 << 20;
    bool ok = true;
    try {
        // The size query only sizes the buffer once; the reads below still keep the bound.
        struct stat info {};
        if (::fstat(::fileno(file), &info) == 0 && info.st_size >= 0 &&
            static_cast<std::size_t>(info.st_size) <= maxBytes)
            bytes.reserve(static_cast<std::size_t>(info.st_size) + chunk);
        for (;;) {
            const std::size_t have = bytes.size();
            if (have > maxBytes) {
                error = "file '" + path + "' is too large";
                ok = false;
                break;
            }
            // Image memory: the chunk is not zero-filled before the read overwrites it.
            bytes.resize(have + chunk);
            const std::size_t got = std::fread(bytes.data() + have, 1, chunk, file);
            bytes.resize(have + got);
            if (got < chunk) {
                if (std::ferror(file)) {
                    error = "cannot read '" + path + "'";
                    ok = false;
                }
                break;
            }
        }
        if (ok && bytes.size() > maxBytes) {
            error = "file '" + path + "' is too large";
            ok = false;
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read '" + path + "'";
        ok = false;
    }
    std::fclose(file);
    if (!ok) bytes.clear();
    return ok;
}

}  // namespace calvix
