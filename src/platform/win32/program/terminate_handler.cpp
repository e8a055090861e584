// What ends the program when an exception escapes everything. The C++
// library's default handler prints the exception's type by its demangled
// name before it aborts; its demangler alone is a tenth of the program, and
// a window program's standard error goes nowhere. This one aborts the same
// way without the name.
//
// The library is linked statically, and its default handler is this very
// function: defining it here takes the place of the library's, so its
// verbose handler and the demangler behind it are never linked.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
