// What the build fixes: the campus domain and the program's version.
#include "check/form_load.h"

namespace hw {

std::string_view DefaultCampusDomain() { return HOSTWARDEN_CAMPUS_DOMAIN; }

std::string_view ProgramVersion() { return HOSTWARDEN_VERSION; }

}  // namespace hw
