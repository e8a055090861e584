// The window modes' share of the system log: forms that pass everything on
// to the real runtime, note whether the synchronise command said it set the
// name, and run a hook when the run finishes; and the entry of a whole run.
#pragma once

#include <functional>

#include "platform/forms.h"
#include "report/verdict_log.h"

namespace hw {
class Program;
}  // namespace hw

namespace hw::report {

class NameSetWatch : public Forms {
 public:
  explicit NameSetWatch(Forms& forms) : forms_(forms) {}

  bool PrevInstance() override { return forms_.PrevInstance(); }
  std::string Command() override { return forms_.Command(); }
  void MsgBox(const std::string& text, int style) override;
  Window& Load(const WindowData& definition) override { return forms_.Load(definition); }
  // A backend may end the process from inside a window's event, so the
  // hook runs first.
  [[noreturn]] void End() override;
  void Run() override { forms_.Run(); }

  bool NameSet() const { return nameSet_; }
  // Runs once, on the first of End and Finish.
  void OnFinish(std::function<void()> hook) { onFinish_ = std::move(hook); }
  void Finish();

 private:
  Forms& forms_;
  bool nameSet_ = false;
  std::function<void()> onFinish_;
};

// What the run found and whether it set the name.
VerdictEntry EntryOf(const Program& program, bool nameSet);
VerdictEntry EntryOf(const StartupValues& values, bool nameSet);

}  // namespace hw::report
