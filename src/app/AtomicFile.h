// Whole-file reads and writes. Writes go to a temporary file in the same folder that is then
// renamed over the target, so a crash never leaves half a file behind.
#pragma once

#include "app/BufferedWriter.h"

#include <cstddef>
#include <optional>
#include <string>

namespace calvix {

// A file written piece by piece into a temporary file beside the target, which Commit renames
// over the target. Whatever fails, the target is never half written: an uncommitted or failed
// temporary file is removed. The rename replaces a symbolic link rather than writing through it;
// a target that is a folder, device, FIFO or socket (itself or behind a link) is refused.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Buffered; false once anything has failed (Commit then reports it).
    bool Write(const void* data, std::size_t size);
    bool WriteZeros(std::size_t count);
    bool WriteGather(std::span<const struct iovec> pieces);
    // True when the whole content is in place under the target's name; otherwise error (when
    // given) names the path and the system's reason.
    bool Commit(std::string* error = nullptr);

private:
    bool Fail(const char* what, int code, std::string* error);
    bool Fail(const char* what, const std::string& reason, std::string* error);
    void Discard();

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    int openError_ = 0;
    std::string refusal_;
    std::optional<BufferedFdWriter> out_;
};

// Writes content to path by temporary file and rename. On failure returns false, leaves the
// target untouched and, when error is given, describes the failure there.
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error = nullptr);

// Makes a rename in path's folder last through a power cut (best effort, see the source).
void SyncFolderOf(const std::string& path);

// Reads a whole file up to maxBytes; nothing when it cannot be opened or is larger.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes);

// The part of a path after its last '/' or '\' (the whole path when it has neither).
std::string FileNamePart(const std::string& path);

}  // namespace calvix
