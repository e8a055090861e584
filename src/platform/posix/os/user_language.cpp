// GetUserDefaultUILanguage for Linux: the language of the locale's messages,
// from the environment as gettext reads it.
#include <cstdlib>

#include "platform/posix/os/posix_os.h"
#include "text/language.h"

namespace hw::posix {
namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

uint16_t PosixOs::GetUserDefaultUILanguage() {
  return LangIdOfLocale({Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")});
}

}  // namespace hw::posix
