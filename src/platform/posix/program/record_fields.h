#pragma once
// Visits every field of a plain record (an aggregate: public fields, no
// constructors, no base class) in the order it declares them, with no list
// of its fields to keep: the number of fields is the most values that brace
// initialisation of the record takes, and a structured binding of that many
// names reaches them. A miscount cannot pass unseen: the binding then names
// a different number of fields than the record has, which does not compile.
#include <cstddef>
#include <type_traits>
#include <utility>

namespace hw::posix {
namespace record_fields {

// A value that converts to the type of any field; only ever named, never made.
struct AnyField {
  template <class T>
  operator T() const;
};

template <class Record, std::size_t... I>
constexpr bool TakesValues(std::index_sequence<I...>) {
  return requires { Record{(void(I), AnyField{})...}; };
}

template <class Record, std::size_t Count = 0>
constexpr std::size_t FieldCount() {
  if constexpr (TakesValues<Record>(std::make_index_sequence<Count + 1>{}))
    return FieldCount<Record, Count + 1>();
  else
    return Count;
}

}  // namespace record_fields

inline constexpr std::size_t kMostRecordFields = 24;

// Calls `visit` with each field of `record`, first to last.
template <class Record, class Visit>
void ForEachField(Record& record, Visit&& visit) {
  static_assert(std::is_aggregate_v<Record>, "only a plain record's fields can be counted");
  constexpr std::size_t count = record_fields::FieldCount<Record>();
  static_assert(count >= 1 && count <= kMostRecordFields, "a record of more fields needs one more line below");
  if constexpr (count == 1) {
    auto& [f1] = record;
    visit(f1);
  } else if constexpr (count == 2) {
    auto& [f1, f2] = record;
    visit(f1), visit(f2);
  } else if constexpr (count == 3) {
    auto& [f1, f2, f3] = record;
    visit(f1), visit(f2), visit(f3);
  } else if constexpr (count == 4) {
    auto& [f1, f2, f3, f4] = record;
    visit(f1), visit(f2), visit(f3), visit(f4);
  } else if constexpr (count == 5) {
    auto& [f1, f2, f3, f4, f5] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5);
  } else if constexpr (count == 6) {
    auto& [f1, f2, f3, f4, f5, f6] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6);
  } else if constexpr (count == 7) {
    auto& [f1, f2, f3, f4, f5, f6, f7] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7);
  } else if constexpr (count == 8) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8);
  } else if constexpr (count == 9) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9);
  } else if constexpr (count == 10) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10);
  } else if constexpr (count == 11) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11);
  } else if constexpr (count == 12) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12);
  } else if constexpr (count == 13) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13);
  } else if constexpr (count == 14) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14);
  } else if constexpr (count == 15) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15);
  } else if constexpr (count == 16) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16);
  } else if constexpr (count == 17) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17);
  } else if constexpr (count == 18) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18);
  } else if constexpr (count == 19) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18), visit(f19);
  } else if constexpr (count == 20) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18), visit(f19),
        visit(f20);
  } else if constexpr (count == 21) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20, f21] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18), visit(f19),
        visit(f20), visit(f21);
  } else if constexpr (count == 22) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20, f21, f22] =
        record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18), visit(f19),
        visit(f20), visit(f21), visit(f22);
  } else if constexpr (count == 23) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20, f21, f22, f23] =
        record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18), visit(f19),
        visit(f20), visit(f21), visit(f22), visit(f23);
  } else if constexpr (count == 24) {
    auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20, f21, f22, f23,
           f24] = record;
    visit(f1), visit(f2), visit(f3), visit(f4), visit(f5), visit(f6), visit(f7), visit(f8), visit(f9), visit(f10),
        visit(f11), visit(f12), visit(f13), visit(f14), visit(f15), visit(f16), visit(f17), visit(f18), visit(f19),
        visit(f20), visit(f21), visit(f22), visit(f23), visit(f24);
  }
}

}  // namespace hw::posix
