#pragma once
// The base of the program's own failures: a message, read by what().
//
// Not std::runtime_error: where the C++ library is linked statically (the
// Windows program), that type keeps its message in the library's second,
// older string implementation, which would come into the program for it
// alone.
#include <exception>
#include <string>
#include <utility>

namespace hw {

class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace hw
