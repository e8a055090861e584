// The user's interface language (Windows 2000 and later; earlier systems
// raise MissingFunction, and their users get German).
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {

uint16_t Win32Os::GetUserDefaultUILanguage() { return system_.GetUserDefaultUILanguage.Get()(); }

}  // namespace hw::win32
