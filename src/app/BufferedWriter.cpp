// Buffered descriptor output with short-write and interruption handling.
#include "app/BufferedWriter.h"

#include <cerrno>
#include <unistd.h>

namespace calvix {

BufferedFdWriter::BufferedFdWriter(int fd, std::size_t capacity) : fd_(fd), capacity_(capacity > 0 ? capacity : 1) {}

bool BufferedFdWriter::WriteOut(const char* data, std::size_t size) {
    while (size > 0 && error_ == 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno != EINTR) error_ = errno;
            continue;
        }
        // A regular file that takes nothing is full; write reports no errno for that.
        if (n == 0) error_ = ENOSPC;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return error_ == 0;
}

bool BufferedFdWriter::Write(const void* data, std::size_t size) {
    if (error_ != 0) return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > capacity_) {
        if (!Flush()) return false;
        // A piece as large as the buffer gains nothing from a copy.
        if (size >= capacity_) return WriteOut(bytes, size);
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
}

bool BufferedFdWriter::WriteZeros(std::size_t count) {
    static const char zeros[64] = {};
    while (count > 0) {
        const std::size_t piece = count < sizeof zeros ? count : sizeof zeros;
        if (!Write(zeros, piece)) return false;
        count -= piece;
    }
    return true;
}

bool BufferedFdWriter::Flush() {
    if (error_ != 0) return false;
    const bool ok = WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

}  // namespace calvix
