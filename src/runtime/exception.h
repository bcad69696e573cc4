// Exceptions raised inside the library. None of them ever leaves an export.
#pragma once

#include <stdexcept>
#include <string>

namespace zv {

// The runtime's general exception: a message text and nothing else.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// An index outside 0..Count-1 of a pointer list.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// A text that is not a number where a number was expected.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace zv
