// Whole-file helpers shared by every writer of settings, lists, tables and logs.
#include "app/AtomicFile.h"

#include "app/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace calvix {

void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Best effort: the rename is done and the file whole, and some file systems refuse to sync a
    // folder (EINVAL); reporting a failure then would call a written file unwritten.
    ::fsync(fd);
    ::close(fd);
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)), temp_(path_ + ".XXXXXX") {
    // Refused before the temporary file exists, so nothing is left beside a device's node.
    refusal_ = ReplaceTargetProblem(path_);
    if (!refusal_.empty()) return;
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        openError_ = errno;
        return;
    }
    out_.emplace(fd_);
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temp_.c_str());
    fd_ = -1;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) { return out_ && out_->Write(data, size); }

bool AtomicFileWriter::WriteZeros(std::size_t count) { return out_ && out_->WriteZeros(count); }

bool AtomicFileWriter::WriteGather(std::span<const struct iovec> pieces) { return out_ && out_->WriteGather(pieces); }

bool AtomicFileWriter::Fail(const char* what, int code, std::string* error) {
    return Fail(what, std::string(std::strerror(code)), error);
}

bool AtomicFileWriter::Fail(const char* what, const std::string& reason, std::string* error) {
    Discard();
    if (error) *error = std::string(what) + " '" + path_ + "': " + reason;
    return false;
}

bool AtomicFileWriter::Commit(std::string* error) {
    if (!refusal_.empty()) return Fail("will not replace", refusal_, error);
    if (fd_ < 0) return Fail("cannot create", openError_ != 0 ? openError_ : EBADF, error);
    if (!out_->Flush()) return Fail("cannot write", out_->Error(), error);
    // mkstemp creates the file 0600; settings, logs and images are ordinary user files.
    ::fchmod(fd_, 0644);
    // The content reaches the disk before the name does: otherwise a power cut after the rename
    // can leave an empty file under the target's name where the old one was whole.
    if (::fsync(fd_) != 0) return Fail("cannot write", errno, error);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temp_.c_str());
        return Fail("cannot close", code, error);
    }
    // Once more just before the rename: the node may have appeared while the content was written.
    if (refusal_ = ReplaceTargetProblem(path_); !refusal_.empty()) {
        ::unlink(temp_.c_str());
        return Fail("will not replace", refusal_, error);
    }
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
        const int code = errno;
        ::unlink(temp_.c_str());
        return Fail("cannot replace", code, error);
    }
    SyncFolderOf(path_);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error) {
    AtomicFileWriter file(path);
    file.Write(content.data(), content.size());
    return file.Commit(error);
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    // Only regular files: a FIFO named like a settings or list file would block the start.
    std::string notRegular;
    std::FILE* f = OpenRegularFile(path, notRegular);
    if (!f) return std::nullopt;
    std::string content;
    char chunk[65536];
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) break;
        if (content.size() + n > maxBytes) {
            std::fclose(f);
            return std::nullopt;
        }
        content.append(chunk, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return content;
}

std::string FileNamePart(const std::string& path) {
    const std::size_t pos = path.find_last_of("/\\");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace calvix
