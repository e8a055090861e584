#include "platform/posix/program/command_line.h"

#include "text/catalogue.h"

namespace hw::posix {

std::string VersionLine() { return std::string("hostwarden ") + HOSTWARDEN_VERSION; }

std::string UsageText() { return std::string(Text(Msg::Usage)); }

std::optional<int> AnswerInformationOption(const std::vector<std::string>& arguments, std::ostream& out) {
  for (const auto& argument : arguments) {
    if (argument == "--help") {
      out << UsageText();
      return 0;
    }
    if (argument == "--version") {
      out << VersionLine() << "\n";
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace hw::posix
