#pragma once

#include <stdexcept>
#include <string>

namespace tarn {

// An error with a number and a description, the pair the sync engine's bail-out reports. Each
// layer that throws has its own class deriving from this one, so the bail-out catches them all
// in one place and still knows which layer failed.
class NumberedError : public std::runtime_error {
  public:
    NumberedError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }
    std::string description() const { return what(); }

  private:
    int number_;
};

}  // namespace tarn
