#include "report/mode_options.h"

#include "text/catalogue.h"
#include "text/text.h"

namespace hw::report {
namespace {

constexpr std::string_view kSwitchNames[] = {"REPORT", "JSON", "SYNC"};

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
  return ToUpperAscii(word);
}

// REPORTS, REPORT/JSON, SYNC:NOW: one of our names with more after it.
bool LooksLikeOurSwitch(const std::string& name) {
  for (std::string_view known : kSwitchNames)
    if (name.size() > known.size() && name.compare(0, known.size(), known) == 0) return true;
  return false;
}

ModeOptions Refused(std::string line) {
  ModeOptions options;
  options.mode = Mode::Refused;
  options.refusal = std::move(line);
  return options;
}

}  // namespace

std::string UnknownSwitchLine(std::string_view word) {
  return Text(Msg::UnknownSwitch, {word});
}

std::string ReportWithSyncLine(std::string_view report, std::string_view sync) {
  return Text(Msg::ReportWithSync, {report, sync});
}

ModeOptions ParseModeOptions(std::string_view arguments) {
  ModeOptions options;
  std::string report, json, sync;  // the words as written, for the refusal
  for (const std::string& word : SplitArguments(arguments)) {
    std::string name = SwitchName(word);
    if (LooksLikeOurSwitch(name)) return Refused(UnknownSwitchLine(word));
    if (name == "REPORT" && report.empty()) report = word;
    if (name == "JSON" && json.empty()) json = word;
    if (name == "SYNC" && sync.empty()) sync = word;
  }
  options.json = !json.empty();
  // JSON alone asks for the report, so it is refused with SYNC too.
  if (!sync.empty() && !(report + json).empty())
    return Refused(ReportWithSyncLine(report.empty() ? json : report, sync));
  if (!sync.empty())
    options.mode = Mode::Sync;
  else if (!report.empty() || options.json)
    options.mode = Mode::Report;
  return options;
}

}  // namespace hw::report
