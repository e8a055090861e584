// Keeps Windows Sockets paired with its clean-up when an error (a function
// that cannot be bound, a window operation that fails) escapes the work done
// while it is held.
#pragma once

#include <utility>

#include "interfaces/os.h"

namespace hw {

// Runs `use` while Windows Sockets is held. On the normal path the caller
// ends the use with SocketsCleanup (which may show a message and end the
// program); when an error escapes, Windows Sockets is given back quietly and
// the error goes on to the caller, which only sees that error.
template <class Use>
auto ReleasingSocketsOnError(Os& os, Use&& use) -> decltype(use()) {
  try {
    return std::forward<Use>(use)();
  } catch (...) {
    try {
      os.WSACleanup();
    } catch (...) {
      // The first error is the one worth reporting.
    }
    throw;
  }
}

}  // namespace hw
