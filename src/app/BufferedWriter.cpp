// Buffered descriptor output with short-write and interruption handling.
#include "app/BufferedWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <sys/uio.h>
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

bool BufferedFdWriter::WriteGather(std::span<const struct iovec> pieces) {
    if (!Flush()) return false;
#ifdef IOV_MAX
    constexpr std::size_t kBatch = IOV_MAX;
#else
    constexpr std::size_t kBatch = 16;  // the least POSIX allows
#endif
    std::vector<struct iovec> batch;
    for (std::size_t next = 0; next < pieces.size() && error_ == 0;) {
        const std::size_t count = std::min(pieces.size() - next, kBatch);
        batch.assign(pieces.begin() + static_cast<std::ptrdiff_t>(next),
                     pieces.begin() + static_cast<std::ptrdiff_t>(next + count));
        next += count;
        std::size_t first = 0;
        for (;;) {
            // Empty pieces are passed over, so a call that takes nothing always means a full disk.
            while (first < batch.size() && batch[first].iov_len == 0) ++first;
            if (first == batch.size() || error_ != 0) break;
            const ssize_t n = ::writev(fd_, batch.data() + first, static_cast<int>(batch.size() - first));
            if (n < 0) {
                if (errno != EINTR) error_ = errno;
                continue;
            }
            if (n == 0) error_ = ENOSPC;
            // A short write ends inside some piece; the rest of it goes in the next call.
            std::size_t done = static_cast<std::size_t>(n);
            while (done > 0) {
                const std::size_t take = std::min(done, batch[first].iov_len);
                batch[first].iov_base = static_cast<char*>(batch[first].iov_base) + take;
                batch[first].iov_len -= take;
                done -= take;
                if (batch[first].iov_len == 0) ++first;
            }
        }
    }
    return error_ == 0;
}

bool BufferedFdWriter::Flush() {
    if (error_ != 0) return false;
    const bool ok = WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

}  // namespace calvix
