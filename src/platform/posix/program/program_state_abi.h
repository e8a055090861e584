// hw::ProgramState to and from the C record that crosses into the window
// module.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/program/window_module.h"
#include "ui/program.h"

namespace hw::posix {

// The C record of a state, pointing into the state itself: valid while
// both live and neither changes.
class ProgramStateRecord {
 public:
  explicit ProgramStateRecord(const ProgramState& state);
  ProgramStateRecord(const ProgramStateRecord&) = delete;
  ProgramStateRecord& operator=(const ProgramStateRecord&) = delete;
  const HostwardenProgramState* get() const { return &record_; }

 private:
  std::vector<std::vector<const char*>> items_;
  std::vector<HostwardenControlState> controls_;
  std::vector<const char*> ptrNames_;
  HostwardenProgramState record_{};
};

// The state a C record describes; null pointers read as empty texts and
// lists, negative counts as none.
ProgramState StateOf(const HostwardenProgramState& record);

}  // namespace hw::posix
