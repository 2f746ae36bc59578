#pragma once

#include <stdexcept>
#include <string>

namespace tarn::platform {

// A failed call on the outside world (ODBC, handheld database, registry, conduit registry).
// Carries a number and a description so the sync engine's bail-out can report both.
class PlatformError : public std::runtime_error {
public:
    PlatformError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }
    std::string description() const { return what(); }

private:
    int number_;
};

}  // namespace tarn::platform
