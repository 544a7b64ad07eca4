#pragma once
// Helpers shared by the fuzz targets: taking choices from the front of the
// input, and handing bytes to code that reads files by path.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kvxfuzz {

// Takes bytes from the front of the input; past its end every byte is 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool Bit(uint8_t byte, int bit) const { return (byte >> bit) & 1; }
    // A short text: one length byte (mod maxLen + 1), then that many bytes.
    std::string Text(size_t maxLen) {
        size_t n = Byte() % (maxLen + 1);
        std::string s;
        while (n-- > 0 && pos_ < size_) s += static_cast<char>(data_[pos_++]);
        return s;
    }
    std::string_view Rest() const {
        return {reinterpret_cast<const char*>(data_ + pos_), size_ - pos_};
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// The bytes as an anonymous in-memory file, opened again through its
// /proc/self/fd path, so that code reading by path sees a regular file.
class MemFile {
public:
    explicit MemFile(std::string_view bytes) {
        fd_ = ::memfd_create("kvx-fuzz", MFD_CLOEXEC);
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) std::abort();
            done += static_cast<size_t>(n);
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemFile() { ::close(fd_); }
    MemFile(const MemFile&) = delete;
    MemFile& operator=(const MemFile&) = delete;
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

#define KVX_FUZZ_CHECK(cond)                                                         \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

}  // namespace kvxfuzz
