// Byte streams: a position in a sequence of bytes that can be read, written
// and moved. The memory stream keeps the bytes in a growable block; the file
// stream reads and writes a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/exception.h"

namespace zv {

// A file that cannot be opened or created.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// Fewer bytes than asked for, or a failed write.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes count bytes; raises EStreamError when they do not all go out.
    virtual void Write(const void* buffer, size_t count) = 0;
    // Moves to position (0..Size); raises EStreamError outside that range.
    virtual void Seek(int64_t position) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;

    // Reads exactly count bytes or raises EStreamError.
    void ReadExact(void* buffer, size_t count);
    void WriteText(const std::string& text) { Write(text.data(), text.size()); }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    void Seek(int64_t position) override;
    int64_t Position() const override { return static_cast<int64_t>(position_); }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    size_t position_ = 0;
};

class TFileStream : public TStream {
public:
    enum TMode { fmOpenRead, fmCreate };
    // Raises EFOpenError when the file cannot be created, or cannot be
    // opened for reading or is no regular file.
    TFileStream(const std::string& fileName, TMode mode);
    ~TFileStream() override;

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    void Seek(int64_t position) override;
    int64_t Position() const override;
    int64_t Size() const override;
    // Writes what is buffered; raises EStreamError when that fails.
    void Flush();

private:
    std::FILE* file_ = nullptr;
    std::string fileName_;
};

}  // namespace zv
