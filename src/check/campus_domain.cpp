#include "check/form_load.h"

namespace hw {

std::string_view DefaultCampusDomain() { return HOSTWARDEN_CAMPUS_DOMAIN; }

}  // namespace hw
