#pragma once

#include <span>
#include <string>
#include <variant>
#include <vector>

#include "geometry/Section.h"
#include "model/Panel.h"
#include "model/PanelFields.h"

namespace orva {

// One stored value of a record (panel, section parameters, spar): where it
// lives in the record and how the project file and the JSON form carry it.
template <class Record>
struct Field {
  using Member =
      std::variant<bool Record::*, int Record::*, double Record::*, std::string Record::*>;

  const char* key = nullptr;   // the JSON name; nullptr: not in the JSON form
  const char* what = nullptr;  // the value as error messages name it
  Member member;
  double since = 0.0;        // first file version that stores it; older ones keep the default
  double wholeBefore = 0.0;  // a number stored as a 32-bit integer in versions before this
  int low = 0;               // the values a mode may take (a range only when low <= high)
  int high = -1;
  bool positive = false;  // the JSON form refuses a value that is not greater than 0
  int jsonRank = 0;       // position among the record's keys in the JSON form
};

// Visits a Field::Member with one lambda per value type.
template <class... F>
struct FieldVisitor : F... {
  using F::operator()...;
};
template <class... F>
FieldVisitor(F...) -> FieldVisitor<F...>;

// The stored fields of a panel, written once: the order of the `Contents`
// stream, the version each appeared in, their JSON names and their checks.
// The codec, the JSON form and the stored panel all work from these lists.
struct PanelFieldTable {
  static std::span<const Field<PanelFields>> panel();
  // The basic height comes first: files of version 1000 and older do not store it.
  static std::span<const Field<SectionParams>> section();
  static std::span<const Field<SparRecord>> spar();

  // The entries of `table` that the JSON form carries, in its key order.
  template <class Record>
  static std::vector<const Field<Record>*> inJsonOrder(std::span<const Field<Record>> table) {
    std::vector<const Field<Record>*> out;
    for (const Field<Record>& f : table) {
      if (f.key) out.push_back(&f);
    }
    for (std::size_t i = 1; i < out.size(); ++i) {
      for (std::size_t j = i; j > 0 && out[j]->jsonRank < out[j - 1]->jsonRank; --j) {
        std::swap(out[j], out[j - 1]);
      }
    }
    return out;
  }
};

}  // namespace orva
