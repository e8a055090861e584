#include "report/mode_options.h"

#include <cctype>
#include <string>

namespace hw::report {
namespace {

// The switch's name without its "/", "-" or "--", in capitals; "" for a
// word that is no switch.
std::string SwitchName(std::string_view word) {
  if (word.substr(0, 2) == "--") {
    word.remove_prefix(2);
  } else if (!word.empty() && (word.front() == '/' || word.front() == '-')) {
    word.remove_prefix(1);
  } else {
    return "";
  }
  std::string name;
  for (char c : word) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

ModeOptions ParseModeOptions(std::string_view arguments) {
  ModeOptions options;
  bool report = false, sync = false;
  while (!arguments.empty()) {
    std::size_t start = 0;
    while (start < arguments.size() && IsBlank(arguments[start])) ++start;
    std::size_t end = start;
    while (end < arguments.size() && !IsBlank(arguments[end])) ++end;
    std::string name = SwitchName(arguments.substr(start, end - start));
    report |= name == "REPORT";
    options.json |= name == "JSON";
    sync |= name == "SYNC";
    arguments.remove_prefix(end);
  }
  if (sync)
    options.mode = Mode::Sync;
  else if (report || options.json)
    options.mode = Mode::Report;
  return options;
}

}  // namespace hw::report
