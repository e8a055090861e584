#include "platform/posix/window_mode.h"

#include <memory>

#include "platform/posix/fltk/fltk_forms.h"
#include "platform/posix/posix_os.h"
#include "ui/program.h"

namespace hw::posix {

int RunWindowMode(const std::string& commandLine) {
  PosixOs os;
  std::unique_ptr<Forms> forms = MakeFltkForms(commandLine);
  Program program(os, *forms);
  try {
    program.Run();
  } catch (const EndProgram&) {
    // ended at once: the backend has closed every window
  }
  return 0;
}

}  // namespace hw::posix
