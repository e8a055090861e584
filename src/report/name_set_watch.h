// The window modes' share of the system log: forms that pass everything on
// to the real runtime and note whether the synchronise command said it set
// the name, and the entry of a whole run.
#pragma once

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
  Window& Load(const WindowSpec& definition) override { return forms_.Load(definition); }
  [[noreturn]] void End() override { forms_.End(); }
  void Run() override { forms_.Run(); }

  bool NameSet() const { return nameSet_; }

 private:
  Forms& forms_;
  bool nameSet_ = false;
};

// What the run found and whether it set the name.
VerdictEntry EntryOf(const Program& program, bool nameSet);

}  // namespace hw::report
