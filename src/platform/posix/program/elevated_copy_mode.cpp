#include "platform/posix/program/elevated_copy_mode.h"

#include "interfaces/headless/headless_forms.h"
#include "platform/posix/os/pkexec_copy.h"
#include "report/mode_options.h"
#include "app/program_run.h"
#include "report/escaping.h"
#include "report/report_mode.h"
#include "sync/elevated_copy.h"
#include "ui/program.h"

namespace hw::posix {
namespace {

constexpr int kNameNotSet = 1;
constexpr int kRefused = 2;

int Refuse(report::TextWriter& err, const std::string& argument) {
  err.Write(report::PrintableText(report::UnknownSwitchLine(argument)) + "\n");
  return kRefused;
}

}  // namespace

std::optional<int> RunElevatedCopyMode(PosixOs& os, const std::vector<std::string>& arguments, report::TextWriter& err,
                                       report::VerdictLog* log) {
  if (arguments.empty()) return std::nullopt;
  const auto name = ElevatedCopyName(arguments[0]);
  if (!name) return std::nullopt;
  // Exactly what pkexec_copy passes: the name, and at most its full name.
  if (arguments.size() > 2) return Refuse(err, arguments[2]);
  std::optional<std::string> dnsName;
  if (arguments.size() == 2) {
    dnsName = DnsNameFromArgument(arguments[1], *name);
    if (!dnsName) return Refuse(err, arguments[1]);
  }
  HeadlessForms forms(arguments[0], /*prevInstance=*/false);
  Program program(os, forms);
  if (dnsName) program.GiveElevatedCopyDnsName(*dnsName);
  try {
    program.Run();  // the copy sets the name (checked strictly) and ends
  } catch (const EndProgram&) {
  }
  for (const auto& message : forms.Messages()) report::WriteMessage(err, message.text, "");
  const bool nameSet = program.NameSet();
  report::WriteQuietly(log, app::EntryOf(program, nameSet));
  return nameSet ? 0 : kNameNotSet;
}

std::optional<int> RunElevatedCopyMode(const std::vector<std::string>& arguments, report::TextWriter& err,
                                       report::VerdictLog* log) {
  PosixOs os;
  return RunElevatedCopyMode(os, arguments, err, log);
}

}  // namespace hw::posix
