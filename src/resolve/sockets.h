// Windows Sockets 1.1, started and stopped around each resolver call.
#pragma once

#include "interfaces/forms.h"
#include "interfaces/os.h"

namespace hw {

// True when Windows Sockets may be used (the caller then calls SocketsCleanup);
// false after a message box saying why.
bool SocketsStartup(Os& os, Forms& forms);
// Ends the use of Windows Sockets; a refusal is shown and ends the program.
void SocketsCleanup(Os& os, Forms& forms);

}  // namespace hw
