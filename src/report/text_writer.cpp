#include "report/text_writer.h"

#include "report/escaping.h"

namespace hw::report {

int FatalError(TextWriter& err, std::string_view what) {
  err.Write("hostwarden: " + PrintableText(what) + "\n");
  err.Flush();
  return kFatalErrorStatus;
}

}  // namespace hw::report
