// What the C++ library throws when a container or string is misused or out
// of memory. The library's own versions of these functions throw its
// logic_error family, whose messages live in its second, older string
// implementation; with the library linked statically, that string and those
// types would make up a tenth of the program. These take their place (the
// library's object with them is then never linked) and throw the same for
// memory, and for everything else one exception that keeps the library's
// message: every caller in the program catches std::exception, never a
// narrower type of the library's.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryFailure : public std::exception {
 public:
  explicit LibraryFailure(const char* message) : message_(message ? message : "C++ library failure") {}
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;  // the library passes its messages as literals
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* message) { throw LibraryFailure(message); }
void __throw_domain_error(const char* message) { throw LibraryFailure(message); }
void __throw_invalid_argument(const char* message) { throw LibraryFailure(message); }
void __throw_length_error(const char* message) { throw LibraryFailure(message); }
void __throw_out_of_range(const char* message) { throw LibraryFailure(message); }
// The library's formats begin with the function's name ("%s: __pos ..."):
// the message is that name, the figures are left out.
void __throw_out_of_range_fmt(const char* format, ...) {
  const char* message = format;
  if (format && std::strncmp(format, "%s", 2) == 0) {
    std::va_list figures;
    va_start(figures, format);
    message = va_arg(figures, const char*);
    va_end(figures);
  }
  throw LibraryFailure(message);
}
void __throw_runtime_error(const char* message) { throw LibraryFailure(message); }
void __throw_range_error(const char* message) { throw LibraryFailure(message); }
void __throw_overflow_error(const char* message) { throw LibraryFailure(message); }
void __throw_underflow_error(const char* message) { throw LibraryFailure(message); }

}  // namespace std
