// The application's exception family: what "raises" in the core (a settings value of the
// wrong type) and is caught by the program entry's outermost handlers.
#pragma once

#include <stdexcept>
#include <string>

namespace calvix {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message, int kind = 1) : std::runtime_error(message), kind_(kind) {}
    // A number that identifies the kind of exception in the entry's handler lines.
    int Kind() const { return kind_; }

private:
    int kind_;
};

class ERegistryException : public Exception {
public:
    explicit ERegistryException(const std::string& message) : Exception(message, 2) {}
};

class EConvertError : public Exception {
public:
    explicit EConvertError(const std::string& message) : Exception(message, 3) {}
};

}  // namespace calvix
