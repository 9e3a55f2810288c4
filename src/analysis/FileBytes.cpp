// Bounded whole-file reads for the picture decoders. Only regular files are read (a FIFO or
// a device could block or never end); the head is read first, so a format whose header gives
// its size is refused or read to that size before any more is read.

#include "analysis/FileBytes.h"

#include "app/RegularFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace calvix {

namespace {

// Appends up to count bytes (stopping at end of file) in chunks; false on a read error.
bool ReadUpTo(std::FILE* file, ImageBytes& bytes, std::size_t count) {
    constexpr std::size_t chunk = 1 << 20;
    while (count > 0) {
        const std::size_t have = bytes.size();
        const std::size_t want = std::min(chunk, count);
        // Image memory: the chunk is not zero-filled before the read overwrites it.
        bytes.resize(have + want);
        const std::size_t got = std::fread(bytes.data() + have, 1, want, file);
        bytes.resize(have + got);
        if (got < want) return std::ferror(file) == 0;
        count -= got;
    }
    return true;
}

}  // namespace

bool ReadFileBytes(const std::string& path, ImageBytes& bytes, std::string& error, std::size_t maxBytes,
                   const HeadCheck& check) {
    bytes.clear();
    std::string reason;
    std::FILE* file = OpenRegularFile(path, reason);
    if (file == nullptr) {
        error = "cannot open '" + path + "': " + reason;
        return false;
    }
    const std::string tooLarge = "file '" + path + "' is too large";
    bool ok = true;
    try {
        // The size decides nothing but the buffer and an early refusal; the reads keep the
        // bound themselves, so a file that grows meanwhile is still cut off.
        struct stat info {};
        const bool sized = ::fstat(::fileno(file), &info) == 0 && info.st_size >= 0;
        const auto size = static_cast<std::uint64_t>(sized ? info.st_size : 0);
        ok = ReadUpTo(file, bytes, FileHeadBytes);
        std::uint64_t needed = 0;
        const std::string refusal = ok && check ? check(bytes, needed) : std::string();
        if (!refusal.empty()) {
            error = refusal;
            ok = false;
        } else if (!ok) {
            error = "cannot read '" + path + "'";
        } else if ((needed > maxBytes && !(sized && size <= maxBytes)) || (needed == 0 && size > maxBytes)) {
            // Known from the header or the file's size: refused before the rest is read. A file
            // within the bound is read whole even when its header claims more, so the decoder can
            // name what the header gets wrong instead of calling a small file too large.
            error = tooLarge;
            ok = false;
        } else {
            const std::uint64_t limit = needed != 0 ? needed : maxBytes + std::uint64_t{1};
            if (limit > bytes.size()) {
                // One chunk beyond the size: the last read, which finds the end, needs no move.
                bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(limit, size + (1 << 20))));
                ok = ReadUpTo(file, bytes, static_cast<std::size_t>(limit - bytes.size()));
                if (!ok) error = "cannot read '" + path + "'";
            }
            if (ok && bytes.size() > maxBytes) {
                error = tooLarge;
                ok = false;
            }
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
