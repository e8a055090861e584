/* Resource ids of the Windows program, shared by hostwarden.rc and the forms
   backend. Plain defines: the resource compiler reads this file too. */
#ifndef HOSTWARDEN_RESOURCE_IDS_H
#define HOSTWARDEN_RESOURCE_IDS_H

/* The SDK's own IDI_WARNING (the system's exclamation icon) is replaced by
   ours below; including the SDK first makes that hold whatever a file
   includes after this one. */
#include <windows.h>

/* The application icon has the lowest id, so it is the first icon resource
   and the one Explorer shows for the program. */
#define IDI_HOSTWARDEN 1
#define IDI_HOSTWARDEN_WARNING 2

#undef IDI_WARNING
#define IDI_WARNING IDI_HOSTWARDEN_WARNING

#endif
