// Buffered output to an open file descriptor: small pieces gather in one large buffer and go
// out in few write calls (a 23 MB image in about two dozen rather than thousands).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include <sys/uio.h>

namespace calvix {

inline constexpr std::size_t DefaultWriteBuffer = std::size_t{1} << 20;

class BufferedFdWriter {
public:
    // The descriptor stays the caller's to close.
    explicit BufferedFdWriter(int fd, std::size_t capacity = DefaultWriteBuffer);
    BufferedFdWriter(const BufferedFdWriter&) = delete;
    BufferedFdWriter& operator=(const BufferedFdWriter&) = delete;

    // False once any write has failed; the first failure's errno is kept.
    bool Write(const void* data, std::size_t size);
    bool WriteZeros(std::size_t count);
    // Large pieces straight from the caller's memory, after what is buffered: a scan's rows go
    // out in a few gathering write calls without being copied into the buffer first.
    bool WriteGather(std::span<const struct iovec> pieces);
    bool Flush();

    bool Failed() const { return error_ != 0; }
    int Error() const { return error_; }

private:
    bool WriteOut(const char* data, std::size_t size);

    int fd_;
    std::size_t capacity_;
    std::vector<char> buffer_;  // grows to capacity only as far as the data needs
    int error_ = 0;
};

}  // namespace calvix
