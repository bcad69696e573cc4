#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace zv::tool {

std::string OutputProblem(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
        return fs::exists(folder, error) ? "'" + folder.string() + "' is not a folder"
                                         : "the folder '" + folder.string() + "' does not exist";
    }
    if (fs::is_directory(path, error)) return "is a folder";
    const bool existed = fs::exists(path, error);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return std::strerror(errno);
    std::fclose(file);
    if (!existed) fs::remove(path, error);
    return "";
}

OutputFile::OutputFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (!file_) Fail(std::strerror(errno));
}

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::Write(const void* data, size_t size) {
    if (error_ != 0) return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) error_ = errno != 0 ? errno : EIO;
    return error_ == 0;
}

void OutputFile::Close() {
    if (error_ == 0 && std::fflush(file_) != 0) error_ = errno;
    if (std::fclose(file_) != 0 && error_ == 0) error_ = errno;
    file_ = nullptr;
    if (error_ != 0) Fail(std::strerror(error_));
}

void OutputFile::Fail(const std::string& reason) const {
    throw std::runtime_error(path_ + ": cannot write the drawing: " + reason);
}

}  // namespace zv::tool
