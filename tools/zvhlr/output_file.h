// The drawing's file: checked before a long calculation starts, and written
// through a stream that keeps the system's reason for a failed write.
#pragma once

#include <cstdio>
#include <string>

namespace zv::tool {

// Why the file cannot be written ("the folder 'out' does not exist",
// "Permission denied", ...), or an empty text when it can.  A file that did
// not exist before is not left behind.
std::string OutputProblem(const std::string& path);

class OutputFile {
public:
    // Throws std::runtime_error naming the file and the reason when it cannot be opened.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False after a failed write; the reason is kept for Close.
    bool Write(const void* data, size_t size);

    // Flushes and closes; throws std::runtime_error naming the file and the
    // system's reason when any write failed.
    void Close();

    // Throws as Close does, for a failure that the writer noticed itself.
    [[noreturn]] void Fail(const std::string& reason) const;

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

}  // namespace zv::tool
