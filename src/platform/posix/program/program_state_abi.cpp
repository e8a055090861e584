#include "platform/posix/program/program_state_abi.h"

#include "platform/posix/program/record_fields.h"

#include <cstdint>
#include <type_traits>
#include <vector>

namespace hw::posix {
namespace {

// Every record of the state is walked field by field in the order it
// declares them (ForEachField), for the writer and the reader alike: a
// field added to one of them crosses with no edit here. The campus lists
// alone have constructors of their own, so their fields cannot be counted:
// they are named, and a field added to them makes this binding fail to
// compile instead of being left behind.
template <class Io>
void Fields(Io& io, CampusLists& lists) {
  auto& [domains, poolPrefixes] = lists;
  io(domains), io(poolPrefixes);
}

template <class Io, class Record>
void Walk(Io& io, Record& record) {
  if constexpr (std::is_aggregate_v<Record>)
    ForEachField(record, io);
  else
    Fields(io, record);
}

// Numbers, truth values and enumerations as 8 bytes, little-endian; texts
// and lists with their length first.
class Writer {
 public:
  template <class T>
  void operator()(T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
      Number(value.size());
      bytes_ += value;
    } else if constexpr (std::is_enum_v<T>) {
      Number(static_cast<uint64_t>(static_cast<int64_t>(value)));
    } else if constexpr (std::is_integral_v<T>) {
      Number(static_cast<uint64_t>(static_cast<int64_t>(value)));
    } else if constexpr (requires { value.begin(); value.size(); }) {
      Number(value.size());
      for (auto& item : value) (*this)(item);
    } else {
      Walk(*this, value);
    }
  }
  std::string Bytes() && { return std::move(bytes_); }

 private:
  void Number(uint64_t number) {
    for (int i = 0; i < 8; ++i) bytes_ += static_cast<char>((number >> (8 * i)) & 0xFF);
  }
  std::string bytes_;
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  template <class T>
  void operator()(T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
      value = std::string(Take(Count()));
    } else if constexpr (std::is_same_v<T, bool>) {
      value = Number() != 0;
    } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
      value = static_cast<T>(static_cast<int64_t>(Number()));
    } else if constexpr (requires { value.begin(); value.size(); }) {
      value.clear();
      for (std::size_t n = Count(); n > 0; --n) (*this)(value.emplace_back());
    } else {
      Walk(*this, value);
    }
  }
  bool AtTheEnd() const { return bytes_.empty(); }

 private:
  std::string_view Take(std::size_t size) {
    if (size > bytes_.size()) throw StateRecordError("the window module's state record is cut short");
    std::string_view taken = bytes_.substr(0, size);
    bytes_.remove_prefix(size);
    return taken;
  }
  uint64_t Number() {
    std::string_view taken = Take(8);
    uint64_t number = 0;
    for (int i = 7; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(taken[i]);
    return number;
  }
  // A length is never more than the bytes left: nothing is reserved for a
  // count that cannot be true.
  std::size_t Count() {
    uint64_t count = Number();
    if (count > bytes_.size()) throw StateRecordError("the window module's state record is cut short");
    return static_cast<std::size_t>(count);
  }
  std::string_view bytes_;
};

}  // namespace

std::string SerialisedState(const ProgramState& state) {
  ProgramState copy = state;
  Writer writer;
  writer(copy);
  return std::move(writer).Bytes();
}

ProgramState DeserialisedState(std::string_view bytes) {
  ProgramState state;
  Reader reader(bytes);
  reader(state);
  if (!reader.AtTheEnd()) throw StateRecordError("the window module's state record is longer than its state");
  return state;
}

ProgramState StateOf(const HostwardenProgramState& record) {
  if (!record.bytes) return ProgramState{};
  return DeserialisedState(std::string_view(record.bytes, record.length));
}

}  // namespace hw::posix
