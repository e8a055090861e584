#include "ui/quiet_run.h"

#include "interfaces/headless/headless_forms.h"

namespace hw {
namespace {

// Windows in memory; the instance test and message boxes go to the screen.
class FormsUntilShown : public HeadlessForms {
 public:
  FormsUntilShown(const std::string& commandLine, ScreenOnDemand& screen)
      : HeadlessForms(commandLine), screen_(screen) {}

  bool PrevInstance() override { return screen_.PrevInstance(); }
  void MsgBox(const std::string& text, int style) override { screen_.MsgBox(text, style); }

 private:
  ScreenOnDemand& screen_;
};

}  // namespace

int RunQuietMode(Os& os, const std::string& commandLine, ScreenOnDemand& screen,
                 const std::function<void(const Program&)>& endedHere) {
  FormsUntilShown forms(commandLine, screen);
  Program program(os, forms);
  int exitCode = 0;
  bool ended = true;
  try {
    program.Start();
    ended = false;
  } catch (const EndProgram&) {
    // nothing left to show
  } catch (const ScreenUnavailable& unavailable) {
    exitCode = unavailable.exitCode;
  }
  if (ended) {
    if (endedHere) endedHere(program);
    return exitCode;
  }
  // The check did not end the program: the warning dialog is up, and from
  // here on the program lives on the screen.
  return screen.Continue(program.State());
}

}  // namespace hw
