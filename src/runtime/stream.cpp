#include "runtime/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zv {

void TStream::ReadExact(void* buffer, size_t count) {
    if (Read(buffer, count) != count) throw EStreamError("Stream read error");
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    if (count > available) count = available;
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
}

void TMemoryStream::Seek(int64_t position) {
    if (position < 0 || position > Size()) throw EStreamError("Stream seek error");
    position_ = static_cast<size_t>(position);
}

namespace {

// Opens a regular file for reading; a device, a pipe or a directory could
// block or never end.
std::FILE* OpenRegularFile(const std::string& fileName) {
    int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, TMode mode) : fileName_(fileName) {
    file_ = mode == fmCreate ? std::fopen(fileName.c_str(), "w+b") : OpenRegularFile(fileName);
    if (!file_) throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() { std::fclose(file_); }

size_t TFileStream::Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, file_); }

void TFileStream::Write(const void* buffer, size_t count) {
    if (std::fwrite(buffer, 1, count, file_) != count) throw EStreamError("Stream write error on " + fileName_);
}

void TFileStream::Flush() {
    if (std::fflush(file_) != 0) throw EStreamError("Stream write error on " + fileName_);
}

void TFileStream::Seek(int64_t position) {
    if (position < 0 || position > Size() || std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0)
        throw EStreamError("Stream seek error");
}

int64_t TFileStream::Position() const { return std::ftell(file_); }

int64_t TFileStream::Size() const {
    long here = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    long size = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    return size;
}

}  // namespace zv
