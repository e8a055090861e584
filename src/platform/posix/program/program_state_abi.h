// hw::ProgramState to and from the byte string that crosses into the window
// module. Both directions walk the same fields of the same records
// (record_fields.h), so what goes in always comes out, a field added later
// included.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/posix/program/window_module.h"
#include "ui/program.h"

namespace hw::posix {

// The bytes of a state.
std::string SerialisedState(const ProgramState& state);

// The state of bytes that SerialisedState made. StateRecordError for bytes
// cut short or with more after the state: the program and its module come
// from different builds.
ProgramState DeserialisedState(std::string_view bytes);

struct StateRecordError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The C record of a state, holding its bytes: valid while it lives.
class ProgramStateRecord {
 public:
  explicit ProgramStateRecord(const ProgramState& state)
      : bytes_(SerialisedState(state)), record_{bytes_.data(), bytes_.size()} {}
  ProgramStateRecord(const ProgramStateRecord&) = delete;
  ProgramStateRecord& operator=(const ProgramStateRecord&) = delete;
  const HostwardenProgramState* get() const { return &record_; }

 private:
  std::string bytes_;
  HostwardenProgramState record_;
};

// The state a C record describes; a record without bytes is the empty
// state. StateRecordError as for DeserialisedState.
ProgramState StateOf(const HostwardenProgramState& record);

}  // namespace hw::posix
